#include "solutions/dynamic/histry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/node_tables.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"

namespace solutions {

namespace {

constexpr int kInput = 5;
constexpr int kOut = 6;
constexpr std::size_t kKeyWidth = 40;
constexpr std::size_t kLabelWidth = 12;

enum Kind : int { kDof = 1, kElement = 2, kEnergy = 3, kSumReactions = 4, kGround = 5 };

// The request keys in the order they are tried; "END" closes the list.
enum class Key { dof, joint, element, energy, sumrct, ground, end, none };

constexpr std::string_view kHeaderOut = "(3I10,1P,2E15.5,0P,1X,I6,A)";
constexpr std::string_view kHeaderIn = "(3I10,0P,2E15.5,0P,1X,I6,A)";
constexpr std::string_view kRecord = "(1P,6E13.5)";
constexpr std::string_view kDirections[6] = {"FX", "FY", "FZ", "MX", "MY", "MZ"};

// A history file holds one request's records; the input and output files and
// the units without a side file can hold none.
bool history_unit(std::int64_t unit) { return unit >= 10 && unit <= fio::kMaxUnit; }

std::string fixed(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

Key classify(std::string_view key) {
  if (base::keyon(key, "DOF", false)) return Key::dof;
  if (base::keyon(key, "JOINT", false)) return Key::joint;
  if (base::keyon(key, "ELE", false)) return Key::element;
  if (base::keyon(key, "ENERGY", false)) return Key::energy;
  if (base::keyon(key, "SUMRCT", false)) return Key::sumrct;
  if (base::keyon(key, "GROUND", false)) return Key::ground;
  if (base::keyon(key, "END", false)) return Key::end;
  return Key::none;
}

// One request line as read.
struct RequestLine {
  std::string key;  // HKEY, 40 characters
  std::int32_t id = 0, unit = 0, gen = 0, idinc = 0, uninc = 0;
  bool readable = true;
};

// Reads the next request line. Each request stands on its own line: items
// missing at its end are 0, so that a short line never takes the line after it
// (the closing "END" least of all). Blank lines are passed over.
RequestLine read_request_line() {
  std::string line;
  for (;;) {
    if (fio::read_record(kInput, line) != fio::Status::ok) {
      fio::write_list(kOut, " *** ER", "ROR: THE INPUT FILE ENDS INSIDE THE HISTORY REQUESTS (NO \"END\")");
      kv::stop_run(1, "INPUT FILE ENDED INSIDE THE HISTORY REQUESTS");
    }
    if (line.find_first_not_of(" \t\r") != std::string::npos) break;
  }
  RequestLine r;
  const fio::Status st = fio::read_list_text(line, r.key, r.id, r.unit, r.gen, r.idinc, r.uninc);
  r.key = fixed(r.key, kKeyWidth);
  r.readable = st != fio::Status::error;
  return r;
}

void invalid_input(std::string_view key) {
  fio::write(kOut, "(5X,'INVALID INPUT: ',A,', INPUT IS SKIPED...')", fixed(std::string(key), kKeyWidth));
  kv::note_fault(kv::Fault::input_warning, "HISTORY REQUEST SKIPPED");
}

void invalid_request(std::string_view key, int id, int unit, std::string_view why) {
  invalid_input(key);
  fio::write(kOut, "(5X,'   ID:',I10,'   UNIT:',I6,'   (',A,')')", id, unit, why);
}

// The value of entry e of the solution vector of a CONTRL word (0.0 when the
// solution has none).
float vector_value(int word, int e) {
  const std::int64_t p = kv::ctl(word);
  return p > 0 ? static_cast<float>(kv::rzm(p + e - 1)) : 0.0f;
}

// PCTERR of the history records: 0.0 when nothing has happened yet.
float relative_error() {
  const double einput = kv::ctl_double(kv::kEINPUT);
  const double err = einput - static_cast<double>(kv::ctl_double(kv::kESTRN)) -
                     static_cast<double>(kv::ctl_double(kv::kEKIN)) -
                     static_cast<double>(kv::ctl_double(kv::kEPLAS)) -
                     static_cast<double>(kv::ctl_double(kv::kEDAMP));
  // Infinite energies leave no measurable balance: report none rather than NaN.
  if (!std::isfinite(err) || !std::isfinite(einput)) return 0.0f;
  const float e = static_cast<float>(err);
  if (einput == 0.0) return e == 0.0f ? 0.0f : 100.0f;
  const float pct = static_cast<float>(err / einput * 100.0);
  return std::isfinite(pct) ? pct : 0.0f;
}

elements::EleCall element_call(int iopt, int n, bool echo) {
  elements::EleCall c;
  c.iopt = iopt;
  c.ielno = n;
  c.lecho = echo;
  c.idisp = kv::ctl(kv::kDUDISP);
  c.iload = kv::ctl(kv::kDPLOAD);
  return c;
}

// ------------------------------------------------------------ option 1

struct Header {
  int kind = 0;
  int ident = 0;
  bool extra = false;      // the header line goes on after the time step
  int hextra = 0;
  std::string label;
};

void write_header(int unit, const Header& h, int hintv, float ht0, float hdt) {
  const kv::Titles& t = kv::titles();
  const std::string t1 = fixed(t.title1, kv::kTitleLen);
  const std::string t2 = fixed(t.title2, kv::kTitleLen);
  fio::write_record(unit, std::string_view(t1).substr(0, 80));
  fio::write_record(unit, std::string_view(t1).substr(80, 32));
  fio::write_record(unit, std::string_view(t2).substr(0, 80));
  fio::write_record(unit, std::string_view(t2).substr(80, 32));
  if (h.extra) fio::write(unit, kHeaderOut, h.kind, h.ident, hintv, ht0, hdt, h.hextra, h.label);
  else fio::write(unit, kHeaderOut, h.kind, h.ident, hintv, ht0, hdt);
}

// The units that already receive a history of this solution.
using UnitsUsed = std::array<bool, fio::kMaxUnit + 1>;

// Makes one request of a line; false when it is skipped.
void make_request(Key key, const std::string& hkey, int id, int unit, int hintv, float ht0, float hdt,
                  UnitsUsed& used, int& count) {
  kv::ctl(kv::kIUNIT) = unit;
  if (!history_unit(unit)) {
    invalid_request(hkey, id, unit, "THE UNIT MUST BE A SIDE FILE, 10 TO 60");
    return;
  }
  const int neq = kv::ctl(kv::kNEQ);
  Header h;
  switch (key) {
    case Key::dof:
      if (id < 1 || id > neq) {
        invalid_request(hkey, id, unit, "NO SUCH EQUATION");
        return;
      }
      h = {kDof, id, false, 0, ""};
      fio::write(kOut, "(5X,'DEGREE OF FREEDOM','  #',I5,' IS WRITTEN TO UNIT #',I5)", id, unit);
      break;
    case Key::joint: {
      int dir = 0;
      for (int d = 0; d < 6 && dir == 0; ++d)
        if (base::keyon(hkey, kDirections[d], false)) dir = d + 1;
      if (dir == 0) {
        invalid_request(hkey, id, unit, "THE KEY NAMES NO DIRECTION FX TO MZ");
        return;
      }
      const base::NodeTables nodes = base::node_tables();
      const int nnode = kv::ctl(kv::kNNODE);
      const int n = nnode > 0 && nodes.p_nodid > 0 ? base::ifind(id, nodes.nodid_ptr(), nnode) : 0;
      if (n == 0) {
        invalid_request(hkey, id, unit, "JOINT NOT FOUND");
        return;
      }
      const int eq = nodes.id(n, dir);
      if (eq < 1 || eq > neq) {
        invalid_request(hkey, id, unit, "THE JOINT HAS NO EQUATION IN THIS DIRECTION");
        return;
      }
      const std::string_view dtext = kDirections[dir - 1];
      h = {kDof, eq, true, id, std::string(dtext)};
      fio::write(kOut, "(5X,'DEGREE OF FREEDOM','  #',I5,' IS WRITTEN TO UNIT #',I5,'  JOINT:',I6,"
                       "'   DIRECTION: ',A)", eq, unit, id, dtext);
      break;
    }
    case Key::element: {
      const int nelem = kv::ctl(kv::kNELEM);
      const std::int64_t eletab = kv::ctl(kv::kELETAB);
      if (id < 1 || id > nelem || eletab <= 0) {
        invalid_request(hkey, id, unit, "NO SUCH ELEMENT");
        return;
      }
      const std::int64_t p = kv::izm(eletab + id);
      h = {kElement, id, true, static_cast<int>(kv::izm(p)), "ELEMENT"};
      fio::write(kOut, "(5X,'ELEMENT','  #',I5,' IS WRITTEN TO UNIT #',I5)", id, unit);
      break;
    }
    case Key::energy:
      h = {kEnergy, id, true, 0, "ENERGY"};
      fio::write(kOut, "(5X,A,' IS WRITTEN TO UNIT #',I5)", "ENERGY BALANCE", unit);
      break;
    case Key::sumrct:
      h = {kSumReactions, id, true, 0, "SUMRCT"};
      fio::write(kOut, "(5X,A,' IS WRITTEN TO UNIT #',I5)", "SUMMATION OF REACTIONS", unit);
      break;
    case Key::ground:
      h = {kGround, id, true, 0, "GROUND"};
      fio::write(kOut, "(5X,A,' IS WRITTEN TO UNIT #',I5)", "GROUND MOTION", unit);
      break;
    default:
      return;
  }

  // Two histories on one unit interleave and cannot be read back apart.
  const bool shared = used[static_cast<std::size_t>(unit)];
  if (shared)
    fio::write(kOut, "(5X,'WARNING: UNIT #',I5,' ALREADY RECEIVES A HISTORY OF THIS SOLUTION;',"
                     "' THE READ COMMAND CANNOT SEPARATE THEM')", unit);

  if (!fio::is_open(unit)) {
    const std::string& path = kv::run().fname[static_cast<std::size_t>(unit)];
    if (!path.empty() && !fio::open(unit, path)) {
      fio::write(kOut, "(5X,'*** THE FILE OF UNIT',I5,' CANNOT BE OPENED: ',A,' - REQUEST IS SKIPPED')", unit,
                 path);
      kv::note_fault(kv::Fault::input_warning, "HISTORY REQUEST SKIPPED: ITS FILE CANNOT BE OPENED");
      return;
    }
  }
  // A history file starts at its first line, wherever the unit stood.
  if (!shared) fio::rewind(unit);

  kv::memchk(3, 0);
  const std::int64_t at = kv::ctl(kv::kIZ);
  kv::izm(at) = h.kind;
  kv::izm(at + 1) = h.ident;
  kv::izm(at + 2) = unit;
  kv::ctl(kv::kIZ) = static_cast<std::int32_t>(at + 3);
  used[static_cast<std::size_t>(unit)] = true;
  ++count;
  write_header(unit, h, hintv, ht0, hdt);
}

// The IDs a generated request can name (energy, reactions and ground motion
// take any ID).
struct IdRange {
  bool checked = false;
  std::int64_t lo = 0, hi = 0;
};

IdRange id_range(Key key) {
  switch (key) {
    case Key::dof: return {true, 1, kv::ctl(kv::kNEQ)};
    case Key::element: return {true, 1, kv::ctl(kv::kNELEM)};
    case Key::joint: {
      const int nnode = kv::ctl(kv::kNNODE);
      const base::NodeTables nodes = base::node_tables();
      if (nnode < 1 || nodes.p_nodid <= 0) return {true, 1, 0};
      const std::int32_t* nodid = nodes.nodid_ptr();
      const auto [lo, hi] = std::minmax_element(nodid, nodid + nnode);
      return {true, *lo, *hi};
    }
    default: return {};
  }
}

void read_requests(int hintv, float ht0, float hdt) {
  kv::memchk(1, 0);
  const std::int64_t table = kv::ctl(kv::kIZ);
  kv::ctl(kv::kHSTREQ) = static_cast<std::int32_t>(table);
  kv::izm(table) = 0;
  kv::ctl(kv::kIZ) = static_cast<std::int32_t>(table + 1);
  int count = 0;
  UnitsUsed used{};
  kv::run().histry_echo = true;
  fio::write(kOut, "(/,5X,' DATA WRITTEN TO FILES ',/,5X,'=======================',/)");

  for (;;) {
    const RequestLine line = read_request_line();
    const Key key = classify(line.key);
    if (key == Key::end) break;
    if (key == Key::none || !line.readable) {
      invalid_input(line.key);
      continue;
    }
    // A line makes HGEN + 1 requests; a negative count makes one. The
    // generation ends early once the next request could name nothing valid.
    const IdRange range = id_range(key);
    std::int64_t id = line.id;
    std::int64_t unit = line.unit;
    for (int left = std::max(line.gen, 0);; --left) {
      make_request(key, line.key, static_cast<int>(id), static_cast<int>(unit), hintv, ht0, hdt, used, count);
      if (left == 0) break;
      const std::int64_t next_id = id + line.idinc;
      const std::int64_t next_unit = unit + line.uninc;
      const char* why = nullptr;
      if (next_unit == unit && (!range.checked || next_id == id)) why = "THE INCREMENTS REPEAT THE SAME REQUEST";
      else if (!history_unit(next_unit)) why = "THE NEXT UNIT IS NOT 10 TO 60";
      else if (range.checked && (next_id < range.lo || next_id > range.hi)) why = "THE NEXT ID IS OUTSIDE THE MODEL";
      if (why != nullptr) {
        fio::write(kOut, "(5X,'GENERATION ENDS, ',I10,' REQUESTS LEFT: ',A)", left, why);
        kv::note_fault(kv::Fault::input_warning, "HISTORY REQUEST GENERATION ENDS: " + std::string(why));
        break;
      }
      id = next_id;
      unit = next_unit;
    }
  }
  kv::izm(table) = count;
}

// ------------------------------------------------------------ options 2 and 3

// The number of requests of the table at `table`. A count that its reserved
// words (below IZ) cannot hold means the table was overwritten: it is
// reported and no request is read, rather than words past the table.
int request_count(std::int64_t table) {
  const std::int64_t end = std::min<std::int64_t>(kv::ctl(kv::kIZ), kv::kWorkWords + 1);
  const std::int32_t count = table < end ? static_cast<std::int32_t>(kv::izm(table)) : -1;
  if (count >= 0 && table + 3 * static_cast<std::int64_t>(count) < end) return count;
  fio::write(kOut, "(/,' *** THE HISTORY-REQUEST TABLE AT WORD',I10,' HOLDS AN INVALID COUNT (',I11,"
                   "'): NO HISTORY RECORD IS WRITTEN')", table, count);
  kv::note_fault(kv::Fault::solution_error, "THE HISTORY-REQUEST TABLE IS DAMAGED");
  // One report: the table is given up.
  kv::ctl(kv::kHSTREQ) = 0;
  return 0;
}

void write_records() {
  const std::int64_t table = kv::ctl(kv::kHSTREQ);
  if (table <= 0) return;
  const int count = request_count(table);
  const bool echo = kv::run().histry_echo;
  const bool has_rates = kv::ctl(kv::kVTOTAL) != 0 && kv::ctl(kv::kATOTAL) != 0;
  int ltype = 0;
  for (int r = 1; r <= count; ++r) {
    const int kind = kv::izm(table + 3 * r - 2);
    const int ident = kv::izm(table + 3 * r - 1);
    const int unit = kv::izm(table + 3 * r);
    kv::ctl(kv::kIUNIT) = unit;
    switch (kind) {
      case kDof:
        fio::write(unit, kRecord, vector_value(kv::kPTOTAL, ident), vector_value(kv::kUTOTAL, ident),
                   has_rates ? vector_value(kv::kVTOTAL, ident) : 0.0f,
                   has_rates ? vector_value(kv::kATOTAL, ident) : 0.0f);
        break;
      case kElement: {
        if (ident < 1 || ident > kv::ctl(kv::kNELEM)) break;
        elements::EleCall c = element_call(elements::kEleHistWrite, ident, echo);
        elements::eledsp(c, ltype, 0);
        break;
      }
      case kEnergy:
        fio::write(unit, kRecord, static_cast<double>(kv::ctl_double(kv::kEINPUT)),
                   static_cast<double>(kv::ctl_double(kv::kESTRN)), static_cast<double>(kv::ctl_double(kv::kEKIN)),
                   static_cast<double>(kv::ctl_double(kv::kEPLAS)),
                   static_cast<double>(kv::ctl_double(kv::kEDAMP)), relative_error());
        break;
      case kSumReactions:
        fio::write(unit, kRecord, std::span<const float>(kv::ctl_rptr(kv::kRSUM), 6));
        break;
      case kGround:
        fio::write(unit, kRecord, std::span<const float>(kv::ctl_rptr(kv::kGACC), 9));
        break;
      default:
        break;
    }
  }
  kv::run().histry_echo = false;
}

void close_units() {
  const std::int64_t table = kv::ctl(kv::kHSTREQ);
  if (table <= 0) return;
  const int count = request_count(table);
  for (int r = 1; r <= count; ++r) fio::close(kv::izm(table + 3 * r));
}

// ------------------------------------------------------------ option 4

// Step and time of the records of a file as they are read.
struct Steps {
  int interval = 0;
  float t0 = 0.0f, dt = 0.0f;
  int inc = 1;
  // 64 bits: a huge interval in a file header must not wrap the count; a step
  // wider than its column prints as asterisks.
  std::int64_t step = 0;
  float time = 0.0f;

  void advance() {
    step += interval;
    time = static_cast<float>(step) * dt + t0;
  }
  bool printed() const { return step % inc == 0; }
};

// The limit-state marks of a degree-of-freedom list: advance after each
// record, take the text of a printed line.
void update_marks(std::int64_t step) {
  kv::Solsta& s = kv::solsta();
  if (step != 0) {
    for (std::size_t k = 1; k <= 6; ++k)
      if (s.lsstep[k] == step) {
        s.lsmark[k] = 1;
        break;
      }
  }
  for (std::size_t k = 1; k <= 6; ++k)
    if (s.lsstep[k] != 0 && s.lsmark[k] != 2 && s.lsstep[k] < step) s.lsmark[k] = 1;
}

std::string_view take_mark() {
  static constexpr std::string_view kMarks[7] = {"   ", "*1*", "*2*", "*3*", "*4*", "*5*", "*6*"};
  kv::Solsta& s = kv::solsta();
  for (std::size_t k = 1; k <= 6; ++k)
    if (s.lsmark[k] == 1) {
      s.lsmark[k] = 2;
      return kMarks[k];
    }
  return kMarks[0];
}

void list_dof(int unit, Steps& s, int ident, int hextra, const std::string& label) {
  fio::write(kOut, "(1X,'%5S%',/,5X,'DEGREE OF FREEDOM #',I5,' IS READ FROM UNIT #',I5,5X,'JOINT #',I5,"
                   "', DIRECTION: ',A,/,/,6X,'STEP','     TIME      ','    LOAD       ',' DISPLACEMENT  ',"
                   "'   VELOCITY    ',' ACCELERATION  ')",
             ident, unit, hextra, label.substr(0, 2));
  float load = 0, disp = 0, vel = 0, acc = 0;
  while (fio::read_list(unit, load, disp, vel, acc) == fio::Status::ok) {
    s.advance();
    update_marks(s.step);
    if (s.printed()) fio::write(kOut, "(A,1X,I6,1P,5E15.5)", take_mark(), s.step, s.time, load, disp, vel, acc);
  }
}

void list_energy(int unit, Steps& s) {
  fio::write(kOut, "(5X,'ENERGY DATA IS READ FROM UNIT #',I5,/,/,6X,'STEP','     TIME       ','    INPUT      ',"
                   "'ELASTIC STRAIN ','   KINETIC     ','PLASTIC STRAIN ','  DAMPINED     ',' RELATIVE ERROR %')",
             unit);
  double e[5] = {0, 0, 0, 0, 0};  // EINPUT, ESTRN, EKIN, EPLAS, EDAMP as the file holds them
  float pcterr = 0.0f;
  // The column maxima stay in double precision: energies beyond the float
  // range would print as Infinity.
  std::array<double, 5> emax{};
  // The sums only form a ratio, so each energy enters them times 2^-100
  // (exact): energies near the double range cannot overflow them.
  constexpr double kSumScale = 0x1p-100;
  double sin = 0.0, sout = 0.0, serr = 0.0;
  while (fio::read_list(unit, e[0], e[1], e[2], e[3], e[4], pcterr) == fio::Status::ok) {
    kv::ctl_double(kv::kEINPUT) = e[0];
    kv::ctl_double(kv::kESTRN) = e[1];
    kv::ctl_double(kv::kEKIN) = e[2];
    kv::ctl_double(kv::kEPLAS) = e[3];
    kv::ctl_double(kv::kEDAMP) = e[4];
    double es[5];
    for (std::size_t k = 0; k < 5; ++k) es[k] = e[k] * kSumScale;
    const double err = es[0] - es[1] - es[2] - es[3] - es[4];
    sin += es[0];
    sout += es[1] + es[2] + es[3] + es[4];
    serr += std::fabs(err);
    for (std::size_t k = 0; k < 5; ++k) emax[k] = std::max(emax[k], e[k]);
    s.advance();
    if (s.printed())
      fio::write(kOut, "(I10,1P,6E15.5,0P,F15.4)", s.step, s.time, e[0], e[1], e[2], e[3], e[4], pcterr);
  }
  // No energy at all (or no record) leaves nothing to compare.
  const double total = sout + sin;
  const double gross = total != 0.0 ? serr * 200.0 / total : 0.0;
  fio::write(kOut, "(25X,A,/,10X,'  MAXIMUN      ',1P,5E15.5,/,/,25X,'GROSS RE:',0P,F15.4,'%')",
             std::string(90, '-'), std::span<const double>(emax), gross);
}

void list_reactions(int unit, Steps& s) {
  fio::write(kOut, "(1X,'%5S%',/,5X,'SUMMATION OF REACTIONS ARE READ FROM UNIT #',I5,/,/,6X,'STEP',"
                   "'     TIME      ','      FX       ','     FY        ','      FZ       ','      MX       ',"
                   "'     MY        ','      MZ       ')",
             unit);
  const std::span<float> rsum(kv::ctl_rptr(kv::kRSUM), 6);
  while (fio::read_list(unit, rsum) == fio::Status::ok) {
    s.advance();
    // This list carries no limit-state marks.
    if (s.printed()) fio::write(kOut, "(A,1X,I6,1P,7E15.5)", "   ", s.step, s.time, std::span<const float>(rsum));
  }
}

void list_ground(int unit, Steps& s) {
  fio::write(kOut, "(5X,'GROUND MOTION IS READ FROM UNIT #',I5,/,/,2X,'    ','            ',"
                   "' /--------- ACCELERATION ----------/',' /----------- VELOCITY ------------/',"
                   "' /--------- DISPLACEMENT ----------/',/,2X,'STEP','    TIME    ',"
                   "'  GLOBAL X  ','  GLOBAL Y  ','  GLOBAL Z  ','  GLOBAL X  ','  GLOBAL Y  ','  GLOBAL Z  ',"
                   "'  GLOBAL X  ','  GLOBAL Y  ','  GLOBAL Z  ')",
             unit);
  const std::span<float> g(kv::ctl_rptr(kv::kGACC), 9);
  while (fio::read_list(unit, g) == fio::Status::ok) {
    s.advance();
    if (s.printed()) fio::write(kOut, "(I6,1P,10E12.4)", s.step, s.time, std::span<const float>(g));
  }
}

// Words set aside (and cleared) behind a temporary element entry for the
// record that element option 8 fills.
constexpr std::int64_t kTemporaryRecordWords = 100000;

void list_element(int unit, int ident, int hextra) {
  fio::write(kOut, "(1X,'%5S%',/,5X,'ELEMENT #',I5,' IS READ FROM UNIT #',I5)", ident, unit);
  if (ident < 1) return;
  const std::int32_t model_eletab = kv::ctl(kv::kELETAB);
  bool own = false;
  if (model_eletab > 0 && ident <= kv::ctl(kv::kNELEM)) {
    const std::int64_t p = kv::izm(model_eletab + ident);
    own = p >= 1 && p <= kv::kWorkWords && kv::izm(p) == hextra;
  }
  if (!own) {
    // An entry for this element alone, its record in the free words above IZ.
    kv::memchk(ident + 2 + kTemporaryRecordWords, 0);
    const std::int64_t t = kv::ctl(kv::kIZ) + 2;
    const std::int64_t record = t + ident + 1;
    kv::zero_words(record, kTemporaryRecordWords);
    kv::izm(t) = ident;
    kv::izm(t + ident) = static_cast<std::int32_t>(record);
    kv::izm(record) = hextra;
    kv::ctl(kv::kELETAB) = static_cast<std::int32_t>(t);
  }
  int ltype = 0;
  elements::EleCall c = element_call(elements::kEleHistRead, ident, false);
  elements::eledsp(c, ltype, 0);
  kv::ctl(kv::kELETAB) = model_eletab;
}

// A command that prints nothing of what it was asked for is counted as a
// warning on the "READ" line.
void premature_end(int unit) {
  fio::close(unit);
  fio::write(kOut, "(/,/,/,10X,'PREMATURE END OF FILE, UNIT:',I5,/,10X,'READ COMMAND IS ABORTED',/,/,/)", unit);
  kv::note_fault(kv::Fault::input_warning,
                 fio::format("('READ COMMAND ABORTED: UNIT',I3,' HOLDS NO COMPLETE HISTORY FILE')", unit));
}

void read_back(int& hintv, float& ht0, float& hdt) {
  const int unit = kv::ctl(kv::kIUNIT);
  if (!history_unit(unit)) {
    fio::write(kOut, "(/,5X,'*** UNIT',I6,' HOLDS NO HISTORY FILE (10 TO 60): NOTHING IS READ')", unit);
    kv::note_fault(kv::Fault::input_warning, "READ COMMAND SKIPPED: THE UNIT IS NOT 10 TO 60");
    return;
  }
  const std::string& path = kv::run().fname[static_cast<std::size_t>(unit)];
  if (!path.empty()) {
    fio::close(unit);
    if (!fio::open(unit, path)) {
      fio::write(kOut, "(/,5X,'*** THE FILE OF UNIT',I5,' CANNOT BE OPENED: ',A)", unit, path);
      kv::note_fault(kv::Fault::input_warning, "READ COMMAND SKIPPED: THE FILE OF THE UNIT CANNOT BE OPENED");
      return;
    }
  }
  fio::rewind(unit);
  // "INC=" of 0 or less prints every record; the element read-back uses the
  // word as well.
  if (kv::ctl(kv::kINC) < 1) kv::ctl(kv::kINC) = 1;

  std::string lines[4];
  for (std::string& l : lines)
    if (fio::read_record(unit, l) != fio::Status::ok) {
      premature_end(unit);
      return;
    }
  const std::string t1 = fixed(lines[0], 80) + fixed(lines[1], 32);
  const std::string t2 = fixed(lines[2], 80) + fixed(lines[3], 32);
  fio::write(kOut, "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/)", t1, t2);

  std::int32_t kind = 0, ident = 0, hextra = 0;
  std::string label(kLabelWidth, ' ');
  hintv = 0;
  ht0 = hdt = 0.0f;
  const fio::Status st = fio::read_fmt(unit, kHeaderIn, kind, ident, hintv, ht0, hdt, hextra, label);
  if (st == fio::Status::end) {
    premature_end(unit);
    return;
  }
  if (st != fio::Status::ok) kind = 0;  // an unreadable header prints no list
  label = fixed(label, kLabelWidth);

  kv::Solsta& ss = kv::solsta();
  for (std::size_t k = 1; k <= 6; ++k) ss.lsmark[k] = 0;

  Steps s;
  s.interval = hintv;
  s.t0 = ht0;
  s.dt = hdt;
  s.inc = kv::ctl(kv::kINC);
  s.step = -static_cast<std::int64_t>(hintv);
  switch (kind) {
    case kDof: list_dof(unit, s, ident, hextra, label); break;
    case kElement: list_element(unit, ident, hextra); break;
    case kEnergy: list_energy(unit, s); break;
    case kSumReactions: list_reactions(unit, s); break;
    case kGround: list_ground(unit, s); break;
    default: break;
  }
  fio::close(unit);
  fio::write(kOut, "(1X,'%5E%')");
}

}  // namespace

void histry(int iopt, int& n, float& t0, float& dt) {
  switch (iopt) {
    case kHistRecords: write_records(); break;
    case kHistClose: close_units(); break;
    case kHistReadBack: read_back(n, t0, dt); break;
    default: read_requests(n, t0, dt); break;
  }
}

}  // namespace solutions
