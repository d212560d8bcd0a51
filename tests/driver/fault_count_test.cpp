// A run that skips or rejects input, or abandons a solution, says so: the
// console names each fault with the input line the echo shows, counts them
// before its closing line, and the exit status is 3 (1 for a run that stops).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// A cantilever: node 1 fixed, node 2 free, one beam; a tip load.
const std::string kDeck =
    "STR\n"
    "'CANTILEVER'\n"
    "2 1 1 0 0 1.0\n"
    "1 0.0 0.0 0.0 1 0\n"
    "2 100.0 0.0 0.0 1 0\n"
    "1.0 0.0 0.0 0.0 1.0 0.0\n"
    "1 1 1 1 1 1 1 0 0\n"
    "1\n"
    "3D-BEAM 29.0E6 11.2E6 10.0 5.0 5.0 50.0 100.0 100.0\n"
    "0 0 0 F\n"
    "1\n"
    "3D-BEAM 'B1' 1 1 2 0.0 1.0 0.0 0.0 0.0 0.0 0 0\n"
    "0 0 F\n"
    "0.0 0.0\n"
    "SOL1\n"
    "'TIP LOAD'\n"
    "1 0\n"
    "1 2 0 0 FY 1000.0\n"
    "0 0 0 0 END 0\n"
    "STOP\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The input line (from 1) on which text begins.
int line_of(const std::string& deck, const std::string& text) {
  const std::size_t at = deck.find(text);
  int n = 1;
  for (std::size_t i = 0; i < at && i < deck.size(); ++i) n += deck[i] == '\n';
  return n;
}

// The start of a console line naming an input line: head, the line in 6
// columns, ": ".
std::string line_head(const std::string& head, int line) {
  char num[16];
  std::snprintf(num, sizeof num, "%6d: ", line);
  return head + num;
}

std::string at_line(const char* what, int line) {
  return line_head(std::string(" *** ") + what + " AT INPUT LINE", line);
}

struct Mistake {
  const char* name;
  std::string deck;
  int status;
  std::string console;  // a line (or its start) the console must show
  std::string count;    // the count line
};

std::string lower_case(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<Mistake> mistakes() {
  const std::string no_end = replaced(kDeck, "0 0 0 0 END 0\n", "");
  const std::string bad_dir = replaced(kDeck, "FY 1000.0", "FQ 1000.0");
  // A model that cannot be solved is built only: the solution would end the run.
  const std::string structure_only =
      replaced(kDeck, "SOL1\n'TIP LOAD'\n1 0\n1 2 0 0 FY 1000.0\n0 0 0 0 END 0\n", "");
  const std::string coincident = replaced(structure_only, "'B1' 1 1 2", "'B1' 1 1 1");
  const std::string aborted = replaced(replaced(kDeck, "0 0 F\n0.0 0.0\n", "1 1 F\n2 1.0 0 0 0 0 0 0 0 0 0 0\n0.0 0.0\n"),
                                       "SOL1\n'TIP LOAD'\n1 0\n1 2 0 0 FY 1000.0\n0 0 0 0 END 0\n",
                                       "SOL3\n'FREQUENCIES'\nFREQ 1 1\n");
  // A material keyword whose type has no model (it used to be a section type
  // not built yet; the report path is the same).
  const std::string no_set = replaced(structure_only, "3D-BEAM 29.0E6", "ROMBERG 29.0E6");
  const std::string short_record = replaced(
      replaced(kDeck, "\n1\n3D-BEAM 'B1'", "\n2\n3D-BEAM 'B1'"), "0.0 0.0 0 0\n0 0 F\n",
      "0.0 0.0 0\n3D-BEAM 'B2' 1 1 2 0.0 1.0 0.0 0.0 0.0 0.0 0 0\n0 0 F\n");
  const std::string no_number = replaced(kDeck, "SOL1\n", "SOL 1\n");
  // End distances 50 + 50 on joints 100 apart leave no length: taken as 1.0.
  const std::string no_length = replaced(structure_only, "0.0 1.0 0.0 0.0 0.0 0.0 0 0", "0.0 1.0 0.0 50.0 50.0 0.0 0 0");
  return {
      {"Clean", kDeck, 0, "", " *** NO ERROR OR WARNING MESSAGES"},
      // The list runs on into "STOP" and the end of the file: the run stops.
      {"MissingEndOfJointLoads", no_end, 1, at_line("WARNING", line_of(no_end, "STOP")) + "JOINT LOAD SKIPPED",
       " ***     1 ERROR AND     1 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      {"InvalidLoadDirection", bad_dir, 3,
       at_line("WARNING", line_of(bad_dir, "1 2 0 0 FQ")) +
           "JOINT LOAD SKIPPED: THE DIRECTION IS NONE OF FX, FY, FZ, MX, MY, MZ: FQ",
       " ***     0 ERROR AND     1 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      {"RejectedElement", coincident, 3,
       at_line("ERROR", line_of(coincident, "3D-BEAM 'B1'")) + "ELEMENT     1 (3D-BEAM) IS REJECTED: SEE THE OUTPUT FILE",
       " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      // Every line is an unknown command; the first is "str".
      {"LowerCaseDeck", lower_case(kDeck), 3, at_line("ERROR", 1) + "NOT A COMMAND (COMMANDS ARE UPPER CASE): str",
       " ***    20 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      // The abandoned solution names its command's line and the first free
      // direction without mass: node 2's FY (equation 2; FX, equation 1, has it).
      {"MassCheckAbortsTheEigenSolution", aborted, 3,
       line_head(" *** ERROR IN THE COMMAND AT INPUT LINE", line_of(aborted, "SOL3")) +
           "EIGEN-SOLUTION ABORTED: A FREE DEGREE OF FREEDOM HAS NO STIFFNESS OR NO MASS: EQUATION 2, JOINT 2 FY",
       " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      // A record one value short takes the next line's keyword for its
      // generation count: the run stops, naming the line the read stopped in.
      {"ElementRecordOneValueShort", short_record, 1,
       line_head(" *** ERROR IN THE STRUCTURE INPUT AT INPUT LINE", line_of(short_record, "3D-BEAM 'B2'")) +
           "UNREADABLE VALUE WHILE READING THE ELEMENT RECORD",
       " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      // "SOL 1" unquoted is the command "SOL" without a number.
      {"SolutionNumberMissing", no_number, 1,
       at_line("ERROR", line_of(no_number, "SOL 1")) +
           "THE COMMAND SOL NAMES SOLUTION     0 (1 TO 5 ONLY; WRITE SOL2 OR 'SOL 2', NOT SOL 2)",
       " ***     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      {"UnavailableSectionMaterial", no_set, 3,
       at_line("ERROR", line_of(no_set, "ROMBERG")) + "MATERIAL SET    1: ROMBERG IS NOT AVAILABLE IN THIS BUILD",
       // The beam then names a set that is not a beam section, and is rejected.
       " ***     2 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE"},
      {"RevisedLength", no_length, 3,
       at_line("WARNING", line_of(no_length, "3D-BEAM 'B1'")) + "ELEMENT 1: LENGTH OR WIDTH IS LE 0, TAKEN AS 1.0",
       " ***     0 ERROR AND     1 WARNING MESSAGES: SEE THE OUTPUT FILE"},
  };
}

class Mistakes : public ::testing::TestWithParam<Mistake> {};

TEST_P(Mistakes, AreCountedOnTheConsoleAndInTheExitStatus) {
  const Mistake& m = GetParam();
  const auto r = kvtest::run_deck(m.deck, m.name);
  EXPECT_EQ(r.status, m.status) << r.console;
  const std::string console = kvtest::rstrip_lines(r.console);
  if (!m.console.empty()) {
    EXPECT_NE(console.find("\n" + m.console), std::string::npos) << console;
  }
  if (!m.count.empty()) {
    // The count comes before the closing line, whichever that is.
    const std::size_t at = console.find("\n" + m.count + "\n");
    ASSERT_NE(at, std::string::npos) << console;
    const std::string rest = console.substr(at + m.count.size() + 2);
    EXPECT_EQ(rest.find('\n'), rest.size() - 1) << "one closing line after the count:\n" << console;
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, Mistakes, ::testing::ValuesIn(mistakes()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UnavailableSectionMaterial, OutputNamesTheMaterialNotAnElement) {
  const auto r = kvtest::run_deck(replaced(kDeck, "3D-BEAM 29.0E6", "ROMBERG 29.0E6"), "nosection");
  EXPECT_EQ(r.status, 2) << r.console;  // the rejected beam leaves nothing to solve
  EXPECT_NE(r.output.find(" MATERIAL      1 IS NOT AVAILABLE"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find(" ELEMENT     -1"), std::string::npos);
}

}  // namespace
