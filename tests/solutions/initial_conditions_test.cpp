// INITCD: the initial conditions of a time history read node by node (with
// generation, a missing node, a constrained degree of freedom, components that
// match no keyword) or taken from the statics case; the printed table of
// non-zero values; and where the reading stops in the input file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "solution_harness.h"
#include "solutions/dynamic/initial_conditions.h"

namespace {

// Nodes 5 (restrained), 10, 20 and 30 (constrained to 20 as a rigid body);
// no node 15. Equations: node 10 FX..MZ 1-6, node 20 7-12, node 5 13-18.
const char* const kNodes =
    "5 0.0 0.0 0.0 1 0\n10 1.0 0.0 0.0 1 0\n20 2.0 0.0 0.0 1 0\n30 2.0 1.0 0.0 1 0\n"
    "1.0 0.0 0.0 0.0 1.0 0.0\n5 1 1 1 1 1 1 0 0\n0 20 30 0 0\n";

struct Vectors {
  std::vector<float> u, v, a, p;
  explicit Vectors(int neq, float fill = 0.0f)
      : u(static_cast<std::size_t>(neq), fill), v(u), a(u), p(u) {}
};

struct Outcome {
  Vectors x;
  std::string out;
  std::string next;  // the input line after the initial conditions
};

Outcome read_conditions(const std::string& records, float fill = 0.0f) {
  soltest::NodeModel m = soltest::build_nodes(4, 1, 1, 1, std::string(kNodes) + records + "NEXT LINE\n");
  EXPECT_EQ(m.neq, 18);
  Outcome r{Vectors(m.neq, fill), {}, {}};
  solutions::initcd(m.neq, m.t, m.nnode, r.x.u.data(), r.x.v.data(), r.x.a.data(), r.x.p.data());
  fio::read_record(5, r.next);
  r.out = soltest::after(soltest::finish_output(), "%2E%");
  return r;
}

TEST(InitialConditions, RecordsFillTheirVectorsNodeByNode) {
  const Outcome r = read_conditions(
      "0\n"
      "10 2 5 DISPLACEMENT 1.0 2.0 0.0 0.0 0.0 0.5\n"
      "20 0 0 VELOCITY 0.0 3.0 0.0 0.0 0.0 0.0\n"
      "20 0 0 DISPL 0.0 0.0 4.0 0.0 0.0 0.0\n"
      "10 0 0 DISPL 0.0 0.0 0.0 0.0 0.0 0.0\n"
      "30 0 0 ACC 7.0 0.0 0.0 0.0 0.0 0.0\n"
      "10 0 0 FORCE 0.0 0.0 0.0 0.0 0.0 9.0\n"
      "20 0 0 'LOAD' 0.0 0.0 0.0 0.0 8.0 0.0\n"
      "10 0 0 PRESSURE 1.0 1.0 1.0 1.0 1.0 1.0\n"
      "20 0 0 ACCEL\n0.0 0.0 0.0 5.0 0.0 0.0\n"
      "20 0 0 END\n");
  const Vectors& x = r.x;
  EXPECT_EQ(x.u[0], 1.0f);  // not cleared by the later record of zeros
  EXPECT_EQ(x.u[1], 2.0f);
  EXPECT_EQ(x.u[5], 0.5f);
  EXPECT_EQ(x.u[6], 0.0f);  // node 20 lies beyond the missing node 15
  EXPECT_EQ(x.u[8], 4.0f);
  EXPECT_EQ(x.v[7], 3.0f);
  EXPECT_EQ(x.p[5], 9.0f);
  EXPECT_EQ(x.p[10], 8.0f);
  EXPECT_EQ(x.a[9], 5.0f);  // a record that goes on over the next line
  EXPECT_EQ(x.a[6], 0.0f);  // the constrained FX of node 30 is node 20's
  for (int i = 12; i < 18; ++i) EXPECT_EQ(x.u[static_cast<std::size_t>(i)] + x.p[static_cast<std::size_t>(i)], 0.0f);

  EXPECT_EQ(r.next, "NEXT LINE");
  const std::string& out = r.out;
  EXPECT_NE(out.find(" NOT INCLUDE STATICS CASE EXTERNAL DEFORMATIONS \n  ==============================================\n"),
            std::string::npos);
  EXPECT_NE(out.find("  INITIAL ACCELERATIONS, VELOCITIES DISPLACEMENTS AND LOADS \n"
                     " ===========================================================\n\n"
                     "    NODE  IGEN   INC COMPONENT             TX          TY          TZ          RX          RY"
                     "          RZ\n"),
            std::string::npos);
  EXPECT_NE(out.find("      10     2     5 DISPLACEMENT          1.0000E+00  2.0000E+00  0.0000E+00  0.0000E+00"
                     "  0.0000E+00  5.0000E-01\n"),
            std::string::npos);
  EXPECT_NE(out.find(" NODE # 15  WAS NOT FOUND, CHECK INPUT, INITIAL VALUE IS OMITTED "), std::string::npos);
  EXPECT_NE(out.find(" CONSTRAINED DOF # 1  COMPONENT IS SKIPED"), std::string::npos);
  EXPECT_NE(out.find(" INVALID OPTION:PRESSURE            "), std::string::npos);
  EXPECT_NE(out.find("      20     0     0 END                   0.0000E+00"), std::string::npos);

  EXPECT_NE(out.find("\n\n\n     INITIAL, NON-ZERO VALUES\n"
                     "       DOF       FORCE          DISP           VEL            ACC \n"
                     "         1   0.000000E+00   0.100000E+01   0.000000E+00   0.000000E+00\n"
                     "         2   0.000000E+00   0.200000E+01   0.000000E+00   0.000000E+00\n"
                     "         6   0.900000E+01   0.500000E+00   0.000000E+00   0.000000E+00\n"
                     "         8   0.000000E+00   0.000000E+00   0.300000E+01   0.000000E+00\n"
                     "         9   0.000000E+00   0.400000E+01   0.000000E+00   0.000000E+00\n"
                     "        10   0.000000E+00   0.000000E+00   0.000000E+00   0.500000E+01\n"
                     "        11   0.800000E+01   0.000000E+00   0.000000E+00   0.000000E+00\n"),
            std::string::npos)
      << out;
}

// A node ID of 0 ends the list on its own line without an echo; values the
// vectors already hold stay (the restart of an earlier time history).
TEST(InitialConditions, ANodeOfZeroEndsTheListAndKeepsEarlierValues) {
  const Outcome r = read_conditions("0\n0\n", 2.5f);
  EXPECT_EQ(r.next, "NEXT LINE");
  EXPECT_EQ(r.out.find("INITIAL ACCELERATIONS"), std::string::npos);
  for (float u : r.x.u) EXPECT_EQ(u, 2.5f);
  EXPECT_NE(r.out.find("        18   0.250000E+01   0.250000E+01   0.250000E+01   0.250000E+01"), std::string::npos);
}

// ISTAT = 1: the static displacements, everything else at rest, no records
// read; equations the static solution did not hold start at zero.
TEST(InitialConditions, TheStaticsCaseStartsFromTheStaticDisplacements) {
  soltest::NodeModel m = soltest::build_nodes(4, 1, 1, 1, std::string(kNodes) + "1\nNEXT LINE\n");
  kv::Stcase& st = kv::stcase();
  st.dstat.assign(17, 0.0f);
  for (int i = 1; i <= 16; ++i) st.dstat[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i);
  Vectors x(m.neq, 3.0f);
  solutions::initcd(m.neq, m.t, m.nnode, x.u.data(), x.v.data(), x.a.data(), x.p.data());
  std::string next;
  fio::read_record(5, next);
  const std::string out = soltest::finish_output();
  EXPECT_EQ(next, "NEXT LINE");
  EXPECT_EQ(st.istat, 1);
  for (int i = 1; i <= 18; ++i) {
    const std::size_t e = static_cast<std::size_t>(i - 1);
    EXPECT_EQ(x.u[e], i <= 16 ? 0.5f * static_cast<float>(i) : 0.0f) << i;
    EXPECT_EQ(x.v[e] + x.a[e] + x.p[e], 0.0f) << i;
  }
  EXPECT_NE(out.find("  STATICS CASE EXTERNAL DEFORMATIONS ARE INCLUDED\n  " + std::string(47, '=') + "\n"),
            std::string::npos);
}

}  // namespace
