#include "solutions/reactions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "fio/fio.h"
#include "solutions/finite_check.h"
#include "solutions/report_page.h"
#include "solvers/skyline_products.h"

namespace solutions {

namespace {

constexpr int kOut = 6;

// Stored term (i, j), i <= j, of column j, or nothing when (i, j) lies above
// the column's profile.
struct Column {
  const kv::SkyReal* a;
  const std::int32_t* mdiag;
  int j;
  int height() const { return mdiag[j] - mdiag[j - 1]; }
  bool holds(int i) const { return j - i < height(); }
  float term(int i) const { return static_cast<float>(a[mdiag[j - 1] + j - i - 1]); }
  int top() const { return j - height() + 1; }
};

// Column c of a table of ldr rows, 1-based rows.
struct Table {
  const float* p;
  int ldr;
  float operator()(int e, int c) const { return p[static_cast<std::int64_t>(c - 1) * ldr + (e - 1)]; }
};
struct MutableTable {
  float* p;
  int ldr;
  float& operator()(int e, int c) const { return p[static_cast<std::int64_t>(c - 1) * ldr + (e - 1)]; }
};

// True when the nlc columns of r and d share no word.
bool apart(MutableTable r, Table d, int nlc) {
  const auto words = [nlc](int ldr) { return static_cast<std::uintptr_t>(nlc) * static_cast<std::uintptr_t>(ldr) * sizeof(float); };
  const auto rp = reinterpret_cast<std::uintptr_t>(r.p);
  const auto dp = reinterpret_cast<std::uintptr_t>(d.p);
  return rp + words(r.ldr) <= dp || dp + words(d.ldr) <= rp;
}

void support_displacement_loads(const EquationRanges& eq, MutableTable r, Table d, int nlc, SkylineView k) {
  for (int j = eq.l3; j <= eq.last; ++j) {
    const Column col{k.a, k.mdiag, j};
    const int lo = std::max(eq.l1, col.top());
    for (int c = 1; c <= nlc; ++c) {
      const float dj = d(j, c);
      for (int i = eq.l2; i >= lo; --i) r(i, c) -= col.term(i) * dj;
    }
  }
}

void form_reactions(const EquationRanges& eq, MutableTable r, Table d, int nlc, SkylineView k, float factor) {
  // Coupling with the solved equations, each reaction summed from the last
  // solved row up.
  for (int c = 1; c <= nlc && eq.l2 < eq.l3; ++c)
    solvers::add_column_sums_descending(eq.l3, eq.last, eq.l1, eq.l2, k.mdiag, k.a, &r(1, c),
                                        d.p + static_cast<std::int64_t>(c - 1) * d.ldr, factor);
  for (int j = eq.l3; j <= eq.last && eq.l2 >= eq.l3; ++j) {
    const Column col{k.a, k.mdiag, j};
    const int lo = std::max(eq.l1, col.top());
    for (int c = 1; c <= nlc; ++c)
      for (int i = eq.l2; i >= lo; --i) r(j, c) += col.term(i) * d(i, c) * factor;
  }
  // Coupling among the restrained equations: both triangles of the block.
  // With D apart from R, reaction j is summed in a register in the same order
  // of additions (D does not change under it).
  if (apart(r, d, nlc)) {
    for (int j = eq.l3; j <= eq.last; ++j) {
      const Column col{k.a, k.mdiag, j};
      const int lo = std::max(eq.l3, col.top());
      if (lo > j) continue;
      for (int c = 1; c <= nlc; ++c) {
        const float dj = d(j, c);
        float rj = r(j, c) + col.term(j) * dj * factor;
        for (int i = j - 1; i >= lo; --i) {
          const float kij = col.term(i);
          r(i, c) += kij * dj * factor;
          rj += kij * d(i, c) * factor;
        }
        r(j, c) = rj;
      }
    }
    return;
  }
  for (int j = eq.l3; j <= eq.last; ++j) {
    const Column col{k.a, k.mdiag, j};
    const int lo = std::max(eq.l3, col.top());
    for (int i = j; i >= lo; --i) {
      const float kij = col.term(i);
      for (int c = 1; c <= nlc; ++c) {
        r(i, c) += kij * d(j, c) * factor;
        if (i != j) r(j, c) += kij * d(i, c) * factor;
      }
    }
  }
}

// The equation whose reaction node n reports for degree of freedom j, 0 when
// it reports none there.
int reported_equation(const base::NodeTables& t, int n, int j, const EquationRanges& eq) {
  const int e = t.id(n, j);
  if (e <= eq.l2 || e > eq.last) return 0;
  if (base::code_bit(t.ncode(n), base::kConstrain, j)) return 0;
  return e;
}

// Axis i (1..3) global component g of the node's cosine set; the global axes
// for a set outside the table.
float axis(const base::NodeTables& t, int s, int i, int g) {
  if (s < 1 || s > t.nndim) return i == g ? 1.0f : 0.0f;
  return t.cos(i, g, s);
}

// visit(node) for every node with a reaction to report, in node order: from
// the caller's table when it fits, else found here.
template <class Visit>
void for_reporting_nodes(const ReportModel& m, const EquationRanges& eq, const ReactionNodes* table, Visit visit) {
  if (table != nullptr && table->fits(eq, m)) {
    for (const ReactionNode& rn : table->nodes) visit(rn);
    return;
  }
  const base::NodeTables& t = m.nodes;
  for (int n = 1; n <= m.nnode; ++n) {
    ReactionNode rn;
    rn.n = n;
    bool any = false;
    for (int j = 1; j <= 6; ++j) {
      rn.e[static_cast<std::size_t>(j - 1)] = reported_equation(t, n, j, eq);
      any = any || rn.e[static_cast<std::size_t>(j - 1)] != 0;
    }
    if (!any) continue;
    const int s = t.icos(n);
    for (int j = 1; j <= 3; ++j)
      for (int g = 1; g <= 3; ++g) rn.axes[static_cast<std::size_t>(3 * (j - 1) + (g - 1))] = axis(t, s, j, g);
    for (int k = 1; k <= 3; ++k) rn.xyz[static_cast<std::size_t>(k - 1)] = t.xyz(n, k);
    visit(rn);
  }
}

void report(int iopt, bool lprt, const EquationRanges& eq, Table r, int nlc, const ReportModel& m,
            std::string_view label, bool page, std::array<float, 6>& rsum, const ReactionNodes* table) {
  const base::NodeTables& t = m.nodes;
  const bool trivial = trivial_joint_frames(t, m.ncos);
  const bool envelope = iopt == kReactionEnvelope;
  for (int c = 1; c <= nlc; ++c) {
    int lines = 0;
    if (lprt) {
      if (page) solution_page_header();
      if (!envelope)
        fio::write(kOut,
                   "(/,/,'  GCS RESTRAINT REACTIONS,   LOADING #',I5,5X,A,/,' =========================',/,/,"
                   "6X,'NODE',7X,'FX',13X,'FY',13X,'FZ',13X,'MX',13X,'MY',13X,'MZ',/)",
                   c, label);
      else
        fio::write(kOut,
                   "(/,/,'  MAXIMUM GCS RESTRAINT REACTIONS',5X,"
                   "'NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY',/,' =================================',/,/,"
                   "6X,'NODE',7X,'FX',13X,'FY',13X,'FZ',13X,'MX',13X,'MY',13X,'MZ',/)");
    }
    // The resultant is summed in double: the moments of large reactions about
    // the origin cancel, and a float sum would leave its rounding as a moment.
    std::array<double, 6> sum{};

    if (!(envelope && !trivial)) {
      for_reporting_nodes(m, eq, table, [&](const ReactionNode& rn) {
        std::array<float, 7> rj{};
        for (int j = 1; j <= 6; ++j) {
          const int e = rn.e[static_cast<std::size_t>(j - 1)];
          if (e != 0) rj[static_cast<std::size_t>(j)] = r(e, c);
        }
        std::array<float, 6> rg{};
        for (int i = 1; i <= 3; ++i) {
          float f = 0.0f;
          float mo = 0.0f;
          for (int j = 1; j <= 3; ++j) {
            const float a = rn.axes[static_cast<std::size_t>(3 * (j - 1) + (i - 1))];
            f += a * rj[static_cast<std::size_t>(j)];
            mo += a * rj[static_cast<std::size_t>(j + 3)];
          }
          rg[static_cast<std::size_t>(i - 1)] = f;
          rg[static_cast<std::size_t>(i + 2)] = mo;
        }
        if (!envelope) {
          const double x = rn.xyz[0], y = rn.xyz[1], z = rn.xyz[2];
          for (std::size_t i = 0; i < 6; ++i) sum[i] += rg[i];
          sum[3] += static_cast<double>(rg[2]) * y - static_cast<double>(rg[1]) * z;
          sum[4] += static_cast<double>(rg[0]) * z - static_cast<double>(rg[2]) * x;
          sum[5] += static_cast<double>(rg[1]) * x - static_cast<double>(rg[0]) * y;
        }
        ++lines;
        if (lprt) fio::write(kOut, "(5X,I5,1P,6E15.7)", static_cast<int>(t.nodid(rn.n)), std::span<const float>(rg));
      });
    }

    // Reactions each within the REAL range may still sum beyond it: the sum is
    // never printed then, and the solution ends (once, whoever asks first).
    bool sums_finite = true;
    if (!envelope) {
      for (std::size_t i = 0; i < 6; ++i) {
        rsum[i] = static_cast<float>(sum[i]);
        if (std::isfinite(rsum[i]) || !sums_finite) continue;
        sums_finite = false;
        if ((kv::ctl(kv::kISTOP) & 1) == 0 && !real_finite(sum[i], "REA_CTN", "SUM OF REACTIONS"))
          kv::ctl(kv::kISTOP) = -1;
      }
    }
    if (lprt) {
      if (!envelope && sums_finite)
        fio::write(kOut, "('          ',90('-'),/,' SUMMATION',6E15.7)", std::span<const float>(rsum));
      else if (!envelope)
        fio::write(kOut, "('          ',90('-'),/,' SUMMATION IS NOT FINITE: NOT PRINTED')");
      else
        fio::write(kOut, "(' MAX OF ALL',89('-'),/,' GCS SUMM.',6E15.7)", std::span<const float>(rsum));
    }
    if (!lprt || trivial) continue;

    if (page && lines > 20) solution_page_header();
    if (!envelope)
      fio::write(kOut,
                 "(/,/,'  JCS RESTRAINT REACTIONS,   LOADING #',I5,5X,A,/,' =========================',/,/,"
                 "6X,'NODE',7X,'FX',13X,'FY',13X,'FZ',13X,'MX',13X,'MY',13X,'MZ',6X,'  COSINE #',/)",
                 c, label);
    else
      fio::write(kOut,
                 "(/,/,'  MAXIMUM JCS RESTRAINT REACTIONS ',5X,"
                 "'NOTE: MAXIMUM VALUES MAY NOT OCCUR SIMULTANEOUSLY',/,' =================================',/,/,"
                 "6X,'NODE',7X,'FX',13X,'FY',13X,'FZ',13X,'MX',13X,'MY',13X,'MZ',6X,'  COSINE #',/)");
    std::string line;
    for_reporting_nodes(m, eq, table, [&](const ReactionNode& rn) {
      line = fio::format("(5X,I5)", static_cast<int>(t.nodid(rn.n)));
      for (int ej : rn.e) {
        if (ej == 0)
          line.append(15, ' ');
        else
          line += fio::format("(1P,E15.7)", r(ej, c));
      }
      line += fio::format("(I10)", static_cast<int>(t.icos(rn.n)));
      fio::write_record(kOut, line);
    });
  }
}

}  // namespace

ReactionNodes reaction_nodes(const ReportModel& m, const EquationRanges& eq) {
  ReactionNodes t;
  t.l2 = eq.l2;
  t.last = eq.last;
  t.p_id = m.nodes.p_id;
  t.nnode = m.nnode;
  for_reporting_nodes(m, eq, nullptr, [&](const ReactionNode& rn) { t.nodes.push_back(rn); });
  return t;
}

void rea_ctn(int iopt, bool lprt, const EquationRanges& eq, float* r, const float* d, int ldr, int nlc,
             SkylineView k, float factor, const ReportModel& m, std::string_view label, bool page,
             std::array<float, 6>& rsum, const ReactionNodes* table) {
  switch (iopt) {
    case kSupportDisplacementLoads:
      support_displacement_loads(eq, MutableTable{r, ldr}, Table{d, ldr}, nlc, k);
      if (lprt) base::prtmat(r, ldr, nlc, "MODIFIED LOADS");
      return;
    case kFormReactions:
      form_reactions(eq, MutableTable{r, ldr}, Table{d, ldr}, nlc, k, factor);
      if (lprt) base::prtmat(r, ldr, nlc, "FINAL LOADS AND REACTIONS");
      return;
    case kReactionReport:
    case kReactionEnvelope:
      report(iopt, lprt, eq, Table{r, ldr}, nlc, m, label, page, rsum, table);
      return;
    default:
      fio::write_list(kOut, "INVALID OPTION IN SUBROUTINE  REA_CTN, IOPT=", iopt);
      return;
  }
}

}  // namespace solutions
