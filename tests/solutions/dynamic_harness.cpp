#include "dynamic_harness.h"

#include <sstream>

#include <gtest/gtest.h>

#include "base/globals.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace dyntest {

namespace {
std::filesystem::path g_dir;
}

std::filesystem::path start(const std::string& tag, const std::string& deck) {
  kv::reset_globals();
  fio::close_all();
  kv::ctl(kv::kIZ) = 1;
  kv::zero_words(1, 1'000'000);  // nothing of an earlier test may be read as a table
  g_dir = kvtest::fresh_dir(tag);
  kvtest::write_file(g_dir / "input.dat", deck);
  EXPECT_TRUE(fio::open(5, (g_dir / "input.dat").string()));
  EXPECT_TRUE(fio::open(6, (g_dir / "output.out").string()));
  fio::set_default_folder(g_dir.string());
  return g_dir;
}

std::string finish() {
  fio::close(5);
  fio::close(6);
  return kvtest::read_file(g_dir / "output.out");
}

base::NodeTables make_nodes(const std::vector<Node>& nodes, const std::vector<std::array<float, 9>>& sets) {
  const int nn = static_cast<int>(nodes.size());
  kv::ctl(kv::kNNDIM) = nn;
  // The node tables allow one cosine set per node; more sets than nodes do
  // not occur in these tests.
  base::NodeTables t = base::reserve_node_tables(nn);
  for (int n = 1; n <= nn; ++n) {
    const Node& d = nodes[static_cast<std::size_t>(n - 1)];
    t.nodid(n) = d.id;
    for (int j = 1; j <= 6; ++j) t.id(n, j) = d.eq[static_cast<std::size_t>(j - 1)];
    t.icos(n) = d.icos;
    t.ncode(n) = d.ncode;
  }
  for (std::size_t s = 0; s < sets.size(); ++s)
    for (int d = 1; d <= 3; ++d)
      for (int j = 1; j <= 3; ++j)
        t.cos(d, j, static_cast<int>(s) + 1) = sets[s][static_cast<std::size_t>(3 * (d - 1) + (j - 1))];
  kv::ctl(kv::kNNODE) = nn;
  kv::ctl(kv::kNCOS) = static_cast<int>(sets.size());
  return t;
}

std::int64_t put(const std::vector<float>& values) {
  const std::int64_t p = kv::reserve(static_cast<std::int64_t>(values.size()));
  for (std::size_t k = 0; k < values.size(); ++k) kv::rzm(p + static_cast<std::int64_t>(k)) = values[k];
  return p;
}

std::int64_t put_int(const std::vector<std::int32_t>& values) {
  const std::int64_t p = kv::reserve(static_cast<std::int64_t>(values.size()));
  for (std::size_t k = 0; k < values.size(); ++k) kv::izm(p + static_cast<std::int64_t>(k)) = values[k];
  return p;
}

std::int64_t put_sky(const std::vector<double>& values) {
  const std::int64_t p = kv::reserve(static_cast<std::int64_t>(values.size()) * kv::kSkyRealWords);
  for (std::size_t k = 0; k < values.size(); ++k) kv::skyptr(p)[k] = static_cast<kv::SkyReal>(values[k]);
  return p;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

std::vector<double> numbers_of(const std::string& line) {
  std::vector<double> v;
  std::istringstream in(line);
  for (std::string w; in >> w;) {
    char* end = nullptr;
    const double x = std::strtod(w.c_str(), &end);
    if (end != w.c_str() && *end == '\0') v.push_back(x);
  }
  return v;
}

std::string line_with(const std::string& out, const std::string& text) { return line_after(out, text, 0); }

std::string line_after(const std::string& out, const std::string& text, int offset) {
  const auto lines = lines_of(out);
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (lines[k].find(text) != std::string::npos) {
      const std::size_t at = k + static_cast<std::size_t>(offset);
      return at < lines.size() ? lines[at] : std::string();
    }
  return std::string();
}

std::string rstrip(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace dyntest
