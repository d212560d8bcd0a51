#include "solutions/dynamic/initial_conditions.h"

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "base/globals.h"
#include "base/input_lines.h"
#include "fio/fio.h"
#include "solutions/dynamic/time_history.h"

namespace solutions {

namespace {

constexpr int kInput = 5;
constexpr int kOut = 6;
constexpr std::size_t kComponentWidth = 20;

// One initial-condition record as read.
struct Record {
  std::int32_t node = 0;
  std::int32_t igen = 0;
  std::int32_t inc = 0;
  std::string component;           // 20 characters
  std::array<float, 6> values{};   // TX TY TZ RX RY RZ
};

// Which vector a component fills; none for "END" and for a word that is not a
// component.
enum class Component { displacement, velocity, acceleration, load, end, none };

Component classify(std::string_view c) {
  if (base::keyon(c, "DISPL", false)) return Component::displacement;
  if (base::keyon(c, "VEL", false)) return Component::velocity;
  if (base::keyon(c, "ACC", false)) return Component::acceleration;
  if (base::keyon(c, "LOA", false)) return Component::load;
  if (base::keyon(c, "FOR", false)) return Component::load;
  if (base::keyon(c, "END", false)) return Component::end;
  return Component::none;
}

std::string padded(std::string s) {
  s.resize(kComponentWidth, ' ');
  return s;
}

// Reads the next record. A record ends the list from its first line when its
// node ID is 0 or below or its component holds "END", so a short closing line
// never takes the ground-motion records after it; any other record may go on
// over further lines, as free-format records do.
Record read_record() {
  std::string line;
  for (;;) {
    const fio::Status st = fio::read_record(kInput, line);
    if (st != fio::Status::ok) time_history_input_fault("INITIAL CONDITIONS", st);
    if (line.find_first_not_of(" \t\r,") != std::string::npos) break;
  }
  Record r;
  std::span<float> values(r.values);
  const fio::Status st = fio::read_list_text(line, r.node, r.igen, r.inc, r.component, values);
  if (st == fio::Status::error) time_history_input_fault("INITIAL CONDITIONS", st);
  r.component = padded(r.component);
  if (st == fio::Status::ok || r.node <= 0 || classify(r.component) == Component::end) return r;
  fio::backspace(kInput);
  Record full;
  std::span<float> full_values(full.values);
  read_time_history_record("INITIAL CONDITIONS", full.node, full.igen, full.inc, full.component, full_values);
  full.component = padded(full.component);
  return full;
}

void print_header() {
  const kv::Titles& t = kv::titles();
  fio::write(kOut,
             "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,"
             "'  INITIAL ACCELERATIONS, VELOCITIES DISPLACEMENTS ','AND LOADS ',/,"
             "' =================================================','==========',/)",
             t.title1, t.title2);
  fio::write(kOut, "(4X,'NODE',2X,'IGEN',3X,'INC',1X,'COMPONENT',T44,'TX',10X,'TY',10X,'TZ',10X,'RX',10X,'RY',"
                   "10X,'RZ')");
}

// The record's values into the vector at node position k; constrained degrees
// of freedom carry their master's equation and are left alone.
void apply(const Record& r, const base::NodeTables& nodes, int k, int neq, float* vec) {
  const std::int32_t code = nodes.ncode(k);
  for (int j = 1; j <= 6; ++j) {
    const float x = r.values[static_cast<std::size_t>(j - 1)];
    if (x == 0.0f) continue;
    if (base::code_bit(code, base::kConstrain, j)) {
      fio::write_list(kOut, "CONSTRAINED DOF #", j, " COMPONENT IS SKIPED");
      kv::note_fault(kv::Fault::input_warning, "INITIAL CONDITION ON A CONSTRAINED DEGREE OF FREEDOM SKIPPED");
      continue;
    }
    const int e = nodes.id(k, j);
    if (e >= 1 && e <= neq) vec[e - 1] = x;
  }
}

}  // namespace

void initcd(int neq, const base::NodeTables& nodes, int nnode, float* u, float* v, float* a, float* p) {
  kv::Stcase& st = kv::stcase();
  std::int32_t istat = 0;
  read_time_history_record("STATICS-CASE SWITCH", istat);
  st.istat = istat;

  if (istat == 1) {
    fio::write_list(kOut);
    fio::write_list(kOut, " STATICS CASE EXTERNAL DEFORMATIONS ARE INCLUDED");
    fio::write_list(kOut, " ===============================================");
    // A static solution of a smaller model leaves fewer values: the rest start at rest.
    const int held = static_cast<int>(st.dstat.size()) - 1;
    for (int i = 1; i <= neq; ++i) {
      u[i - 1] = i <= held ? st.dstat[static_cast<std::size_t>(i)] : 0.0f;
      v[i - 1] = 0.0f;
      a[i - 1] = 0.0f;
      p[i - 1] = 0.0f;
    }
  } else {
    if (istat == 0) {
      fio::write_list(kOut);
      fio::write_list(kOut, " NOT INCLUDE STATICS CASE EXTERNAL DEFORMATIONS ");
      fio::write_list(kOut, " ==============================================");
    }
    bool headed = false;
    for (;;) {
      Record r = read_record();
      if (r.node <= 0) break;
      if (!headed) {
        print_header();
        headed = true;
      }
      fio::write(kOut, "(2X,3I6,1X,A,1P,6E12.4)", r.node, r.igen, r.inc, r.component,
                 std::span<const float>(r.values));
      const Component c = classify(r.component);
      if (c == Component::end) break;
      if (c == Component::none) {
        fio::write_list(kOut, "INVALID OPTION:", r.component);
        kv::note_fault(kv::Fault::input_warning, "INITIAL CONDITION WITH AN INVALID COMPONENT SKIPPED");
        continue;
      }
      float* vec = c == Component::displacement ? u : c == Component::velocity ? v : c == Component::acceleration ? a : p;
      // 64 bits: a huge increment must not wrap the node ID; an increment of
      // 0 would only set the same node again.
      std::int64_t n = r.node;
      for (;;) {
        const int k = base::ifind(static_cast<std::int32_t>(n), nodes.nodid_ptr(), nnode);
        if (k == 0) {
          fio::write_list(kOut, "NODE #", n, " WAS NOT FOUND, CHECK INPUT, INITIAL VALUE IS OMITTED ");
          kv::note_fault(kv::Fault::input_warning, "INITIAL CONDITION ON A NODE THAT DOES NOT EXIST OMITTED");
          break;
        }
        apply(r, nodes, k, neq, vec);
        if (r.igen < 1) break;
        if (r.inc == 0) {
          fio::write_list(kOut, "INC 0 REPEATS NODE #", n, ", GENERATION ENDS");
          break;
        }
        --r.igen;
        n += r.inc;
        if (n < 1 || n > std::numeric_limits<std::int32_t>::max()) {
          fio::write_list(kOut, "NODE #", n, " WAS NOT FOUND, CHECK INPUT, INITIAL VALUE IS OMITTED ");
          kv::note_fault(kv::Fault::input_warning, "INITIAL CONDITION ON A NODE THAT DOES NOT EXIST OMITTED");
          break;
        }
      }
    }
  }

  bool headed = false;
  for (int i = 1; i <= neq; ++i) {
    const float pi = p[i - 1], ui = u[i - 1], vi = v[i - 1], ai = a[i - 1];
    if (pi == 0.0f && ai == 0.0f && ui == 0.0f && vi == 0.0f) continue;
    if (!headed) {
      fio::write(kOut, "(/,/,5X,'INITIAL, NON-ZERO VALUES',/,7X,'DOF',7X,'FORCE',10X,'DISP',11X,'VEL ',11X,"
                       "'ACC ')");
      headed = true;
    }
    fio::write(kOut, "(I10,4E15.6)", i, pi, ui, vi, ai);
  }
}

}  // namespace solutions
