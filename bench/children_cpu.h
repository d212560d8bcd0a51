// The CPU time of the program runs a benchmark starts, less disturbed by
// other work on a shared machine than the wall-clock time.
#pragma once

#include <sys/resource.h>

namespace kvbench {

// CPU seconds (user and system) of the finished child processes so far.
inline double children_cpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

}  // namespace kvbench
