// The run-time parser of edit-descriptor lists and the cache of parsed formats.
#include <cctype>
#include <memory>
#include <string>
#include <unordered_map>

#include "fio/format_program.h"

namespace fio::detail {
namespace {

constexpr int kMaxDepth = 30;

// Blanks are not significant in a format outside its literals, so the scanner
// skips them wherever it looks at the next character.
class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}
  int peek() {
    skip();
    return i_ < s_.size() ? std::toupper(static_cast<unsigned char>(s_[i_])) : -1;
  }
  int raw_peek() const { return i_ < s_.size() ? static_cast<unsigned char>(s_[i_]) : -1; }
  int get() {
    int c = peek();
    if (c >= 0) ++i_;
    return c;
  }
  int raw_get() { return i_ < s_.size() ? static_cast<unsigned char>(s_[i_++]) : -1; }
  bool digit() { int c = peek(); return c >= '0' && c <= '9'; }
  // An unsigned number, -1 when none is there.
  int number() {
    if (!digit()) return -1;
    long v = 0;
    while (digit()) {
      v = v * 10 + (get() - '0');
      if (v > 1000000) v = 1000000;
    }
    return static_cast<int>(v);
  }

 private:
  void skip() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  std::string_view s_;
  std::size_t i_ = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : sc_(text) {}

  Format run() {
    Format f;
    if (sc_.peek() != '(') {
      f.ok = false;
    } else {
      sc_.get();
      f.ok = list(f, 0) && sc_.peek() == -1;
    }
    Item end;
    end.op = Op::End;
    f.items.push_back(end);
    if (!f.ok) return f;
    // Reversion goes to the group whose ")" is the last one at the outer level,
    // repeat count included; without such a group, to the start.
    int depth = 0;
    for (int k = 0; k + 1 < static_cast<int>(f.items.size()); ++k) {
      const Item& it = f.items[static_cast<std::size_t>(k)];
      if (it.op == Op::GroupBegin) {
        if (depth == 0) f.reversion = k;
        ++depth;
      } else if (it.op == Op::GroupEnd) {
        --depth;
      }
    }
    return f;
  }

 private:
  // Items up to the ")" that closes the current level (consumed).
  bool list(Format& f, int depth) {
    for (;;) {
      int c = sc_.peek();
      if (c == -1) return false;
      if (c == ',') { sc_.get(); continue; }
      if (c == ')') { sc_.get(); return true; }
      if (!item(f, depth)) return false;
    }
  }

  bool item(Format& f, int depth) {
    int sign = 1;
    if (sc_.peek() == '-' || sc_.peek() == '+') {
      sign = sc_.get() == '-' ? -1 : 1;
      if (!sc_.digit()) return false;
    }
    int n = sc_.number();
    int c = sc_.peek();
    Item it;
    if (sign < 0 && c != 'P') return false;
    switch (c) {
      case '(': {
        sc_.get();
        if (depth + 1 > kMaxDepth) return false;
        it.op = Op::GroupBegin;
        it.rep = n < 0 ? 1 : n;
        std::size_t begin = f.items.size();
        f.items.push_back(it);
        if (!list(f, depth + 1)) return false;
        Item e;
        e.op = Op::GroupEnd;
        e.match = static_cast<int>(begin);
        f.items[begin].match = static_cast<int>(f.items.size());
        f.items.push_back(e);
        return true;
      }
      case '\'':
      case '"': {
        sc_.get();
        it.op = Op::Lit;
        for (;;) {
          int q = sc_.raw_get();
          if (q == -1) return false;
          if (q == c) {
            if (sc_.raw_peek() == c) {
              sc_.raw_get();
            } else {
              break;
            }
          }
          it.lit.push_back(static_cast<char>(q));
        }
        f.items.push_back(std::move(it));
        return true;
      }
      case 'H': {  // nH Hollerith literal
        sc_.get();
        if (n <= 0) return false;
        it.op = Op::Lit;
        for (int k = 0; k < n; ++k) {
          int q = sc_.raw_get();
          if (q == -1) return false;
          it.lit.push_back(static_cast<char>(q));
        }
        f.items.push_back(std::move(it));
        return true;
      }
      case 'P':
        sc_.get();
        it.op = Op::P;
        it.n = sign * (n < 0 ? 0 : n);
        f.items.push_back(it);
        return true;
      case 'X':
        sc_.get();
        it.op = Op::X;
        it.n = n < 0 ? 1 : n;
        f.items.push_back(it);
        return true;
      case '/':
        sc_.get();
        it.op = Op::Slash;
        it.rep = n < 0 ? 1 : n;
        f.items.push_back(it);
        return true;
      case ':':
        sc_.get();
        it.op = Op::Colon;
        f.items.push_back(it);
        return true;
      case '$':
      case '\\':
        sc_.get();  // no effect on a record-at-a-time writer
        return true;
      case 'T': {
        sc_.get();
        int c2 = sc_.peek();
        it.op = Op::T;
        if (c2 == 'L' || c2 == 'R') {
          sc_.get();
          it.op = c2 == 'L' ? Op::TL : Op::TR;
        }
        it.n = sc_.number();
        if (it.n < 0 || (it.op == Op::T && it.n < 1)) return false;
        f.items.push_back(it);
        return true;
      }
      case 'S': {
        sc_.get();
        int c2 = sc_.peek();
        it.op = Op::S;
        if (c2 == 'P') { sc_.get(); it.op = Op::SP; }
        else if (c2 == 'S') { sc_.get(); it.op = Op::SS; }
        f.items.push_back(it);
        return true;
      }
      case 'B': {
        sc_.get();
        int c2 = sc_.get();
        if (c2 == 'N') it.op = Op::BN;
        else if (c2 == 'Z') it.op = Op::BZ;
        else return false;
        f.items.push_back(it);
        return true;
      }
      case 'I': case 'F': case 'E': case 'D': case 'G': case 'A': case 'L':
        return data(f, n, c);
      default:
        return false;
    }
  }

  bool data(Format& f, int n, int c) {
    sc_.get();
    Item it;
    it.rep = n < 0 ? 1 : n;
    it.op = c == 'I' ? Op::I : c == 'F' ? Op::F : c == 'E' ? Op::E : c == 'D' ? Op::D
          : c == 'G' ? Op::G : c == 'A' ? Op::A : Op::L;
    it.w = sc_.number();
    if (it.w >= 0 && sc_.peek() == '.') {
      sc_.get();
      it.d = sc_.number();
      if (it.d < 0) return false;
      if ((it.op == Op::E || it.op == Op::D || it.op == Op::G) && sc_.peek() == 'E') {
        sc_.get();
        it.e = sc_.number();
        if (it.e <= 0) return false;
      }
    }
    switch (it.op) {
      case Op::F: case Op::E: case Op::D: case Op::G:
        if (it.w < 0) {  // no width given: a default wide enough for a REAL
          it.w = 15;
          it.d = 7;
        }
        if (it.d < 0) it.d = 0;
        break;
      case Op::L:
        if (it.w < 0) it.w = 2;
        if (it.d >= 0) return false;
        break;
      case Op::A:
        if (it.d >= 0) return false;
        break;
      default:
        break;
    }
    f.items.push_back(it);
    return true;
  }

  Scanner sc_;
};

struct Hash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
struct Equal {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

}  // namespace

Format parse_format(std::string_view text) { return Parser(text).run(); }

const Format& cached_format(std::string_view text) {
  // Node-based map: references to parsed formats stay valid as it grows.
  static std::unordered_map<std::string, std::unique_ptr<Format>, Hash, Equal> cache;
  auto found = cache.find(text);
  if (found == cache.end()) {
    found = cache.emplace(std::string(text), std::make_unique<Format>(parse_format(text))).first;
  }
  return *found->second;
}

}  // namespace fio::detail
