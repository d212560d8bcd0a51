// Internal to fio: a parsed format (edit-descriptor list) and the walk over it
// that both the formatted write and the formatted read use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fio::detail {

enum class Op : unsigned char {
  I, F, E, D, G, A, L,          // data descriptors
  X, T, TL, TR,                 // positioning
  P, SP, SS, S, BN, BZ,         // modes that hold to the end of the statement
  Lit, Slash, Colon,
  GroupBegin, GroupEnd,
  End                           // the closing parenthesis of the whole list
};

inline bool is_data(Op op) { return op <= Op::L; }

struct Item {
  Op op = Op::End;
  int rep = 1;        // repeat count (groups, data descriptors, "/")
  int w = -1;         // width; -1 when not given (plain A, I0-like minimal width)
  int d = -1;         // digits after the point (F, E, D, G), minimum digits m of Iw.m
  int e = -1;         // exponent digits of Ew.dEe
  int n = 0;          // X, T, TL, TR count; P scale factor
  int match = -1;     // GroupBegin: index of its GroupEnd; GroupEnd: its GroupBegin
  std::string lit;    // literal text
};

struct Format {
  std::vector<Item> items;  // the last item is End
  int reversion = 0;        // where a format that ran out restarts
  bool ok = true;           // false: the text is not a format
};

// The parsed format of the text, parsed on first use and kept for the run.
const Format& cached_format(std::string_view text);
// Parses without the cache (tests of the parser and one-off formats).
Format parse_format(std::string_view text);

// Walks the format for one statement. The context supplies:
//   bool more()                       another value or target remains
//   void data(const Item&)            transfer one value under a data descriptor
//   void control(const Item&)         X, T, TL, TR, P, SP, SS, S, BN, BZ, literals
//   bool next_record()                "/" and reversion; false stops the walk
// The walk ends at a data descriptor or ":" when nothing remains, at the end of
// the format when nothing remains, and also when a pass from the reversion point
// transferred nothing (a list without data descriptors cannot loop for ever).
template <class Ctx>
void walk(const Format& f, Ctx& ctx) {
  struct Loop { int begin; int left; };
  Loop stack[32];
  int depth = 0;
  bool transferred = false;
  int pc = 0;
  const auto& items = f.items;
  for (;;) {
    const Item& it = items[static_cast<std::size_t>(pc)];
    switch (it.op) {
      case Op::GroupBegin:
        if (it.rep <= 0) { pc = it.match + 1; break; }
        if (depth < 32) stack[depth++] = {pc, it.rep};
        ++pc;
        break;
      case Op::GroupEnd:
        if (depth > 0 && --stack[depth - 1].left > 0) {
          pc = stack[depth - 1].begin + 1;
        } else {
          if (depth > 0) --depth;
          ++pc;
        }
        break;
      case Op::End:
        if (!ctx.more() || !transferred) return;
        if (!ctx.next_record()) return;
        transferred = false;
        depth = 0;
        pc = f.reversion;
        break;
      case Op::Colon:
        if (!ctx.more()) return;
        ++pc;
        break;
      case Op::Slash:
        for (int k = 0; k < it.rep; ++k)
          if (!ctx.next_record()) return;
        ++pc;
        break;
      default:
        if (is_data(it.op)) {
          for (int k = 0; k < it.rep; ++k) {
            if (!ctx.more()) return;
            ctx.data(it);
            transferred = true;
          }
        } else {
          ctx.control(it);
        }
        ++pc;
        break;
    }
  }
}

}  // namespace fio::detail
