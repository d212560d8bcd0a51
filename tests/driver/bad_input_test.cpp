// Decks of bad input that once overflowed, ran for hours or printed NaN and
// Infinity: each must end in bounded time and output with its message, the
// exit status that tells what happened, and no number that is not finite.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct BadDeck {
  const char* name;     // tests/cases/bad_<name>.dat
  int status;           // exit status expected: 3 for input skipped or rejected
  const char* message;  // a line the output file must hold
  const char* console = nullptr;  // a line the console must hold, if any
};

std::ostream& operator<<(std::ostream& os, const BadDeck& d) { return os << d.name; }

// Generous for a sanitizer build; the faults ran for hours or for ever.
constexpr int kTimeLimit = 120;
constexpr std::uintmax_t kMaxOutput = 4u << 20;

class BadInput : public ::testing::TestWithParam<BadDeck> {};

std::uintmax_t folder_size(const fs::path& dir) {
  std::uintmax_t total = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) total += e.file_size();
  return total;
}

// "NaN", "Infinity", "nan", "inf" standing as a number (not inside a word).
bool has_non_finite(const std::string& text) {
  static const std::regex re("(^|[^A-Za-z])[+-]?(nan|inf|infinity)([^A-Za-z]|$)", std::regex::icase);
  return std::regex_search(text, re);
}

TEST_P(BadInput, EndsCleanlyWithItsMessage) {
  const BadDeck& d = GetParam();
  const std::string deck = kvtest::read_file(kvtest::case_path(std::string("bad_") + d.name + ".dat"));
  ASSERT_FALSE(deck.empty()) << d.name;
  const auto t0 = std::chrono::steady_clock::now();
  const kvtest::RunResult r = kvtest::run_deck(deck, d.name, kTimeLimit);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  EXPECT_LT(seconds, kTimeLimit) << d.name;
  EXPECT_LT(folder_size(r.dir), kMaxOutput) << d.name;
  EXPECT_EQ(r.console.find("runtime error"), std::string::npos) << r.console;
  EXPECT_EQ(r.console.find("Sanitizer"), std::string::npos) << r.console;
  EXPECT_FALSE(has_non_finite(r.output)) << r.output;
  EXPECT_FALSE(has_non_finite(r.console)) << r.console;
  EXPECT_EQ(r.status, d.status) << r.output;
  EXPECT_NE(r.output.find(d.message), std::string::npos) << "missing: " << d.message << "\n" << r.output;
  if (d.console != nullptr) {
    EXPECT_NE(r.console.find(d.console), std::string::npos) << "missing: " << d.console << "\n" << r.console;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Decks, BadInput,
    ::testing::Values(
        // Generations: 64-bit arithmetic, only the IDs of the table walked,
        // a missing target reported once per record.
        BadDeck{"node_id_increment_overflow", 3, "NODE GENERATION STOPS AFTER NODE"},
        BadDeck{"restraint_increment_overflow", 3, " TARGET:********   NOT FOUND, LAST ID(     2):       2"},
        BadDeck{"restraint_downward_walk", 3, " TARGET:********   NOT FOUND, LAST ID(     2):       2"},
        BadDeck{"condensation_downward_walk", 3, " TARGET:********   NOT FOUND, LAST ID(     3):       3"},
        BadDeck{"mass_downward_walk", 3,
                // A mass record holds its node as a REAL, read back clamped.
                "NODE # 2000000000  WAS NOT FOUND, CHECK INPUT, MASS IS OMITTED"},
        // The record's third element is element 1: tip deflection
        // P L^3 / 3EI - w L^4 / 8EI = 0.114943 - 0.215517.
        BadDeck{"element_load_overflow", 3, "         2  0.000000E+00  -1.005747E-01"},
        // Ground counts that size no table; the section is still read.
        BadDeck{"ground_capacity_negative", 3, "*** THE GROUND SERIES HOLD******** POINTS: AT LEAST ONE IS NEEDED"},
        BadDeck{"ground_points_negative", 3, "*** GROUND RECORD # 1 HAS******** POINTS: AT LEAST ONE IS NEEDED"},
        // Step counts beyond the limit of one solution end it before the loop.
        BadDeck{"time_history_final_time_huge", 2, "*** THE TIME DATA ASKS FOR MORE THAN 10000000 STEPS"},
        BadDeck{"time_history_initial_time_huge", 2, "*** THE TIME DATA ASKS FOR MORE THAN 10000000 STEPS"},
        BadDeck{"time_history_time_step_tiny", 2, "*** THE TIME DATA ASKS FOR MORE THAN 10000000 STEPS"},
        BadDeck{"load_step_count_huge", 2, "*** THE LOAD-STEP RECORD ASKS FOR MORE THAN 10000000 STEPS"},
        BadDeck{"load_step_increment_tiny", 2, "*** THE LOAD-STEP RECORD ASKS FOR MORE THAN 10000000 STEPS"},
        // Geometry beyond the number range or too short to tell from zero.
        BadDeck{"coordinate_scale_huge", 1, "TIMES THE SCALE  1.0000E+37 ARE BEYOND THE NUMBER RANGE"},
        BadDeck{"short_column", 2, "PIVOT IS LE 0"},
        BadDeck{"beam_end_distance_huge", 2, "ERROR - LENGTH IS LE 0"},
        BadDeck{"node_far_away", 2, "PIVOT IS LE 0"},
        // A spring length of 1e-40 at nodes 1 apart is taken as 1.0 (a revised
        // input, so status 3): the reaction is the load, -1000.
        BadDeck{"spring_length_tiny", 3, "         1 -1.0000000E+03  0.0000000E+00"},
        // Results beyond the number range end the solution before a report.
        BadDeck{"joint_load_generated_huge", 2, "DISPLACEMENT IS NOT FINITE"},
        BadDeck{"ground_value_huge", 2, "INPUT ENERGY IS NOT FINITE"},
        // A rigid rotation of 1e10 of a beam with E = 1e30: displacements and
        // reactions (formed in double) are finite, the element's own float
        // products 4EI/L x 1e10 are not.
        BadDeck{"element_force_overflow", 2, " *  AN ELEMENT FORCE IS NOT FINITE"},
        BadDeck{"ground_time_increment_huge", 3, "*** THE GROUND TIME GRID  0.0000E+00 +         11 x  3.4000E+38 IS BEYOND"},
        // The ductility over a yield deformation of 1e-40 is held at the
        // largest REAL, and the run says it did not compute what was asked.
        BadDeck{"yield_force_tiny", 3, "         1   3.402823E+38"},
        // A time history without mass runs its steps with a warning.
        BadDeck{"massless_sol4_then_sol2", 3, "*** THE STRUCTURE HAS NO MASS: THE STEPS CARRY NO INERTIA FORCES"},
        // Rigid zones that leave a member no length are dropped with it.
        BadDeck{"stability_start_distance_huge", 3, "     THE START AND END DISTANCES ARE TAKEN AS 0.0"},
        // Finite modal forces 2e36 from the origin: moments beyond the range.
        BadDeck{"spectrum_reaction_moment_huge", 2, " *  SUM OF REACTIONS IS NOT FINITE"},
        // An ultimate deformation of 2e-41 gives an index held at the largest
        // REAL, printed in E form where the table has F14.5.
        BadDeck{"wall_ultimate_ductility_tiny", 3,
                "     1       0.00000   0.00000E+00   0.00000E+00   3.40282E+38   4.50000E+00   2.25000E+01"},
        // The work of the loads leaves the range at the first step, before the
        // unbalance is measured: the solution ends there.
        BadDeck{"node_far_away_pushover", 2, " *  INPUT ENERGY IS NOT FINITE                    *"},
        BadDeck{"element_load_missing_element", 3,
                " ELEMENT 2 IS NOT IN THE MODEL (ELEMENTS 1 TO 1) --- LOAD IS SKIPPED"},
        // Each reaction of two springs (-3.0e38) is a REAL, their sum is not:
        // the solution ends before the report.
        BadDeck{"reaction_sum_huge", 2, " *  SUM OF REACTIONS IS NOT FINITE", "SUM OF REACTIONS IS NOT FINITE"},
        // The step that ended the solution left the energies beyond the range:
        // the closing report names the index instead of printing it.
        BadDeck{"ground_value_damage_index", 2, "          STRUCTURE DAMAGE INDEX IS NOT FINITE: NOT PRINTED"},
        // A velocity of 1e38 on a node without mass: its acceleration is not
        // finite, the step reports nothing of it.
        BadDeck{"massless_velocity_huge", 2, " *  ACCELERATION IS NOT FINITE - ROW:     1",
                "SOLUTION ABORTED: AN ACCELERATION IS NOT FINITE"},
        BadDeck{"spectrum_value_huge", 2, " *  COMBINED FORCE IS NOT FINITE", "COMBINED FORCE IS NOT FINITE"},
        // 1e30 g x 1e10 leaves the REAL range: the record is refused, and the
        // empty Y and Z series never see 0 x Infinity.
        BadDeck{"ground_scale_huge", 3,
                "*** GROUND RECORD # 1, POINT       2:  1.0000E+30 G'S TIMES THE SCALE  1.0000E+10 IS BEYOND THE NUMBER RANGE",
                "TIME HISTORY ENDED: THE GROUND MOTION CANNOT BE USED"},
        // A command that printed nothing it was asked for is a warning.
        BadDeck{"read_unit_never_written", 3, "READ COMMAND IS ABORTED",
                "WARNING AT INPUT LINE    16: READ COMMAND ABORTED: UNIT 20 HOLDS NO COMPLETE HISTORY FILE"},
        // Section values whose products leave the REAL range, and options
        // that give no stiffness, reject the set at input.
        BadDeck{"stability1_modulus_huge", 3, " *** MAT. NO.    =  1: EM MUST BE POSITIVE AND AT MOST 1.0E+12",
                "ERROR AT INPUT LINE    10: STABILITY1 SET    1 CANNOT BE USED"},
        BadDeck{"rc_hoop_spacing_huge", 3,
                " *** MAT. NO.    =  1: SEC. HH, SEC. UU, COVER THK, THE BAR AND HOOP DIAMETERS, RHOOPSPA AND SPLICE "
                "LEN. MUST BE 0.0 TO 1.0E+04",
                "ERROR AT INPUT LINE    12: R/C MATERIAL SET    1 CANNOT BE USED"},
        BadDeck{"rc_istif", 3, " *** MAT. NO.    =  1: ISTIF MUST BE 0 OR 1",
                "ERROR AT INPUT LINE    12: R/C MATERIAL SET    1 CANNOT BE USED"},
        BadDeck{"mc_istif", 3, " *** MAT. NO.    =  1: ISTIF MUST BE 0 OR 1",
                "ERROR AT INPUT LINE    14: MOMENT-CURVATURE SET    1 CANNOT BE USED"},
        // Five segments with four short ones of 30 on a member of 100: the
        // element that names the set is rejected.
        BadDeck{"rc_short_segments", 3, " *** MAT. NO.    =  1: 4*SMALL MUST BE BELOW THE MEMBER LENGTH WITH 5 OR MORE SEGMENTS",
                "ERROR AT INPUT LINE    15: ELEMENT     1 (STABILITY) IS REJECTED"},
        // Two short segments of 30 do not make 100: equal ones are used, and
        // counted.
        BadDeck{"short_segments_equal", 3, "DO NOT FIT THE LENGTH  0.1000E+03; EQUAL SEGMENTS USED",
                "STABILITY ELEMENT     1: SHORT SEGMENTS DO NOT FIT, EQUAL SEGMENTS USED"},
        BadDeck{"interaction_mz_capacity_zero", 3,
                " ** ELEMENT     1: INTERACTION FAMILY 1 NEEDS A POSITIVE NOMINAL CAPACITY OF MZ-A, NOT  0.0000E+00 **",
                "ERROR AT INPUT LINE    18: ELEMENT     1 (IE3DBEAM) IS REJECTED"},
        // A floor mass of 1e20 carries the whole mass in mode 1: its
        // effective-mass ratio is 1.0 though the square of its participation
        // (about 1e40) is no REAL; the modal reaction sum then ends the
        // solution.
        BadDeck{"spectrum_mass_huge", 2, "       1          0.1000E+01           0.0000E+00           0.0000E+00"},
        // The member's recovered end forces under 3.4e38 are not finite: the
        // solution ends before the commit reports them.
        BadDeck{"stability_tip_load_huge", 2, " *  AN ELEMENT FORCE IS NOT FINITE"},
        // 1.0 / 0.00001 = 100000 steps, each printed: the echo notes it before
        // the refused record ends the solution.
        BadDeck{"print_interval_every_step", 3,
                "  NOTE: THE STEP INTERVAL FOR PRINTING PRINTS     100000 STEP REPORTS; A LARGER INTERVAL KEEPS THE "
                "OUTPUT FILE SMALL"},
        // An end spring whose slope after yield is -1e30 times its elastic
        // one: the member's stiffness is not finite from the step after
        // yield, in terms the profile (set up from the elastic matrix) does
        // not hold; the solution ends on the displacements, and the history
        // files it opened are closed.
        BadDeck{"ia_biln_slope_huge", 2, " *  DISPLACEMENT IS NOT FINITE - ROW:     1",
                " *** ERROR IN THE COMMAND AT INPUT LINE    18: SOLUTION ABORTED: A DISPLACEMENT IS NOT FINITE"},
        // A prescribed shortening of 1e36 over a length of 100: the axial
        // passes miss by no finite force, which the warning names instead of
        // printing; the member's forces then end the solution.
        BadDeck{"stability_shortening_huge", 2,
                " ** WARNING: NO. OF ITER FOR STABILITY ELE    1SEG.     1IS GREATER THAN    51 DAXIAL IS NOT FINITE "
                "AT STEP=    1",
                "SOLUTION ABORTED: AN ELEMENT FORCE IS NOT FINITE"},
        // A shortening of 1e30 leaves the member no stiffness: the solution
        // ends, and the console counts it.
        BadDeck{"stability_shortening_large", 2, " *** THE SOLUTION ENDS: STABILITY ELEMENT    1 HAS NO USABLE STIFFNESS",
                " *** ERROR IN THE COMMAND AT INPUT LINE    16: SOLUTION ENDS: STABILITY ELEMENT     1 HAS NO USABLE "
                "STIFFNESS"},
        // Two springs of KE = -3.4e38 meet on the lower floor: its diagonal
        // is named, not printed, by the eigen-solution and the spectrum.
        BadDeck{"spring_stiffness_sum_huge", 3,
                "     DOF #    1 IS .LE. 0 IN THE STIFFNESS MATRIX...     K(I,I)=  NOT FINITE  SOLN IS ABORTED",
                " *** ERROR IN THE COMMAND AT INPUT LINE    23: RESPONSE SPECTRUM ABORTED: A FREE DEGREE OF FREEDOM "
                "HAS NO STIFFNESS OR NO MASS: EQUATION 1, JOINT 2 FX"},
        // The same springs under a static load: the term beyond the range
        // would act as a support that takes no reaction; the solution ends.
        BadDeck{"spring_stiffness_sum_static", 2, " *  STIFFNESS MATRIX TERM IS NOT FINITE           *",
                " *** ERROR IN THE COMMAND AT INPUT LINE    20: SOLUTION ABORTED: STIFFNESS MATRIX TERM IS NOT FINITE"},
        // Two generation steps of -3.4e38 in X: the coordinate of the third
        // node is named, not printed, and the run stops.
        BadDeck{"node_generation_step_huge", 1,
                " NODE          5: X, Y, Z  NOT FINITE  0.0000E+00  2.8800E+02 TIMES THE SCALE  1.0000E+00 ARE BEYOND "
                "THE NUMBER RANGE",
                "NODE COORDINATES BEYOND THE NUMBER RANGE"},
        // A joint depth of 1e-38 leaves the joint shear stress beyond the
        // range: the event names it instead of printing it.
        BadDeck{"joint_depth_tiny", 3,
                " * ELEMENT     1 JOINT SHEAR STRESS IN Z  DIR. AT END A   =  NOT FINITE > JOINT SHEAR "},
        // One ground value of 1e5 g throws the mass past the displacement
        // limit: the run ends there, and the console says so.
        BadDeck{"ground_value_displacement_limit", 2, "  DISP( 1 ) GREATER THAN 300. PROGRAM STOP",
                " *** ERROR IN THE COMMAND AT INPUT LINE    17: TIME HISTORY STOPPED: DISPLACEMENT OF EQUATION     1 "
                "BEYOND 300.0"},
        // A yield force of 0 is the elastic-perfectly-plastic limit: the
        // spring leaves its elastic range at once. Step 1 (load 5 on KE = 100):
        // D = 0.05, P = KIE D = 0.5; step 2 takes the unbalance 4.5 and 5 more
        // on KIE = 10: D = 1.0, P = 10, and the run has no fault.
        BadDeck{"yield_force_zero", 0, "         1    1      AXIAL     1     2   1.000000E+01   1.000000E+00   1.000000E+01",
                "NO ERROR OR WARNING MESSAGES"}),
    [](const ::testing::TestParamInfo<BadDeck>& info) { return std::string(info.param.name); });

// The node or mass record walking down from the largest ID names each missing
// ID at most once, whatever its count.
TEST(BadInput, DownwardWalkReportsOnce) {
  const std::string deck = kvtest::read_file(kvtest::case_path("bad_restraint_downward_walk.dat"));
  const kvtest::RunResult r = kvtest::run_deck(deck, "walk_once", kTimeLimit);
  std::size_t count = 0;
  for (std::size_t p = r.output.find(" TARGET:"); p != std::string::npos; p = r.output.find(" TARGET:", p + 1))
    ++count;
  EXPECT_EQ(count, 1u) << r.output;
  // Both nodes are restrained by the walk: no free degree of freedom is left.
  EXPECT_NE(r.output.find("NUMBER OF FREE DEGREES OF FREEDOM..............     0"), std::string::npos) << r.output;
}

// The input line each fault is counted at, and the console's count.
struct ConsoleCase {
  const char* deck;                 // tests/cases/bad_<deck>.dat
  std::vector<std::string> lines;   // lines the console must show, in order
};

std::ostream& operator<<(std::ostream& os, const ConsoleCase& c) { return os << c.deck; }

class BadInputConsole : public ::testing::TestWithParam<ConsoleCase> {};

TEST_P(BadInputConsole, NamesEachFaultAndCountsIt) {
  const ConsoleCase& c = GetParam();
  const std::string deck = kvtest::read_file(kvtest::case_path(std::string("bad_") + c.deck + ".dat"));
  const kvtest::RunResult r = kvtest::run_deck(deck, std::string("console_") + c.deck, kTimeLimit);
  const std::string console = kvtest::rstrip_lines(r.console);
  std::size_t at = 0;
  for (const std::string& line : c.lines) {
    const std::size_t found = console.find("\n" + line + "\n", at);
    ASSERT_NE(found, std::string::npos) << "missing after the lines before it: " << line << "\n" << console;
    at = found + 1;
  }
  EXPECT_EQ(console.find("NO ERROR OR WARNING MESSAGES"), std::string::npos) << console;
}

INSTANTIATE_TEST_SUITE_P(
    Decks, BadInputConsole,
    ::testing::Values(
        ConsoleCase{"element_load_missing_element",
                    {" *** WARNING AT INPUT LINE    19: ELEMENT LOAD SKIPPED: ELEMENT 2 IS NOT IN THE MODEL (ELEMENTS 1 TO 1)",
                     " *** WARNING AT INPUT LINE    20: ELEMENT LOADS SKIPPED: THE GENERATION NAMES 2 ELEMENTS NOT IN "
                     "THE MODEL (ELEMENTS 1 TO 1)",
                     // The same generation walking down from element 3.
                     " *** WARNING AT INPUT LINE    21: ELEMENT LOADS SKIPPED: THE GENERATION NAMES 2 ELEMENTS NOT IN "
                     "THE MODEL (ELEMENTS 1 TO 1)",
                     " *** WARNING AT INPUT LINE    22: ELEMENT LOAD SKIPPED: NONE OF THE 2 ELEMENTS OF THE GENERATION "
                     "IS IN THE MODEL (ELEMENTS 1 TO 1)",
                     " ***     0 ERROR AND     4 WARNING MESSAGES: SEE THE OUTPUT FILE"}},
        ConsoleCase{"stability_start_distance_huge",
                    {" *** WARNING AT INPUT LINE    14: ELEMENT 1: LENGTH OR WIDTH IS LE 0, TAKEN AS 1.0",
                     " ***     0 ERROR AND     1 WARNING MESSAGES: SEE THE OUTPUT FILE"}},
        ConsoleCase{"spectrum_reaction_moment_huge",
                    {" *** ERROR IN THE COMMAND AT INPUT LINE    20: SOLUTION ABORTED: SUM OF REACTIONS IS NOT FINITE",
                     " ***     1 ERROR AND     2 WARNING MESSAGES: SEE THE OUTPUT FILE"}},
        ConsoleCase{"node_far_away_pushover",
                    {" *** ERROR IN THE COMMAND AT INPUT LINE    16: SOLUTION ABORTED: INPUT ENERGY IS NOT FINITE",
                     " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"}},
        // The step caps end the run (status 2) and say so.
        ConsoleCase{"time_history_final_time_huge",
                    {" *** ERROR IN THE COMMAND AT INPUT LINE    17: SOLUTION ABORTED: THE TIME DATA ASKS FOR MORE THAN 10000000 STEPS",
                     " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"}},
        ConsoleCase{"load_step_count_huge",
                    {" *** ERROR IN THE COMMAND AT INPUT LINE    16: SOLUTION ABORTED: THE LOAD-STEP RECORD ASKS FOR MORE THAN 10000000 STEPS",
                     " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"}}),
    [](const ::testing::TestParamInfo<ConsoleCase>& info) { return std::string(info.param.deck); });

// The records that name an existing element still load it, each once: a
// uniform 50 lb/in on the 100 in cantilever (EI = 2.9e9) twice gives the tip
// 2 w L^4 / 8EI = 0.431034 and the support 2 w L = 10000 lb.
TEST(BadInput, ElementLoadsOnExistingElementsStillApply) {
  const std::string deck = kvtest::read_file(kvtest::case_path("bad_element_load_missing_element.dat"));
  const kvtest::RunResult r = kvtest::run_deck(deck, "eload_apply", kTimeLimit);
  EXPECT_NE(r.output.find("         2  0.000000E+00  -4.310345E-01   0.000000E+00"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" SUMMATION  0.0000000E+00  0.1000000E+05"), std::string::npos) << r.output;
}

// A rejected rigid zone is not used: the guided column of mass 1 has one mode,
// whose base shear is m Sa = 0.4 x 386.4 whatever its stiffness.
TEST(BadInput, StabilityMemberWithoutItsZonesCarriesTheSpectrumShear) {
  const std::string deck = kvtest::read_file(kvtest::case_path("bad_stability_start_distance_huge.dat"));
  const kvtest::RunResult r = kvtest::run_deck(deck, "stab_zone", kTimeLimit);
  EXPECT_NE(r.output.find(" GCS SUMM.  0.1545600E+03"), std::string::npos) << r.output;
}

// Both solutions report both diagonals of the lower and upper floor; the
// finite one keeps its value.
TEST(BadInput, NonFiniteDiagonalIsNamedByBothSolutions) {
  const std::string deck = kvtest::read_file(kvtest::case_path("bad_spring_stiffness_sum_huge.dat"));
  const kvtest::RunResult r = kvtest::run_deck(deck, "diag_named", kTimeLimit);
  const std::vector<std::string> lines = {
      "     DOF #    1 IS .LE. 0 IN THE STIFFNESS MATRIX...     K(I,I)=  NOT FINITE  SOLN IS ABORTED",
      "     DOF #    2 IS .LE. 0 IN THE STIFFNESS MATRIX...     K(I,I)= -3.4000E+38  SOLN IS ABORTED"};
  for (const std::string& line : lines) {
    const std::size_t first = r.output.find(line + "\n");
    ASSERT_NE(first, std::string::npos) << line << "\n" << r.output;
    EXPECT_NE(r.output.find(line + "\n", first + 1), std::string::npos) << line << "\n" << r.output;
  }
  EXPECT_NE(r.console.find(" *** ERROR IN THE COMMAND AT INPUT LINE    20: EIGEN-SOLUTION ABORTED: A FREE DEGREE OF "
                           "FREEDOM HAS NO STIFFNESS OR NO MASS: EQUATION 1, JOINT 2 FX"),
            std::string::npos)
      << r.console;
}

// A damage index too large for the F14.5 column but finite is written in E
// form: (D/L + BETA PSE/PY) / (MAXDUC PY/KE) = (0.012 + 0.1 x 22.5 / 2000) /
// (1e-30 x 0.002), and nothing was held or revised.
TEST(BadInput, WallDamageIndexThatDoesNotFitItsColumnIsWrittenInEForm) {
  std::string deck = kvtest::read_file(kvtest::case_path("bad_wall_ultimate_ductility_tiny.dat"));
  const std::size_t at = deck.find("1.0E-38");
  ASSERT_NE(at, std::string::npos);
  deck.replace(at, 7, "1.0E-30");
  const kvtest::RunResult r = kvtest::run_deck(deck, "wall_di", kTimeLimit);
  EXPECT_EQ(r.status, 0) << r.console;
  EXPECT_NE(r.output.find("     1       0.00000   0.00000E+00   0.00000E+00   6.56250E+30   4.50000E+00"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("**************"), std::string::npos) << r.output;
}

}  // namespace
