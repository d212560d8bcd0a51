// List-directed (free-format) and fixed-field formatted input.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "fio/fio.h"
#include "fio/format_program.h"

namespace fio {
namespace {

using detail::Item;
using detail::Op;

// Where the records of a read come from: a unit or text in memory.
class Records {
 public:
  explicit Records(int unit) : unit_(unit) {}
  explicit Records(std::string_view text) : text_(text), in_memory_(true) {}

  // The next record into rec; false at the end.
  Status next(std::string& rec) {
    if (!in_memory_) return read_record(unit_, rec);
    if (at_ >= text_.size()) {  // a final line end does not start another record
      rec.clear();
      return Status::end;
    }
    std::size_t e = text_.find('\n', at_);
    if (e == std::string_view::npos) e = text_.size();
    rec.assign(text_.substr(at_, e - at_));
    at_ = e + 1;
    if (!rec.empty() && rec.back() == '\r') rec.pop_back();
    return Status::ok;
  }

 private:
  int unit_ = 0;
  std::string_view text_;
  bool in_memory_ = false;
  std::size_t at_ = 0;
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// ---------------------------------------------------------------- numbers

// A numeric field in the forms the program's input uses: optional sign, digits
// with an optional point, and an optional exponent "E5", "e-3", "D0", "+3".
// Produces a normalised C text ("-1.5e3") so that strtof/strtod round the
// decimal value correctly. implied: decimals implied when there is no point;
// scale: the P factor, applied when there is no exponent.
bool normalise_real(std::string_view s, int implied, int scale, std::string& out) {
  out.clear();
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') out.push_back('-');
    ++i;
  }
  std::string digits;
  bool point = false;
  int frac = 0;
  bool any = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
      any = true;
      if (point) ++frac;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  long expo = 0;
  bool has_exp = false;
  if (i < s.size()) {
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
    if (c == 'E' || c == 'D' || c == 'Q') ++i;
    else if (c != '+' && c != '-') return false;
    int sign = 1;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      sign = s[i] == '-' ? -1 : 1;
      ++i;
    }
    if (i >= s.size()) return false;
    for (; i < s.size(); ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      if (expo < 100000) expo = expo * 10 + (s[i] - '0');
    }
    expo *= sign;
    has_exp = true;
  }
  if (!point) frac = implied < 0 ? 0 : implied;
  if (!has_exp) expo -= scale;
  out += digits;
  out += 'e';
  out += std::to_string(expo - frac);
  return true;
}

// A value beyond the target's range is an input error, not an Infinity that
// would run on into the results; the target then keeps its value.
bool parse_real(std::string_view s, int implied, int scale, double& v) {
  std::string t;
  if (!normalise_real(s, implied, scale, t)) return false;
  const double x = std::strtod(t.c_str(), nullptr);
  if (!std::isfinite(x)) return false;
  v = x;
  return true;
}

bool parse_float(std::string_view s, int implied, int scale, float& v) {
  std::string t;
  if (!normalise_real(s, implied, scale, t)) return false;
  const float x = std::strtof(t.c_str(), nullptr);
  if (!std::isfinite(x)) return false;
  v = x;
  return true;
}

// Optional sign and digits only.
bool parse_int(std::string_view s, std::int32_t& v) {
  std::size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i >= s.size()) return false;
  long long x = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    x = x * 10 + (s[i] - '0');
    if (x > 2147483648LL) return false;
  }
  if (neg) x = -x;
  if (x > std::numeric_limits<std::int32_t>::max() || x < std::numeric_limits<std::int32_t>::min()) return false;
  v = static_cast<std::int32_t>(x);
  return true;
}

// T, F, .TRUE., .FALSE., t, .f and the like: the first letter after an
// optional point decides.
bool parse_logical(std::string_view s, bool& v) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '.') ++i;
  if (i >= s.size()) return false;
  char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
  if (c != 'T' && c != 'F') return false;
  v = c == 'T';
  return true;
}

// Stores the item text into the target. quoted: the item was a character
// constant, which only a text target takes.
bool store_list(const Target& t, std::string_view s, bool quoted) {
  switch (t.kind) {
    case Target::Kind::text:
      static_cast<std::string*>(t.p)->assign(s);
      return true;
    case Target::Kind::integer:
      return !quoted && parse_int(s, *static_cast<std::int32_t*>(t.p));
    case Target::Kind::real:
      if (quoted) return false;
      return parse_float(s, 0, 0, *static_cast<float*>(t.p));
    case Target::Kind::dbl:
      if (quoted) return false;
      return parse_real(s, 0, 0, *static_cast<double*>(t.p));
    case Target::Kind::logical:
      return !quoted && parse_logical(s, *static_cast<bool*>(t.p));
  }
  return false;
}

// ---------------------------------------------------------------- list-directed

Status read_list_from(Records& src, std::span<const Target> targets) {
  std::string rec;
  Status st = src.next(rec);
  if (st != Status::ok) return st;
  std::size_t c = 0;           // cursor in rec
  std::size_t ti = 0;          // next target
  bool after_value = false;    // a comma now only closes the value before it
  std::string item;
  while (ti < targets.size()) {
    while (c < rec.size() && is_blank(rec[c])) ++c;
    if (c >= rec.size()) {  // a record end separates like a blank
      st = src.next(rec);
      if (st != Status::ok) return st;
      c = 0;
      continue;
    }
    const char ch = rec[c];
    if (ch == ',') {
      ++c;
      if (after_value) after_value = false;
      else ++ti;  // null value: the target keeps its value
      continue;
    }
    if (ch == '/') return Status::ok;  // the remaining targets keep their values

    // Repeat count r*: digits directly followed by '*'.
    long repeat = 1;
    {
      std::size_t k = c;
      while (k < rec.size() && rec[k] >= '0' && rec[k] <= '9') ++k;
      if (k > c && k < rec.size() && rec[k] == '*') {
        repeat = std::strtol(rec.c_str() + c, nullptr, 10);
        if (repeat <= 0) return Status::error;
        c = k + 1;
        if (c >= rec.size() || is_blank(rec[c]) || rec[c] == ',' || rec[c] == '/') {
          // r* alone: r null values
          ti += static_cast<std::size_t>(repeat) < targets.size() - ti ? static_cast<std::size_t>(repeat)
                                                                       : targets.size() - ti;
          after_value = true;
          continue;
        }
      }
    }

    bool quoted = false;
    item.clear();
    if (rec[c] == '\'' || rec[c] == '"') {
      // A character constant; a doubled quote is one quote, and the constant
      // may go on over the record end.
      const char q = rec[c++];
      quoted = true;
      for (;;) {
        if (c >= rec.size()) {
          st = src.next(rec);
          if (st != Status::ok) return st;
          c = 0;
          continue;
        }
        if (rec[c] == q) {
          if (c + 1 < rec.size() && rec[c + 1] == q) {
            item.push_back(q);
            c += 2;
            continue;
          }
          ++c;
          break;
        }
        item.push_back(rec[c++]);
      }
    } else {
      std::size_t e = c;
      while (e < rec.size() && !is_blank(rec[e]) && rec[e] != ',' && rec[e] != '/') ++e;
      item.assign(rec, c, e - c);
      c = e;
    }
    for (long r = 0; r < repeat && ti < targets.size(); ++r) {
      if (!store_list(targets[ti], item, quoted)) return Status::error;
      ++ti;
    }
    after_value = true;
  }
  return Status::ok;
}

// ---------------------------------------------------------------- formatted

struct FieldReader {
  Records& src;
  std::span<const Target> targets;
  std::size_t ti = 0;
  std::string rec;
  std::size_t pos = 0;
  int scale = 0;
  bool blank_zero = false;
  Status status = Status::ok;
  std::string field;

  FieldReader(Records& s, std::span<const Target> t) : src(s), targets(t) {}

  bool more() const { return status == Status::ok && ti < targets.size(); }

  // w characters from the current position, blank-padded past the record end.
  std::string_view take(int w) {
    field.assign(static_cast<std::size_t>(w), ' ');
    for (int k = 0; k < w; ++k) {
      std::size_t at = pos + static_cast<std::size_t>(k);
      if (at < rec.size()) field[static_cast<std::size_t>(k)] = rec[at] == '\t' ? ' ' : rec[at];
    }
    pos += static_cast<std::size_t>(w);
    return field;
  }

  // The field without blanks (BN), or with inner and trailing blanks as
  // zeros (BZ); an all-blank field is empty.
  std::string squeeze(std::string_view f) const {
    std::string out;
    std::size_t b = f.find_first_not_of(' ');
    if (b == std::string_view::npos) return out;
    for (std::size_t k = b; k < f.size(); ++k) {
      if (f[k] != ' ') out.push_back(f[k]);
      else if (blank_zero) out.push_back('0');
    }
    return out;
  }

  bool numeric(const Item& it, const Target& t, std::string_view f) {
    std::string s = squeeze(f);
    if (s.empty()) s.push_back('0');
    const bool integer_field = it.op == Op::I;
    switch (t.kind) {
      case Target::Kind::integer: {
        auto& v = *static_cast<std::int32_t*>(t.p);
        if (integer_field) return parse_int(s, v);
        double x = 0;
        if (!parse_real(s, it.d, scale, x) || !std::isfinite(x) || std::fabs(x) > 2147483647.0) return false;
        v = static_cast<std::int32_t>(x);  // toward zero
        return true;
      }
      case Target::Kind::real: {
        auto& v = *static_cast<float*>(t.p);
        if (integer_field) {
          std::int32_t n = 0;
          if (!parse_int(s, n)) return false;
          v = static_cast<float>(n);
          return true;
        }
        return parse_float(s, it.d, scale, v);
      }
      case Target::Kind::dbl: {
        auto& v = *static_cast<double*>(t.p);
        if (integer_field) {
          std::int32_t n = 0;
          if (!parse_int(s, n)) return false;
          v = n;
          return true;
        }
        return parse_real(s, it.d, scale, v);
      }
      case Target::Kind::logical: {
        double x = 0;
        if (!parse_real(s, 0, 0, x)) return false;
        *static_cast<bool*>(t.p) = x != 0.0;
        return true;
      }
      case Target::Kind::text:
        static_cast<std::string*>(t.p)->assign(f);
        return true;
    }
    return false;
  }

  void data(const Item& it) {
    const Target& t = targets[ti++];
    bool ok = true;
    switch (it.op) {
      case Op::A: {
        int w = it.w;
        if (w < 0) {
          if (t.kind == Target::Kind::text) {
            auto* s = static_cast<std::string*>(t.p);
            w = !s->empty() ? static_cast<int>(s->size())
                            : (rec.size() > pos ? static_cast<int>(rec.size() - pos) : 0);
          } else {
            w = 1;
          }
        }
        std::string_view f = take(w);
        if (t.kind == Target::Kind::text) static_cast<std::string*>(t.p)->assign(f);
        else ok = store_list(t, squeeze(f), false);
        break;
      }
      case Op::L: {
        std::string_view f = take(it.w);
        std::size_t b = f.find_first_not_of(' ');
        bool v = false;
        if (b != std::string_view::npos) ok = parse_logical(f.substr(b), v);
        if (!ok) break;
        if (t.kind == Target::Kind::logical) *static_cast<bool*>(t.p) = v;
        else if (t.kind == Target::Kind::integer) *static_cast<std::int32_t*>(t.p) = v ? 1 : 0;
        else if (t.kind == Target::Kind::real) *static_cast<float*>(t.p) = v ? 1.0f : 0.0f;
        else if (t.kind == Target::Kind::dbl) *static_cast<double*>(t.p) = v ? 1.0 : 0.0;
        else static_cast<std::string*>(t.p)->assign(f);
        break;
      }
      default: {
        int w = it.w;
        if (w <= 0) {  // no width: the rest of the record up to a comma
          std::size_t e = rec.find(',', pos);
          if (e == std::string::npos) e = rec.size();
          w = e > pos ? static_cast<int>(e - pos) : 0;
          std::string_view f = take(w);
          if (pos < rec.size() && rec[pos] == ',') ++pos;
          ok = numeric(it, t, f);
        } else {
          ok = numeric(it, t, take(w));
        }
        break;
      }
    }
    if (!ok) status = Status::error;
  }

  void control(const Item& it) {
    switch (it.op) {
      case Op::X: case Op::TR: pos += static_cast<std::size_t>(it.n); break;
      case Op::T: pos = static_cast<std::size_t>(it.n - 1); break;
      case Op::TL: pos = pos > static_cast<std::size_t>(it.n) ? pos - static_cast<std::size_t>(it.n) : 0; break;
      case Op::P: scale = it.n; break;
      case Op::BN: blank_zero = false; break;
      case Op::BZ: blank_zero = true; break;
      case Op::Lit: pos += it.lit.size(); break;
      default: break;
    }
  }

  bool next_record() {
    if (status != Status::ok) return false;
    Status s = src.next(rec);
    pos = 0;
    if (s != Status::ok) {
      status = s;
      return false;
    }
    return true;
  }
};

Status read_fmt_from(Records& src, std::string_view fmt, std::span<const Target> targets) {
  const detail::Format& f = detail::cached_format(fmt);
  if (!f.ok) return Status::error;
  FieldReader r(src, targets);
  if (!r.next_record()) return r.status;
  detail::walk(f, r);
  if (r.status == Status::ok && r.ti < targets.size()) return Status::error;  // format without data items
  return r.status;
}

}  // namespace

Status read_list_targets(int unit, std::span<const Target> targets) {
  Records src(unit);
  return read_list_from(src, targets);
}

Status read_list_text_targets(std::string_view text, std::span<const Target> targets) {
  Records src(text);
  return read_list_from(src, targets);
}

Status read_fmt_targets(int unit, std::string_view fmt, std::span<const Target> targets) {
  Records src(unit);
  return read_fmt_from(src, fmt, targets);
}

Status read_fmt_text_targets(std::string_view text, std::string_view fmt, std::span<const Target> targets) {
  Records src(text);
  return read_fmt_from(src, fmt, targets);
}

}  // namespace fio
