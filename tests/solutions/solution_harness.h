// Helpers for driving the solution routines in-process: node tables built by
// the node input from a deck text, unit 6 captured to a file, and tables in the
// work array filled by hand.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/node_tables.h"
#include "solutions/reactions.h"

namespace soltest {

struct NodeModel {
  base::NodeTables t;
  int neq = 0, ncond = 0, nfree = 0, nrestr = 0, nnode = 0, ncos = 0;
  solutions::ReportModel report() const { return {t, nnode, ncos}; }
  int l2() const { return ncond + nfree; }
};

// Clears the blocks, restarts the work array at IZ = 1 and reads the node
// section (ncos cosine sets, nres restraint and ncons constraint records) with
// the node input. Unit 6 is connected to a fresh file first; unit 5 reads
// `deck` and stays open on it, so a test can append nothing more: the records
// a routine under test reads follow the node section in the same text.
NodeModel build_nodes(int nnode, int ncos, int nres, int ncons, const std::string& deck);

// Closes units 5 and 6 and returns what was written to unit 6 since
// build_nodes (the node report included).
std::string finish_output();

// Everything unit 6 received after the line holding `marker` (the marker line
// excluded); the whole text when the marker is absent.
std::string after(const std::string& text, const std::string& marker);

std::vector<std::string> lines_of(const std::string& text);

// The line of the report whose first item is the node ID, after the last line
// that holds `header`; empty when there is none.
std::string node_line(const std::string& text, const std::string& header, int node);

// The numbers of a report line, in order.
std::vector<double> numbers_of(const std::string& line);

}  // namespace soltest
