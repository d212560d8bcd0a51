// Output edits of single values. Digits come from the exact binary value:
// printf rounds that value correctly, and an exact tie (possible only for a
// value with few binary digits, e.g. 0.125 to two decimals) is rounded away
// from zero as hand calculation does.
#include "fio/edit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fio::detail {
namespace {

constexpr double kTwo53 = 9007199254740992.0;

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

// Decimal exponent of the leading digit of a (> 0, finite). Seventeen digits
// cannot carry into the next power of ten for any double.
int exp10_of(double a) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.16e", a);
  return std::atoi(std::strchr(buf, 'e') + 1);
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
    std::snprintf(buf, sizeof buf, "%.16e", a);
    if (buf[0] >= '5') n.push_back('1');
    return;
  }
  int extra_zeros = 0;
  if (p > 780) {  // beyond the exact expansion of any double: nothing rounds
    extra_zeros = p - 780;
    p = 780;
  }
  const double b = is_tie(a, e10 - p + 1) ? std::nextafter(a, HUGE_VAL) : a;
  static char buf[820];
  std::snprintf(buf, sizeof buf, "%.*e", p - 1, b);
  n.push_back(buf[0]);
  const char* s = buf + 1;
  if (*s == '.') ++s;
  while (*s >= '0' && *s <= '9') n.push_back(*s++);
  const int e_out = std::atoi(s + 1);
  // A carry (9.99 -> 10.0) moves the exponent up by one.
  for (int k = e_out - (p - 1) - (e10 - p + 1); k > 0; --k) n.push_back('0');
  n.append(static_cast<std::size_t>(extra_zeros), '0');
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
  int len = std::snprintf(buf, sizeof buf, "%llu", mag);
  std::string_view digits(buf, static_cast<std::size_t>(len));
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
  // Far too wide for the field: skip the digit generation.
  if (a != 0.0 && exp10_of(a) + k + 1 > w) {
    stars(out, w);
    return;
  }
  std::string& n = t_digits;
  round_at(a, -(d + k), n);
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
    int e10 = exp10_of(a);
    round_at(a, e10 - p + 1, n);
    if (static_cast<int>(n.size()) > p) {  // 9.995 -> 10.00: one more power of ten
      n.pop_back();
      ++e10;
    }
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
  if (e > 0) {
    int len = std::snprintf(buf, sizeof buf, "%0*d", e, mag);
    if (len > e) {
      stars(out, w);
      return;
    }
    s.push_back(letter);
    s.push_back(esign);
    s.append(buf, static_cast<std::size_t>(len));
  } else if (mag <= 99) {
    std::snprintf(buf, sizeof buf, "%02d", mag);
    s.push_back(letter);
    s.push_back(esign);
    s += buf;
  } else if (mag <= 999) {  // three-digit exponent: the letter gives way
    std::snprintf(buf, sizeof buf, "%03d", mag);
    s.push_back(esign);
    s += buf;
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
