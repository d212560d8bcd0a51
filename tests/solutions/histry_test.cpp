// History files: the requests and the header of every file, the records a
// step loop writes, and the "READ" print-back with "INC=", limit-state marks,
// energy sums, element histories and the faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/work_array.h"
#include "dynamic_harness.h"
#include "elements/eledsp.h"
#include "fio/fio.h"
#include "solutions/dynamic/histry.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using dyntest::rstrip;

const std::string kTitle1 = std::string("HISTORY FRAME").append(67, ' ') + "TIME: 10:00:00   DATE: 01-JAN-24 ";
const std::string kTitle2 = std::string("EARTHQUAKE RUN").append(66, ' ') + "TIME: 10:05:00   DATE: 01-JAN-24 ";

// A model of two nodes: node 101 with FX on equation 1 and FY on 2, node 102
// with FX on 3; the load, displacement, velocity and acceleration vectors in
// the work array. Every unit 20..39 has a side-file name in the folder.
struct Model {
  fs::path dir;
  std::int64_t vec[4] = {0, 0, 0, 0};

  explicit Model(const std::string& tag, const std::string& deck) {
    dir = dyntest::start(tag, deck);
    kv::titles().title1 = kTitle1.substr(0, 112);
    kv::titles().title2 = kTitle2.substr(0, 112);
    dyntest::Node a, b;
    a.id = 101;
    a.eq = {1, 2, 0, 0, 0, 0};
    b.id = 102;
    b.eq = {3, 0, 0, 0, 0, 0};
    dyntest::make_nodes({a, b}, {{1, 0, 0, 0, 1, 0, 0, 0, 1}});
    kv::ctl(kv::kNEQ) = 3;
    for (int k = 0; k < 4; ++k) {
      vec[k] = dyntest::put({0, 0, 0});
      kv::ctl(kv::kSolTablesFirst + k) = static_cast<std::int32_t>(vec[k]);
    }
    for (int u = 20; u <= 39; ++u)
      kv::run().fname[static_cast<std::size_t>(u)] = (dir / ("hist" + std::to_string(u) + ".dat")).string();
  }
  std::string file(int unit) const { return kvtest::read_file(dir / ("hist" + std::to_string(unit) + ".dat")); }
};

void requests(int interval, float t0, float dt) { solutions::histry(solutions::kHistRequests, interval, t0, dt); }
void records() {
  int n = 0;
  float t = 0, d = 0;
  solutions::histry(solutions::kHistRecords, n, t, d);
}
void close_files() {
  int n = 0;
  float t = 0, d = 0;
  solutions::histry(solutions::kHistClose, n, t, d);
}
struct Back {
  int n = -1;
  float t0 = -1, dt = -1;
};
Back read_back(int unit, int inc) {
  kv::ctl(kv::kIUNIT) = unit;
  kv::ctl(kv::kINC) = inc;
  Back b;
  solutions::histry(solutions::kHistReadBack, b.n, b.t0, b.dt);
  return b;
}

// The lines of out from the one holding `from` to the one holding " %5E%".
std::vector<std::string> listing(const std::string& out, const std::string& from) {
  std::vector<std::string> v;
  bool in = false;
  for (const auto& l : dyntest::lines_of(out)) {
    if (!in && l.find(from) != std::string::npos) in = true;
    if (in) v.push_back(rstrip(l));
    if (in && l == " %5E%") break;
  }
  return v;
}

// ------------------------------------------------------------------ option 1

TEST(HistryRequests, HeaderOfEveryKindOfFile) {
  Model m("hist_headers",
          "DOF 2 20 0 0 0\n"
          "'JOINT FY' 101 21 0 0 0\n"
          "ENERGY 7 22 0 0 0\n"
          "GROUND 0 23 0 0 0\n"
          "SUMRCT 0 24\n"
          "END\n"
          "NEXT\n");
  const std::int64_t iz = kv::ctl(kv::kIZ);
  requests(2, 0.0f, 0.01f);
  close_files();
  EXPECT_EQ(kv::ctl(kv::kHSTREQ), iz);
  EXPECT_EQ(kv::ctl(kv::kIZ), iz + 1 + 3 * 5);
  EXPECT_EQ(kv::izm(iz), 5);
  const std::int32_t want_table[] = {1, 2, 20, 1, 2, 21, 3, 7, 22, 5, 0, 23, 4, 0, 24};
  for (int k = 0; k < 15; ++k) EXPECT_EQ(kv::izm(iz + 1 + k), want_table[k]) << k;
  std::string next;
  fio::read_record(5, next);
  EXPECT_EQ(next, "NEXT");

  const std::string times = "         2    0.00000E+00    1.00000E-02";
  struct Case {
    int unit;
    std::string header;
  };
  const std::vector<Case> cases = {
      {20, "         1         2" + times},
      {21, "         1         2" + times + "    101FY"},
      {22, "         3         7" + times + "      0ENERGY"},
      {23, "         5         0" + times + "      0GROUND"},
      {24, "         4         0" + times + "      0SUMRCT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit);
    const auto lines = dyntest::lines_of(m.file(c.unit));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], kTitle1.substr(0, 80));
    EXPECT_EQ(lines[1], kTitle1.substr(80, 32));
    EXPECT_EQ(lines[2], kTitle2.substr(0, 80));
    EXPECT_EQ(lines[3], kTitle2.substr(80, 32));
    EXPECT_EQ(lines[4], c.header);
  }
  const std::string out = dyntest::finish();
  const std::vector<std::string> want = {
      "",
      "      DATA WRITTEN TO FILES",
      "     =======================",
      "",
      "     DEGREE OF FREEDOM  #    2 IS WRITTEN TO UNIT #   20",
      "     DEGREE OF FREEDOM  #    2 IS WRITTEN TO UNIT #   21  JOINT:   101   DIRECTION: FY",
      "     ENERGY BALANCE IS WRITTEN TO UNIT #   22",
      "     GROUND MOTION IS WRITTEN TO UNIT #   23",
      "     SUMMATION OF REACTIONS IS WRITTEN TO UNIT #   24",
  };
  const auto lines = dyntest::lines_of(out);
  ASSERT_EQ(lines.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(rstrip(lines[k]), want[k]);
}

TEST(HistryRequests, FaultyRequestsAreReportedAndSkipped) {
  const std::string deck =
      "DOF 2 5 0 0 0\n"
      "DOF 2 6 0 0 0\n"
      "DOF 2 61 0 0 0\n"
      "DOF 2 9 0 0 0\n"
      "DOF 0 20 0 0 0\n"
      "DOF 4 20 0 0 0\n"
      "'JOINT FY' 999 20 0 0 0\n"
      "JOINT 101 20 0 0 0\n"
      "'JOINT FZ' 101 20 0 0 0\n"
      "ELE 1 20 0 0 0\n"
      "BOGUS 1 20 0 0 0\n"
      "DOF 1 25 0 0 0\n"
      "ENERGY 0 25 0 0 0\n"
      "'DOF' 1 26 2 1 1\n"
      "DOF 3 29 -1 0 0\n"
      "END\n";
  Model m("hist_faults", deck);
  const std::int64_t iz = kv::ctl(kv::kIZ);
  requests(1, 0.0f, 0.1f);
  close_files();
  // Valid: DOF 1 on 25, ENERGY on 25, DOF 1..3 on 26..28, DOF 3 on 29.
  ASSERT_EQ(kv::izm(iz), 6);
  EXPECT_EQ(kv::ctl(kv::kIZ), iz + 1 + 18);
  const std::int32_t want_table[] = {1, 1, 25, 3, 0, 25, 1, 1, 26, 1, 2, 27, 1, 3, 28, 1, 3, 29};
  for (int k = 0; k < 18; ++k) EXPECT_EQ(kv::izm(iz + 1 + k), want_table[k]) << k;

  const std::string out = dyntest::finish();
  std::size_t invalid = 0, warnings = 0;
  for (const auto& l : dyntest::lines_of(out)) {
    invalid += l.rfind("     INVALID INPUT: ", 0) == 0;
    warnings += l.find("WARNING: UNIT #   25 ALREADY RECEIVES A HISTORY") != std::string::npos;
  }
  EXPECT_EQ(invalid, 11u);
  EXPECT_EQ(warnings, 1u);
  EXPECT_NE(out.find("     INVALID INPUT: DOF                                     , INPUT IS SKIPED..."),
            std::string::npos);
  EXPECT_NE(out.find("(THE UNIT MUST BE A SIDE FILE, 10 TO 60)"), std::string::npos);
  EXPECT_NE(out.find("(JOINT NOT FOUND)"), std::string::npos);
  EXPECT_NE(out.find("(NO SUCH ELEMENT)"), std::string::npos);
  EXPECT_NE(out.find("(THE JOINT HAS NO EQUATION IN THIS DIRECTION)"), std::string::npos);
  EXPECT_NE(out.find("     INVALID INPUT: BOGUS"), std::string::npos);
  // The input file is as it was, and nothing was written to the report as a
  // history header.
  EXPECT_EQ(kvtest::read_file(m.dir / "input.dat"), deck);
  EXPECT_EQ(out.find(kTitle1.substr(0, 20)), std::string::npos);
  // The shared unit holds both headers, the DOF's first.
  const auto lines = dyntest::lines_of(m.file(25));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[4].substr(0, 20), "         1         1");
  EXPECT_EQ(lines[9].substr(0, 20), "         3         0");
}

TEST(HistryRequests, EndAtOnceGivesAnEmptyTable) {
  Model m("hist_empty", "END\n");
  const std::int64_t iz = kv::ctl(kv::kIZ);
  requests(1, 0.0f, 0.1f);
  EXPECT_EQ(kv::izm(iz), 0);
  EXPECT_EQ(kv::ctl(kv::kIZ), iz + 1);
  records();
  close_files();
  dyntest::finish();
}

// A count that the table's own words cannot hold (a table overwritten by a
// float, or one below zero) is reported once; no word past the table is read
// as a unit, and the request table is given up.
TEST(HistryRequests, DamagedCountIsReportedAndNothingPastTheTableIsRead) {
  struct Case {
    std::int32_t count;
    const char* text;
  };
  const Case cases[] = {{0x7FC00000, " 2143289344"}, {-1, "         -1"}, {2, "          2"}};
  for (const Case& c : cases) {
    Model m("hist_damaged", "DOF 2 20 0 0 0\nEND\n");
    const std::int64_t iz = kv::ctl(kv::kIZ);
    requests(1, 0.0f, 0.1f);
    ASSERT_EQ(kv::ctl(kv::kIZ), iz + 4);
    kv::izm(iz) = c.count;  // one request takes 3 words: 2 would need 7
    records();
    close_files();
    EXPECT_EQ(kv::ctl(kv::kHSTREQ), 0) << c.count;
    const std::string out = dyntest::finish();
    const std::string want =
        fio::format("(' *** THE HISTORY-REQUEST TABLE AT WORD',I10,' HOLDS AN INVALID COUNT (',A,'): NO HISTORY RECORD "
                    "IS WRITTEN')",
                    iz, c.text);
    EXPECT_NE(out.find(want), std::string::npos) << out;
    std::size_t reports = 0;
    for (std::size_t p = out.find("HOLDS AN INVALID COUNT"); p != std::string::npos;
         p = out.find("HOLDS AN INVALID COUNT", p + 1))
      ++reports;
    EXPECT_EQ(reports, 1u) << out;
    EXPECT_EQ(kv::fault_count().errors, 1) << c.count;
  }
}

// ------------------------------------------------------------------ step loop and READ

// Writes the history of steps 0..10 as a time history with record interval 1
// and time step 0.1 would: the values of step s are simple multiples of s.
void step_loop() {
  requests(1, 0.0f, 0.1f);
  for (int s = 0; s <= 10; ++s) {
    const float f = static_cast<float>(s);
    kv::rzm(kv::ctl(kv::kPTOTAL) + 1) = f;         // load of equation 2
    kv::rzm(kv::ctl(kv::kUTOTAL) + 1) = 0.1f * f;  // displacement
    kv::rzm(kv::ctl(kv::kVTOTAL) + 1) = 2.0f * f;  // velocity
    kv::rzm(kv::ctl(kv::kATOTAL) + 1) = -f;        // acceleration
    kv::ctl_double(kv::kEINPUT) = 10.0 * s;
    kv::ctl_double(kv::kESTRN) = 4.0 * s;
    kv::ctl_double(kv::kEKIN) = 3.0 * s;
    kv::ctl_double(kv::kEPLAS) = 2.0 * s;
    kv::ctl_double(kv::kEDAMP) = 0.5 * s;
    for (int k = 0; k < 6; ++k) kv::ctl_real(kv::kRSUM + k) = k == 0 ? f : 0.0f;
    for (int k = 0; k < 9; ++k) kv::ctl_real(kv::kGACC + k) = (k % 4 == 0) ? f : 0.0f;
    records();
  }
  close_files();
}

const std::string kRequests =
    "'JOINT FY' 101 20 0 0 0\n"
    "ENERGY 0 21 0 0 0\n"
    "GROUND 0 22 0 0 0\n"
    "SUMRCT 0 23 0 0 0\n"
    "END\n";

std::string dof_line(const char* mark, int step) {
  const float f = static_cast<float>(step);
  return fio::format("(A,1X,I6,1P,5E15.5)", mark, step, 0.1f * f, f, 0.1f * f, 2.0f * f, -f);
}

TEST(HistryReadBack, DegreeOfFreedomThinnedByIncWithLimitStateMark) {
  Model m("hist_dof", kRequests);
  step_loop();
  // Eleven records of four values after the header.
  const auto file = dyntest::lines_of(m.file(20));
  ASSERT_EQ(file.size(), 16u);
  EXPECT_EQ(file[9], "  4.00000E+00  4.00000E-01  8.00000E+00 -4.00000E+00");

  kv::solsta().lsstep[2] = 7;  // limit-state point 2 at a step that is not printed
  const Back b = read_back(20, 4);
  EXPECT_EQ(b.n, 1);
  EXPECT_EQ(b.t0, 0.0f);
  EXPECT_FLOAT_EQ(b.dt, 0.1f);
  const std::string all = dyntest::finish();
  const std::string out = all.substr(all.find("1 STRUCTURE....: "));
  const std::vector<std::string> want = {
      rstrip("1 STRUCTURE....: " + kTitle1.substr(0, 112)),
      rstrip("  SOLUTION.....: " + kTitle2.substr(0, 112)),
      "",
      " %5S%",
      "     DEGREE OF FREEDOM #    2 IS READ FROM UNIT #   20     JOINT #  101, DIRECTION: FY",
      "",
      rstrip(std::string(6, ' ') + "STEP" + "     TIME      " + "    LOAD       " + " DISPLACEMENT  " +
             "   VELOCITY    " + " ACCELERATION  "),
      dof_line("   ", 0),
      dof_line("   ", 4),
      dof_line("*2*", 8),
      " %5E%",
  };
  const auto lines = dyntest::lines_of(out);
  ASSERT_EQ(lines.size(), want.size()) << out;
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(rstrip(lines[k]), want[k]) << k;
  EXPECT_EQ(dof_line("*2*", 8), "*2*      8    8.00000E-01    8.00000E+00    8.00000E-01    1.60000E+01   -8.00000E+00");
}

TEST(HistryReadBack, TwoLimitStatePointsAtOneStepAreMarkedOnSuccessiveLines) {
  Model m("hist_marks", kRequests);
  step_loop();
  kv::solsta().lsstep[2] = 7;
  kv::solsta().lsstep[3] = 7;
  kv::solsta().lsmark[2] = 2;  // left from an earlier READ: cleared for this one
  read_back(20, 1);
  const auto l = listing(dyntest::finish(), "%5S%");
  ASSERT_EQ(l.size(), 1u + 1 + 1 + 1 + 11 + 1);
  for (int s = 0; s <= 10; ++s) {
    const char* mark = s == 7 ? "*2*" : s == 8 ? "*3*" : "   ";
    EXPECT_EQ(l[static_cast<std::size_t>(4 + s)], rstrip(dof_line(mark, s))) << s;
  }
}

TEST(HistryReadBack, EnergyListUsesEveryRecordForTheGrossError) {
  Model m("hist_energy", kRequests);
  step_loop();
  read_back(21, 3);
  const auto l = listing(dyntest::finish(), "ENERGY DATA IS READ FROM UNIT #   21");
  // Steps 0, 3, 6, 9 printed; PCTERR 0.5 s / 10 s = 5 %, 0 at step 0.
  const std::vector<std::string> want = {
      "     ENERGY DATA IS READ FROM UNIT #   21",
      "",
      std::string(6, ' ') + "STEP" + "     TIME       " + "    INPUT      " + "ELASTIC STRAIN " + "   KINETIC     " +
          "PLASTIC STRAIN " + "  DAMPINED     " + " RELATIVE ERROR %",
      fio::format("(I10,1P,6E15.5,0P,F15.4)", 0, 0.0f, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0f),
      fio::format("(I10,1P,6E15.5,0P,F15.4)", 3, 0.3f, 30.0, 12.0, 9.0, 6.0, 1.5, 5.0f),
      fio::format("(I10,1P,6E15.5,0P,F15.4)", 6, 0.6f, 60.0, 24.0, 18.0, 12.0, 3.0, 5.0f),
      fio::format("(I10,1P,6E15.5,0P,F15.4)", 9, 0.9f, 90.0, 36.0, 27.0, 18.0, 4.5, 5.0f),
      std::string(25, ' ') + std::string(90, '-'),
      std::string(10, ' ') + "  MAXIMUN      " + "    1.00000E+02    4.00000E+01    3.00000E+01    2.00000E+01" +
          "    5.00000E+00",
      "",
      // 200 * sum|err| / (sum in + sum out) = 200 * 27.5 / (550 + 522.5)
      std::string(25, ' ') + "GROSS RE:" + "         5.1282" + "%",
      " %5E%",
  };
  ASSERT_EQ(l.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(l[k], rstrip(want[k])) << k;
  EXPECT_EQ(l[3], "         0    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00"
                  "    0.00000E+00         0.0000");
  // The values of the last record stay in CONTRL.
  EXPECT_EQ(static_cast<double>(kv::ctl_double(kv::kEINPUT)), 100.0);
  EXPECT_EQ(static_cast<double>(kv::ctl_double(kv::kEDAMP)), 5.0);
}

TEST(HistryReadBack, GroundAndReactionLists) {
  Model m("hist_ground", kRequests);
  step_loop();
  read_back(22, 5);
  read_back(23, 0);  // "INC=" 0 is taken as 1
  EXPECT_EQ(kv::ctl(kv::kINC), 1);
  const std::string out = dyntest::finish();
  const auto g = listing(out, "GROUND MOTION IS READ FROM UNIT #   22");
  ASSERT_EQ(g.size(), 4u + 3 + 1);
  EXPECT_EQ(g[2], std::string(2, ' ') + "    " + "            " + " /--------- ACCELERATION ----------/" +
                      " /----------- VELOCITY ------------/" + " /--------- DISPLACEMENT ----------/");
  const std::string xyz = "  GLOBAL X    GLOBAL Y    GLOBAL Z  ";
  EXPECT_EQ(g[3], rstrip(std::string(2, ' ') + "STEP" + "    TIME    " + xyz + xyz + xyz));
  EXPECT_EQ(g[5], "     5  5.0000E-01  5.0000E+00  0.0000E+00  0.0000E+00  0.0000E+00  5.0000E+00  0.0000E+00"
                  "  0.0000E+00  0.0000E+00  5.0000E+00");
  EXPECT_EQ(dyntest::numbers_of(g[6])[0], 10.0);
  const auto r = listing(out, "SUMMATION OF REACTIONS ARE READ FROM UNIT #   23");
  ASSERT_EQ(r.size(), 3u + 11 + 1);
  EXPECT_EQ(r[3], "         0    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00"
                  "    0.00000E+00    0.00000E+00");
  EXPECT_EQ(r[13].substr(0, 25), "        10    1.00000E+00");
  EXPECT_EQ(kv::ctl_real(kv::kRSUM), 10.0f);
}

struct BadFile {
  const char* name;
  std::string text;
  const char* expect;
  bool closing_tag;
};

TEST(HistryReadBack, ShortAndOddFiles) {
  const std::string titles = kTitle1.substr(0, 80) + "\n" + kTitle1.substr(80, 32) + "\n" + kTitle2.substr(0, 80) +
                             "\n" + kTitle2.substr(80, 32) + "\n";
  const std::vector<BadFile> cases = {
      {"titles only", titles, "          PREMATURE END OF FILE, UNIT:   30\n          READ COMMAND IS ABORTED",
       false},
      {"half the titles", kTitle1.substr(0, 80) + "\n", "PREMATURE END OF FILE, UNIT:   30", false},
      {"energy without records",
       titles + "         3         0         1    0.00000E+00    1.00000E-02      0ENERGY\n",
       "GROSS RE:         0.0000%", true},
      {"unknown kind", titles + "         9         0         1    0.00000E+00    1.00000E-02\n", " %5E%", true},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.name);
    Model m("hist_bad", "");
    kvtest::write_file(m.dir / "hist30.dat", c.text);
    read_back(30, 1);
    const std::string out = dyntest::finish();
    EXPECT_NE(out.find(c.expect), std::string::npos) << out;
    EXPECT_EQ(out.find("%5E%") != std::string::npos, c.closing_tag);
    EXPECT_EQ(out.find("NaN"), std::string::npos);
  }
}

// Energies near the double range: the column maxima print as the numbers
// they are, and the gross error is formed without overflow.
TEST(HistryReadBack, EnergiesNearTheDoubleRangeGiveFiniteMaximaAndGrossError) {
  const std::string titles = kTitle1.substr(0, 80) + "\n" + kTitle1.substr(80, 32) + "\n" + kTitle2.substr(0, 80) +
                             "\n" + kTitle2.substr(80, 32) + "\n";
  const std::string header = "         3         0         1    0.00000E+00    1.00000E-02      0ENERGY\n";
  struct Case {
    const char* name;
    const char* records;
    const char* maxima;  // the five maxima after "MAXIMUN"
    const char* gross;
  };
  const Case cases[] = {
      // Input and strain energy cancel in each record: no error, and no
      // energy in total to compare it with.
      {"balanced", "1e308 1e308 0 0 0 0\n-1e308 -1e308 0 0 0 0\n",
       "    1.00000+308    1.00000+308    0.00000E+00    0.00000E+00    0.00000E+00", "         0.0000"},
      // |1.7E308 + 1.0E308| exceeds the double range: 200 x 2.7 / 0.7.
      {"error beyond the range", "1.7D308 -1.0D308 0 0 0 0\n",
       "    1.70000+308    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00", "       771.4286"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model m("hist_huge", "");
    kvtest::write_file(m.dir / "hist30.dat", titles + header + c.records);
    read_back(30, 1);
    const std::string out = dyntest::finish();
    EXPECT_NE(out.find(std::string(10, ' ') + "  MAXIMUN      " + c.maxima + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(25, ' ') + "GROSS RE:" + c.gross + "%"), std::string::npos) << out;
    EXPECT_EQ(out.find("Inf"), std::string::npos);
    EXPECT_EQ(out.find("NaN"), std::string::npos);
  }
}

// ------------------------------------------------------------------ element histories

constexpr int kTestType = 7;  // no element type of the library
int g_echoes = 0;

// An element whose history record is its record words 2 and 3, read back
// with its own listing as the element drivers do: one record back to the
// header line, read free-format, then records to the end of the file.
void history_element(elements::EleCall& c) {
  const int unit = kv::ctl(kv::kIUNIT);
  if (c.iopt == elements::kEleHistWrite) {
    if (c.lecho) ++g_echoes;
    fio::write(unit, "(1P,2E13.5)", static_cast<float>(elements::rec_real(c, 2)),
               static_cast<float>(elements::rec_real(c, 3)));
  } else if (c.iopt == elements::kEleHistRead) {
    fio::backspace(unit);
    int kind = 0, elem = 0, nint = 0;
    float t0 = 0, dt = 0;
    if (fio::read_list(unit, kind, elem, nint, t0, dt) != fio::Status::ok) return;
    fio::write(6, "(' TYPE-7 ELEMENT',I5,' TYPE WORD',I5)", elem, static_cast<int>(elements::rec_int(c, 0)));
    int step = -nint;
    float f = 0, d = 0;
    while (fio::read_list(unit, f, d) == fio::Status::ok) {
      step += nint;
      elements::rec_real(c, 2) = f;
      elements::rec_real(c, 3) = d;
      if (step % kv::ctl(kv::kINC) == 0) fio::write(6, "(' STEP',I6,1P,2E13.5)", step, f, d);
    }
  }
}

TEST(HistryReadBack, ElementHistoryUnderTheModelAndUnderATemporaryEntry) {
  Model m("hist_element", "ELEMENT 1 30 0 0 0\nEND\n");
  elements::register_element(kTestType, history_element);
  std::vector<std::int32_t> rec(10, 0);
  rec[0] = kTestType;
  const std::int64_t r = dyntest::put_int(rec);
  const std::int64_t eletab = dyntest::put_int({1, static_cast<std::int32_t>(r)});
  kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(eletab);
  kv::ctl(kv::kNELEM) = 1;
  g_echoes = 0;

  requests(2, 0.0f, 0.5f);
  for (int s = 0; s <= 4; s += 2) {
    kv::rzm(r + 2) = static_cast<float>(s);
    kv::rzm(r + 3) = 10.0f * static_cast<float>(s);
    records();
  }
  close_files();
  EXPECT_EQ(g_echoes, 1);  // the echo switch holds for the first pass only
  EXPECT_EQ(dyntest::lines_of(m.file(30))[4],
            "         2         1         2    0.00000E+00    5.00000E-01      7ELEMENT");

  // Under the model: the element's own record receives the values read.
  kv::rzm(r + 2) = -1.0f;
  read_back(30, 4);
  EXPECT_EQ(kv::rzm(r + 2), 4.0f);
  EXPECT_EQ(kv::rzm(r + 3), 40.0f);

  // A model without that element: a temporary entry, the model untouched.
  kv::ctl(kv::kNELEM) = 0;
  kv::rzm(r + 2) = -1.0f;
  const std::int64_t iz = kv::ctl(kv::kIZ);
  read_back(30, 4);
  EXPECT_EQ(kv::rzm(r + 2), -1.0f);
  EXPECT_EQ(kv::ctl(kv::kELETAB), eletab);
  EXPECT_EQ(kv::ctl(kv::kIZ), iz);
  elements::register_element(kTestType, nullptr);

  const std::string out = dyntest::finish();
  const auto l = listing(out, "%5S%");
  const std::vector<std::string> want = {
      " %5S%",
      "     ELEMENT #    1 IS READ FROM UNIT #   30",
      " TYPE-7 ELEMENT    1 TYPE WORD    7",
      " STEP     0  0.00000E+00  0.00000E+00",
      " STEP     4  4.00000E+00  4.00000E+01",
      " %5E%",
  };
  ASSERT_EQ(l.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(l[k], want[k]) << k;
  // The second listing is the same.
  const std::size_t second = out.find(" %5S%", out.find(" %5E%"));
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(listing(out.substr(second), "%5S%"), want);
}

}  // namespace

namespace {

// The "READ" command of a run prints a history file left in the run's folder.
TEST(ReadCommand, PrintsTheHistoryFileOfTheUnitThinnedByInc) {
  const fs::path dir = kvtest::fresh_dir("read_command");
  std::string file = kTitle1.substr(0, 80) + "\n" + kTitle1.substr(80, 32) + "\n" + kTitle2.substr(0, 80) + "\n" +
                     kTitle2.substr(80, 32) + "\n" +
                     "         1         3         1    0.00000E+00    2.00000E-02\n";
  for (int s = 0; s <= 4; ++s)
    file += fio::format("(1P,6E13.5)", 1.0f * s, 0.5f * s, 0.0f, 0.0f) + "\n";
  kvtest::write_file(dir / "temp20.out", file);
  kvtest::write_file(dir / "input.dat", "'READ UNIT=20,INC=2'\n'READ UNIT=20,INC=-3'\nSTOP\n");
  const kvtest::RunResult r = kvtest::run_with_answers(dir, dir.string() + "\ninput.dat\noutput.out\n");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string out = kvtest::read_file(dir / "output.out");
  const std::string header = "     DEGREE OF FREEDOM #    3 IS READ FROM UNIT #   20     JOINT #    0, DIRECTION:";
  const auto first = listing(out, "%5S%");
  ASSERT_EQ(first.size(), 4u + 3 + 1) << out;
  EXPECT_EQ(first[1], header);
  EXPECT_EQ(first[4], "         0    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00    0.00000E+00");
  EXPECT_EQ(first[5], "         2    4.00000E-02    2.00000E+00    1.00000E+00    0.00000E+00    0.00000E+00");
  EXPECT_EQ(first[6].substr(0, 10), "         4");
  // "INC=" below 1 prints every record.
  const auto second = listing(out.substr(out.find(" %5E%")), "%5S%");
  EXPECT_EQ(second.size(), 4u + 5 + 1);
  // The file is read, never rewritten.
  EXPECT_EQ(kvtest::read_file(dir / "temp20.out"), file);
}

}  // namespace
