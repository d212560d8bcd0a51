// fio: Fortran-style formatted I/O. Report lines are written from the edit-
// descriptor lists the program's layouts are given in, input is read list-
// directed (free format) or under fixed-field formats, and files are reached
// through numbered units 1..60.
//
//   fio::write(6, "(1X,I5,6E12.6)", n, a, b);      // one or more records on unit 6
//   fio::write_list(6, "INVALID SOLN#", nsol);      // list-directed line
//   fio::Status s = fio::read_list(5, title);       // free-format read of unit 5
//   std::string t = fio::format("(F8.3)", x);       // the record text, for tests
//
// Arguments of write/format: integers, float (REAL), double, bool (LOGICAL),
// text (const char*, std::string, std::string_view), and arrays as
// std::span<const T> or std::vector<T> of those, which expand element by element.
// Targets of read_list/read_fmt: int32_t&, float&, double&, bool&, std::string&,
// and std::span<T> of the numeric and logical kinds (filled element by element).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fio {

enum class Status { ok, end, error };  // end: end of file; error: unreadable input

// ---------------------------------------------------------------- values
struct Value {
  enum class Kind { integer, real, dbl, text, logical };
  Kind kind = Kind::integer;
  std::int64_t i = 0;
  double d = 0.0;           // real and dbl (a REAL is held exactly as its double)
  std::string_view s;       // text: must outlive the write call
  bool b = false;
};

inline void push_value(std::vector<Value>& v, long x) { Value a; a.kind = Value::Kind::integer; a.i = x; v.push_back(a); }
inline void push_value(std::vector<Value>& v, int x) { push_value(v, static_cast<long>(x)); }
inline void push_value(std::vector<Value>& v, long long x) { push_value(v, static_cast<long>(x)); }
inline void push_value(std::vector<Value>& v, unsigned x) { push_value(v, static_cast<long>(x)); }
inline void push_value(std::vector<Value>& v, unsigned long x) { push_value(v, static_cast<long>(x)); }
inline void push_value(std::vector<Value>& v, float x) { Value a; a.kind = Value::Kind::real; a.d = x; v.push_back(a); }
inline void push_value(std::vector<Value>& v, double x) { Value a; a.kind = Value::Kind::dbl; a.d = x; v.push_back(a); }
inline void push_value(std::vector<Value>& v, bool x) { Value a; a.kind = Value::Kind::logical; a.b = x; v.push_back(a); }
inline void push_value(std::vector<Value>& v, std::string_view x) { Value a; a.kind = Value::Kind::text; a.s = x; v.push_back(a); }
inline void push_value(std::vector<Value>& v, const char* x) { push_value(v, std::string_view(x)); }
inline void push_value(std::vector<Value>& v, const std::string& x) { push_value(v, std::string_view(x)); }
template <class T>
void push_value(std::vector<Value>& v, std::span<T> xs) { for (const auto& x : xs) push_value(v, x); }
template <class T>
void push_value(std::vector<Value>& v, const std::vector<T>& xs) { for (const auto& x : xs) push_value(v, x); }

// Scratch list reused by the variadic front ends, so a report line costs no
// allocation once the program is warm.
std::vector<Value>& scratch_values();

// ---------------------------------------------------------------- output
// Records of a formatted write, in order (a "/" or reversion starts a new one).
std::vector<std::string> format_records(std::string_view fmt, std::span<const Value> values);
// Writes the records to the unit.
void write_values(int unit, std::string_view fmt, std::span<const Value> values);
// List-directed output: one record (values longer than a line do not wrap).
std::string list_record(std::span<const Value> values);

template <class... A>
void write(int unit, std::string_view fmt, const A&... args) {
  auto& v = scratch_values();
  v.clear();
  (push_value(v, args), ...);
  write_values(unit, fmt, v);
}

// The records of a formatted write joined by '\n' (no trailing newline).
template <class... A>
std::string format(std::string_view fmt, const A&... args) {
  std::vector<Value> v;
  (push_value(v, args), ...);
  std::string out;
  auto recs = format_records(fmt, v);
  for (std::size_t k = 0; k < recs.size(); ++k) {
    if (k) out += '\n';
    out += recs[k];
  }
  return out;
}

template <class... A>
void write_list(int unit, const A&... args);

template <class... A>
std::string list_format(const A&... args) {
  std::vector<Value> v;
  (push_value(v, args), ...);
  return list_record(v);
}

// ---------------------------------------------------------------- input targets
struct Target {
  enum class Kind { integer, real, dbl, text, logical };
  Kind kind = Kind::integer;
  void* p = nullptr;
};
inline void push_target(std::vector<Target>& t, std::int32_t& x) { t.push_back({Target::Kind::integer, &x}); }
inline void push_target(std::vector<Target>& t, float& x) { t.push_back({Target::Kind::real, &x}); }
inline void push_target(std::vector<Target>& t, double& x) { t.push_back({Target::Kind::dbl, &x}); }
inline void push_target(std::vector<Target>& t, bool& x) { t.push_back({Target::Kind::logical, &x}); }
inline void push_target(std::vector<Target>& t, std::string& x) { t.push_back({Target::Kind::text, &x}); }
template <class T>
void push_target(std::vector<Target>& t, std::span<T> xs) { for (auto& x : xs) push_target(t, x); }

// List-directed (free-format) read of the targets from the unit's next records.
// A text target receives the item as read (a list-directed read of a CHARACTER
// variable); callers that keep a fixed length pad or cut it themselves.
Status read_list_targets(int unit, std::span<const Target> targets);
// The same, reading from text held in memory (records separated by '\n').
Status read_list_text_targets(std::string_view text, std::span<const Target> targets);
// Fixed-field formatted read (A70, (I6,6E12.5), ...). A text target under Aw
// receives exactly w characters; under plain A it keeps its current length when
// that is not zero, else takes the rest of the record.
Status read_fmt_targets(int unit, std::string_view fmt, std::span<const Target> targets);
Status read_fmt_text_targets(std::string_view text, std::string_view fmt, std::span<const Target> targets);

template <class... T>
Status read_list(int unit, T&... targets) {
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_list_targets(unit, t);
}
template <class... T>
Status read_list_text(std::string_view text, T&... targets) {
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_list_text_targets(text, t);
}
template <class... T>
Status read_fmt(int unit, std::string_view fmt, T&... targets) {
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_fmt_targets(unit, fmt, t);
}
template <class... T>
Status read_fmt_text(std::string_view text, std::string_view fmt, T&... targets) {
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_fmt_text_targets(text, fmt, t);
}

// ---------------------------------------------------------------- units
inline constexpr int kMaxUnit = 60;

// Opens the file for sequential reading and writing from its start; a missing
// file is created, an existing one is not truncated. False when it cannot be.
bool open(int unit, const std::string& path);
// Connects the unit to standard output (unit 1, the console) or standard input.
void connect_stdout(int unit);
void connect_stdin(int unit);
bool is_open(int unit);
void close(int unit);            // flushes; a closed unit may be opened again
void rewind(int unit);
void backspace(int unit);        // exactly one record back
void flush(int unit);
void flush_all();
void close_all();                // every unit, for the end of a run and for tests
std::string path_of(int unit);   // the path the unit is open on ("" when none)

// A unit written or read before it was opened opens "fort.N" in this folder.
void set_default_folder(const std::string& folder);

// Reads the next record (without its line end; a trailing CR is dropped).
Status read_record(int unit, std::string& record);
// Writes one record.
void write_record(int unit, std::string_view record);

template <class... A>
void write_list(int unit, const A&... args) {
  auto& v = scratch_values();
  v.clear();
  (push_value(v, args), ...);
  write_record(unit, list_record(v));
}

}  // namespace fio
