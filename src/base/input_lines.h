// Input-line and table routines every subsystem uses: keywords in a line,
// fields after a key, range checks, ID search and index sort.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// KEYON: true when key occurs in line and its first occurrence is not directly
// preceded by "NO"; dflt when it does not occur. Trailing blanks of key count.
bool keyon(std::string_view line, std::string_view key, bool dflt);

// INTFLD: the integer after key (or from column 1 without usekey) into ival,
// idef when there is none; with remove the key, number and one comma are cut
// out of line.
void intfld(std::string& line, std::string_view key, int& ival, int idef, bool usekey, bool remove);

// NXTFLD: the field after key (quoted, or up to the next blank); blank when none.
// The field is returned without padding, so a blank field is the empty string.
std::string nxtfld(std::string_view line, std::string_view key);

// RANGCK: x outside [lo, hi] is reported on unit 6 under name and clamped.
void rangck(float& x, float lo, float hi, std::string_view name);

// IFIND: position 1..n of target in the ascending ids[1..n] (ids points at
// IDS(1)), 0 with the " TARGET:" report when absent.
int ifind(int target, const std::int32_t* ids, int n);

// The " TARGET:" line of IFIND for a target the ascending ids[1..n] do not
// hold (a generated target may lie beyond the integer range of an ID).
void report_not_found(std::int64_t target, const std::int32_t* ids, int n);

// The targets start + k*inc, k = 0..ngen, of a generated record (start alone
// when ngen <= 0 or inc is 0), visited in order among the ascending, distinct
// ids[1..n]. Only the IDs between the first and the last one of the table are
// walked, and a walk longer than the table goes through the table instead, so
// that no count or increment can make it long; the arithmetic is in 64 bits.
// found(pos) gets the position 1..n of each target the table holds; missing(id)
// gets the first target it does not hold, once per record; past_end(id) gets
// the last target inside the table when the generation runs past its end, in
// place of that report (the callers report the next target as missing or the
// end of the generation).
template <class Found, class Missing, class PastEnd>
void for_generated_ids(std::int64_t start, std::int64_t ngen, std::int64_t inc, const std::int32_t* ids,
                       int n, Found found, Missing missing, PastEnd past_end);

// ISORT: idx[1..n] (idx points at IDX(1)) a stable permutation ordering key[1..n].
void isort(const std::int32_t* key, std::int32_t* idx, int n);

template <class Found, class Missing, class PastEnd>
void for_generated_ids(std::int64_t start, std::int64_t ngen, std::int64_t inc, const std::int32_t* ids,
                       int n, Found found, Missing missing, PastEnd past_end) {
  if (ngen <= 0 || inc == 0) ngen = 0;
  if (inc == 0) inc = 1;
  bool reported = false;
  auto report = [&](std::int64_t id) {
    if (!reported) missing(id);
    reported = true;
  };
  if (n < 1) {
    report(start);
    return;
  }
  const std::int64_t lo = ids[0], hi = ids[n - 1];
  const std::int64_t step = inc > 0 ? inc : -inc;
  // Members kfirst..klast lie between lo and hi; before them and after them
  // the table holds none.
  const std::int64_t near = inc > 0 ? lo : hi;  // the bound the walk enters by
  const std::int64_t far = inc > 0 ? hi : lo;   // the bound it leaves by
  const std::int64_t to_near = inc > 0 ? near - start : start - near;
  const std::int64_t to_far = inc > 0 ? far - start : start - far;
  const std::int64_t kfirst = to_near <= 0 ? 0 : (to_near + step - 1) / step;
  const std::int64_t klast = to_far < 0 ? -1 : std::min(ngen, to_far / step);
  if (kfirst > 0) report(start);
  auto member = [&](std::int64_t k) { return start + k * inc; };
  if (kfirst <= klast) {
    const std::int32_t* end = ids + n;
    if (klast - kfirst < n) {
      for (std::int64_t k = kfirst; k <= klast; ++k) {
        const std::int64_t id = member(k);
        const std::int32_t* p = std::lower_bound(ids, end, id);
        if (p != end && *p == id) {
          found(static_cast<int>(p - ids) + 1);
        } else {
          report(id);
        }
      }
    } else {
      // More targets than nodes: look at each node whether it is a target.
      const std::int64_t a = std::min(member(kfirst), member(klast));
      const std::int64_t b = std::max(member(kfirst), member(klast));
      const int p1 = static_cast<int>(std::lower_bound(ids, end, a) - ids);
      const int p2 = static_cast<int>(std::upper_bound(ids, end, b) - ids);
      std::int64_t expect = kfirst;
      for (int q = 0; q < p2 - p1; ++q) {
        const int p = inc > 0 ? p1 + q : p2 - 1 - q;
        const std::int64_t d = ids[p] - start;
        if (d % inc != 0) continue;
        const std::int64_t k = d / inc;
        if (k > expect) report(member(expect));
        found(p + 1);
        expect = k + 1;
      }
      if (expect <= klast) report(member(expect));
    }
  }
  if (klast < ngen) {
    if (klast >= kfirst) {
      if (!reported) past_end(member(klast));
      reported = true;
    } else {
      report(member(std::max<std::int64_t>(klast + 1, 0)));
    }
  }
}

}  // namespace base
