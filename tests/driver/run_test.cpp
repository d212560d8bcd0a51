// The program end to end: the dialogue, the files, the echo and every command,
// run as a separate process on decks in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using kvtest::mask_volatile;
using kvtest::rstrip_lines;

std::string dashes(int n) { return std::string(static_cast<std::size_t>(n), '-'); }

// Report text as compared: time stamps and CPU seconds masked, trailing
// blanks dropped.
std::string clean(const std::string& text) { return rstrip_lines(mask_volatile(text)); }

const std::string kDialogue =
    " KELVORAN STRUCTURAL ANALYSIS PROGRAM ------------*\n"
    "\n"
    "Enter only the location of the\n"
    "input data file:\n"
    "(For example, C:\\...\\...\\)\n"
    "\n"
    "Enter the input data file name:\n"
    "(For example, struct1.dat)\n"
    "\n"
    "Enter the output data file name:\n"
    "(For example, struct1.out)\n"
    "\n";

const std::string kEchoHeader =
    "1    ECHO OF INPUT DATA\n"
    "\n"
    "    LINE  ....|.. 10....|.. 20....|.. 30....|.. 40....|.. 50....|.. 60....|.. 70....|.. 80"
    "....|.. 90....|..100....|..110\n";

// The memory and CPU-time box as it reads after masking.
std::string box(const std::string& iz, const std::string& mem) {
  const std::string line = " *---" + dashes(35) + "*\n";
  return "\n\n" + line + " *--- MEMORY UTILIZATION .......... ----*\n" + " *--- IZ=" + iz + ",    MEM=" + mem +
         "%    ----*\n" + line + " *--- ELAPSED CPU TIME     x.xx SEC ----*\n" +
         " *--- TOTAL CPU TIME       x.xx SEC ----*\n" + line + "\n";
}

std::string sep() { return " *---" + dashes(45) + "*\n"; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// An echo line: the line number in 7 columns after a blank, ": " and the text.
std::string echo_line(int n, const std::string& text) {
  std::string num = std::to_string(n);
  return " " + std::string(7 - num.size(), ' ') + num + ": " + text + "\n";
}

// The smallest structure section: one node, no materials, no elements, no
// mass, no damping.
const std::string kOneNode =
    "1 0 0 0 0 1.0\n"
    "1 0.0 0.0 0.0 1 0\n"
    "1\nEND\n"
    "0 0 0 F\n"
    "1\nEND\n"
    "0 0 F\n"
    "0.0 0.0\n";

TEST(Run, EveryCommandGivesItsConsoleLineAndBox) {
  const std::vector<std::string> lines = {"DUMP", "RELEASE", "'RELEASE ELEMENT'", "READ UNIT=8",
                                          "'READ UNIT=8 UNIT=9'", "'READ UNIT=12,INC=3'", "BUG=NOAK", "DEBUG",
                                          "NOBUG=ABC", "XYZ", ",", "'   '", "NOECHO", "STOP"};
  std::string deck;
  for (const auto& l : lines) deck += l + "\n";
  const auto r = kvtest::run_deck(deck, "commands");
  // The units READ skips or finds empty and the unknown command are counted:
  // status 3.
  EXPECT_EQ(r.status, 3) << r.console;

  const std::string iz0 = " IZ=      0 MEM= 0.000%";
  const std::string read_line = " *--- READING DATA FROM FILE " + dashes(21) + "*" + iz0 + "\n";
  EXPECT_EQ(clean(r.console),
            kDialogue +
                " *--- DUMPING MEMORY " + dashes(29) + "*" + iz0 + "\n"
                "\n"
                "\n"
                " *--- RELEASING MEMORY " + dashes(27) + "*\n"
                " *--- RELEASING MEMORY " + dashes(27) + "*\n" +
                read_line + " *** WARNING AT INPUT LINE     5: READ: UNIT=     8 IS NOT A HISTORY UNIT (10 TO 60), SKIPPED\n" +
                read_line + " *** WARNING AT INPUT LINE     5: READ: UNIT=     9 IS NOT A HISTORY UNIT (10 TO 60), SKIPPED\n" +
                // Unit 12 was never written: the command is aborted, a warning.
                read_line + " *** WARNING AT INPUT LINE     6: READ COMMAND ABORTED: UNIT 12 HOLDS NO COMPLETE HISTORY FILE\n" +
                " *--- SET BUG OPTION: " + dashes(28) + "*" + iz0 + "\n"
                " BUG=NOAK\n"
                " SET BUG OPTION: DEBUG\n"
                " SET BUG OPTION: NOBUG=ABC\n"
                " INVALID OPTION: XYZ\n"
                " *** ERROR AT INPUT LINE    10: NOT A COMMAND: XYZ\n"
                " ***     1 ERROR AND     3 WARNING MESSAGES: SEE THE OUTPUT FILE\n"
                " *--- NORMAL STOP " + dashes(32) + "*" + iz0 + "\n");

  std::string echo = kEchoHeader;
  for (int n = 1; n <= 12; ++n) echo += echo_line(n, lines[static_cast<std::size_t>(n - 1)]);
  const std::string iz = "      0", mem = " 0.000";
  EXPECT_EQ(clean(r.output),
            echo +
                "1 STRUCTURE....:\n  SOLUTION.....:\n\n DUMPING MEMORY\n" + box(iz, mem) +
                sep() + " *--- RELEASING MEMORY " + dashes(27) + "*\n" + sep() + box(iz, mem) +
                sep() + " *--- RELEASING MEMORY " + dashes(27) + "*\n" + " *--- RESETING ELEMENT FORCES " +
                dashes(20) + "*\n" + sep() + box(iz, mem) +
                box(iz, mem) +                                        // READ alone
                " *** READ: UNIT=     8 IS NOT A HISTORY UNIT (10 TO 60), SKIPPED\n"
                " *** READ: UNIT=     9 IS NOT A HISTORY UNIT (10 TO 60), SKIPPED\n" +
                box(iz, mem) +                                        // both units
                "\n\n\n          PREMATURE END OF FILE, UNIT:   12\n          READ COMMAND IS ABORTED\n\n\n\n" +
                box(iz, mem) +                                        // unit 12, empty
                " SET BUG OPTION:\n BUG=NOAK\n"
                "1 INVALID OPTION= XYZ\n");
}

// The IZ of every timing box in a report, in order.
std::vector<std::string> box_iz(const std::string& out) {
  static const std::regex re(R"( \*--- IZ=(.{7}),    MEM=)");
  std::vector<std::string> v;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), re); it != std::sregex_iterator(); ++it)
    v.push_back((*it)[1].str());
  return v;
}

TEST(Run, StructureTitleStampAndReleaseBackToTheModel) {
  const auto r = kvtest::run_deck("STR\n'FRAME ONE'\n" + kOneNode + "DUMP\nRELEASE\nSTOP\n", "structure");
  EXPECT_EQ(r.status, 0) << r.console;
  const std::string console = clean(r.console);
  EXPECT_TRUE(contains(console, " *--- BULIDING STRUCTURAL MODEL " + dashes(18) + "* IZ=      1 MEM= 0.000%\n"
                                " FRAME ONE\n"))
      << console;
  const std::string out = clean(r.output);
  const std::string title1 = "FRAME ONE" + std::string(70, ' ') + " TIME: hh:mm:ss, DATE: dd-MON-yy";
  EXPECT_TRUE(contains(out, "1 STRUCTURE....: " + title1 + "\n  SOLUTION.....:\n\n DUMPING MEMORY\n\n\n")) << out;
  // The model ends above word 1; the dump keeps it and the release cuts back to it.
  const auto iz = box_iz(out);
  ASSERT_EQ(iz.size(), 3u) << out;
  EXPECT_GT(std::stoi(iz[0]), 1);
  EXPECT_EQ(iz[1], iz[0]);
  EXPECT_EQ(iz[2], iz[0]);
}

TEST(Run, StartUpFilesAndSideFiles) {
  const auto dir = kvtest::fresh_dir("startup");
  kvtest::write_file(dir / "temp10.out", "KEEP\n");  // side files are not truncated
  kvtest::write_file(dir / "in.dat", "STOP\n");
  kvtest::write_file(dir / "out.out", std::string(5000, 'J'));  // an old report is replaced
  const auto r = kvtest::run_with_answers(dir, dir.string() + "\nin.dat\nout.out\n");
  EXPECT_EQ(r.status, 0) << r.console;
  EXPECT_EQ(clean(kvtest::read_file(dir / "out.out")), kEchoHeader + echo_line(1, "STOP"));
  // Only the side files something was written to exist: the two limit-state
  // files with their header line (and the kept temp10.out).
  for (int u = 11; u <= 60; ++u) {
    std::string name = "temp" + std::to_string(u) + ".out";
    if (u == 48) name = "tempShear.out";
    if (u == 49) name = "tempPMCurve.out";
    if (u == 50) name = "tempControlPoints.out";
    EXPECT_EQ(fs::exists(dir / name), u == 49 || u == 50) << name;
  }
  EXPECT_EQ(kvtest::read_file(dir / "temp10.out"), "KEEP\n");
  const std::string header =
      "      RELEASE NO.   IELNO    FLP    AXIAL(FT1)     MOMENT(FT5)  ROTATION(RT5)        ISTEP\n";
  EXPECT_EQ(kvtest::read_file(dir / "tempPMCurve.out"), header);
  EXPECT_EQ(kvtest::read_file(dir / "tempControlPoints.out"), header);
}

// A side file is made by the first record written to it: reading back a unit
// that nothing wrote makes no file.
TEST(Run, SideFilesAreMadeByTheirFirstWrite) {
  const auto dir = kvtest::fresh_dir("side_first_write");
  kvtest::write_file(dir / "in.dat", "'READ UNIT=12'\nSTOP\n");
  const auto r = kvtest::run_with_answers(dir, dir.string() + "\nin.dat\nout.out\n");
  // The aborted READ is a warning.
  EXPECT_EQ(r.status, 3) << r.console;
  EXPECT_TRUE(contains(kvtest::read_file(dir / "out.out"), "PREMATURE END OF FILE, UNIT:   12"));
  EXPECT_FALSE(fs::exists(dir / "temp12.out"));
  EXPECT_FALSE(fs::exists(dir / "tempShear.out"));
}

TEST(Run, FolderAnswerForms) {
  struct Case {
    const char* tag;
    std::string (*answers)(const fs::path&);
  } const cases[] = {
      {"plain", [](const fs::path& d) { return d.string() + "\nin.dat\nout.out\n"; }},
      {"slash", [](const fs::path& d) { return d.string() + "/\nin.dat\nout.out\n"; }},
      {"backslash", [](const fs::path& d) { return d.string() + "\\\nin.dat\nout.out\n"; }},
      {"all_backslashes",
       [](const fs::path& d) {
         std::string f = d.string() + "/";
         std::replace(f.begin(), f.end(), '/', '\\');
         return f + "\nin.dat\nout.out\n";
       }},
      {"crlf_blanks", [](const fs::path& d) { return "  " + d.string() + "  \r\n in.dat\r\nout.out \r\n"; }},
      {"blank_folder", [](const fs::path&) { return std::string("\nin.dat\nout.out\n"); }},
  };
  for (const auto& c : cases) {
    const auto dir = kvtest::fresh_dir(c.tag);
    kvtest::write_file(dir / "in.dat", "STOP\n");
    const auto r = kvtest::run_with_answers(dir, c.answers(dir));
    EXPECT_EQ(r.status, 0) << c.tag << "\n" << r.console;
    EXPECT_EQ(clean(kvtest::read_file(dir / "out.out")), kEchoHeader + echo_line(1, "STOP")) << c.tag;
    EXPECT_TRUE(fs::exists(dir / "tempControlPoints.out")) << c.tag;
  }
}

TEST(Run, LongFolderIsNotCut) {
  const auto top = kvtest::fresh_dir("long");
  const auto dir = top / std::string(60, 'a') / std::string(60, 'b');
  fs::create_directories(dir);
  kvtest::write_file(dir / "in.dat", "STOP\n");
  const auto r = kvtest::run_with_answers(top, dir.string() + "\nin.dat\nout.out\n");
  EXPECT_EQ(r.status, 0) << r.console;
  EXPECT_TRUE(fs::exists(dir / "out.out"));
  EXPECT_TRUE(fs::exists(dir / "tempPMCurve.out"));
}

TEST(Run, StartUpFaultsStopWithStatusOne) {
  struct Case {
    const char* tag;
    const char* answers_tail;  // after the folder line
    const char* message;
  } const cases[] = {
      {"missing", "nothere.dat\nout.out\n", "INPUT FILE NOT FOUND: "},
      {"short_stdin", "in.dat\n", "STANDARD INPUT ENDED"},
      {"same_file", "in.dat\nin.dat\n", "THE OUTPUT FILE IS THE INPUT FILE"},
      {"same_file_other_name", "in.dat\n./in.dat\n", "THE OUTPUT FILE IS THE INPUT FILE"},
      {"blank_input_name", "\nout.out\n", "INPUT FILE NOT FOUND: "},
  };
  for (const auto& c : cases) {
    const auto dir = kvtest::fresh_dir(c.tag);
    kvtest::write_file(dir / "in.dat", "STOP\n");
    const auto r = kvtest::run_with_answers(dir, dir.string() + "\n" + c.answers_tail);
    EXPECT_EQ(r.status, 1) << c.tag;
    EXPECT_TRUE(contains(r.console, c.message)) << c.tag << "\n" << r.console;
    EXPECT_EQ(kvtest::read_file(dir / "in.dat"), "STOP\n") << c.tag;
    EXPECT_FALSE(fs::exists(dir / "out.out")) << c.tag;
    EXPECT_FALSE(fs::exists(dir / "temp10.out")) << c.tag;  // no empty run
  }
}

TEST(Echo, FiftySevenLinesMakeTwoPages) {
  std::string deck;
  for (int k = 1; k <= 56; ++k) deck += "\n";
  deck += "STOP\n";
  const auto r = kvtest::run_deck(deck, "pages");
  EXPECT_EQ(r.status, 0);
  std::string expected = kEchoHeader;
  for (int k = 1; k <= 56; ++k) expected += echo_line(k, "").substr(0, 9) + "\n";
  expected += kEchoHeader + echo_line(57, "STOP");
  EXPECT_EQ(clean(r.output), expected);
}

TEST(Echo, LongLinesAreCutAt110Columns) {
  const std::string line = "'" + std::string(120, 'Q') + "'";
  const auto r = kvtest::run_deck(line + "\nSTOP\n", "wide");
  EXPECT_TRUE(contains(r.output, echo_line(1, line.substr(0, 110))));
}

TEST(Echo, NoechoFirstGivesAnEmptyEchoButCommandsRun) {
  const auto r = kvtest::run_deck("NOECHO\nBUG\nSTOP\n", "noecho");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_TRUE(contains(clean(r.console), " SET BUG OPTION: BUG\n"));
}

TEST(Echo, StopInsideATitleEndsTheEchoButNotTheCommands) {
  // The solution is skipped (no structure) but its title line is read.
  const auto r = kvtest::run_deck("SOL1\n'STOP HERE'\nBUG\nSTOP\n", "stoptitle");
  EXPECT_EQ(r.status, 3);  // the skipped solution
  const std::string head =
      kEchoHeader + echo_line(1, "SOL1") + echo_line(2, "'STOP HERE'") + " *** NO STRUCTURE";
  EXPECT_EQ(clean(r.output).substr(0, head.size()), head);
  EXPECT_FALSE(contains(r.output, "3: BUG"));
  EXPECT_TRUE(contains(clean(r.console), " SET BUG OPTION: BUG\n"));
}

TEST(Commands, NullItemsDoNotRepeatThePreviousCommand) {
  const auto r = kvtest::run_deck("BUG=A\n,\n/\n , X\nSTOP\n", "null");
  EXPECT_EQ(r.status, 0);
  const std::string c = r.console;
  const auto first = c.find(" *--- SET BUG OPTION:");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(c.find(" *--- SET BUG OPTION:", first + 1), std::string::npos) << c;
  EXPECT_FALSE(contains(c, "INVALID OPTION")) << c;
}

// The first console line after the dialogue.
std::string first_command_line(const std::string& console) {
  const std::string c = clean(console);
  if (c.compare(0, kDialogue.size(), kDialogue) != 0) return "(no dialogue) " + c;
  const std::string rest = c.substr(kDialogue.size());
  return rest.substr(0, rest.find('\n'));
}

TEST(Commands, TheFirstTestInOrderThatTheCommandPassesDecides) {
  const std::string iz0 = " IZ=      0 MEM= 0.000%";
  struct Case {
    std::string deck;  // "STOP" follows
    std::string line;  // the first console line the command gives
    int status = 0;    // 3 for a command that skips what it was asked
  } const cases[] = {
      {"STRUCTURE\n'F'\n" + kOneNode, " *--- BULIDING STRUCTURAL MODEL " + dashes(18) + "* IZ=      1 MEM= 0.000%"},
      {"SOLSTR\n'F'\n" + kOneNode, " *--- BULIDING STRUCTURAL MODEL " + dashes(18) + "* IZ=      1 MEM= 0.000%"},
      {"SOLVE\n'T'\n",
       " *** ERROR IN THE COMMAND AT INPUT LINE     1: NO STRUCTURE HAS BEEN BUILT (NO \"STR\" BEFORE \"SOL\"): "
       "SOLUTION SKIPPED",
       3},
      {"DUMPSTOP\n", " *--- DUMPING MEMORY " + dashes(29) + "*" + iz0},
      {"STOPREAD\n", " *** NO ERROR OR WARNING MESSAGES"},
      {"'READ_UNIT=8 BUG=A'\n", " *--- READING DATA FROM FILE " + dashes(21) + "*" + iz0, 3},
      {"RELEASE_BUG=K\n", " *--- SET BUG OPTION: " + dashes(28) + "*" + iz0},
      {"RELEASE_BUG\n", " SET BUG OPTION: RELEASE_BUG"},
      {"NOECHO_BUG\n", " SET BUG OPTION: NOECHO_BUG"},
      {"XNOECHO\n", " *** NO ERROR OR WARNING MESSAGES"},  // skipped: NOECHO from column 2
      {"NONOECHO\n", " INVALID OPTION: NONOECHO", 3},
  };
  for (const auto& c : cases) {
    const auto r = kvtest::run_deck(c.deck + "STOP\n", "order");
    EXPECT_EQ(r.status, c.status) << c.deck;
    EXPECT_EQ(first_command_line(r.console), c.line) << c.deck;
  }
}

TEST(Commands, LongBugLetterFieldIsCutTo70Columns) {
  // The command becomes "BUG=" and the first 70 letters of its field; the
  // console and the report show the command's first 70 columns.
  const std::string field = std::string(66, 'Q') + "RSTUVWXYZ";  // 75 letters, the command 79 columns
  const auto r = kvtest::run_deck("'BUG=" + field + "'\nSTOP\n", "bugcut");
  EXPECT_EQ(r.status, 0);
  const std::string shown = " BUG=" + std::string(66, 'Q') + "\n";
  EXPECT_TRUE(contains(clean(r.console), "* IZ=      0 MEM= 0.000%\n" + shown)) << r.console;
  EXPECT_TRUE(contains(clean(r.output), "\n SET BUG OPTION:\n" + shown)) << r.output;
}

TEST(Commands, NullSolutionTitleKeepsTheTitleThereWas) {
  // A null free-format item leaves its target unchanged; the stamp is renewed.
  const auto r = kvtest::run_deck("SOL1\n'FIRST'\nSOL1\n,\nDUMP\nSTOP\n", "nulltitle");
  EXPECT_EQ(r.status, 3);  // both solutions are skipped: no structure
  const std::string title2 = "FIRST" + std::string(74, ' ') + " TIME: hh:mm:ss, DATE: dd-MON-yy";
  EXPECT_TRUE(contains(clean(r.output), "\n  SOLUTION.....: " + title2 + "\n\n DUMPING MEMORY\n")) << r.output;
  EXPECT_TRUE(contains(clean(r.console), " *--- DUMPING MEMORY " + dashes(29) + "* IZ=      0 MEM= 0.000%\n\n FIRST\n"))
      << r.console;
}

TEST(Commands, UnquotedSolTwoIsAnInvalidSolution) {
  const auto r = kvtest::run_deck("STR\n'FRAME'\n" + kOneNode + "SOL 2\n'EARTHQUAKE'\nSTOP\n", "sol2");
  EXPECT_NE(r.status, 0);
  const std::string console = clean(r.console);
  static const std::regex solving(" \\*--- SOLVING STRUCTURAL MODEL -{19}\\* IZ= {0,6}[0-9]+ MEM= 0\\.000%\n"
                                  " FRAME\n"
                                  " EARTHQUAKE\n"
                                  " \\*\\*\\* ERROR AT INPUT LINE +[0-9]+: THE COMMAND SOL NAMES SOLUTION +0 "
                                  "\\(1 TO 5 ONLY; WRITE SOL2 OR 'SOL 2', NOT SOL 2\\)\n"
                                  " \\*\\*\\*     1 ERROR AND     0 WARNING MESSAGES: SEE THE OUTPUT FILE\n"
                                  " INVALID SOLUTION NUMBER\n$");
  EXPECT_TRUE(std::regex_search(console, solving)) << console;
  EXPECT_FALSE(contains(console, "NORMAL STOP"));
  const std::string out = clean(r.output);
  // The invalid-number line with the number read (0) ends the report: no box after it.
  static const std::regex invalid(" INVALID SOLN# +0\n$");
  EXPECT_TRUE(std::regex_search(out, invalid)) << out;
}

TEST(Commands, SolBeforeStrIsSkipped) {
  const auto r = kvtest::run_deck("SOL1\n'TITLE'\nSTOP\n", "nostr");
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(contains(r.output, "NO STRUCTURE HAS BEEN BUILT"));
  EXPECT_TRUE(contains(r.console, "NO STRUCTURE HAS BEEN BUILT"));
  EXPECT_FALSE(contains(r.output, "INVALID SOLN#"));
  EXPECT_TRUE(contains(r.console, "NORMAL STOP"));
}

TEST(Commands, EndOfInputEndsTheRunNormally) {
  const auto r = kvtest::run_deck("STR\n", "eof");  // the title is missing
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(contains(r.console, "BULIDING"));
}

TEST(Units, AUnitWrittenBeforeItIsOpenedGoesBesideTheInput) {
  // Trace letter C makes the spring write unit 7, which no command opens; the
  // program is started from another folder than the input's.
  const auto in = kvtest::fresh_dir("fort_in");
  const auto cwd = kvtest::fresh_dir("fort_cwd");
  kvtest::write_file(in / "deck.dat", "BUG=C\n" + kvtest::read_file(kvtest::case_path("sol1_spring_chain.dat")));
  const auto r = kvtest::run_with_answers(cwd, in.string() + "\ndeck.dat\nout.out\n");
  EXPECT_EQ(r.status, 0) << r.console;
  EXPECT_TRUE(fs::exists(in / "fort.7"));
  EXPECT_FALSE(fs::exists(cwd / "fort.7"));
}

TEST(Example, FrameDeckRuns) {
  const auto dir = kvtest::fresh_dir("example");
  fs::copy_file(fs::path(KELVORAN_CASES).parent_path().parent_path() / "examples" / "frame.dat",
                dir / "frame.dat");
  const auto r = kvtest::run_with_answers(dir, dir.string() + "\nframe.dat\nframe.out\n");
  EXPECT_EQ(r.status, 0) << r.console;
  EXPECT_TRUE(contains(kvtest::read_file(dir / "frame.out"), "ECHO OF INPUT DATA"));
}

}  // namespace
