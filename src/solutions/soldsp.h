// SOLDSP: the solution dispatcher the command loop calls for every "SOL".
#pragma once

#include <string>
#include <string_view>

namespace solutions {

// What the command loop hands a solution: the command item and the values only
// the time history uses.
struct SolutionCall {
  std::string_view cmdtxt;
  std::string_view strid;
  float dtcpu = 0.0f;
  float ttotal = 0.0f;
  float tbudgt = 0.0f;
};

using SolutionRoutine = void (*)(const SolutionCall&);

// Takes the solution number that follows "SOL" in cmdtxt (NSOL, CONTRL word 26)
// and runs that solution. strid, dtcpu, ttotal and tbudgt go to the time
// history only. A number outside 1..5 stops the run with "INVALID SOLUTION
// NUMBER"; a solution not in this build prints that it is not available and
// the run goes on.
void soldsp(std::string cmdtxt, std::string_view strid, float dtcpu, float ttotal, float tbudgt);

// "RELEASE": the element-load count of the elements (NREAD) and the column
// count of the static tables go back to 0 with the tables they describe.
void release_solution_words();

}  // namespace solutions
