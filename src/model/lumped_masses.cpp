#include "model/lumped_masses.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/matrix_print.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/form.h"
#include "fio/fio.h"
#include "model/input_fault.h"
#include "solvers/skyline_profile.h"

namespace model {

namespace {

constexpr int kRecordWords = 12;

// A record word used as an integer: truncated toward zero, clamped into int
// range (a NaN counts as 0).
int truncated(float x) {
  if (!(x == x)) return 0;
  return static_cast<int>(std::clamp(x, -2.0e9f, 2.0e9f));
}

// The 6 x 6 node mass of record r transformed to the node's master, packed as
// an order-6 upper triangle (1-based, column j from NP(j)).
void node_mass(std::int64_t r, int n, std::array<float, 22>& packed) {
  using kv::rzm;
  float m[7][7] = {};
  for (int k = 1; k <= 6; ++k) m[k][k] = rzm(r + k);
  // Record words 8, 9, 10 (offsets 7, 8, 9): the products of inertia.
  m[4][5] = -rzm(r + 7);
  m[4][6] = -rzm(r + 8);
  m[5][6] = -rzm(r + 9);
  m[5][4] = m[4][5];
  m[6][4] = m[4][6];
  m[6][5] = m[5][6];

  const int nndim = kv::ctl(kv::kNNDIM);
  auto tcon = [&](int k) -> float { return rzm(kv::ctl(kv::kTCON) + static_cast<std::int64_t>(k - 1) * nndim + n - 1); };
  float t[7][7] = {};
  for (int k = 1; k <= 6; ++k) t[k][k] = 1.0f;
  t[4][2] = tcon(1);
  t[4][3] = tcon(2);
  t[5][1] = tcon(3);
  t[5][3] = tcon(4);
  t[6][1] = tcon(5);
  t[6][2] = tcon(6);

  float tm[7][7] = {};
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) {
      float s = 0.0f;
      for (int k = 1; k <= 6; ++k) s += t[i][k] * m[k][j];
      tm[i][j] = s;
    }
  const auto& np = kv::titles().np;
  for (int j = 1; j <= 6; ++j)
    for (int i = 1; i <= j; ++i) {
      float s = 0.0f;
      for (int k = 1; k <= 6; ++k) s += tm[i][k] * t[j][k];
      packed[static_cast<std::size_t>(np[static_cast<std::size_t>(j)] + j - i)] = s;
    }
}

void echo_heading() {
  kv::page_header(6);
  fio::write(6, "('  LUMPED NODE MASSES '/' ===================='/)");
  fio::write(6,
             "(4X,'NODE',5X,'MX',10X,'MY',10X,'MZ',9X,'IXX',9X,'IYY',9X,'IZZ',9X,'IXY',9X,'IYZ',9X,'IYZ',"
             "5X,'  IGEN   INC')");
}

}  // namespace

void lumpms(int iopt, int announced, int& nmass, std::int64_t lumrec, std::int64_t mdiag,
            std::int64_t values, bool trace) {
  using kv::rzm;
  // The input line of each record, for the console line of a missing node.
  std::vector<long> lines;
  if (iopt == 1) {
    echo_heading();
    nmass = 0;
    for (int m = 1; m <= announced; ++m) {
      const std::int64_t r = lumrec + static_cast<std::int64_t>(m - 1) * kRecordWords;
      std::array<float, kRecordWords> rec{};
      std::span<float> values_read(rec);
      read_or_stop("LUMPED MASS RECORD", values_read);
      lines.push_back(fio::record_number(5));
      for (int k = 0; k < kRecordWords; ++k) rzm(r + k) = rec[static_cast<std::size_t>(k)];
      const int node = truncated(rec[0]);
      if (node < 1) break;
      nmass = m;
      fio::write(6, "(2X,I6,1P,9E12.4,0P,2I6)", node, std::span<const float>(rec.data() + 1, 9),
                 truncated(rec[10]), truncated(rec[11]));
    }
  }

  const int neq = kv::ctl(kv::kNEQ);
  const int nnode = kv::ctl(kv::kNNODE);
  const std::int32_t* nodid = kv::iptr(kv::ctl(kv::kNODID));
  const int nndim = kv::ctl(kv::kNNDIM);
  std::int32_t* md = kv::iptr(mdiag) - 1;
  std::array<float, 22> packed{};
  std::array<std::int32_t, 7> lm{};

  for (int m = 1; m <= nmass; ++m) {
    const std::int64_t r = lumrec + static_cast<std::int64_t>(m - 1) * kRecordWords;
    const int node = truncated(rzm(r));
    const int igen = truncated(rzm(r + 10));
    const int inc = truncated(rzm(r + 11));
    auto place = [&](int n) {
      node_mass(r, n, packed);
      for (int k = 1; k <= 6; ++k)
        lm[static_cast<std::size_t>(k)] = kv::izm(kv::ctl(kv::kIDTab) + static_cast<std::int64_t>(k - 1) * nndim + n - 1);
      if (trace) {
        std::string title = fio::format("('MASS AT NODE #',I6,' LM:',6I6)", nodid[n - 1],
                                        std::span<const std::int32_t>(lm.data() + 1, 6));
        base::skyprt(packed.data() + 1, kv::titles().np.data() + 1, 6, 21, title);
      }
      if (iopt == 1) {
        solvers::skylin(false, solvers::kSkyWiden, neq, md + 1, 6, lm.data() + 1, packed.data() + 1,
                        "GLOBAL MASS");
      } else {
        elements::addsky(kv::skyptr(values) - 1, md, neq, md[neq + 1], packed.data(),
                         kv::titles().np.data(), 6, 21, lm.data(), 1.0f);
      }
    };
    // Generated nodes that do not exist are reported once per record.
    base::for_generated_ids(
        node, igen, inc, nodid, nnode, place,
        [&](std::int64_t id) {
          base::report_not_found(id, nodid, nnode);
          fio::write_list(6, "NODE #", id, " WAS NOT FOUND, CHECK INPUT, MASS IS OMITTED ");
          // Both passes walk the records: the fault is counted at input.
          if (iopt == 1)
            kv::note_fault(kv::Fault::input_warning,
                           fio::format("('LUMPED MASS ON NODE',I11,', WHICH DOES NOT EXIST, OMITTED')", id),
                           lines[static_cast<std::size_t>(m - 1)]);
        },
        [&](std::int64_t last) { fio::write_list(6, "NO NODE BEYOND NODE #", last, ", GENERATION ENDS"); });
    if (igen > 0 && inc == 0) fio::write_list(6, "INC 0 REPEATS NODE #", node, ", GENERATION ENDS");
  }
}

}  // namespace model
