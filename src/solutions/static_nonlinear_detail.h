// What the set-up, the step loop and the reports of the static nonlinear
// solution share. Internal to the three static_nonlinear files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "solutions/reactions.h"

namespace solutions::nonlinear {

// The solution-4 record.
struct SolutionRecord {
  int neload = 0;
  int iprint = 1;
  int nwrite = 0;
  bool unbal = false;
  float splimit = 0.0f;
};

// A step vector of NEQ reals in the work array: its index (for the element
// calls) and a pointer at its entry 1.
struct Vec {
  std::int64_t at = 0;
  float* v = nullptr;
  float& operator[](int i) const { return v[i]; }  // 0-based: equation i + 1
};

struct StepVectors {
  // Kept in CONTRL words 53-59 and 65, shared with the other solutions.
  Vec ptotal, utotal, pref, dpload, dudisp, prevrs, funbal;
  // This solution's own.
  Vec pjoint, pelem, punbal, uunbal, psupp, upeak, ppeak;
  Vec kgwork;             // geometric-stiffness product of the trace
  Vec work1, work2;       // work vectors of the step report
};

struct Setup {
  SolutionRecord rec;
  std::array<int, 4> kgdata{};  // KGDATA(1..3), index 0 unused
  int neq = 0, ncond = 0, nfree = 0, l2 = 0;
  int nnode = 0, nelem = 0;
  int nn6 = 0, nrn7 = 0, nel4 = 0;  // line estimates of the step tables
  bool continued = false;           // the totals carry over from an earlier solution
  StepVectors v;
};

// NLSTEP: the step loop and the end of the solution.
void nlstep(const Setup& s);

// ---- Reports.

inline constexpr int kLabelLength = 10;   // STPLBL
inline constexpr int kCaptionLength = 40; // STEPCAP

// STEPCAP: label, step and target factor in 40 characters.
std::string step_caption(std::string_view label, int istep, float target);

// The trace line that opens a step when any of the trace letters D, F, G, L is on.
void trace_step_line(std::string_view label, int istep, float target, bool newk, bool newkg);

// The paging of the printed steps, 60 lines a page.
class Pager {
 public:
  // The step header on a new page; the line count is then 15.
  void step_header(std::string_view caption, float target, float factor, float dfact, float prev_factor,
                   float pmax, float dmax, float urms);
  // Before a table of about `estimate` lines: a new page when it would not fit.
  // The reaction tables carry four more lines of headings.
  void check(int estimate, int istep, std::string_view caption, bool reactions);
  void set_lines(int n) { lines_ = n; }

 private:
  int lines_ = 0;
};

// The page header of the step tables (istep 0 and a title at the end).
void step_page_header(int istep, std::string_view caption);

// Reports every limit-state point reached and not yet reported, with the
// step, and records the step.
void report_limit_states(int istep);

// The note on the unbalanced-force correction switched off (adjusted false)
// or on again at step istep, with the SP of the step before.
void unbalanced_note(bool adjusted, float sp, float splimit, int istep);

// The stop message of a step that passed a limit point.
void negative_sp_message(float sp, int istep);

// The resultant of the reactions of a step, or its maximum at the end.
void resultant_line(float rf, float rm, bool maximum);

}  // namespace solutions::nonlinear
