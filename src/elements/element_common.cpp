#include "elements/element_common.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/globals.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "fio/fio.h"
#include "materials/matdsp.h"

namespace elements::common {

bool degenerate_length(double length, double size) {
  // A few float spacings of the coordinates: below it the length is noise.
  constexpr double kRelTol = 1.0e-6;
  return !(length > kRelTol * size);
}

double joint_size(int pi, int pj, double distance) {
  const base::NodeTables nt = base::node_tables();
  double size = distance;
  for (int k = 1; k <= 3; ++k)
    size = std::max({size, std::fabs(static_cast<double>(nt.xyz(pi, k))), std::fabs(static_cast<double>(nt.xyz(pj, k)))});
  return size;
}

bool forces_finite(int ielno, const float* f, int n) {
  if (std::all_of(f, f + n, [](float x) { return std::isfinite(x); })) return true;
  static const std::string stars(50, '*');
  fio::write(6,
             "(///,1X,A,/,' *  ER','ROR IN ELEMENT',I6,T51,'*',/,"
             "' *  AN ELEMENT FORCE IS NOT FINITE',T51,'*',/,"
             "' *  A STIFFNESS OR DISPLACEMENT TOO LARGE',T51,'*',/,"
             "' *  SOLUTION IS ABORTED ',T51,'*',/,1X,A)",
             stars, ielno, stars);
  kv::ctl(kv::kISTOP) |= 1;
  kv::note_fault(kv::Fault::solution_error, "SOLUTION ABORTED: AN ELEMENT FORCE IS NOT FINITE");
  return false;
}

void note_length_revised(int ielno) {
  kv::note_fault(kv::Fault::input_warning, "ELEMENT " + std::to_string(ielno) + ": LENGTH OR WIDTH IS LE 0, TAKEN AS 1.0");
}

void size_error(int ielno, std::string_view what, float value) {
  if (what == "LENGTH") {
    fio::write(6, "(1X,20('*'),'ER','ROR - LENGTH IS LE 0',/,5X,'IELNO=',I5,10X,'LENGTH',1P,E15.6,/,"
                  "5X,'REVISE INPUT.............................',/)",
               ielno, value);
  } else {
    fio::write(6, "(1X,20('*'),'ER','ROR - WIDTH IS LE 0',/,5X,'IELNO=',I5,10X,'WIDTH ',1P,E15.6,/,"
                  "5X,'REVISE INPUT.............................',/)",
               ielno, value);
  }
}

int to_int(float x) {
  if (!(std::fabs(x) < 2.0e9f)) return 0;
  return static_cast<int>(x);
}

bool rs_combination() {
  const float m = kv::solsta().rsmeth;
  return m == 1.0f || m == 2.0f;
}

float* scratch_at_iz(int words, int nlc) {
  const std::int64_t n = static_cast<std::int64_t>(words) * std::max(nlc, 1);
  kv::memchk(n, 0);
  return kv::rptr(kv::ctl(kv::kIZ));
}

void update_envelope(float* env, const float* f, int n) {
  for (int i = 0; i < n; ++i) {
    float* col = env + n * i;
    if (std::fabs(f[i]) > std::fabs(col[i])) std::copy(f, f + n, col);
  }
}

void commit_totals(float* f, float* d, const float* df, const float* du, int n, float* env) {
  if (rs_combination()) {
    std::copy(kv::solsta().rsforc.begin() + 1, kv::solsta().rsforc.begin() + 1 + n, f);
    return;
  }
  for (int i = 0; i < n; ++i) {
    f[i] += df[i];
    d[i] += du[i];
  }
  update_envelope(env, f, n);
}

materials::MatCall material_call(int ielno, int set, int iopt, std::int64_t sta) {
  materials::MatCall mc;
  mc.iopt = iopt;
  mc.ielno = ielno;
  mc.element_print = false;
  mc.set = set;
  mc.sta = sta;
  return mc;
}

int run_material(materials::MatCall& m) {
  int prev = 0;
  int type = 0;
  materials::matdsp(m, prev, 0, type);
  return type;
}

float end_energy(const float* du, const float* d, const float* df, const float* f, int n) {
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) sum += (du[i] + d[i]) * (f[i] + df[i]) / 2.0f;
  return sum;
}

int material_state_words(int ielno, int set) {
  materials::MatCall mc = material_call(ielno, set, materials::kOptNState, 0);
  run_material(mc);
  return std::max(mc.nstate, 0);
}

int init_material(int ielno, int set, std::int64_t sta) {
  materials::MatCall mc = material_call(ielno, set, materials::kOptInit, sta);
  return run_material(mc);
}

HistoryRequest history_request() {
  HistoryRequest h;
  h.unit = kv::ctl(kv::kIUNIT);
  h.inc = std::max<int>(kv::ctl(kv::kINC), 1);
  fio::backspace(h.unit);
  std::int32_t kind = 0;
  std::int32_t elem = 0;
  h.read = fio::read_list(h.unit, kind, elem, h.nint, h.t0, h.dt) == fio::Status::ok;
  return h;
}

}  // namespace elements::common
