#include "solutions/displacement_report.h"

#include <algorithm>
#include <array>
#include <string>

#include "fio/fio.h"
#include "solutions/report_page.h"

namespace solutions {

namespace {

constexpr int kOut = 6;

float axis(const base::NodeTables& t, int s, int i, int g) {
  if (s < 1 || s > t.nndim) return i == g ? 1.0f : 0.0f;
  return t.cos(i, g, s);
}

// Joint-frame vector of node n in column c (a degree of freedom without an
// equation reads 0.0), translations of a constrained node rebuilt from its
// master's rotations.
std::array<float, 6> joint_vector(const base::NodeTables& t, int n, const float* col, int neq) {
  std::array<float, 6> u{};
  for (int j = 1; j <= 6; ++j) {
    const int e = t.id(n, j);
    if (e >= 1 && e <= neq) u[static_cast<std::size_t>(j - 1)] = col[e - 1];
  }
  u[0] += u[4] * t.tcon(n, 3) + u[5] * t.tcon(n, 5);
  u[1] += u[3] * t.tcon(n, 1) + u[5] * t.tcon(n, 6);
  u[2] += u[3] * t.tcon(n, 2) + u[4] * t.tcon(n, 4);
  return u;
}

}  // namespace

void prtdsp(int iopt, const ReportModel& m, int neq, int ncol, int l2, const float* d, std::string_view title,
            std::string_view label, bool page) {
  const base::NodeTables& t = m.nodes;
  const bool trivial = trivial_joint_frames(t, m.ncos);
  const bool envelope = iopt == kEnvelope;
  const std::string underline(std::min<std::size_t>(title.size() + 1, 60), '=');
  std::string line;

  for (int c = 1; c <= ncol; ++c) {
    const float* col = d + static_cast<std::int64_t>(c - 1) * neq;
    int lines = 0;
    if (!(envelope && !trivial)) {
      if (page) solution_page_header();
      if (!envelope)
        fio::write(kOut,
                   "(/,/,2X,'GCS ',A,',  LOADING #',I5,5X,A,/,1X,'=====',A,/,/,"
                   "6X,'NODE',7X,'DX',13X,'DY',13X,'DZ',13X,'RX',13X,'RY',13X,'RZ',/)",
                   title, c, label, underline);
      else
        fio::write(kOut,
                   "(/,/,2X,'GCS ',A,/,1X,'=====',A,/,25X,'NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY',/,/,"
                   "6X,'NODE',7X,'DX',13X,'DY',13X,'DZ',13X,'RX',13X,'RY',13X,'RZ',/)",
                   title, underline);
      for (int n = 1; n <= m.nnode; ++n) {
        const std::array<float, 6> u = joint_vector(t, n, col, neq);
        const int s = t.icos(n);
        std::array<float, 6> g{};
        for (int i = 1; i <= 3; ++i)
          for (int j = 1; j <= 3; ++j) {
            g[static_cast<std::size_t>(i - 1)] += axis(t, s, j, i) * u[static_cast<std::size_t>(j - 1)];
            g[static_cast<std::size_t>(i + 2)] += axis(t, s, j, i) * u[static_cast<std::size_t>(j + 2)];
          }
        fio::write(kOut, "(5X,I5,6(1P,E14.6,' '))", static_cast<int>(t.nodid(n)), std::span<const float>(g));
        ++lines;
      }
    }
    if (trivial) continue;

    if (page && lines > 20) solution_page_header();
    if (!envelope)
      fio::write(kOut,
                 "(/,/,2X,'JCS ',A,',  LOADING #',I5,5X,A,/,1X,'=====',A,/,/,"
                 "6X,'NODE',7X,'DX',13X,'DY',13X,'DZ',13X,'RX',13X,'RY',13X,'RZ',6X,'  COSINE #',/)",
                 title, c, label, underline);
    else
      fio::write(kOut,
                 "(/,/,2X,'JCS ',A,/,1X,'=====',A,/,25X,'NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY',/,/,"
                 "6X,'NODE',7X,'DX',13X,'DY',13X,'DZ',13X,'RX',13X,'RY',13X,'RZ',6X,'  COSINE #',/)",
                 title, underline);
    for (int n = 1; n <= m.nnode; ++n) {
      const std::array<float, 6> u = joint_vector(t, n, col, neq);
      line = fio::format("(5X,I5)", static_cast<int>(t.nodid(n)));
      for (int j = 1; j <= 6; ++j) {
        std::string f = fio::format("(1P,E14.6,' ')", u[static_cast<std::size_t>(j - 1)]);
        if (t.id(n, j) > l2) f.back() = '*';
        line += f;
      }
      line += fio::format("(I10)", static_cast<int>(t.icos(n)));
      fio::write_record(kOut, line);
    }
    fio::write(kOut, "(4X,'NOTE: * DENOTES A RESTRAINED DEGREE OF FREEDOM')");
  }
}

}  // namespace solutions
