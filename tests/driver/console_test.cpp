// Paths, time stamps and the trace switches the commands set, in process.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "base/globals.h"
#include "driver/console.h"
#include "driver/main_program.h"
#include "driver/startup.h"
#include "support/test_support.h"

namespace {

TEST(JoinPath, FolderForms) {
  struct Case {
    const char* folder;
    const char* name;
    const char* path;
  } const cases[] = {
      {"runs", "frame.dat", "runs/frame.dat"},
      {"runs/", "frame.dat", "runs/frame.dat"},
      {"runs\\", "frame.dat", "runs/frame.dat"},
      {"", "frame.dat", "frame.dat"},  // the current directory
      {"/", "frame.dat", "/frame.dat"},
      {"runs\\cant\\", "frame.dat", "runs/cant/frame.dat"},  // every backslash, not only the last
      {"\\tmp\\x\\", "frame.dat", "/tmp/x/frame.dat"},
      {"runs\\cant", "frame.dat", "runs/cant/frame.dat"},
  };
  for (const auto& c : cases) EXPECT_EQ(kv::join_path(c.folder, c.name), c.path) << c.folder;
  const std::string deep(150, 'd');
  EXPECT_EQ(kv::join_path(deep, "x.dat"), deep + "/x.dat");  // never cut
}

TEST(TimeStamp, Layout) {
  std::tm t{};
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 7;
  t.tm_mday = 3;
  t.tm_mon = 0;
  t.tm_year = 124;
  EXPECT_EQ(kv::stamp_text(t), " TIME: 09:05:07, DATE: 03-JAN-24");
  t.tm_hour = 23;
  t.tm_mon = 11;
  t.tm_mday = 31;
  t.tm_year = 99;
  EXPECT_EQ(kv::stamp_text(t), " TIME: 23:05:07, DATE: 31-DEC-99");
}

TEST(TimeStamp, TitleKeepsColumnsOneTo79) {
  const std::string title = kv::stamped_title(std::string(90, 'X'));
  ASSERT_EQ(title.size(), 112u);
  EXPECT_EQ(title.substr(0, 79), std::string(79, 'X'));
  EXPECT_EQ(title.substr(79, 7), " TIME: ");
  EXPECT_EQ(title.substr(94, 8), ", DATE: ");
  EXPECT_EQ(title.back(), ' ');
  const std::string short_title = kv::stamped_title("FRAME");
  EXPECT_EQ(short_title.substr(0, 79), "FRAME" + std::string(74, ' '));
}

// Runs the whole program in this process on a deck, so the trace switches it
// leaves behind can be read.
kv::Titles run_in_process(const std::string& deck) {
  kv::reset_globals();
  const auto dir = kvtest::fresh_dir("inproc");
  kvtest::write_file(dir / "input.dat", deck);
  std::istringstream answers(dir.string() + "\ninput.dat\noutput.out\n");
  std::streambuf* old = std::cin.rdbuf(answers.rdbuf());
  const int status = kv::main_program();
  std::cin.rdbuf(old);
  EXPECT_EQ(status, 0);
  return kv::titles();
}

TEST(TraceSwitches, BugCommands) {
  constexpr int A = 1 << 0, B = 1 << 1, K = 1 << 10, N = 1 << 13, O = 1 << 14, Q = 1 << 16, Z = 1 << 23;
  struct Case {
    std::string deck;
    int mask;
    bool ibug;
  } const cases[] = {
      {"BUG=NOAK\n", N | O | K, false},  // A preceded by NO is not taken
      {"BUG=NOAA\n", N | O, false},      // only the first A is looked at
      {"'BUG=A B'\n", A, false},         // the field ends at the blank
      {"'BUG=''A B'''\n", A | B, false},  // a quoted field inside the quoted command
      {"BUG=Z\n", Z, false},             // the 24th letter of the alphabet string
      {"BUG=X\n", 0, false},
      {"BUG=K\nBUG=A\n", A, false},      // a mask replaces the one before
      {"DEBUG\n", 0, true},
      {"NOBUG=ABC\n", 0, false},
      {"BUG\nNOBUG\n", 0, false},
      {"BUG=K\nBUG\n", K, true},
      // the letters are looked for in the whole field, also past the 70 columns the command keeps
      {"'BUG=" + std::string(70, 'Q') + "AZ'\n", Q | A | Z, false},
  };
  for (const auto& c : cases) {
    const kv::Titles t = run_in_process(c.deck);
    EXPECT_EQ(t.ibugm, c.mask) << c.deck;
    EXPECT_EQ(t.ibug, c.ibug) << c.deck;
  }
}

TEST(StructureCommand, StartsTheControlBlockAfresh) {
  // Words left from before "STR" (a solution's tables, a stop flag) must not
  // survive it; the model ends where IZ0 says.
  kv::reset_globals();
  for (int w = 2; w <= kv::kContrlWords; ++w) kv::ctl(w) = 7000 + w;
  const auto dir = kvtest::fresh_dir("strreset");
  kvtest::write_file(dir / "input.dat",
                     "STR\n'ONE NODE'\n1 0 0 0 0 1.0\n1 0.0 0.0 0.0 1 0\n1\nEND\n0 0 0 F\n1\nEND\n0 0 F\n0.0 0.0\nSTOP\n");
  std::istringstream answers(dir.string() + "\ninput.dat\noutput.out\n");
  std::streambuf* old = std::cin.rdbuf(answers.rdbuf());
  const int status = kv::main_program();
  std::cin.rdbuf(old);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(kv::ctl(kv::kISTOP), 0);
  for (int w = 53; w <= 60; ++w) EXPECT_EQ(kv::ctl(w), 0) << w;
  EXPECT_EQ(kv::ctl(65), 0);
  EXPECT_EQ(kv::ctl(kv::kIUNIT), 0);
  EXPECT_EQ(kv::ctl(kv::kINC), 0);
  for (int w = 99; w <= kv::kContrlWords; ++w) ASSERT_EQ(kv::ctl(w), 0) << w;  // no word above 98 is used
  EXPECT_GT(kv::ctl(kv::kIZ), 1);
  EXPECT_EQ(kv::ctl(kv::kIZ0), kv::ctl(kv::kIZ));
  EXPECT_FLOAT_EQ(kv::titles().grav, 386.4f);
  kv::reset_globals();
}

TEST(Initialisation, PackedTriangleStarts) {
  const kv::Titles t = run_in_process("STOP\n");
  EXPECT_EQ(t.npmax, 24);
  for (int j = 1; j <= 25; ++j) EXPECT_EQ(t.np[static_cast<std::size_t>(j)], 1 + j * (j - 1) / 2);
  EXPECT_EQ(t.np[25], 301);
}

}  // namespace
