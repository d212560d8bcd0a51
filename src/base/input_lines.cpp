#include "base/input_lines.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/globals.h"
#include "fio/fio.h"

namespace base {

namespace {
constexpr std::size_t npos = std::string_view::npos;
}

bool keyon(std::string_view line, std::string_view key, bool dflt) {
  const std::size_t at = line.find(key);
  if (at == npos) return dflt;
  // Fewer than two characters before the key: nothing can switch it off.
  if (at < 2) return true;
  return line.substr(at - 2, 2) != "NO";
}

void intfld(std::string& line, std::string_view key, int& ival, int idef, bool usekey, bool remove) {
  ival = idef;
  std::size_t k = 0;  // 0-based column where a removal starts
  std::size_t p = 0;  // 0-based scan position
  if (usekey) {
    k = line.find(key);
    if (k == npos) return;
    p = k + key.size();
  }
  const std::size_t len = line.size();

  int sign = 1;
  while (p < len) {
    const char c = line[p];
    if (c == '-') {
      sign = -1;
    } else if (c != '+' && c != ' ') {
      break;
    }
    ++p;
  }
  // Signs and blanks up to the end of the line leave no digit: the default
  // with its sign, as for any other missing number.

  // The value has no overflow test; unsigned arithmetic wraps instead of
  // overflowing.
  std::uint32_t value = 0;
  bool digits = false;
  while (p < len && line[p] >= '0' && line[p] <= '9') {
    value = 10u * value + static_cast<std::uint32_t>(line[p] - '0');
    digits = true;
    ++p;
  }
  const std::int32_t magnitude = digits ? static_cast<std::int32_t>(value) : idef;
  ival = sign < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(magnitude)) : magnitude;

  if (remove) {
    if (p < len && line[p] == ',') ++p;
    // Cut columns k..p-1; the line keeps its length, blank-filled at the end.
    line.erase(k, p - k);
    line.append(p - k, ' ');
  }
}

std::string nxtfld(std::string_view line, std::string_view key) {
  const std::size_t k = line.find(key);
  if (k == npos) return {};
  const std::size_t p = k + key.size();
  if (p >= line.size()) return {};

  if (line[p] == '\'') {
    std::size_t last_pair = npos;  // first quote of the last doubled pair passed
    std::size_t close = npos;
    std::size_t i = p + 1;
    while (i < line.size()) {
      const std::size_t q = line.find('\'', i);
      if (q == npos) break;
      if (q + 1 < line.size() && line[q + 1] == '\'') {
        last_pair = q;
        i = q + 2;
        continue;
      }
      close = q;
      break;
    }
    std::string field;
    if (close != npos) {
      field = std::string(line.substr(p + 1, close - p - 1));
    } else if (last_pair != npos) {
      field = std::string(line.substr(p + 1, last_pair - p));
    } else {
      return {};
    }
    for (std::size_t d = field.find("''"); d != npos; d = field.find("''")) field.erase(d, 1);
    return field;
  }

  const std::size_t blank = line.find(' ', p);
  if (blank == npos || blank == p) return {};
  return std::string(line.substr(p, blank - p));
}

void rangck(float& x, float lo, float hi, std::string_view name) {
  if (lo <= x && x <= hi) return;
  fio::write(6, "(' ====>',A,' IS OUT OF RANGE, SET ',1PE13.5,' LE INPUT=',E13.5,' LE ',E13.5)", name, lo, x,
             hi);
  kv::note_fault(kv::Fault::input_warning, std::string(name) + " OUT OF RANGE: SET TO ITS BOUND");
  // A value that is no number cannot be clamped by comparison; take the bound.
  if (std::isnan(x)) {
    x = lo;
    return;
  }
  x = std::min(x, hi);
  x = std::max(x, lo);
}

int ifind(int target, const std::int32_t* ids, int n) {
  // ids[0] is IDS(1).
  auto at = [ids](int i) { return ids[i - 1]; };
  if (n >= 1 && at(1) <= target && at(n) >= target) {
    if (at(1) == target) return 1;
    if (at(n) == target) return n;

    int step = (n + 1) / 2;
    int i = step;
    for (;;) {
      step /= 2;
      i = std::clamp(i, 1, n);
      if (at(i) == target) return i;
      if (step == 0) break;
      i += at(i) > target ? -step : step;
    }
    // Repeated IDs or a table not quite ascending can make the bisection miss:
    // look around where it ended, then everywhere.
    const int j1 = std::max(i - 2, 1);
    const int j2 = std::min(j1 + 4, n);
    for (int j = j1; j <= j2; ++j)
      if (at(j) == target) return j;
    for (int j = 1; j <= n; ++j)
      if (at(j) == target) return j;
  }
  report_not_found(target, ids, n);
  return 0;
}

void report_not_found(std::int64_t target, const std::int32_t* ids, int n) {
  const int nshow = std::max(n, 0);
  const int last = n >= 1 ? ids[n - 1] : 0;
  fio::write(6, "(' TARGET:',I8,'   NOT FOUND, LAST ID(',I6,'):',I8)", target, nshow, last);
}

void isort(const std::int32_t* key, std::int32_t* idx, int n) {
  // key[0] is KEY(1), idx[0] is IDX(1); IDX holds 1-based positions. A stable
  // sort: equal keys keep their input order, so a node read later stays after
  // the earlier one with the same ID.
  if (n <= 0) return;
  for (int i = 1; i <= n; ++i) idx[i - 1] = i;
  std::stable_sort(idx, idx + n, [key](std::int32_t a, std::int32_t b) { return key[a - 1] < key[b - 1]; });
}

}  // namespace base
