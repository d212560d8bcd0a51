// Formatted and list-directed output.
#include <cmath>
#include <cstdio>
#include <limits>

#include "fio/edit.h"
#include "fio/fio.h"
#include "fio/format_program.h"

namespace fio {
namespace {

using detail::Item;
using detail::Op;

// A real used where an integer is edited: toward zero, as the program's own
// conversions do.
bool to_integer(double x, std::int64_t& out) {
  if (!std::isfinite(x) || std::fabs(x) >= 9.2e18) return false;
  out = static_cast<std::int64_t>(x);
  return true;
}

double to_real(const Value& v) {
  switch (v.kind) {
    case Value::Kind::integer: return static_cast<double>(v.i);
    case Value::Kind::logical: return v.b ? 1.0 : 0.0;
    default: return v.d;
  }
}

// Text of a non-text value for an A edit: the list-directed form, trimmed.
std::string_view as_text(const Value& v, std::string& buf) {
  if (v.kind == Value::Kind::text) return v.s;
  buf.clear();
  switch (v.kind) {
    case Value::Kind::integer: detail::edit_i(buf, v.i, 0, -1, false); break;
    case Value::Kind::logical: buf.push_back(v.b ? 'T' : 'F'); break;
    case Value::Kind::real: detail::edit_e(buf, v.d, 15, 7, -1, 1, false, 'E'); break;
    default: detail::edit_e(buf, v.d, 24, 15, -1, 1, false, 'E'); break;
  }
  std::size_t b = buf.find_first_not_of(' ');
  return b == std::string::npos ? std::string_view() : std::string_view(buf).substr(b);
}

// Builds one record at a time in a buffer, so that T and TL may move left
// and overwrite; each finished record goes to the sink.
template <class Sink>
struct Writer {
  std::span<const Value> vals;
  Sink& sink;
  std::size_t vi = 0;
  // Buffers kept from call to call, so that a warm report line allocates
  // nothing (a statement never starts another one while it runs).
  std::string& rec = buffer(0);
  std::string& field = buffer(1);
  std::string& text_buf = buffer(2);
  std::size_t pos = 0;
  int scale = 0;
  bool plus = false;

  static std::string& buffer(int k) {
    static std::string b[3];
    return b[k];
  }

  Writer(std::span<const Value> v, Sink& s) : vals(v), sink(s) { rec.clear(); }

  bool more() const { return vi < vals.size(); }

  // Positions skipped by X or T are blank only when something is written
  // beyond them, so a trailing 1X adds nothing to the record.
  void put(std::string_view s) {
    if (rec.size() < pos + s.size()) rec.resize(pos + s.size(), ' ');
    rec.replace(pos, s.size(), s);
    pos += s.size();
  }

  void data(const Item& it) {
    const Value& v = vals[vi++];
    // The usual field follows what is written: it goes straight into the
    // record; after X, T or TL it is built aside and placed.
    const bool at_end = pos == rec.size();
    std::string& field = at_end ? rec : this->field;
    if (!at_end) field.clear();
    const bool text = v.kind == Value::Kind::text;
    switch (it.op) {
      case Op::I: {
        if (text) { detail::edit_a(field, v.s, it.w); break; }
        std::int64_t n = v.i;
        if (v.kind == Value::Kind::logical) n = v.b ? 1 : 0;
        if (v.kind == Value::Kind::real || v.kind == Value::Kind::dbl) {
          if (!to_integer(v.d, n)) {
            field.append(static_cast<std::size_t>(it.w > 0 ? it.w : 1), '*');
            break;
          }
        }
        detail::edit_i(field, n, it.w, it.d, plus);
        break;
      }
      case Op::F:
        if (text) { detail::edit_a(field, v.s, it.w); break; }
        detail::edit_f(field, to_real(v), it.w, it.d, scale, plus);
        break;
      case Op::E:
      case Op::D:
        if (text) { detail::edit_a(field, v.s, it.w); break; }
        detail::edit_e(field, to_real(v), it.w, it.d, it.e, scale, plus, it.op == Op::D ? 'D' : 'E');
        break;
      case Op::G:  // G is written as I, L, A or E by the kind of the value
        if (text) detail::edit_a(field, v.s, it.w);
        else if (v.kind == Value::Kind::integer) detail::edit_i(field, v.i, it.w, -1, plus);
        else if (v.kind == Value::Kind::logical) detail::edit_l(field, v.b, it.w);
        else detail::edit_e(field, v.d, it.w, it.d, it.e, scale, plus, 'E');
        break;
      case Op::A:
        detail::edit_a(field, as_text(v, text_buf), it.w);
        break;
      case Op::L:
        if (text) { detail::edit_a(field, v.s, it.w); break; }
        detail::edit_l(field, v.kind == Value::Kind::logical ? v.b : to_real(v) != 0.0, it.w);
        break;
      default:
        break;
    }
    if (at_end) pos = rec.size();
    else put(field);
  }

  void control(const Item& it) {
    switch (it.op) {
      case Op::X: case Op::TR: pos += static_cast<std::size_t>(it.n); break;
      case Op::T: pos = static_cast<std::size_t>(it.n - 1); break;
      case Op::TL: pos = pos > static_cast<std::size_t>(it.n) ? pos - static_cast<std::size_t>(it.n) : 0; break;
      case Op::P: scale = it.n; break;
      case Op::SP: plus = true; break;
      case Op::SS: case Op::S: plus = false; break;
      case Op::Lit: put(it.lit); break;
      default: break;
    }
  }

  bool next_record() {
    sink(std::string_view(rec));
    rec.clear();
    pos = 0;
    return true;
  }
};

// A text that is not a format still writes its values, list-directed, after
// a line naming the bad format, rather than losing them.
template <class Sink>
void run_output(std::string_view fmt, std::span<const Value> values, Sink& sink) {
  const detail::Format& f = detail::cached_format(fmt);
  if (!f.ok) {
    std::string msg = " BAD FORMAT: ";
    msg += fmt;
    sink(std::string_view(msg));
    sink(std::string_view(list_record(values)));
    return;
  }
  Writer<Sink> w(values, sink);
  detail::walk(f, w);
  sink(std::string_view(w.rec));
}

}  // namespace

std::vector<Value>& scratch_values() {
  static std::vector<Value> v;
  return v;
}

std::vector<std::string> format_records(std::string_view fmt, std::span<const Value> values) {
  std::vector<std::string> out;
  auto sink = [&out](std::string_view r) { out.emplace_back(r); };
  run_output(fmt, values, sink);
  return out;
}

void format_values(std::string& out, std::string_view fmt, std::span<const Value> values) {
  out.clear();
  bool first = true;
  auto sink = [&out, &first](std::string_view r) {
    if (!first) out.push_back('\n');
    first = false;
    out += r;
  };
  run_output(fmt, values, sink);
}

void write_values(int unit, std::string_view fmt, std::span<const Value> values) {
  auto sink = [unit](std::string_view r) { write_record(unit, r); };
  run_output(fmt, values, sink);
}

void list_record_into(std::string& out, std::span<const Value> values) {
  out.clear();
  if (values.empty()) return;
  out.push_back(' ');
  bool prev_text = false;
  for (std::size_t k = 0; k < values.size(); ++k) {
    const Value& v = values[k];
    const bool text = v.kind == Value::Kind::text;
    if (k > 0 && !(text && prev_text)) out.push_back(' ');
    switch (v.kind) {
      case Value::Kind::text: out += v.s; break;
      case Value::Kind::integer: detail::edit_i(out, v.i, 0, -1, false); break;
      case Value::Kind::logical: out.push_back(v.b ? 'T' : 'F'); break;
      case Value::Kind::real: detail::edit_e(out, v.d, 15, 7, -1, 1, false, 'E'); break;
      case Value::Kind::dbl: detail::edit_e(out, v.d, 24, 15, -1, 1, false, 'E'); break;
    }
    prev_text = text;
  }
}

std::string value_or_not_finite(double v, std::string_view fmt) {
  if (std::isfinite(v)) return format(fmt, v);
  constexpr std::string_view kText = "NOT FINITE";
  const std::size_t width = format(fmt, 0.0).size();
  return std::string(width > kText.size() ? width - kText.size() : 0, ' ') + std::string(kText);
}

std::string list_record(std::span<const Value> values) {
  std::string out;
  list_record_into(out, values);
  return out;
}

void write_list_values(int unit, std::span<const Value> values) {
  static std::string rec;  // kept, so that a warm list-directed line allocates nothing
  list_record_into(rec, values);
  write_record(unit, rec);
}

}  // namespace fio
