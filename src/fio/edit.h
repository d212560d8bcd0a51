// Internal to fio: the output edits of single values, each appending one field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fio::detail {

// Iw.m; w < 0 or w == 0 writes the minimal width; m < 0 when not given.
void edit_i(std::string& out, std::int64_t v, int w, int m, bool plus);
// Fw.d of x * 10^k.
void edit_f(std::string& out, double x, int w, int d, int k, bool plus);
// Ew.d (letter 'E') or Dw.d (letter 'D') under scale factor k; e > 0 for Ew.dEe.
void edit_e(std::string& out, double x, int w, int d, int e, int k, bool plus, char letter);
// Aw (w < 0: the text as it is).
void edit_a(std::string& out, std::string_view s, int w);
// Lw.
void edit_l(std::string& out, bool b, int w);

}  // namespace fio::detail
