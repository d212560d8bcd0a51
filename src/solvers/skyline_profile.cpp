#include "solvers/skyline_profile.h"

#include <algorithm>
#include <string>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "fio/fio.h"

namespace solvers {

namespace {

constexpr int kOut = 6;
constexpr int kPictureColumns = 100;  // columns of one block of the profile picture

void list_entries(int neq, const std::int32_t* mdiag) {
  for (int j = 1; j <= neq; ++j) fio::write(kOut, "(' MDIAG(',I3,')=',I5)", j, mdiag[j - 1]);
}

// The profile as a picture: "D" on the diagonal, "X" for a stored term above it.
void profile_picture(int neq, const std::int32_t* mdiag, std::string_view name) {
  std::string line;
  for (int j1 = 0; j1 < neq; j1 += kPictureColumns) {
    const int j2 = std::min(j1 + kPictureColumns, neq);
    kv::page_header(kOut);
    fio::write(kOut, "('   SKYLINE OF THE ',A,' MATRIX ')", name);
    fio::write(kOut, "('   THE MATRIX REQUIRES',I6,' STORAGE LOCATIONS')", mdiag[neq]);
    line.assign(2, ' ');
    for (int k = j1; k <= j1 + 10 * ((j2 - j1) / 10); k += 10) {
      line += fio::format("(I4)", k);
      line += "|.....";
    }
    fio::write_record(kOut, line);
    for (int i = 1; i <= j2; ++i) {
      line = fio::format("(I6)", i);
      bool marked = false;
      for (int j = j1 + 1; j <= j2; ++j) {
        char c = ' ';
        if (j == i) {
          c = 'D';
        } else if (i < j && mdiag[j - 1] + j - i < mdiag[j]) {
          c = 'X';
        }
        if (c != ' ') marked = true;
        line += c;
      }
      if (marked) fio::write_record(kOut, line);
    }
  }
}

}  // namespace

void skylin(bool allterms, int iopt, int neq, std::int32_t* mdiag, int nd,
            const std::int32_t* lm, const float* ke, std::string_view name) {
  if (iopt == kSkyStart) {
    for (int j = 1; j <= neq + 1; ++j) mdiag[j - 1] = j;
    if (kv::trace('M')) {
      fio::write_list(kOut, "INITIAL VALUES");
      list_entries(neq, mdiag);
    }
    return;
  }

  if (iopt == kSkyWiden) {
    const auto& np = kv::titles().np;
    for (int b = 1; b <= nd; ++b) {
      const int l = lm[b - 1];
      if (l <= 0) continue;
      for (int a = 1; a <= b; ++a) {
        const int k = lm[a - 1];
        if (k <= 0) continue;
        if (!allterms && ke[np[static_cast<std::size_t>(b)] + b - a - 1] == 0.0f) continue;
        const int r = std::min(k, l);
        const int c = std::max(k, l);
        mdiag[c - 1] = std::min(mdiag[c - 1], r);
      }
    }
    return;
  }

  if (iopt == kSkyAddresses) {
    if (kv::trace('M')) {
      fio::write_list(kOut, "AFTER COLUMN HEIGHTS");
      list_entries(neq, mdiag);
    }
    // Column heights come from the tops, each read before its entry is
    // overwritten by an address. Counted wide: a profile too large for the work
    // array stops the run rather than wrapping round.
    std::int64_t address = 1;
    std::int32_t top = mdiag[0];
    mdiag[0] = 1;
    for (int j = 2; j <= neq + 1; ++j) {
      address += (j - 1) - top + 1;
      if (address > kv::kWorkWords) kv::memchk(address, 0);
      top = mdiag[j - 1];
      mdiag[j - 1] = static_cast<std::int32_t>(address);
    }
    if (kv::trace('M')) {
      fio::write_list(kOut, "ADDRESS OF MAIN DIAGONAL ELEMENTS");
      list_entries(neq, mdiag);
    }
    if (kv::trace('J') || kv::trace('M')) profile_picture(neq, mdiag, name);
  }
}

MassMatrix skyasm(int nrec, int mform, bool widen, std::string_view name, LumpedMassFn lumpms) {
  MassMatrix mm;
  if (mform != 1) return mm;
  const int neq = kv::ctl(kv::kNEQ);
  const bool ibug = kv::titles().ibug;

  mm.mdiag = kv::reserve(neq + 1);
  std::int32_t* md = kv::iptr(mm.mdiag);
  skylin(false, kSkyStart, neq, md, 0, nullptr, nullptr, name);

  const int announced = std::max(nrec, 0);
  mm.lumrec = kv::reserve(12 * static_cast<std::int64_t>(announced));
  int nmass = 0;
  if (lumpms != nullptr) lumpms(1, announced, nmass, mm.lumrec, mm.mdiag, 0, ibug);
  nmass = std::clamp(nmass, 0, announced);
  mm.nmass = nmass;
  kv::ctl(kv::kIZ) -= 12 * (announced - nmass);

  if (widen && kv::ctl(kv::kNCOND) > 0) {
    const std::int32_t* mk = kv::iptr(kv::ctl(kv::kStiffMdiag));
    for (int j = 1; j <= neq; ++j) {
      const int top_k = j - (mk[j] - mk[j - 1]) + 1;
      md[j - 1] = std::min(md[j - 1], top_k);
    }
  }

  skylin(false, kSkyAddresses, neq, md, 0, nullptr, nullptr, name);
  // Values take MDIAG(NEQ+1) matrix terms; a term is kSkyRealWords words.
  const std::int64_t nvalues = md[neq];
  mm.values = kv::reserve(nvalues * kv::kSkyRealWords);
  // The word after the values and the packed 6x6 node mass with its location
  // vector (21 + 6 words) lie in the free words above IZ.
  kv::memchk(27, 0);
  kv::zero_words(mm.values, (nvalues + 1) * kv::kSkyRealWords);

  kv::ctl(kv::kIZKE) = kv::ctl(kv::kIZ);
  kv::ctl(kv::kIZLM) = kv::ctl(kv::kIZ) + 21;
  if (lumpms != nullptr) lumpms(2, nrec, nmass, mm.lumrec, mm.mdiag, mm.values, ibug);

  if (ibug) base::skyprt(kv::skyptr(mm.values), md, neq, md[neq], name);
  return mm;
}

void prfmrg(int neq, int l1, int l2, std::int32_t* md, const std::int32_t* mdiagk,
            const std::int32_t* mdiagm, const std::int32_t* mdiagc, int iopt) {
  auto height = [](const std::int32_t* mdiag, int g) {
    return mdiag == nullptr ? 0 : mdiag[g] - mdiag[g - 1];
  };
  const int n = l2 - l1 + 1;
  md[0] = 1;
  for (int i = 2; i <= n + 1; ++i) {
    const int g = l1 + i - 2;
    int h = 1;  // a column outside the matrix keeps its diagonal only
    if (g >= 1 && g <= neq) {
      h = std::max(height(mdiagk, g), height(mdiagm, g));
      if (iopt == 2) h = std::max(h, height(mdiagc, g));
    }
    h = std::min(h, i - 1);
    md[i - 1] = md[i - 2] + h;
  }
}

}  // namespace solvers
