// Every deck of examples/ runs, and the numbers its comment block states (its
// CHECK lines, worked out by hand there) are the ones its report prints.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// One "/ CHECK | anchor | ... | row | item | value" line: after each anchor
// in turn, the first line that begins with the row name; its item-th number
// after the name is the value, to a relative 1E-4 (single precision). A
// value written "4.46E6 +- 2%" is held to that relative tolerance instead:
// for a hand method (a stress block, say) that only approximates the
// program's own material laws, with the reason stated in the deck.
struct Check {
  std::vector<std::string> anchors;
  std::string row;
  int item = 0;
  double value = 0.0;
  double tolerance = 1e-4;
  std::string text;
};

std::string trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Runs of blanks as one blank, so that a check need not count the columns.
std::string squeeze(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  return trim(out);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

// "2 %" or "0.1%": a positive number of percent; NaN otherwise.
double percent_of(const std::string& text) {
  char* end = nullptr;
  const double percent = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || trim(end) != "%" || !(percent > 0.0)) return std::nan("");
  return percent;
}

constexpr const char* kBalance = "/ CHECK BALANCE";

std::vector<Check> checks_of(const std::string& deck) {
  std::vector<Check> checks;
  for (const std::string& line : lines_of(deck)) {
    if (line.rfind("/ CHECK", 0) != 0 || line.rfind(kBalance, 0) == 0) continue;
    std::vector<std::string> f;
    std::stringstream in(line.substr(line.find('|') + 1));
    for (std::string part; std::getline(in, part, '|');) f.push_back(trim(part));
    if (f.size() < 4) {
      ADD_FAILURE() << "malformed check: " << line;
      continue;
    }
    Check c;
    c.text = line;
    c.anchors.assign(f.begin(), f.end() - 3);
    c.row = f[f.size() - 3];
    c.item = std::atoi(f[f.size() - 2].c_str());
    char* rest = nullptr;
    c.value = std::strtod(f.back().c_str(), &rest);
    const std::string tail = trim(rest);
    if (!tail.empty()) {
      const double percent = tail.rfind("+-", 0) == 0 ? percent_of(tail.substr(2)) : std::nan("");
      if (std::isnan(percent)) {
        ADD_FAILURE() << "malformed tolerance: " << line;
        continue;
      }
      c.tolerance = percent / 100.0;
    }
    checks.push_back(c);
  }
  return checks;
}

// The report without its echo, whose lines repeat the deck (and so the
// check lines' own anchors).
std::vector<std::string> report_lines(const std::string& output) {
  static const std::regex echo("^ {1,7}[0-9]+: .*");
  std::vector<std::string> v;
  for (const std::string& l : lines_of(output))
    if (!std::regex_match(l, echo)) v.push_back(squeeze(l));
  return v;
}

// The value a check names, or NaN when the report does not hold it.
double value_of(const std::vector<std::string>& report, const Check& c) {
  std::size_t at = 0;
  for (const std::string& a : c.anchors) {
    const std::string key = squeeze(a);
    while (at < report.size() && report[at].find(key) == std::string::npos) ++at;
    if (at == report.size()) return std::nan("");
  }
  const std::string row = squeeze(c.row);
  for (; at < report.size(); ++at) {
    const std::string& l = report[at];
    if (l.rfind(row, 0) != 0 || (l.size() > row.size() && l[row.size()] != ' ')) continue;
    std::istringstream in(l.substr(row.size()));
    int k = 0;
    for (std::string w; in >> w;) {
      char* end = nullptr;
      const double x = std::strtod(w.c_str(), &end);
      if (end == w.c_str() || *end != '\0') continue;
      if (++k == c.item) return x;
    }
    return std::nan("");
  }
  return std::nan("");
}

// "/ CHECK BALANCE | 0.1 %": every energy balance the report prints closes
// to within that many percent. NaN when the deck states no such bound.
double balance_bound_of(const std::string& deck) {
  for (const std::string& line : lines_of(deck)) {
    if (line.rfind(kBalance, 0) != 0) continue;
    const std::size_t bar = line.find('|');
    const double bound = bar == std::string::npos ? std::nan("") : percent_of(trim(line.substr(bar + 1)));
    if (std::isnan(bound)) ADD_FAILURE() << "malformed balance check: " << line;
    return bound;
  }
  return std::nan("");
}

// The relative errors (in percent) of the energy balances in a report.
std::vector<double> balance_errors(const std::vector<std::string>& report) {
  static const std::string row = "RELATIVE ERROR ";
  std::vector<double> v;
  for (const std::string& l : report) {
    if (l.rfind(row, 0) != 0) continue;
    const std::string text = trim(l.substr(row.size()));
    char* end = nullptr;
    const double e = std::strtod(text.c_str(), &end);
    v.push_back(end != text.c_str() && std::string(end) == "%" ? e : std::nan(""));
  }
  return v;
}

std::vector<fs::path> example_decks() {
  std::vector<fs::path> v;
  for (const auto& e : fs::directory_iterator(KELVORAN_EXAMPLES))
    if (e.path().extension() == ".dat") v.push_back(e.path());
  std::sort(v.begin(), v.end());
  return v;
}

class ExampleDeck : public ::testing::TestWithParam<fs::path> {};

TEST_P(ExampleDeck, RunsCleanlyAndPrintsTheNumbersItsCommentStates) {
  const std::string deck = kvtest::read_file(GetParam());
  const std::vector<Check> checks = checks_of(deck);
  ASSERT_FALSE(checks.empty()) << GetParam() << " states no numbers to check";
  const kvtest::RunResult r = kvtest::run_deck(deck, GetParam().stem().string());
  EXPECT_EQ(r.status, 0) << r.console;
  const std::vector<std::string> report = report_lines(r.output);
  for (const Check& c : checks) {
    const double v = value_of(report, c);
    EXPECT_NEAR(v, c.value, c.tolerance * std::fabs(c.value) + 1e-9) << c.text;
  }
  const double bound = balance_bound_of(deck);
  if (std::isnan(bound)) return;
  const std::vector<double> errors = balance_errors(report);
  EXPECT_FALSE(errors.empty()) << "the report prints no energy balance";
  for (std::size_t i = 0; i < errors.size(); ++i)
    EXPECT_LE(std::fabs(errors[i]), bound) << "energy balance " << i + 1 << " of the report";
}

INSTANTIATE_TEST_SUITE_P(Decks, ExampleDeck, ::testing::ValuesIn(example_decks()),
                         [](const ::testing::TestParamInfo<fs::path>& p) {
                           std::string n = p.param.stem().string();
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST(ExampleChecks, ARowIsFoundAfterItsAnchorsOnly) {
  const std::vector<std::string> report = report_lines(
      "  GCS DISPLACEMENTS,  LOADING #    1\n"
      "         2  1.0E+00   2.0E+00\n"
      "  GCS DISPLACEMENTS,  LOADING #    2\n"
      "         2  3.0E+00   4.0E+00\n"
      "        21  5.0E+00\n");
  const std::vector<Check> c = checks_of(
      "/ CHECK | GCS DISPLACEMENTS,  LOADING #    2 | 2 | 2 | 4.0\n"
      "/ CHECK | LOADING # 3 | 2 | 2 | 4.0\n");
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(value_of(report, c[0]), 4.0);
  EXPECT_TRUE(std::isnan(value_of(report, c[1])));
}

TEST(ExampleChecks, AValueMayStateItsOwnTolerance) {
  const std::vector<Check> c = checks_of(
      "/ CHECK | HEAD | 2 | 1 | 4.0\n"
      "/ CHECK | HEAD | 2 | 1 | 4.0 +- 2%\n"
      "/ CHECK | HEAD | 2 | 1 | -4.46E6 +- 0.5 %\n");
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].tolerance, 1e-4);
  EXPECT_DOUBLE_EQ(c[1].value, 4.0);
  EXPECT_DOUBLE_EQ(c[1].tolerance, 0.02);
  EXPECT_DOUBLE_EQ(c[2].value, -4.46e6);
  EXPECT_DOUBLE_EQ(c[2].tolerance, 0.005);
}

TEST(ExampleChecks, EveryEnergyBalanceOfTheReportIsRead) {
  const std::vector<std::string> report = report_lines(
      "              RELATIVE ERROR                           1.68485E-02%\n"
      "              INPUT ENERGY              3.86146E+02    4.50547E+04\n"
      "              RELATIVE ERROR                          -7.19061E-01%\n"
      "              RELATIVE ERROR                           NaN%\n");
  const std::vector<double> e = balance_errors(report);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_DOUBLE_EQ(e[0], 1.68485e-2);
  EXPECT_DOUBLE_EQ(e[1], -7.19061e-1);
  EXPECT_TRUE(std::isnan(e[2]));  // fails any bound
  EXPECT_DOUBLE_EQ(balance_bound_of("/ CHECK BALANCE | 0.1 %\n"), 0.1);
  EXPECT_TRUE(std::isnan(balance_bound_of("/ CHECK | HEAD | 2 | 1 | 4.0\n")));
  EXPECT_TRUE(checks_of("/ CHECK BALANCE | 0.1 %\n").empty());
}

TEST(ExampleChecks, AnUnreadableToleranceFailsTheDeck) {
  ::testing::TestPartResultArray failures;
  std::vector<Check> c;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    c = checks_of(
        "/ CHECK | HEAD | 2 | 1 | 4.0 2%\n"
        "/ CHECK | HEAD | 2 | 1 | 4.0 +- 2\n"
        "/ CHECK | HEAD | 2 | 1 | 4.0 +- -1%\n");
    balance_bound_of("/ CHECK BALANCE | small\n");
  }
  EXPECT_TRUE(c.empty());
  EXPECT_EQ(failures.size(), 4);
}

}  // namespace
