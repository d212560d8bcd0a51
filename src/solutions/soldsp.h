// SOLDSP: the solution dispatcher the command loop calls for every "SOL".
#pragma once

#include <string>
#include <string_view>

namespace solutions {

// Takes the solution number that follows "SOL" in cmdtxt (NSOL, CONTRL word 26)
// and runs that solution. strid, dtcpu, ttotal and tbudgt go to the time
// history only. A number without a solution stops the run.
void soldsp(std::string cmdtxt, std::string_view strid, float dtcpu, float ttotal, float tbudgt);

}  // namespace solutions
