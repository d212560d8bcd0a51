// Storage accounting of the work array and the report-page header.
#pragma once

#include <cstdint>

namespace kv {

// MEMCHK: n1 words wanted above max(IZ, n2); beyond the work array the boxed
// report is printed and the run stops. Does not move IZ.
void memchk(std::int64_t n1, std::int64_t n2);

// Reserves n words at IZ (checked with memchk) and returns their first index.
std::int64_t reserve(std::int64_t n);

// Reserves a table of n double-precision values (2n words, after one unused
// word when IZ is odd, so that every value is aligned) and returns the index
// of its first word, even.
std::int64_t reserve_doubles(std::int64_t n);

// MEMRST with option 1: CONTRL(2..n) = 0, IZ = 1, both titles blank.
void memrst(int iopt, int n);

// MEMDMP: the "DUMP" command's page (and the words with trace letter N).
void memdmp();

// The header every report page starts with:
// "1 STRUCTURE....: " TITLE1 / "  SOLUTION.....: " TITLE2 / (blank line).
void page_header(int unit);

}  // namespace kv
