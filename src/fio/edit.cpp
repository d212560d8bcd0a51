// Output edits of single values. Digits come from the exact binary value:
// std::to_chars with a precision rounds that value correctly (an exact tie to
// even), and an exact tie (possible only for a value with few binary digits,
// e.g. 0.125 to two decimals) is rounded away from zero as hand calculation
// does. No field goes through the printf machinery: report tables write
// hundreds of thousands of them.
#include "fio/edit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace fio::detail {
namespace {

constexpr double kTwo53 = 9007199254740992.0;
// Beyond this many significant digits the exact expansion of any double has
// ended: further digits are zeros and nothing rounds.
constexpr int kMaxDigits = 780;

// Is a (> 0, finite) exactly halfway between two multiples of 10^q?
// A tie is (2n+1)/2 * 10^q = (2n+1) 5^q 2^(q-1): for q < 0 that makes
// a * 2^(1-q) an odd integer; for q > 0 the odd part (2n+1) 5^q must fit in
// the 53 bits of a double, so q <= 22, where 10^q is exact and fmod is exact.
bool is_tie(double a, int q) {
  if (q < 0) {
    if (q < -1100) return false;
    double t = std::ldexp(a, 1 - q);
    if (!(t < kTwo53)) return false;
    return std::fmod(t, 2.0) == 1.0;
  }
  if (q == 0) {
    double t = 2.0 * a;
    return t < kTwo53 && std::fmod(t, 2.0) == 1.0;
  }
  if (q > 22) return false;
  double p10 = 1.0;
  for (int k = 0; k < q; ++k) p10 *= 10.0;  // exact up to 1e22
  return std::fmod(a, p10) == 0.5 * p10;
}

// The exponent that follows the 'e' of a to_chars scientific text.
int exponent_after(const char* e) {
  const bool neg = e[1] == '-';
  int v = 0;
  for (const char* c = e + 2; *c >= '0' && *c <= '9'; ++c) v = 10 * v + (*c - '0');
  return neg ? -v : v;
}

// Adds one unit in the last place of the digit string [n, n + len): true when
// it carried out of the first digit (all nines, now all zeros).
bool increment(char* n, int len) {
  for (int i = len - 1; i >= 0; --i) {
    if (n[i] != '9') {
      ++n[i];
      return false;
    }
    n[i] = '0';
  }
  return true;
}

// The p (1..kMaxDigits) significant digits of a (> 0, finite), rounded with
// halves away from zero, into n (no terminator); returns the decimal exponent
// of the leading digit of the rounded value (one more than a's own after a
// carry such as 9.995 -> 10.0).
int round_digits(double a, int p, char* n) {
  char buf[kMaxDigits + 16];
  const auto convert = [&](int precision) {
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, precision);
    *r.ptr = '\0';
    return exponent_after(std::strchr(buf, 'e'));
  };
  int e_out = convert(p - 1);
  // A tie at the last kept digit went to even. (After a carry the value
  // cannot be a tie at that digit.) Then the digits are taken one further,
  // exactly (the last one is the 5), and rounded up by hand.
  const bool tie = is_tie(a, e_out - p + 1);
  if (tie) e_out = convert(p);
  n[0] = buf[0];
  if (p > 1) std::memcpy(n + 1, buf + 2, static_cast<std::size_t>(p - 1));
  if (tie && increment(n, p)) {
    n[0] = '1';
    ++e_out;
  }
  return e_out;
}

// a (> 0, finite) to seventeen significant digits, terminated; returns the
// decimal exponent of the leading digit, which is a's own: seventeen digits
// cannot carry into the next power of ten for any double.
int seventeen_digits(double a, char (&buf)[40]) {
  const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 16);
  *r.ptr = '\0';
  return exponent_after(std::strchr(buf, 'e'));
}

int exp10_of(double a) {
  char buf[40];
  return seventeen_digits(a, buf);
}

// Rounds a (>= 0, finite) to a multiple N * 10^q, halves away from zero, and
// sets n to the digits of N without leading zeros ("" when N is 0).
void round_at(double a, int q, std::string& n) {
  n.clear();
  if (a == 0.0) return;
  const int e10 = exp10_of(a);
  int p = e10 - q + 1;  // significant digits kept
  if (p < 0) return;
  if (p == 0) {
    // Only the leading digit decides: a >= 5 * 10^e10 rounds up to 10^q.
    char buf[40];
    seventeen_digits(a, buf);
    if (buf[0] >= '5') n.push_back('1');
    return;
  }
  int extra_zeros = 0;
  if (p > kMaxDigits) {
    extra_zeros = p - kMaxDigits;
    p = kMaxDigits;
  }
  char digits[kMaxDigits];
  const int e_out = round_digits(a, p, digits);
  n.append(digits, static_cast<std::size_t>(p));
  if (e_out > e10) n.push_back('0');  // the carry: one more digit of N
  n.append(static_cast<std::size_t>(extra_zeros), '0');
}

// The same for q <= 0 by one fixed-point conversion, when the text fits in
// the buffer; false otherwise (round_at then does it). A tie is converted one
// decimal further, exactly, and rounded up by hand.
bool round_at_fixed(double a, int q, std::string& n) {
  char buf[400];
  const bool tie = is_tie(a, q);
  const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, tie ? 1 - q : -q);
  if (r.ec != std::errc()) return false;
  n.clear();
  for (const char* c = buf; c != r.ptr; ++c) {
    if (*c == '.' || (*c == '0' && n.empty())) continue;
    n.push_back(*c);
  }
  if (tie) {
    n.pop_back();  // the 5
    if (increment(n.data(), static_cast<int>(n.size()))) n.insert(n.begin(), '1');
  }
  return true;
}

void stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w < 0 ? 1 : w), '*'); }

void pad_left(std::string& out, const std::string& s, int w) {
  if (w > static_cast<int>(s.size())) out.append(static_cast<std::size_t>(w) - s.size(), ' ');
  out += s;
}

// NaN and infinities; true when x was one of them.
bool edit_special(std::string& out, double x, int w, bool plus) {
  if (std::isnan(x)) {
    if (w >= 0 && w < 3) stars(out, w);
    else pad_left(out, "NaN", w);
    return true;
  }
  if (std::isinf(x)) {
    std::string s = x < 0 ? "-" : plus ? "+" : "";
    s += (w < 0 || w >= static_cast<int>(s.size()) + 8) ? "Infinity" : "Inf";
    if (w >= 0 && static_cast<int>(s.size()) > w) stars(out, w);
    else pad_left(out, s, w);
    return true;
  }
  return false;
}

thread_local std::string t_digits;
thread_local std::string t_field;

}  // namespace

void edit_i(std::string& out, std::int64_t v, int w, int m, bool plus) {
  std::string& s = t_field;
  s.clear();
  unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, mag);
  std::string_view digits(buf, static_cast<std::size_t>(r.ptr - buf));
  if (m == 0 && mag == 0) digits = {};
  if (v < 0) s.push_back('-');
  else if (plus) s.push_back('+');
  if (m > static_cast<int>(digits.size())) s.append(static_cast<std::size_t>(m) - digits.size(), '0');
  s += digits;
  if (w <= 0) {
    out += s;
  } else if (static_cast<int>(s.size()) > w) {
    stars(out, w);
  } else {
    pad_left(out, s, w);
  }
}

void edit_f(std::string& out, double x, int w, int d, int k, bool plus) {
  if (edit_special(out, x, w, plus)) return;
  const double a = std::fabs(x);
  // Far too wide for the field: skip the digit generation. The binary
  // exponent bounds the decimal one from below (a >= 2^(eb-1)); a value that
  // passes and still has too many digits gets its stars below.
  if (a != 0.0) {
    int eb = 0;
    std::frexp(a, &eb);
    const int e10_low = static_cast<int>(std::floor((eb - 1) * 0.30102999566398114));
    if (e10_low + k + 1 > w || (a >= 1.0e15 && exp10_of(a) + k + 1 > w)) {
      stars(out, w);
      return;
    }
  }
  std::string& n = t_digits;
  if (d + k < 0 || !round_at_fixed(a, -(d + k), n)) round_at(a, -(d + k), n);
  const int len = static_cast<int>(n.size());
  std::string& s = t_field;
  s.clear();
  if (std::signbit(x) && len > 0) s.push_back('-');
  else if (plus) s.push_back('+');
  const bool below_one = len <= d;
  // The zero before the point of a value below one is optional, except when
  // it would be the only digit.
  const std::size_t zero_at = s.size();
  if (below_one) s.push_back('0');
  else s.append(n, 0, static_cast<std::size_t>(len - d));
  s.push_back('.');
  if (below_one) {
    s.append(static_cast<std::size_t>(d - len), '0');
    s += n;
  } else {
    s.append(n, static_cast<std::size_t>(len - d), std::string::npos);
  }
  if (static_cast<int>(s.size()) > w && below_one && d > 0) s.erase(zero_at, 1);
  if (static_cast<int>(s.size()) > w) stars(out, w);
  else pad_left(out, s, w);
}

void edit_e(std::string& out, double x, int w, int d, int e, int k, bool plus, char letter) {
  if (edit_special(out, x, w, plus)) return;
  // The scale factor must leave at least one significant digit.
  if (k > d + 1 || k <= -d || (d == 0 && k <= 0)) {
    stars(out, w);
    return;
  }
  const int p = k > 0 ? d + 1 : d + k;
  const double a = std::fabs(x);
  std::string& n = t_digits;
  int expo = 0;
  if (a == 0.0) {
    n.assign(static_cast<std::size_t>(p), '0');
  } else {
    char digits[kMaxDigits];
    const int e10 = round_digits(a, std::min(p, kMaxDigits), digits);
    n.assign(digits, static_cast<std::size_t>(std::min(p, kMaxDigits)));
    if (p > kMaxDigits) n.append(static_cast<std::size_t>(p - kMaxDigits), '0');
    expo = e10 + 1 - k;
  }
  std::string& s = t_field;
  s.clear();
  const bool zero_digits = n.find_first_not_of('0') == std::string::npos;
  if (std::signbit(x) && !zero_digits) s.push_back('-');
  else if (plus) s.push_back('+');
  const std::size_t zero_at = s.size();
  if (k > 0) {
    s.append(n, 0, static_cast<std::size_t>(k));
    s.push_back('.');
    s.append(n, static_cast<std::size_t>(k), std::string::npos);
  } else {
    s += "0.";
    s.append(static_cast<std::size_t>(-k), '0');
    s += n;
  }
  const int mag = expo < 0 ? -expo : expo;
  const char esign = expo < 0 ? '-' : '+';
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, mag);
  const int len = static_cast<int>(r.ptr - buf);
  // The exponent's digits with leading zeros to `width` columns.
  const auto exponent_digits = [&](int width) {
    s.append(static_cast<std::size_t>(std::max(0, width - len)), '0');
    s.append(buf, static_cast<std::size_t>(len));
  };
  if (e > 0) {
    if (len > e) {
      stars(out, w);
      return;
    }
    s.push_back(letter);
    s.push_back(esign);
    exponent_digits(e);
  } else if (mag <= 99) {
    s.push_back(letter);
    s.push_back(esign);
    exponent_digits(2);
  } else if (mag <= 999) {  // three-digit exponent: the letter gives way
    s.push_back(esign);
    exponent_digits(3);
  } else {
    stars(out, w);
    return;
  }
  if (static_cast<int>(s.size()) > w && k <= 0) s.erase(zero_at, 1);
  if (static_cast<int>(s.size()) > w) stars(out, w);
  else pad_left(out, s, w);
}

void edit_a(std::string& out, std::string_view s, int w) {
  if (w < 0) {
    out += s;
  } else if (static_cast<int>(s.size()) >= w) {
    out += s.substr(0, static_cast<std::size_t>(w));
  } else {
    out.append(static_cast<std::size_t>(w) - s.size(), ' ');
    out += s;
  }
}

void edit_l(std::string& out, bool b, int w) {
  if (w > 1) out.append(static_cast<std::size_t>(w - 1), ' ');
  out.push_back(b ? 'T' : 'F');
}

}  // namespace fio::detail
