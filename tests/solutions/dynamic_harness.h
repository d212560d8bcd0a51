// Helpers for the ground-motion, step-report and history tests: a fresh run
// state with unit 5 reading a deck and unit 6 captured, node tables laid by
// hand in the work array, and vectors placed in the work array.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/node_tables.h"

namespace dyntest {

// Clears the blocks, closes every unit, restarts the work array at IZ = 1,
// opens unit 5 on `deck` and unit 6 on a fresh file. Returns the folder.
std::filesystem::path start(const std::string& tag, const std::string& deck);

// Closes units 5 and 6 and returns what unit 6 received.
std::string finish();

// One node of a hand-made model: its ID, equation of each DOF FX..MZ (0 for
// none), cosine set and code word.
struct Node {
  int id = 0;
  std::array<int, 6> eq{};
  int icos = 1;
  std::int32_t ncode = 0;
};

// Lays the node tables at IZ (CONTRL words 29-35, NNDIM, NNODE, NCOS set).
// Each cosine set is given by rows: set[3*(d-1) + (j-1)] is the global-j
// component of the node's axis d.
base::NodeTables make_nodes(const std::vector<Node>& nodes, const std::vector<std::array<float, 9>>& sets);

// Reserves the values at IZ and returns the index of the first.
std::int64_t put(const std::vector<float>& values);
std::int64_t put_int(const std::vector<std::int32_t>& values);
// Values of a global matrix (kv::SkyReal words each).
std::int64_t put_sky(const std::vector<double>& values);

std::vector<std::string> lines_of(const std::string& text);
// The numbers of a line, in order.
std::vector<double> numbers_of(const std::string& line);
// The first line holding `text` (empty when none) and the line after it.
std::string line_with(const std::string& out, const std::string& text);
std::string line_after(const std::string& out, const std::string& text, int offset = 1);
std::string rstrip(std::string s);

}  // namespace dyntest
