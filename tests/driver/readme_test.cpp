// The README says what a user will see: its quoted report lines are those a
// run of the example deck prints, and its commands are the ones CI runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kTop = fs::path(KELVORAN_EXAMPLES).parent_path();

std::string rstrip(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(rstrip(l));
  return v;
}

// The fenced blocks of a Markdown text whose opening fence line is exactly
// `fence` ("```" for a plain block, "```sh" for commands).
std::vector<std::vector<std::string>> blocks(const std::vector<std::string>& lines, const std::string& fence) {
  std::vector<std::vector<std::string>> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("```", 0) != 0) continue;
    const std::string opener = lines[i];
    std::vector<std::string> b;
    for (++i; i < lines.size() && lines[i] != "```"; ++i) b.push_back(lines[i]);
    if (opener == fence) out.push_back(b);
  }
  return out;
}

// The deck each plain block quotes, in block order: the last
// `examples/NAME.dat` or `examples/NAME.out` the text names before the block
// ("" when none).
std::vector<std::string> quoted_decks(const std::vector<std::string>& lines) {
  static const std::regex named("examples/([A-Za-z0-9_]+)\\.(dat|out)");
  std::vector<std::string> out;
  std::string deck;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("```", 0) == 0) {
      if (lines[i] == "```") out.push_back(deck);
      for (++i; i < lines.size() && lines[i] != "```"; ++i) {
      }
      continue;
    }
    for (std::sregex_iterator m(lines[i].begin(), lines[i].end(), named), end; m != end; ++m) deck = (*m)[1];
  }
  return out;
}

// Each quoted line in the report, in the order quoted; "" when all are found,
// else the first line missing.
std::string first_missing(const std::vector<std::string>& quoted, const std::vector<std::string>& report) {
  std::size_t at = 0;
  for (const std::string& q : quoted) {
    while (at < report.size() && report[at] != q) ++at;
    if (at == report.size()) return q;
    ++at;
  }
  return {};
}

TEST(Readme, QuotedKeyLinesAreWhatTheExampleRunPrints) {
  const std::vector<std::vector<std::string>> quoted = blocks(lines_of(kvtest::read_file(kTop / "README.md")), "```");
  ASSERT_FALSE(quoted.empty()) << "the README quotes no report lines";
  ASSERT_GE(quoted[0].size(), 3u);
  const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(kTop / "examples" / "frame.dat"), "readme_frame");
  ASSERT_EQ(r.status, 0) << r.console;
  const std::string missing = first_missing(quoted[0], lines_of(r.output));
  EXPECT_EQ(missing, "") << "a line the README quotes is not in the report of examples/frame.dat (in its order)";
}

TEST(Readme, EveryQuotedBlockIsWhatItsDeckPrints) {
  const std::vector<std::string> md = lines_of(kvtest::read_file(kTop / "README.md"));
  const auto quoted = blocks(md, "```");
  const auto decks = quoted_decks(md);
  ASSERT_EQ(decks.size(), quoted.size());
  for (std::size_t b = 0; b < quoted.size(); ++b) {
    SCOPED_TRACE("quoted block " + std::to_string(b + 1) + " of the README, from examples/" + decks[b] + ".dat");
    ASSERT_FALSE(decks[b].empty()) << "the README does not say which deck the block quotes";
    const fs::path deck = kTop / "examples" / (decks[b] + ".dat");
    ASSERT_TRUE(fs::exists(deck));
    const kvtest::RunResult r = kvtest::run_deck(kvtest::read_file(deck), "readme_" + decks[b]);
    ASSERT_EQ(r.status, 0) << r.console;
    EXPECT_EQ(first_missing(quoted[b], lines_of(r.output)), "") << "a quoted line is not in the report (in its order)";
  }
}

TEST(Readme, AQuotedBlockBelongsToTheDeckNamedLastBeforeIt) {
  const std::vector<std::string> md = {"See `examples/frame.dat` and its report `examples/frame.out`:",
                                       "```sh",
                                       "cat examples/other.out",
                                       "```",
                                       "```",
                                       "quoted",
                                       "```",
                                       "Then `examples/a_b2.dat` or examples/c.dat:",
                                       "```",
                                       "quoted",
                                       "```",
                                       "```",
                                       "again",
                                       "```"};
  EXPECT_EQ(quoted_decks(md), (std::vector<std::string>{"frame", "c", "c"}));
  EXPECT_EQ(quoted_decks({"```", "x", "```"}), std::vector<std::string>{""});
}

TEST(Readme, BlocksAreTakenByTheirOpeningFence) {
  const std::vector<std::string> md = {"```sh", "run", "```", "text", "```", "quoted", "```"};
  const auto plain = blocks(md, "```");
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0], std::vector<std::string>{"quoted"});
  const auto sh = blocks(md, "```sh");
  ASSERT_EQ(sh.size(), 1u);
  EXPECT_EQ(sh[0], std::vector<std::string>{"run"});
}

TEST(Readme, QuotedLinesAreMatchedWholeAndInOrder) {
  const std::vector<std::string> report = {"  HEAD 1", "   2  1.0E+00", "  HEAD 2", "   2  3.0E+00"};
  EXPECT_EQ(first_missing({"  HEAD 1", "   2  1.0E+00"}, report), "");
  EXPECT_EQ(first_missing({"  HEAD 2", "   2  1.0E+00"}, report), "   2  1.0E+00");  // out of order
  EXPECT_EQ(first_missing({"   2  1.0E+0"}, report), "   2  1.0E+0");            // a part of a line
}

// CI runs the README's test command; the two must not drift apart.
TEST(Readme, TestCommandIsTheOneCiRuns) {
  const std::vector<std::string> ci = lines_of(kvtest::read_file(kTop / ".ci" / "run"));
  ASSERT_FALSE(ci.empty());
  std::string ci_command;
  for (const std::string& l : ci)
    if (l.rfind("cmake ", 0) == 0) ci_command = l;
  ASSERT_FALSE(ci_command.empty()) << ".ci/run runs no cmake command";
  bool found = false;
  for (const auto& b : blocks(lines_of(kvtest::read_file(kTop / "README.md")), "```sh"))
    for (const std::string& l : b) found = found || l == ci_command;
  EXPECT_TRUE(found) << "the README does not show the command .ci/run runs: " << ci_command;
}

}  // namespace
