#include "solution_harness.h"

#include <sstream>

#include <gtest/gtest.h>

#include "base/globals.h"
#include "base/work_array.h"
#include "fio/fio.h"
#include "model/nodes.h"
#include "support/test_support.h"

namespace soltest {

namespace {
std::filesystem::path g_dir;
}

NodeModel build_nodes(int nnode, int ncos, int nres, int ncons, const std::string& deck) {
  kv::reset_globals();
  kv::ctl(kv::kIZ) = 1;
  fio::close_all();
  g_dir = kvtest::fresh_dir("solution");
  kvtest::write_file(g_dir / "input.dat", deck);
  EXPECT_TRUE(fio::open(5, (g_dir / "input.dat").string()));
  EXPECT_TRUE(fio::open(6, (g_dir / "output.out").string()));

  NodeModel m;
  kv::ctl(kv::kNNDIM) = nnode;
  m.t = base::reserve_node_tables(nnode);
  m.nnode = nnode;
  m.ncos = ncos;
  m.ncond = 0;
  model::noddof(m.neq, m.ncond, m.nfree, m.nrestr, m.nnode, m.ncos, 1.0f, nres, ncons, false, m.t);
  kv::ctl(kv::kNNODE) = m.nnode;
  kv::ctl(kv::kNEQ) = m.neq;
  kv::ctl(kv::kNCOND) = m.ncond;
  kv::ctl(kv::kNFREE) = m.nfree;
  kv::ctl(kv::kNRESTR) = m.nrestr;
  kv::ctl(kv::kNCOS) = m.ncos;
  return m;
}

std::string finish_output() {
  fio::close(5);
  fio::close(6);
  return kvtest::read_file(g_dir / "output.out");
}

std::string after(const std::string& text, const std::string& marker) {
  const std::size_t at = text.find(marker);
  if (at == std::string::npos) return text;
  const std::size_t eol = text.find('\n', at);
  return eol == std::string::npos ? std::string() : text.substr(eol + 1);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

std::string node_line(const std::string& text, const std::string& header, int node) {
  const std::size_t at = text.rfind(header);
  if (at == std::string::npos) return {};
  for (const std::string& l : lines_of(text.substr(at))) {
    std::istringstream in(l);
    std::string first;
    if (!(in >> first)) continue;
    if (first == std::to_string(node)) return l;
  }
  return {};
}

std::vector<double> numbers_of(const std::string& line) {
  std::vector<double> v;
  std::istringstream in(line);
  for (std::string w; in >> w;) {
    if (!w.empty() && w.back() == '*') w.pop_back();
    try {
      std::size_t used = 0;
      const double x = std::stod(w, &used);
      if (used == w.size()) v.push_back(x);
    } catch (...) {
    }
  }
  return v;
}

}  // namespace soltest
