// Units 1..60: sequential text files, the console and standard input.
//
// A file unit keeps its FILE* open for reading and writing and, for every
// record it has passed, the byte offset where that record starts. Reading is
// buffered stdio; a write goes to the end of the records written or read so
// far: when that is not the end of the file (after REWIND, BACKSPACE or some
// reads) the file is first cut there, as a sequential file is. Records are not
// held in memory, so a large output file costs one offset per record. A file
// that does not exist yet is made by the first write to it: a unit that is
// opened and only read, or never used, leaves nothing behind.
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "fio/fio.h"

namespace fio {
namespace {

enum class Kind { none, file, console_out, console_in };

struct Unit {
  Kind kind = Kind::none;
  std::string path;
  std::FILE* f = nullptr;         // null for a file not made yet
  bool writable = false;
  // offs[k]: byte offset of record k; known for every record passed. A last
  // line without its line end counts one byte more than the file holds.
  std::vector<long long> offs{0};
  std::size_t pos = 0;          // index of the next record
  long long size = 0;           // bytes in the file, buffered ones included
  long long cursor = -1;        // where the FILE* stands (-1: unknown)
  bool last_was_write = false;
  bool after_end = false;       // a read met the end of the file
  std::vector<std::string> lines;  // console_in: the lines read so far
};

std::array<Unit, kMaxUnit + 1> g_units;
std::string g_default_folder;
long long g_written = 0;  // bytes written to files since the start of the run

bool valid(int unit) { return unit >= 1 && unit <= kMaxUnit; }

std::string join_path(const std::string& folder, const std::string& name) {
  std::size_t e = folder.find_last_not_of(' ');
  if (e == std::string::npos) return name;
  std::string f = folder.substr(0, e + 1);
  if (f.back() == '/' || f.back() == '\\') return f + name;
  return f + "/" + name;
}

void reset(Unit& u) {
  if (u.f) std::fclose(u.f);
  u = Unit{};
}

bool open_file(Unit& u, const std::string& path) {
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (exists && std::filesystem::is_directory(path, ec)) return false;
  std::FILE* f = nullptr;
  bool writable = true;
  if (exists) {
    f = std::fopen(path.c_str(), "r+b");
    if (!f) {  // a read-only input file can still be read
      f = std::fopen(path.c_str(), "rb");
      writable = false;
    }
    if (!f) return false;
  } else {
    // Made by the first write; its folder must be there now, so that a path
    // that cannot be made is refused at the open, not lost at the write.
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return false;
  }
  u = Unit{};
  u.kind = Kind::file;
  u.path = path;
  u.f = f;
  u.writable = writable;
  if (f && std::fseek(f, 0, SEEK_END) == 0) u.size = std::ftell(f);
  if (u.size < 0) u.size = 0;
  u.cursor = -1;
  return true;
}

// The unit ready for use: unit 1 defaults to the console, others to fort.N.
Unit* use(int unit) {
  if (!valid(unit)) return nullptr;
  Unit& u = g_units[static_cast<std::size_t>(unit)];
  if (u.kind != Kind::none) return &u;
  if (unit == 1) {
    u.kind = Kind::console_out;
    return &u;
  }
  if (!open_file(u, join_path(g_default_folder, "fort." + std::to_string(unit)))) return nullptr;
  return &u;
}

// Positions the FILE* for a read or a write at off. stdio needs a seek when
// the direction changes; a seek also drops the buffer, so it is skipped when
// the stream already stands there in the same direction.
bool seek(Unit& u, long long off, bool for_write) {
  if (u.cursor == off && u.last_was_write == for_write) return true;
  if (std::fseek(u.f, static_cast<long>(off), SEEK_SET) != 0) return false;
  u.cursor = off;
  u.last_was_write = for_write;
  return true;
}

// One line from the FILE*; n gets the bytes consumed, false at the end.
// Read byte by byte, so that a stray NUL in a line cannot make the count of
// bytes (and with it every later record offset) wrong.
bool get_line(std::FILE* f, std::string& line, long long& n, bool& had_newline) {
  line.clear();
  n = 0;
  had_newline = false;
  for (int c = std::getc(f); c != EOF; c = std::getc(f)) {
    ++n;
    if (c == '\n') {
      had_newline = true;
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
  return n > 0;
}

Status read_file_record(Unit& u, std::string& rec) {
  const long long at = u.offs[u.pos];
  if (at >= u.size) {
    u.after_end = true;
    return Status::end;
  }
  if (!seek(u, at, false)) return Status::error;
  long long n = 0;
  bool nl = false;
  if (!get_line(u.f, rec, n, nl)) {
    u.cursor = -1;
    u.after_end = true;
    return Status::end;
  }
  u.cursor = at + n;
  if (!nl) ++n;  // the missing line end is supplied when the file is extended
  if (u.offs.size() == u.pos + 1) u.offs.push_back(at + n);
  else u.offs[u.pos + 1] = at + n;
  ++u.pos;
  if (!rec.empty() && rec.back() == '\r') rec.pop_back();
  return Status::ok;
}

// Makes the file of a unit opened on a missing path; false when it cannot be
// made (the unit then takes no writes, like a read-only file).
bool make_file(Unit& u) {
  if (u.f) return true;
  u.f = std::fopen(u.path.c_str(), "w+b");
  if (!u.f) u.writable = false;
  u.cursor = -1;
  return u.f != nullptr;
}

void write_file_record(Unit& u, std::string_view rec) {
  if (!u.writable || !make_file(u)) return;
  g_written += static_cast<long long>(rec.size()) + 1;
  long long at = u.offs[u.pos];
  if (at < u.size) {  // a sequential write ends the file after its record
    std::fflush(u.f);
    std::error_code ec;
    std::filesystem::resize_file(u.path, static_cast<std::uintmax_t>(at), ec);
    if (ec) return;
    u.size = at;
    u.cursor = -1;
  }
  if (at > u.size) {  // the last line had no line end: give it one
    if (!seek(u, u.size, true)) return;
    std::fputc('\n', u.f);
    u.size += 1;
    u.cursor = u.size;
  } else if (!seek(u, at, true)) {
    return;
  }
  std::fwrite(rec.data(), 1, rec.size(), u.f);
  std::fputc('\n', u.f);
  u.last_was_write = true;
  u.size = at + static_cast<long long>(rec.size()) + 1;
  u.cursor = u.size;
  u.offs.resize(u.pos + 1);
  u.offs.push_back(u.size);
  ++u.pos;
}

}  // namespace

bool open(int unit, const std::string& path) {
  if (!valid(unit)) return false;
  Unit& u = g_units[static_cast<std::size_t>(unit)];
  reset(u);
  return open_file(u, path);
}

void connect_stdout(int unit) {
  if (!valid(unit)) return;
  Unit& u = g_units[static_cast<std::size_t>(unit)];
  reset(u);
  u.kind = Kind::console_out;
}

void connect_stdin(int unit) {
  if (!valid(unit)) return;
  Unit& u = g_units[static_cast<std::size_t>(unit)];
  reset(u);
  u.kind = Kind::console_in;
}

bool is_open(int unit) {
  return valid(unit) && g_units[static_cast<std::size_t>(unit)].kind != Kind::none;
}

void close(int unit) {
  if (!valid(unit)) return;
  reset(g_units[static_cast<std::size_t>(unit)]);
}

void rewind(int unit) {
  Unit* u = use(unit);
  if (!u) return;
  u->pos = 0;
  u->after_end = false;
}

void backspace(int unit) {
  Unit* u = use(unit);
  if (!u) return;
  // After a read met the end of the file, BACKSPACE steps back over that end
  // only, so that a following write extends the file.
  if (u->after_end) {
    u->after_end = false;
    return;
  }
  if (u->pos > 0) --u->pos;
}

void flush(int unit) {
  if (!valid(unit)) return;
  Unit& u = g_units[static_cast<std::size_t>(unit)];
  if (u.f) std::fflush(u.f);
  if (u.kind == Kind::console_out) std::fflush(stdout);
}

void flush_all() {
  for (int k = 1; k <= kMaxUnit; ++k) flush(k);
}

void close_all() {
  for (int k = 1; k <= kMaxUnit; ++k) close(k);
}

std::string path_of(int unit) {
  return valid(unit) ? g_units[static_cast<std::size_t>(unit)].path : std::string();
}

long record_number(int unit) {
  return valid(unit) ? static_cast<long>(g_units[static_cast<std::size_t>(unit)].pos) : 0;
}

void set_default_folder(const std::string& folder) { g_default_folder = folder; }

Status read_record(int unit, std::string& record) {
  Unit* u = use(unit);
  record.clear();
  if (!u) return Status::error;
  switch (u->kind) {
    case Kind::file:
      return read_file_record(*u, record);
    case Kind::console_in: {
      if (u->pos == u->lines.size()) {
        std::string line;
        long long n = 0;
        bool nl = false;
        std::fflush(stdout);  // a prompt shows before the answer is awaited
        if (!get_line(stdin, line, n, nl)) {
          u->after_end = true;
          return Status::end;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        u->lines.push_back(std::move(line));
      }
      record = u->lines[u->pos++];
      return Status::ok;
    }
    default:  // the console output cannot be read
      return Status::error;
  }
}

long long written_bytes() { return g_written; }

void write_record(int unit, std::string_view record) {
  Unit* u = use(unit);
  if (!u) return;
  u->after_end = false;
  switch (u->kind) {
    case Kind::file:
      // A text holding line ends is several records in the file: each is
      // counted, so that BACKSPACE and truncation stay exact.
      for (std::size_t nl = record.find('\n'); nl != std::string_view::npos; nl = record.find('\n')) {
        write_file_record(*u, record.substr(0, nl));
        record.remove_prefix(nl + 1);
      }
      write_file_record(*u, record);
      break;
    case Kind::console_out:
      std::fwrite(record.data(), 1, record.size(), stdout);
      std::fputc('\n', stdout);
      std::fflush(stdout);
      break;
    default:
      break;
  }
}

}  // namespace fio
