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
//
// Formatted output, the choices where the notation leaves room:
// - Descriptors: Iw, Iw.m, Fw.d, Ew.d, Ew.dEe, Dw.d, Gw.d (written as E for a
//   real, I for an integer), Aw, A, Lw, nX, Tn, TLn, TRn, kP, SP, SS, S, BN, BZ,
//   'text', "text", nH, /, :, k(...); repeat counts on all of them. Blanks in a
//   format are not significant ("1P E12.4" is 1PE12.4). A format is parsed once
//   per distinct text and kept for the run.
// - The scale factor, SP and SS hold to the end of the statement, reversion
//   included; under kP an F field shows the value times 10**k.
// - A record is built in a buffer, so T and TL may go back and overwrite.
//   Columns skipped by X or T become blanks only when something is written
//   beyond them: a trailing 1X adds nothing to the record.
// - Digits are those of the exact binary value (a REAL is edited as the float
//   it is); an exact tie rounds away from zero (F5.2 of 0.125 is " 0.13").
// - A value that rounds to zero is written without a minus sign ("0.00").
// - The zero before the point of a value below one is left out when the field
//   is one column short (F3.2 of 0.5 is ".50", E12.6 of -123.456 is
//   "-.123456E+03"); a field still too narrow is all asterisks.
// - An exponent above 99 in Ew.d drops the letter ("0.12346+100"); above 999,
//   or too wide for Ew.dEe, the field is asterisks.
// - NaN is "NaN"; infinities are "Inf" or "Infinity" with their sign, as the
//   width allows.
// - A value of another kind than its descriptor is converted: an integer under
//   F or E is edited as a real, a real under I is truncated toward zero (too
//   large or NaN: asterisks), a logical under I or F is 1 or 0, a number under A
//   is its list-directed text, a text under I, F, E or L is written as under Aw.
// - When values remain at the end of the format a new record starts at the last
//   outer group, its repeat count included (at the start when there is none).
//   A pass over the format that takes no value ends the statement, so a list
//   without data descriptors cannot loop; values left over are not written.
// - A text that is not a format writes " BAD FORMAT: " and the text, then the
//   values list-directed, so that nothing is lost silently.
// - Carriage control is not interpreted: a leading "1" or blank is text.
//
// List-directed output (write_list, list_format), one fixed layout:
// - the record begins with one blank; a blank separates two items unless both
//   are texts, which are joined ("ER", "ROR" gives " ERROR");
// - a text is written as it is, without quotes;
// - an integer in its minimal width ("-12"); a logical as T or F;
// - a float (REAL) as the field 1PE15.7 ("  1.0000000E+00", 15 columns), a
//   double as 1PE24.15; so list_format("A=", 2.0f) is " A=   2.0000000E+00";
// - no items: an empty record.
//
// List-directed input (read_list, read_list_text):
// - a read starts at a new record and drops what is left of its last record;
// - items are separated by blanks, commas and record ends (tab and a trailing
//   CR count as blanks); empty records are skipped;
// - ",," or a leading comma is a null value: the target keeps its value; r*
//   gives r nulls and r*value r copies; repeats beyond the list are dropped;
// - "/" ends the read with Status::ok, the remaining targets unchanged;
// - a quoted text (' or ", a doubled quote is one quote) may go on over the
//   record end (the records are joined without a separator); an unquoted item
//   ends at a blank, comma or "/", so "R/CONCRETE1" reads "R" and ends the read;
// - integers: optional sign and digits only ("2.0" or "1E3" is an error);
//   reals: 1, 1., .5, 1E5, 1.0D0, 1e-3, -2.5E+02, 1.5+3, rounded once from the
//   decimal text to the target's type; logicals: T, F, .TRUE., .FALSE., t, .f.
//   (the first letter after an optional point decides); a text target takes any
//   item as its text; a quoted item for a non-text target is an error;
// - Status::end when the file ends before the first item or in the middle of
//   the list (targets read before it keep their new values); Status::error for
//   an item that does not fit its target (targets before it are set).
//
// Formatted input (read_fmt, read_fmt_text):
// - a short record reads as if padded with blanks; blanks in a numeric field
//   are ignored (BN; BZ makes inner and trailing ones zeros); an all-blank
//   numeric field is 0;
// - a real field without a point has d implied decimals; exponents "1.5E3",
//   "1.5D3", "1.5+3"; under kP a field without exponent is divided by 10**k;
// - an I field into a real target and an F/E field into an integer target
//   convert (toward zero);
// - "/" and reversion read the next record; at the end of the data the walk
//   goes on only up to the next data descriptor or ":" (so "(I5,/)" reads two
//   records); Status::end when a needed record is missing, Status::error for an
//   unreadable field or a text that is not a format.
//
// Units: each open unit holds a FILE* opened for reading and writing and the
// byte offset of every record it has passed (not the records themselves), so
// that BACKSPACE, REWIND and the truncation of a write are exact and a large
// output file costs one offset per record. Writes are buffered; flush(),
// close() and flush_all() put them on disk. Unit 1 is the console (standard
// output, flushed after each record) unless opened on a file. A unit used
// before it is opened opens "fort.N" in the default folder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
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
template <class T, std::size_t N>
void push_value(std::vector<Value>& v, std::span<T, N> xs) { for (const auto& x : xs) push_value(v, x); }
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
// The records of a formatted write joined by '\n' (no trailing newline), into
// out (cleared first; its capacity is reused).
void format_values(std::string& out, std::string_view fmt, std::span<const Value> values);
// List-directed output: one record (values longer than a line do not wrap).
std::string list_record(std::span<const Value> values);
// The same into out (cleared first; its capacity is reused).
void list_record_into(std::string& out, std::span<const Value> values);
// Writes the list-directed record of the values to the unit.
void write_list_values(int unit, std::span<const Value> values);

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
  auto& v = scratch_values();
  v.clear();
  (push_value(v, args), ...);
  std::string out;
  format_values(out, fmt, v);
  return out;
}

// A value for a message that must never print NaN or Infinity: v in fmt (one
// real descriptor, e.g. "(1P,E12.4)"), or "NOT FINITE" right-justified in
// the same width when v is not finite.
std::string value_or_not_finite(double v, std::string_view fmt);

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
template <class T, std::size_t N>
void push_target(std::vector<Target>& t, std::span<T, N> xs) { for (auto& x : xs) push_target(t, x); }

// The read front ends take their targets as variables, or as spans made on the
// spot (fio::read_list(5, std::span<float>(prop, 8))); a temporary of any other
// kind would silently receive the value, so it is refused.
template <class T>
struct is_span_target : std::false_type {};
template <class T, std::size_t N>
struct is_span_target<std::span<T, N>> : std::true_type {};
template <class T>
inline constexpr bool is_target_arg =
    std::is_lvalue_reference_v<T> || is_span_target<std::remove_cvref_t<T>>::value;

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
Status read_list(int unit, T&&... targets) {
  static_assert((is_target_arg<T> && ...), "read targets must be variables or spans");
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_list_targets(unit, t);
}
template <class... T>
Status read_list_text(std::string_view text, T&&... targets) {
  static_assert((is_target_arg<T> && ...), "read targets must be variables or spans");
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_list_text_targets(text, t);
}
template <class... T>
Status read_fmt(int unit, std::string_view fmt, T&&... targets) {
  static_assert((is_target_arg<T> && ...), "read targets must be variables or spans");
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_fmt_targets(unit, fmt, t);
}
template <class... T>
Status read_fmt_text(std::string_view text, std::string_view fmt, T&&... targets) {
  static_assert((is_target_arg<T> && ...), "read targets must be variables or spans");
  std::vector<Target> t;
  (push_target(t, targets), ...);
  return read_fmt_text_targets(text, fmt, t);
}

// ---------------------------------------------------------------- units
inline constexpr int kMaxUnit = 60;

// Opens the file for sequential reading and writing from its start; a missing
// file is created, an existing one is not truncated. False when it cannot be.
// Reading a file whose last line has no line end gives that line as a record;
// a later write first ends it.
bool open(int unit, const std::string& path);
// Connects the unit to standard output (unit 1, the console) or standard input.
void connect_stdout(int unit);
void connect_stdin(int unit);
bool is_open(int unit);
void close(int unit);            // flushes; a closed unit may be opened again
void rewind(int unit);
void backspace(int unit);        // exactly one record back; after a read that met
                                 // the end, back over the end only (a write then appends)
void flush(int unit);
void flush_all();
void close_all();                // every unit, for the end of a run and for tests
std::string path_of(int unit);   // the path the unit is open on ("" when none)
// The number of records the unit has passed: after a read, the line number (from
// 1) of the last record it read; 0 at the start or when the unit is not open.
long record_number(int unit);
long long written_bytes();       // bytes written to files since the run began, all units

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
  write_list_values(unit, v);
}

}  // namespace fio
