// Input-line and table routines every subsystem uses: keywords in a line,
// fields after a key, range checks, ID search and index sort.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace model {

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

// ISORT: idx[1..n] (idx points at IDX(1)) a stable permutation ordering key[1..n].
void isort(const std::int32_t* key, std::int32_t* idx, int n);

}  // namespace model
