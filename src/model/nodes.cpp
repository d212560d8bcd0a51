#include "model/nodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/storage.h"
#include "base/vectors.h"
#include "fio/fio.h"
#include "model/input_fault.h"

namespace model {

// The node tables and the id-search routines of the base layer.
using base::CodeGroup;
using base::NodeTables;
using base::code_bit;
using base::for_generated_ids;
using base::ifind;
using base::isort;
using base::kCondense;
using base::kConstrain;
using base::kEliminate;
using base::kRestraint;
using base::report_not_found;

namespace {

constexpr int kIn = 5;
constexpr int kOut = 6;

using Vec = std::array<float, 3>;

// The node section has to be read in full: once a record is missing nothing
// after it can be read in step, so the run stops.
void require(fio::Status s, std::string_view what) {
  if (s != fio::Status::ok) input_fault(what, s);
}

bool has(const NodeTables& t, int n, CodeGroup g, int j) { return code_bit(t.ncode(n), g, j); }
void set(const NodeTables& t, int n, CodeGroup g, int j) {
  t.ncode(n) = static_cast<std::int32_t>(t.ncode(n)) | (1 << (g + j - 1));
}

// ---------------------------------------------------------------- nodes

void trace_node(int n, int id, float x, float y, float z, int c) {
  fio::write(kOut, "(' NODE(',I3,'):',I4,'  X:',F10.4,'  Y:',F10.4,'  Z:',F10.4,'  COS#:',I3)",
             n, id, x, y, z, c);
}

// Reads node records (and generates nodes) into positions 1..n as read; returns n.
int read_nodes(int nnode, bool trace, const NodeTables& t) {
  if (trace) fio::write(kOut, "(//,5X,'INPUT NODES',/)");
  int n = 0;
  auto store = [&](int id, float x, float y, float z, int c) {
    if (n >= t.nndim) {
      fio::write(kOut, "(' NODE GENERATION STOPS AT NODE',I6,': THE NODE TABLE HOLDS',I6,' NODES')",
                 id, t.nndim);
      return false;
    }
    ++n;
    t.nodid(n) = id;
    t.xyz(n, 1) = x;
    t.xyz(n, 2) = y;
    t.xyz(n, 3) = z;
    t.icos(n) = c;
    if (trace) trace_node(n, id, x, y, z, c);
    return true;
  };

  for (;;) {
    std::int32_t id = 0, c = 0, ngen = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    require(fio::read_list(kIn, id, x, y, z, c, ngen), "NODE RECORDS");
    if (id < 1) break;
    bool more = store(id, x, y, z, c);
    if (more && ngen > 0) {
      std::int32_t idinc = 0;
      float dx = 0.0f, dy = 0.0f, dz = 0.0f;
      require(fio::read_list(kIn, idinc, dx, dy, dz), "NODE RECORDS");
      std::int64_t next = id;
      for (int g = 0; g < ngen && more; ++g) {
        next += idinc;
        x += dx;
        y += dy;
        z += dz;
        if (next > std::numeric_limits<std::int32_t>::max()) {
          fio::write(kOut, "(' NODE GENERATION STOPS AFTER NODE',I11,': THE NEXT ID',I21,' IS TOO LARGE')",
                     next - idinc, next);
          kv::note_fault(kv::Fault::input_warning, "NODE GENERATION STOPPED: A GENERATED ID IS TOO LARGE");
          more = false;
        } else {
          more = next >= 1 && store(static_cast<int>(next), x, y, z, c);
        }
      }
    }
    if (!more || n >= nnode) break;
  }
  return n;
}

// Sorts the n nodes read into ascending ID order, scales the coordinates and
// merges repeated IDs (the record read later wins). Returns the distinct count.
int sort_and_merge(int n, float scale, const NodeTables& t) {
  if (n == 0) return 0;
  std::vector<std::int32_t> order(static_cast<std::size_t>(n));
  isort(t.nodid_ptr(), order.data(), n);
  struct Node {
    std::int32_t id;
    float x, y, z;
    std::int32_t c;
  };
  std::vector<Node> sorted;
  sorted.reserve(static_cast<std::size_t>(n));
  for (int o : order) sorted.push_back({t.nodid(o), t.xyz(o, 1), t.xyz(o, 2), t.xyz(o, 3), t.icos(o)});

  int m = 0;
  for (const Node& r : sorted) {
    if (m == 0 || r.id != t.nodid(m)) ++m;
    t.nodid(m) = r.id;
    t.xyz(m, 1) = r.x * scale;
    t.xyz(m, 2) = r.y * scale;
    t.xyz(m, 3) = r.z * scale;
    // Coordinates beyond the number range leave no geometry to build on.
    if (!std::isfinite(t.xyz(m, 1)) || !std::isfinite(t.xyz(m, 2)) || !std::isfinite(t.xyz(m, 3))) {
      // A generated coordinate may be beyond the range already: named, not printed.
      constexpr std::string_view kField = "(1P,E12.4)";
      fio::write(kOut, "(/,' NODE',I11,': X, Y, Z',3A,' TIMES THE SCALE',1P,E12.4,' ARE BEYOND THE NUMBER RANGE')",
                 r.id, fio::value_or_not_finite(r.x, kField), fio::value_or_not_finite(r.y, kField),
                 fio::value_or_not_finite(r.z, kField), scale);
      kv::stop_run(1, "NODE COORDINATES BEYOND THE NUMBER RANGE");
    }
    t.icos(m) = r.c;
  }
  for (int k = m + 1; k <= n; ++k) {
    t.nodid(k) = 0;
    t.icos(k) = 0;
    for (int d = 1; d <= 3; ++d) t.xyz(k, d) = 0.0f;
  }
  return m;
}

// ---------------------------------------------------------------- cosine sets

void store_set(const NodeTables& t, int s, const Vec& vx, const Vec& vy, const Vec& vz) {
  for (int j = 1; j <= 3; ++j) {
    t.cos(1, j, s) = vx[static_cast<std::size_t>(j - 1)];
    t.cos(2, j, s) = vy[static_cast<std::size_t>(j - 1)];
    t.cos(3, j, s) = vz[static_cast<std::size_t>(j - 1)];
  }
}

void cosine_line(const NodeTables& t, int s) {
  fio::write(kOut, "(' COS(',I3,')  ',3(A,SS,F9.5,' I',SP,F9.5,' J',F9.5,' K  '))", s,
             " VX:", t.cos(1, 1, s), t.cos(1, 2, s), t.cos(1, 3, s),
             " VY:", t.cos(2, 1, s), t.cos(2, 2, s), t.cos(2, 3, s),
             " VZ:", t.cos(3, 1, s), t.cos(3, 2, s), t.cos(3, 3, s));
}

bool is_zero(const Vec& v) { return v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f; }

bool is_finite(const Vec& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// Scales v by a power of two so that its largest component lies in [0.5, 1):
// exact, so the axes formed from it are those of the input, but the cross
// products cannot overflow for components up to the float range.
void scale_exponent(Vec& v) {
  const float big = std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
  if (big == 0.0f || !std::isfinite(big)) return;
  int e = 0;
  std::frexp(big, &e);
  for (float& c : v) c = std::ldexp(c, -e);
}

const Vec kGlobalX{1.0f, 0.0f, 0.0f};
const Vec kGlobalY{0.0f, 1.0f, 0.0f};
const Vec kGlobalZ{0.0f, 0.0f, 1.0f};

// Reads the ncos cosine sets; returns the number of sets the table holds.
int read_cosines(int ncos, bool trace, const NodeTables& t) {
  if (trace) fio::write(kOut, "('DIRECTION COSINES ... ')");
  int kept = 0;
  for (int s = 1; s <= ncos; ++s) {
    std::array<float, 6> v{};
    std::span<float> vs(v);
    require(fio::read_list(kIn, vs), "COSINE SETS");
    if (s > t.nndim) {
      fio::write(kOut, "(' COS(',I3,')  IS BEYOND THE',I6,' SETS OF THE TABLE, SET IS IGNORED')", s,
                 t.nndim);
      kv::note_fault(kv::Fault::input_warning, "COSINE SET BEYOND THE NODE COUNT IGNORED");
      continue;
    }
    Vec vx{v[0], v[1], v[2]}, vy{v[3], v[4], v[5]}, vz{};
    const bool numbers = is_finite(vx) && is_finite(vy);
    scale_exponent(vx);
    scale_exponent(vy);
    kv::vcrosn(vz, vx, vy, 0);
    kv::vcrosn(vy, vz, vx, 1);
    if (!numbers || is_zero(vx) || is_zero(vy) || is_zero(vz) || !is_finite(vz) || !is_finite(vy)) {
      // Parallel, zero or non-numeric input vectors span no axes.
      fio::write(kOut, "(' COS(',I3,')  VX AND VY GIVE NO AXES, THE GLOBAL AXES ARE USED')", s);
      store_set(t, s, kGlobalX, kGlobalY, kGlobalZ);
    } else {
      store_set(t, s, vx, vy, vz);
    }
    kept = s;
    if (trace) cosine_line(t, s);
  }
  return kept;
}

bool is_identity(const NodeTables& t, int s) {
  for (int k = 1; k <= 3; ++k)
    for (int j = 1; j <= 3; ++j)
      if (t.cos(k, j, s) != (k == j ? 1.0f : 0.0f)) return false;
  return true;
}

// A node naming a set that does not exist takes the global axes: the first set
// read that is the identity, else a set added after the last one.
void check_cosine_numbers(int nnode, int& ncos, const NodeTables& t) {
  int identity = 0;
  for (int n = 1; n <= nnode; ++n) {
    const int c = t.icos(n);
    if (c >= 1 && c <= ncos) continue;
    if (identity == 0) {
      for (int s = 1; s <= ncos && identity == 0; ++s)
        if (is_identity(t, s)) identity = s;
      if (identity == 0 && ncos < t.nndim) {
        identity = ++ncos;
        store_set(t, identity, kGlobalX, kGlobalY, kGlobalZ);
      }
      // A full table without an identity set: set 1 is the only substitute.
      if (identity == 0) identity = 1;
    }
    fio::write(kOut,
               "(' NODE:',I6,'  COS#:',I4,' IS NOT A DEFINED COSINE SET, THE NODE TAKES SET',I4,A)",
               t.nodid(n), c, identity, is_identity(t, identity) ? " (GLOBAL AXES)" : "");
    t.icos(n) = identity;
  }
}

// ---------------------------------------------------------------- restraints, condensation

using Codes = std::array<std::int32_t, 6>;

void code_line(int id, const Codes& code) {
  fio::write(kOut, "(' NODE(',I4,')   FX:',I2,'  FY:',I2,'  FZ:',I2,'  MX:',I2,'  MY:',I2,'  MZ:',I2)",
             id, std::span<const std::int32_t>(code));
}

// Applies a restraint or condensation record to its node, to its generated
// nodes, or to every node when NODE is 0.
template <class Apply>
void for_record_nodes(int node, int ngen, int inc, int nnode, const NodeTables& t, Apply apply,
                      auto not_found) {
  if (node == 0) {
    for (int n = 1; n <= nnode; ++n) apply(n);
    return;
  }
  auto missing = [&](std::int64_t id) {
    report_not_found(id, t.nodid_ptr(), nnode);
    not_found(id);
  };
  // The ID after the last node is reported as missing, and the generation ends.
  for_generated_ids(node, ngen, inc, t.nodid_ptr(), nnode, apply, missing,
                    [&](std::int64_t last) { missing(last + inc); });
}

void read_restraints(int nres, int nnode, bool trace, const NodeTables& t) {
  for (int r = 1; r <= nres; ++r) {
    if (r == 1 && trace) fio::write(kOut, "(' NODE RESTRAINTS ')");
    std::int32_t node = 0, ngen = 0, inc = 0;
    Codes code{};
    std::span<std::int32_t> cs(code);
    require(fio::read_list(kIn, node, cs, ngen, inc), "RESTRAINT RECORDS");
    auto apply = [&](int n) {
      for (int j = 1; j <= 6; ++j) {
        const int c = code[static_cast<std::size_t>(j - 1)];
        if (c != 0) set(t, n, kRestraint, j);
        if (c == 2) set(t, n, kEliminate, j);
      }
      if (trace) code_line(t.nodid(n), code);
    };
    auto not_found = [&](std::int64_t id) {
      if (trace) fio::write(kOut, "(' NODE#',I5,' NOT FOUND, RESTRAINT IGNORED...')", id);
      kv::note_fault(kv::Fault::input_warning, fio::format("('RESTRAINT OF NODE',I11,', WHICH DOES NOT EXIST, IGNORED')", id));
    };
    for_record_nodes(node, ngen, inc, nnode, t, apply, not_found);
  }
}

void read_condensation(int nrec, int nnode, bool trace, const NodeTables& t) {
  for (int r = 1; r <= nrec; ++r) {
    if (r == 1 && trace) fio::write(kOut, "(' NODE DOF''S TO BE CONDENSED OUT')");
    std::int32_t node = 0, ngen = 0, inc = 0;
    Codes code{};
    std::span<std::int32_t> cs(code);
    require(fio::read_list(kIn, node, cs, ngen, inc), "CONDENSATION RECORDS");
    auto apply = [&](int n) {
      Codes took{};
      bool any = false;
      for (int j = 1; j <= 6; ++j) {
        const int c = code[static_cast<std::size_t>(j - 1)];
        // A restrained degree of freedom stays restrained.
        if (c != 0 && !has(t, n, kRestraint, j)) {
          set(t, n, kCondense, j);
          took[static_cast<std::size_t>(j - 1)] = c;
          any = true;
        }
      }
      if (trace && any) code_line(t.nodid(n), took);
    };
    auto not_found = [&](std::int64_t id) {
      if (trace) fio::write(kOut, "(' NODE#',I5,' NOT FOUND, DOF ARE NOT CONDENSED...')", id);
      kv::note_fault(kv::Fault::input_warning, fio::format("('CONDENSATION OF NODE',I11,', WHICH DOES NOT EXIST, IGNORED')", id));
    };
    for_record_nodes(node, ngen, inc, nnode, t, apply, not_found);
  }
}

// ---------------------------------------------------------------- constraints

// mst(n, j): position of the master of node n's degree of freedom j, 0 when the
// master was not found.
struct Masters {
  int nndim;
  std::vector<std::int32_t> pos;
  std::int32_t& operator()(int n, int j) {
    return pos[static_cast<std::size_t>((j - 1) * nndim + (n - 1))];
  }
};

void slave_missing(std::int64_t slave, int nnode, const NodeTables& t) {
  report_not_found(slave, t.nodid_ptr(), nnode);
  fio::write(kOut, "('  NODE:',I6,' IS NOT FOUND, CONSTRAINT IS IGNORED')", slave);
  kv::note_fault(kv::Fault::input_warning, fio::format("('CONSTRAINT OF NODE',I11,', WHICH DOES NOT EXIST, IGNORED')", slave));
}

// Constrains the slave at position n of the node table.
void constrain_slave(int type, int master, int n, int nnode, const NodeTables& t, Masters& mst) {
  const int slave = t.nodid(n);
  static constexpr int kRigidDofs[] = {1, 2, 3, 4, 5, 6};
  static constexpr int kPlaneDofs[] = {1, 2, 6};
  std::span<const int> dofs;
  std::string_view text;
  if (type == kRigidBody) {
    dofs = kRigidDofs;
    text = "3D-RIGID BODY  ";
  } else if (type == kXYPlane) {
    dofs = kPlaneDofs;
    text = "XY-PLANE       ";
  } else {
    fio::write(kOut, "('  INVALID CONSTRAINT TYPE',I3,' MASTER:',I6,' SLAVE:',I6)", type, master, slave);
    kv::note_fault(kv::Fault::input_warning, "CONSTRAINT OF A TYPE OTHER THAN 0 OR 1 IGNORED");
    return;
  }
  for (int j : dofs) {
    if (has(t, n, kRestraint, j)) {
      fio::write(kOut, "('  NODE:',I6,' IS RESTRAINED, CONSTRAINT',I2,' IS IGNORED...')", slave, j);
      kv::note_fault(kv::Fault::input_warning, fio::format("('CONSTRAINT OF THE RESTRAINED NODE',I11,' IGNORED')", slave));
    } else {
      set(t, n, kConstrain, j);
      mst(n, j) = ifind(master, t.nodid_ptr(), nnode);
    }
  }
  fio::write(kOut, "('   ',A15,'CONSTRAINT,',' MASTER:',I6,' SLAVE:',I6)", text, master, slave);
}

void read_constraints(int ncons, int nnode, const NodeTables& t, Masters& mst) {
  for (int r = 1; r <= ncons; ++r) {
    if (r == 1) fio::write(kOut, "(' NODE CONSTRAINTS ')");
    std::int32_t type = 0, master = 0, slave = 0, ngen = 0, inc = 0;
    require(fio::read_list(kIn, type, master, slave, ngen, inc), "CONSTRAINT RECORDS");
    for_generated_ids(
        slave, ngen, inc, t.nodid_ptr(), nnode,
        [&](int n) { constrain_slave(type, master, n, nnode, t, mst); },
        [&](std::int64_t id) { slave_missing(id, nnode, t); },
        [&](std::int64_t last) { slave_missing(last + inc, nnode, t); });
  }
}

// ---------------------------------------------------------------- numbering

// Gives a constrained degree of freedom the equation of the last master of its
// chain and sets the node's rigid offsets to that master.
void assign_constrained(int n, int j, int nnode, const NodeTables& t, Masters& mst) {
  int from = n;  // the node whose master is looked at
  int m = mst(n, j);
  bool found = true;
  // A chain is at most nnode - 1 links long; a longer walk has closed on itself.
  for (int steps = 0; m != 0 && has(t, m, kConstrain, j); ++steps) {
    if (steps >= nnode) {
      found = false;
      break;
    }
    from = m;
    m = mst(m, j);
  }
  if (m == 0 || !found) {
    fio::write(kOut,
               "(' NODE#',I6,' NOT FOUND WHILE ASSIGNING CONSTRAINED',' DOF TO NODE#',I6,' DOF#',I2,"
               "' --- DOF IS DELETED ')",
               t.nodid(from), t.nodid(n), j);
    kv::note_fault(kv::Fault::input_warning, fio::format("('CONSTRAINED NODE',I11,' HAS NO MASTER: ITS DEGREE OF FREEDOM IS DELETED')", t.nodid(n)));
    t.id(n, j) = 0;
    return;
  }
  t.id(n, j) = static_cast<std::int32_t>(t.id(m, j));

  const int s = t.icos(n);
  if (s != t.icos(m)) {
    fio::write(kOut, "('  CONFLICTING COSINE ID NUMBERS, MASTER:',I6,'  SLAVE:',I6,'  CORRECT INPUT & RERUN...')",
               t.nodid(m), t.nodid(n));
  }
  if (j < 4) return;
  // The offset from the master to the slave in the slave's axes.
  float d[3];
  for (int k = 1; k <= 3; ++k) d[k - 1] = t.xyz(n, k) - t.xyz(m, k);
  float tt[3];
  for (int a = 1; a <= 3; ++a) {
    tt[a - 1] = d[0] * t.cos(a, 1, s) + d[1] * t.cos(a, 2, s) + d[2] * t.cos(a, 3, s);
  }
  if (j == 4) {
    t.tcon(n, 1) = -tt[2];  // T12
    t.tcon(n, 2) = tt[1];   // T13
  } else if (j == 5) {
    t.tcon(n, 3) = tt[2];   // T21
    t.tcon(n, 4) = -tt[0];  // T23
  } else {
    t.tcon(n, 5) = -tt[1];  // T31
    t.tcon(n, 6) = tt[0];   // T32
  }
}

// ---------------------------------------------------------------- reports

void node_report(int neq, int ncond, int nfree, int nrestr, int nnode, int ncos, bool trace,
                 const NodeTables& t) {
  fio::write(kOut, "(' %1S%',///,5X,'NODE COORDINATES AND DEGREES OF FREEDOM',/)");
  fio::write(kOut, "(4X,A,I6)", "TOTAL NUMBER OF DEGREES OF FREEDOM.............", neq);
  fio::write(kOut, "(4X,A,I6)", "NUMBER OF DEGREES OF FREEDOM CONDENSED OUT.....", ncond);
  fio::write(kOut, "(4X,A,I6)", "NUMBER OF FREE DEGREES OF FREEDOM..............", nfree);
  fio::write(kOut, "(4X,A,I6,/)", "NUMBER OF RESTRAINED DEGREES OF FREEDOM........", nrestr);
  fio::write(kOut,
             "(4X,'  NODE COS#',4X,'X-COORD',8X,'Y-COORD',8X,'Z-COORD',8X,"
             "'FX',6X,'FY',6X,'FZ',6X,'MX',6X,'MY',6X,'MZ')");
  for (int n = 1; n <= nnode; ++n) {
    const std::int32_t code = t.ncode(n);
    std::array<std::int32_t, 6> eq{};
    std::array<std::string_view, 6> mark{};
    for (int j = 1; j <= 6; ++j) {
      eq[static_cast<std::size_t>(j - 1)] = t.id(n, j);
      mark[static_cast<std::size_t>(j - 1)] = code_bit(code, kRestraint, j)   ? "-R"
                                              : code_bit(code, kConstrain, j) ? "-C"
                                                                              : "  ";
    }
    fio::write(kOut, "(4X,I6,I5,1P,3E15.5,6(I6,A2))", t.nodid(n), t.icos(n), t.xyz(n, 1),
               t.xyz(n, 2), t.xyz(n, 3), eq[0], mark[0], eq[1], mark[1], eq[2], mark[2], eq[3],
               mark[3], eq[4], mark[4], eq[5], mark[5]);
  }
  fio::write(kOut, "(10X,'NOTE: R - RESTRAINED DEGREE OF FREEDOM')");
  fio::write(kOut, "(10X,'      C - CONSTRAINED DEGREE OF FREEDOM')");
  fio::write(kOut, "('%1E%',/)");

  if (trace) {
    bool heading = false;
    for (int n = 1; n <= nnode; ++n) {
      bool constrained = false;
      for (int j = 1; j <= 6; ++j) constrained = constrained || has(t, n, kConstrain, j);
      if (!constrained) continue;
      if (!heading) fio::write(kOut, "('NODE CONSTRAINT MATRIX ')");
      heading = true;
      fio::write(kOut, "(4X,I6,'  T12:',E12.5,'  T13:',E12.5,'  T21:',E12.5,'  T23:',E12.5,"
                       "'  T31:',E12.5,'  T32:',E12.5)",
                 t.nodid(n), t.tcon(n, 1), t.tcon(n, 2), t.tcon(n, 3), t.tcon(n, 4), t.tcon(n, 5),
                 t.tcon(n, 6));
    }
  }

  fio::write(kOut, "('%2S%')");
  fio::write(kOut, "('DIRECTION COSINES ... ')");
  for (int s = 1; s <= ncos; ++s) cosine_line(t, s);
  fio::write(kOut, "('%2E%',/)");
}

}  // namespace

void noddof(int& neq, int& ncond, int& nfree, int& nrestr, int& nnode, int& ncos, float scale,
            int nres, int ncons, bool trace, const NodeTables& t) {
  // Every word of the tables is written here, whatever an earlier model left.
  const std::int64_t nd = t.nndim;
  kv::zero_words(t.p_nodid, nd);
  kv::zero_words(t.p_id, 6 * nd);
  kv::zero_words(t.p_xyz, 3 * nd);
  kv::zero_words(t.p_cos, 9 * nd);
  kv::zero_words(t.p_tcon, 6 * nd);
  kv::zero_words(t.p_ncode, nd);
  kv::zero_words(t.p_icos, nd);

  nnode = sort_and_merge(read_nodes(nnode, trace, t), scale, t);
  ncos = read_cosines(ncos, trace, t);
  check_cosine_numbers(nnode, ncos, t);

  read_restraints(nres, nnode, trace, t);
  read_condensation(ncond, nnode, trace, t);
  Masters mst{t.nndim, std::vector<std::int32_t>(6 * static_cast<std::size_t>(t.nndim), 0)};
  read_constraints(ncons, nnode, t, mst);

  if (trace) {
    fio::write(kOut, "('JOINT RESTRAINT CODES...')");
    rescod(nnode, t.ncode_ptr(), t.nodid_ptr());
  }

  neq = 0;
  auto number = [&](auto takes) {
    for (int n = 1; n <= nnode; ++n) {
      const std::int32_t code = t.ncode(n);
      for (int j = 1; j <= 6; ++j) {
        auto bit = [&](CodeGroup g) { return code_bit(code, g, j); };
        if (takes(bit)) t.id(n, j) = ++neq;
      }
    }
  };
  number([](auto bit) { return bit(kCondense) && !bit(kConstrain); });
  ncond = neq;
  number([](auto bit) { return !bit(kRestraint) && !bit(kCondense) && !bit(kConstrain); });
  nfree = neq - ncond;
  number([](auto bit) { return bit(kRestraint) && !bit(kConstrain) && !bit(kEliminate); });
  number([](auto bit) { return bit(kEliminate) && !bit(kConstrain); });
  nrestr = neq - nfree - ncond;
  for (int n = 1; n <= nnode; ++n)
    for (int j = 1; j <= 6; ++j)
      if (has(t, n, kConstrain, j)) assign_constrained(n, j, nnode, t, mst);

  node_report(neq, ncond, nfree, nrestr, nnode, ncos, trace, t);
}

void rescod(int nnode, const std::int32_t* ncode, const std::int32_t* nodid) {
  fio::write(kOut, "(14X,' RESTRAINT','  CONDENSE',' CONSTRAIN',' ELIMINATE')");
  fio::write(kOut, "(14X,4(4X,'FFFMMM'))");
  fio::write(kOut, "(14X,4(4X,'XYZXYZ'))");
  std::array<bool, 24> bits{};
  for (int n = 1; n <= nnode; ++n) {
    const std::int32_t code = ncode[n - 1];
    for (int b = 0; b < 24; ++b) bits[static_cast<std::size_t>(b)] = ((code >> b) & 1) != 0;
    fio::write(kOut, "('   NODE(',I4,') ',4(4X,6L1),I10)", nodid[n - 1],
               std::span<const bool>(bits), code);
  }
}

}  // namespace model
