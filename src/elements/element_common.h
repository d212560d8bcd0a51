// Pieces of element option code that several element drivers share: input
// values used as integers, the label column of the echo, the response-spectrum
// exchange, the force envelope with its report, the state-word count and the
// history read-back loop. Internal to the element library.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "fio/fio.h"
#include "materials/matdsp.h"

namespace elements::common {

// A real input value used as an integer: truncated toward zero, kept inside
// the int range (a wild value must not be undefined behaviour).
int to_int(float x);

// True when a member length is not above 0, or too short to be told from zero
// at the size of its joints' coordinates (size: the largest coordinate
// magnitude and the joints' distance): a stiffness divided by it overflows.
bool degenerate_length(double length, double size);

// The size of a member between the nodes at positions pi and pj for that test.
double joint_size(int pi, int pj, double distance);

// True when the n forces f of element ielno, about to be printed, are finite
// numbers. Otherwise a stiffness or a displacement beyond the number range has
// turned them into Infinity or NaN: a boxed message names the element, bit 0
// of ISTOP is raised (the solution ends, and with it the run), the fault is
// counted, and the caller prints nothing of them.
bool forces_finite(int ielno, const float* f, int n);

// Counts a length or width revised to 1.0 after its "IS LE 0" message: the
// element runs, but not as the input asked, so the run says so in its status.
void note_length_revised(int ielno);

// The message of a panel's LENGTH or WIDTH (what) found not above 0: the
// "ROR - ... IS LE 0" lines with the element number, the value and "REVISE
// INPUT". The caller goes on with its substitute.
void size_error(int ielno, std::string_view what, float value);

// The first 15 characters of the label, blank-padded (A15 of the record's label).
struct Label15 {
  std::array<char, 15> text{};
  explicit Label15(std::string_view label) {
    text.fill(' ');
    std::copy_n(label.begin(), std::min<std::size_t>(label.size(), text.size()), text.begin());
  }
  std::string_view view() const { return {text.data(), text.size()}; }
};

// True when the run combines modal responses (SRSS or CQC): the element's
// forces then pass through RSFORC.
bool rs_combination();

// Free words at IZ for `words` per load case of all load cases (not reserved).
float* scratch_at_iz(int words, int nlc);

// Column i of the n x n envelope env takes the whole force vector f when
// |f[i]| is larger than the peak the column holds.
void update_envelope(float* env, const float* f, int n);

// The totals of option 5 (n words each): the combined forces of a response
// spectrum run replace the forces; otherwise the increments are added and the
// envelope follows the new forces.
void commit_totals(float* f, float* d, const float* df, const float* du, int n, float* env);

// Option 10 of an element with end forces f and displacements d (n each)
// and their increments df, du: the sum of (d + du)(f + df)/2, in single
// precision.
float end_energy(const float* du, const float* d, const float* df, const float* f, int n);

// Option 12 of an element with an envelope: on a change of type the note and
// the force heading (heading(title)), then line(i, column i) for every column
// whose own component is not zero.
inline constexpr std::string_view kEnvelopeTitle =
    " MAXIMUM VALUES FOR ALL STEPS   NOTE: MAXIMUM VALUES WITH THE OTHER DOFS FORCES ARE PRINT OUT AT THE SAME TIME";
template <class Heading, class Line>
void envelope_report(bool typchg, const float* env, int n, Heading heading, Line line) {
  if (typchg) {
    fio::write(6, "(7X,A)", " COLUMN ( LOAD) REPRESENTS THE DOF WHICH HAS MAXIMUM VALUE");
    heading(kEnvelopeTitle);
  }
  for (int i = 1; i <= n; ++i) {
    const float* col = env + n * (i - 1);
    if (col[i - 1] != 0.0f) line(i, col);
  }
}

// A MATDSP call of option iopt on the state words at sta (ZMATRX index of word
// 1) of material set `set` for element ielno; the caller fills the point
// arguments and runs it with run_material.
materials::MatCall material_call(int ielno, int set, int iopt, std::int64_t sta);
// MATDSP with a fresh previous-type word and both print switches off; the
// call comes back as the material driver left it. The caller gets back the
// set's type (0 for a set that is not in the model).
int run_material(materials::MatCall& m);

// MATDSP option 9 for material set `set` of element ielno: the number of
// state words the set needs (never below 0).
int material_state_words(int ielno, int set);

// MATDSP option 2 on the one copy of the state words at sta: the set's type.
int init_material(int ielno, int set, std::int64_t sta);

// The request line of option 8 just read by the caller (kind, element,
// interval, T0, DT), read again from unit IUNIT; the print interval "INC=" of
// 0 or less prints every record.
struct HistoryRequest {
  int unit = 0;
  int inc = 1;
  std::int32_t nint = 0;
  float t0 = 0.0f;
  float dt = 0.0f;
  bool read = false;  // the request line was read whole
};
HistoryRequest history_request();

// The history records after the request: read() takes one step's records
// (false at the end of them), print(step, time) reports every INC-th step.
template <class Read, class Print>
void history_records(const HistoryRequest& h, int& step, Read read, Print print) {
  step = -h.nint;
  while (read()) {
    step += h.nint;
    const float time = static_cast<float>(step) * h.dt + h.t0;
    if (step % h.inc == 0) print(step, time);
  }
}

}  // namespace elements::common
