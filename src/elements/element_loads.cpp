#include "elements/element_loads.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"

namespace elements {

namespace {

// Record words of IDATA (0-based within a record).
enum IdataWord : int { kLoad = 0, kElem = 1, kGen = 2, kInc = 3, kCode = 4 };

constexpr int kWordLen = 10;  // each of the two words of a record

void fef_message(int ielno, std::string_view text) {
  fio::write(6, "('  ER','ROR CALCULATING FIXED END FORCES FOR ELEMENT #',I6,' ',A,' IS NOT AVAILABLE')", ielno,
             text);
}

struct Group {
  std::string_view key;
  int base;
  int nvalues;
};
constexpr std::array<Group, 4> kGroups{{
    {"CONC", kGroupConc, 2},
    {"UNIF", kGroupUnif, 1},
    {"VARR", kGroupVarr, 4},
    {"FEM", kGroupFem, 12},
}};
constexpr std::array<std::string_view, 6> kDirections{"FX", "FY", "FZ", "MX", "MY", "MZ"};

bool holds(std::string_view text, std::string_view key) { return text.find(key) != std::string_view::npos; }

// A CHARACTER*10 word: cut or blank-padded.
void fit_word(std::string& w) { w.resize(kWordLen, ' '); }

// The echo of a record: the integers, the text and its values, six to a line.
void echo_record(const std::array<std::int32_t, 4>& head, std::string_view text,
                 std::span<const float> values, bool clamped) {
  if (clamped) {
    // Only "CONC" (2 values) and "VARR" (4 values) positions are clamped; the
    // mark follows the values on the same line.
    fio::write(6,
               values.size() == 2 ? "(1X,4I5,1X,A20,1P,2E14.6,'  * DISTANCE CLAMPED')"
                                  : "(1X,4I5,1X,A20,1P,4E14.6,'  * DISTANCE CLAMPED')",
               std::span<const std::int32_t>(head), text, values);
    return;
  }
  fio::write(6, "(1X,4I5,1X,A20,1P,6E14.6:/(42X,6E14.6))", std::span<const std::int32_t>(head), text, values);
}

void skipped(std::string_view why) {
  fio::write(6, "(' ',A,' --- LOAD IS SKIPPED')", why);
  kv::note_fault(kv::Fault::input_warning, "ELEMENT LOAD SKIPPED: " + std::string(why));
}

// The first line of a record, as text (blank lines are passed over).
bool first_line(std::string& rec) {
  std::string line;
  do {
    if (fio::read_record(5, line) != fio::Status::ok) return false;
  } while (line.find_first_not_of(" \t,") == std::string::npos);
  rec = ' ';
  rec += line;
  return true;
}

enum class RunOn { joined, end_record, end_of_input };

// A line that the items of a record run on to (a long "FEM" record) is joined
// to it. A line holding "END" is the closing record, not part of this one: it
// is left for the next read.
RunOn run_on_line(std::string& rec) {
  std::string line;
  if (fio::read_record(5, line) != fio::Status::ok) return RunOn::end_of_input;
  if (holds(line, "END")) {
    fio::backspace(5);
    return RunOn::end_record;
  }
  rec += ' ';
  rec += line;
  return RunOn::joined;
}

void skipped_text(std::string_view why, const std::string& rec) {
  skipped(why);
  fio::write(6, "(1X,A)", std::string_view(rec).substr(1));
}

// How many of the elements a record names (its first and the generated ones)
// exist, numbered 1..nelem. In 64 bits: numbers and increments may span the
// whole integer range.
struct Named {
  std::int64_t total = 0;
  std::int64_t existing = 0;
};

Named named_elements(std::int64_t elem, std::int64_t gen, std::int64_t inc, int nelem) {
  Named n;
  if (inc == 0 || gen <= 0) {
    // As load_applies: without a walk the record names its first element once.
    n.total = 1;
    n.existing = elem >= 1 && elem <= nelem ? 1 : 0;
    return n;
  }
  n.total = gen + 1;
  // k = 0..gen with 1 <= elem + k inc <= nelem.
  auto floor_div = [](std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
  auto ceil_div = [&floor_div](std::int64_t a, std::int64_t b) { return -floor_div(-a, b); };
  std::int64_t lo = inc > 0 ? ceil_div(1 - elem, inc) : ceil_div(nelem - elem, inc);
  std::int64_t hi = inc > 0 ? floor_div(nelem - elem, inc) : floor_div(1 - elem, inc);
  lo = std::max<std::int64_t>(lo, 0);
  hi = std::min(hi, gen);
  n.existing = hi >= lo ? hi - lo + 1 : 0;
  return n;
}

void joint_force_report(int neqr1, int neq, int nlc, std::int64_t iload, bool ltitl) {
  std::vector<fio::Value> v;
  v.reserve(15);
  for (int lc = 1; lc <= nlc; ++lc) {
    if (ltitl) kv::page_header(6);
    fio::write(6, "('  GLOBAL JOINT FORCES DUE TO ELEMENT LOADS ',3X,'   LOADING #',I5,10X,"
                  "'  NOTE: * DENOTES SUPPORT DISPLACEMENT')", lc);
    fio::write(6, "(' ==========================================',/)");
    fio::write(6, "(5X,5('  DOF',7X,'LOAD    '),/)");
    const float* r = kv::rptr(iload + static_cast<std::int64_t>(lc - 1) * neq) - 1;  // r[eq]
    const int nlines = (neq + 9) / 5;  // the table ends with a line holding no entry
    for (int line = 0; line < nlines; ++line) {
      v.clear();
      for (int eq = 5 * line + 1; eq <= std::min(neq, 5 * line + 5); ++eq) {
        fio::push_value(v, eq);
        fio::push_value(v, r[eq]);
        fio::push_value(v, std::string_view(eq > neqr1 ? "*" : " "));
      }
      fio::write_values(6, "(5X,5(I5,1PE14.6,A1))", v);
    }
  }
}

}  // namespace

ElementLoadTables element_load_tables() {
  ElementLoadTables t;
  t.neload = kv::ctl(kv::kNELOAD);
  const std::int64_t pi = kv::ctl(kv::kElemLoad1);
  const std::int64_t pr = kv::ctl(kv::kElemLoad2);
  if (pi <= 0 || pr <= 0 || t.neload <= 0) return t;
  t.idata = kv::iptr(pi);
  t.rdata = kv::rptr(pr);
  t.nread = std::clamp<int>(kv::ctl(kv::kElementLoadWord), 0, t.neload);
  return t;
}

bool load_applies(const std::int32_t* record, int e) {
  const int elem = record[kElem];
  if (e == elem) return true;
  // In 64 bits: element numbers and increments may span the whole integer range.
  const std::int64_t inc = record[kInc];
  const std::int64_t gen = record[kGen];
  if (inc == 0 || gen <= 0) return false;
  const std::int64_t d = static_cast<std::int64_t>(e) - elem;
  if (d % inc != 0) return false;
  const std::int64_t k = d / inc;
  return k >= 0 && k <= gen;
}

void fefrel(float& fa, float& fb, bool rela, bool relb, int kind, int ielno) {
  if (!rela && !relb) return;
  if (kind == kFefMoment) {
    if (rela && relb) {
      fa = 0.0f;
      fb = 0.0f;
    } else if (relb) {
      fa = fa - fb / 2.0f;
      fb = 0.0f;
    } else {
      fb = fb - fa / 2.0f;
      fa = 0.0f;
    }
    return;
  }
  if (rela && relb) {
    fef_message(ielno, "TORSION WITH BOTH ENDS RELEASED");
    fa = 0.0f;
    fb = 0.0f;
  } else if (relb) {
    fa = fa + fb;
    fb = 0.0f;
  } else {
    fb = fb + fa;
    fa = 0.0f;
  }
}

bool bmfef(int ielno, float xl, int irel, const ElementLoadTables& t, int nlc, float* fef) {
  bool loaded = false;
  if (t.neload <= 0 || t.idata == nullptr || t.rdata == nullptr) return false;
  auto bit = [irel](int b) { return (irel & b) != 0; };
  const float l = xl;
  for (int n = 1; n <= t.nread; ++n) {
    const std::int32_t* rec = t.idata + static_cast<std::int64_t>(n - 1) * kIdataWords;
    if (!load_applies(rec, ielno)) continue;
    const int lc = rec[kLoad];
    if (lc < 1 || lc > nlc) continue;
    if (!loaded) {
      std::fill(fef, fef + 12 * static_cast<std::int64_t>(nlc), 0.0f);
      loaded = true;
    }
    const float* v = t.rdata + static_cast<std::int64_t>(n - 1) * kRdataWords;
    std::array<float, 13> f{};  // f[1..12]
    const int code = rec[kCode];
    const int group = code - code % 100;
    const int d = code % 100;
    const float p = v[0];
    const float a = v[1];
    const float w = v[0];
    if (group == kGroupConc) {
      switch (d) {
        case 1:
          f[1] = -p * (1.0f - a);
          f[7] = -p * a;
          break;
        case 2:
          f[6] = -p * a * l * (1.0f - a) * (1.0f - a);
          f[12] = p * a * a * (1.0f - a) * l;
          fefrel(f[6], f[12], bit(kRelMzI), bit(kRelMzJ), kFefMoment, ielno);
          f[8] = (-f[6] - f[12] - p * a * l) / l;
          f[2] = -p - f[8];
          break;
        case 3:
          f[5] = p * a * l * (1.0f - a) * (1.0f - a);
          f[11] = -p * a * a * (1.0f - a) * l;
          fefrel(f[5], f[11], bit(kRelMyI), bit(kRelMyJ), kFefMoment, ielno);
          f[9] = (f[11] + f[5] - p * a * l) / l;
          f[3] = -p - f[9];
          break;
        case 4:
          f[4] = -p * (1.0f - a);
          f[10] = -p * a;
          fefrel(f[4], f[10], bit(kRelMxI), bit(kRelMxJ), kFefTorsion, ielno);
          break;
        case 5:
          f[5] = -p * (1.0f - 4.0f * a + 3.0f * a * a);
          f[11] = p * (2.0f * a - 3.0f * a * a);
          fefrel(f[5], f[11], bit(kRelMyI), bit(kRelMyJ), kFefMoment, ielno);
          f[9] = (f[11] + f[5] + p) / l;
          f[3] = -f[9];
          break;
        case 6:
          f[6] = -p * (1.0f - 4.0f * a + 3.0f * a * a);
          f[12] = p * (2.0f * a - 3.0f * a * a);
          fefrel(f[6], f[12], bit(kRelMzI), bit(kRelMzJ), kFefMoment, ielno);
          f[8] = -(f[12] + f[6] + p) / l;
          f[2] = -f[8];
          break;
        default:
          break;
      }
    } else if (group == kGroupUnif) {
      switch (d) {
        case 1:
          f[1] = -w * l / 2.0f;
          f[7] = -w * l / 2.0f;
          break;
        case 2:
          f[6] = -w * l * l / 12.0f;
          f[12] = w * l * l / 12.0f;
          fefrel(f[6], f[12], bit(kRelMzI), bit(kRelMzJ), kFefMoment, ielno);
          f[8] = (-f[6] - f[12]) / l - w * l / 2.0f;
          f[2] = -w * l - f[8];
          break;
        case 3:
          f[5] = w * l * l / 12.0f;
          f[11] = -w * l * l / 12.0f;
          fefrel(f[5], f[11], bit(kRelMyI), bit(kRelMyJ), kFefMoment, ielno);
          f[9] = (f[11] + f[5]) / l - w * l / 2.0f;
          f[3] = -w * l - f[9];
          break;
        case 4:
          f[4] = -w * l / 2.0f;
          f[10] = -w * l / 2.0f;
          fefrel(f[4], f[10], bit(kRelMxI), bit(kRelMxJ), kFefTorsion, ielno);
          break;
        case 5:
        case 6:
          fef_message(ielno, " UNIFORM MY OR UNIFORM MZ");
          break;
        default:
          break;
      }
    } else if (group == kGroupFem) {
      for (int k = 1; k <= 12; ++k) f[static_cast<std::size_t>(k)] = v[k - 1];
    } else {
      fef_message(ielno, "INVALID LOAD GROUP");
    }
    float* col = fef + 12 * static_cast<std::int64_t>(lc - 1);
    for (int k = 1; k <= 12; ++k) col[k - 1] -= f[static_cast<std::size_t>(k)];
  }
  return loaded;
}

int elload(bool lprt, int neqr1, int nelem, int neload, int neq, int nlc, std::int64_t idisp,
           std::int64_t iload, std::string_view label, bool ltitl) {
  kv::ctl(kv::kElementLoadWord) = 0;
  const std::int64_t pidata = kv::ctl(kv::kElemLoad1);
  const std::int64_t prdata = kv::ctl(kv::kElemLoad2);
  if (neload <= 0 || pidata <= 0 || prdata <= 0) return 0;

  bool header = false;
  int n = 1;
  std::string rec;
  std::string w1;
  std::string w2;
  std::string text;
  std::array<float, kRdataWords> values{};
  while (n <= neload) {
    // The record head: four integers and two words, on one line or more.
    if (!first_line(rec)) break;
    std::array<std::int32_t, 4> head{};
    fio::Status s = fio::Status::end;
    RunOn more = RunOn::joined;
    for (;;) {
      w1.clear();
      w2.clear();
      s = fio::read_list_text(rec, head[0], head[1], head[2], head[3], w1, w2);
      if (s != fio::Status::end) break;
      // The closing record: "END" where the integers or words should be.
      if (holds(rec, "END")) break;
      more = run_on_line(rec);
      if (more != RunOn::joined) break;
    }
    if (s != fio::Status::ok && holds(rec, "END")) break;
    if (more == RunOn::end_of_input) break;
    fit_word(w1);
    fit_word(w2);
    text = w1 + w2;
    if (s == fio::Status::ok && holds(text, "END")) break;

    if (!header) {
      header = true;
      if (ltitl) kv::page_header(6);
      fio::write(6, "(/,'     ELEMENT LOADS   ',/,'   ================= ',//,1X,"
                    "' LOAD ELEM  GEN  INC  GROUP & DIRECTION    VALUES.... ')");
    }
    if (s == fio::Status::error) {
      skipped_text("INVALID LOAD TYPE", rec);
      continue;
    }
    if (s != fio::Status::ok) {
      skipped_text("INCOMPLETE LOAD RECORD", rec);
      continue;
    }

    const Group* group = nullptr;
    for (const Group& g : kGroups) {
      if (holds(text, g.key)) {
        group = &g;
        break;
      }
    }
    const int nvalues = group != nullptr ? group->nvalues : 1;
    values.fill(0.0f);
    std::span<float> vals(values.data(), static_cast<std::size_t>(nvalues));
    std::array<std::int32_t, 4> h{};
    for (;;) {
      s = fio::read_list_text(rec, h[0], h[1], h[2], h[3], w1, w2, vals);
      if (s != fio::Status::end) break;
      more = run_on_line(rec);
      if (more != RunOn::joined) break;
    }
    if (s == fio::Status::error) {
      skipped_text("INVALID LOAD TYPE", rec);
      continue;
    }
    if (s != fio::Status::ok) {
      skipped_text("INCOMPLETE LOAD RECORD", rec);
      if (more == RunOn::end_of_input) break;
      continue;
    }

    if (group == nullptr) {
      skipped("INVALID LOAD TYPE");
      fio::write(6, "(1X,4I5,1X,A20,1PE14.6)", std::span<const std::int32_t>(head), text, values[0]);
      continue;
    }

    bool clamped = false;
    auto check = [&clamped](float& x, float lo, float hi) {
      const float before = x;
      base::rangck(x, lo, hi, "DISTANCE");
      if (!(x == before)) clamped = true;
    };
    if (group->base == kGroupConc) {
      check(values[1], 0.0f, 1.0f);
    } else if (group->base == kGroupVarr) {
      check(values[2], 0.0f, values[3]);
      check(values[3], values[2], 1.0f);
    }

    int dir = 0;
    for (std::size_t k = 0; k < kDirections.size(); ++k) {
      if (holds(text, kDirections[k])) {
        dir = static_cast<int>(k) + 1;
        break;
      }
    }
    const std::span<const float> shown(values.data(), static_cast<std::size_t>(nvalues));
    if (dir == 0 && group->base != kGroupFem) {
      skipped("INVALID LOAD DIRECTION");
      echo_record(head, text, shown, false);
      continue;
    }
    // Each record is added into the column of its load case: one outside the
    // load table would be written past it.
    if (head[0] < 1 || head[0] > nlc) {
      skipped("INVALID LOAD CASE");
      echo_record(head, text, shown, false);
      continue;
    }

    // Loads on elements the model does not have would be dropped without a
    // word: said as for a joint load on a missing node.
    const Named named = named_elements(head[1], head[2], head[3], nelem);
    const std::string model_has = " IN THE MODEL (ELEMENTS 1 TO " + std::to_string(nelem) + ")";
    if (named.existing == 0) {
      skipped(named.total == 1 ? "ELEMENT " + std::to_string(head[1]) + " IS NOT" + model_has
                               : "NONE OF THE " + std::to_string(named.total) + " ELEMENTS OF THE GENERATION IS" +
                                     model_has);
      echo_record(head, text, shown, false);
      continue;
    }
    if (named.existing < named.total) {
      const std::string why = "THE GENERATION NAMES " + std::to_string(named.total - named.existing) +
                              " ELEMENTS NOT" + model_has;
      fio::write(6, "(' ',A,' --- THEIR LOADS ARE SKIPPED')", why);
      kv::note_fault(kv::Fault::input_warning, "ELEMENT LOADS SKIPPED: " + why);
    }

    std::int32_t* id = kv::iptr(pidata + static_cast<std::int64_t>(n - 1) * kIdataWords);
    float* rd = kv::rptr(prdata + static_cast<std::int64_t>(n - 1) * kRdataWords);
    for (int k = 0; k < 4; ++k) id[k] = head[static_cast<std::size_t>(k)];
    id[kCode] = group->base == kGroupFem ? kGroupFem : group->base + dir;
    std::copy(values.begin(), values.end(), rd);
    echo_record(head, text, shown, clamped);
    ++n;
  }
  const int nread = n - 1;
  kv::ctl(kv::kElementLoadWord) = nread;
  if (!header) return nread;

  int ltype = 0;
  for (int e = 1; e <= nelem; ++e) {
    EleCall c;
    c.iopt = kEleLoads;
    c.ielno = e;
    c.label = label;
    c.idisp = idisp;
    c.iload = iload;
    eledsp(c, ltype, 0);
  }
  if (lprt) joint_force_report(neqr1, neq, nlc, iload, ltitl);
  return nread;
}

}  // namespace elements
