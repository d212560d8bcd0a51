#include "solutions/joint_loads.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/storage.h"
#include "fio/fio.h"

namespace solutions {

namespace {

constexpr int kIn = 5;
constexpr int kOut = 6;
constexpr std::array<std::string_view, 6> kDirections{"FX", "FY", "FZ", "MX", "MY", "MZ"};

// Every skipped joint load is an input fault of the record just read.
void skipped(std::string_view why) { kv::note_fault(kv::Fault::input_warning, "JOINT LOAD SKIPPED: " + std::string(why)); }

// One joint-load record. A null item of a record keeps the previous record's
// value, so the fields live across the records of a list; all but the load
// case also across the lists of later solutions.
struct Record {
  int lc = 1;
  int joint = 0;
  int ngen = 0;
  int inc = 0;
  std::string dir = "    ";
  float value = 0.0f;
};

Record recall() {
  const kv::JointLoadRecord& k = kv::run().jload;
  return Record{1, k.joint, k.ngen, k.inc, k.dir, k.value};
}

void keep(const Record& r) {
  kv::run().jload = kv::JointLoadRecord{r.joint, r.ngen, r.inc, r.dir, r.value};
}

enum class Next { record, end, skip };

[[noreturn]] void end_of_input() {
  fio::write_list(kOut, " *** ER", "ROR: THE INPUT FILE ENDS INSIDE THE JOINT-LOAD LIST");
  kv::stop_run(1, "INPUT FILE ENDED INSIDE THE JOINT LOADS");
}

// Reads the next record into rec. A record whose items run on to the next
// line is joined with it, but a line holding "END" is the closing record and
// never taken into another one. An unreadable record is left in line for the
// caller's message.
Next read_record(Record& rec, std::string& line) {
  for (;;) {
    if (fio::read_record(kIn, line) != fio::Status::ok) end_of_input();
    if (line.find_first_not_of(" \t\r,") != std::string::npos) break;
  }
  Record r = rec;
  fio::Status st = fio::read_list_text(line, r.lc, r.joint, r.ngen, r.inc, r.dir, r.value);
  std::string more;
  while (st == fio::Status::end && line.find("END") == std::string::npos) {
    if (fio::read_record(kIn, more) != fio::Status::ok) end_of_input();
    if (more.find("END") != std::string::npos) {
      fio::backspace(kIn);
      break;
    }
    line += ' ';
    line += more;
    r = rec;
    st = fio::read_list_text(line, r.lc, r.joint, r.ngen, r.inc, r.dir, r.value);
  }
  if (st == fio::Status::error) {
    if (line.find("END") != std::string::npos) return Next::end;
    return Next::skip;
  }
  r.dir.resize(4, ' ');
  rec = r;
  return rec.dir.find("END") != std::string::npos ? Next::end : Next::record;
}

int direction_of(std::string_view dir) {
  for (std::size_t j = 0; j < kDirections.size(); ++j)
    if (dir.find(kDirections[j]) != std::string_view::npos) return static_cast<int>(j) + 1;
  return 0;
}

class Reader {
 public:
  Reader(const JointLoadModel& m, float* r) : m_(m), r_(r) {}

  // Adds one record (and its generated joints) into the table. The generation
  // ends as soon as it can name no further node, with one line: an increment
  // of 0 names the same joint again, an ID beyond the node IDs ends it, and a
  // run of IDs between two nodes is skipped in one line. A huge count thus
  // costs at most a few lines per node.
  void apply(Record& rec) {
    if (rec.lc < 1 || rec.lc > m_.nlc) {
      fio::write(kOut, "('  INVALID LOAD CASE ... ',I6,' --- LOAD IS SKIPPED')", rec.lc);
      skipped("INVALID LOAD CASE");
      return;
    }
    if (!in_range(rec.joint)) {
      fio::write(kOut, "('  INVALID JOINT ... ',I6,' --- LOAD IS SKIPPED')", rec.joint);
      skipped("NO NODE HAS ITS JOINT ID");
      return;
    }
    visit(rec);
    if (rec.ngen <= 0) return;
    if (rec.inc == 0) {
      fio::write(kOut, "('  INCREMENT 0 REPEATS JOINT',I11,': THE GENERATION ENDS,',I11,' LOADS ARE SKIPPED')",
                 rec.joint, rec.ngen);
      skipped("INCREMENT 0 REPEATS THE JOINT");
      rec.ngen = 0;
      return;
    }
    while (rec.ngen > 0) {
      const std::int64_t next = static_cast<std::int64_t>(rec.joint) + rec.inc;
      if (!in_range(next)) {
        fio::write(kOut, "('  INVALID JOINT ... ',I6,' --- LOAD IS SKIPPED AND THE GENERATION ENDS')", next);
        skipped("A GENERATED JOINT ID IS NO NODE ID");
        rec.ngen = 0;
        return;
      }
      // IDs next, next + inc, ... short of the nearest node ID the walk reaches.
      const std::int64_t node = nearest_node(next, rec.inc > 0);
      const std::int64_t gap = rec.inc > 0 ? node - next : next - node;
      const std::int64_t step = rec.inc > 0 ? rec.inc : -static_cast<std::int64_t>(rec.inc);
      const std::int64_t absent = std::min<std::int64_t>((gap + step - 1) / step, rec.ngen);
      if (absent == 0) {
        --rec.ngen;
        rec.joint = static_cast<int>(next);
        visit(rec);
        continue;
      }
      const std::int64_t last = next + (absent - 1) * rec.inc;
      if (absent == 1)
        fio::write(kOut, "('  INVALID JOINT ... ',I6,' --- LOAD IS SKIPPED')", next);
      else
        fio::write(kOut, "('  JOINTS',I11,' TO',I11,' BY',I11,' ARE NOT NODE IDS --- LOADS ARE SKIPPED')", next, last,
                   rec.inc);
      skipped("A GENERATED JOINT ID IS NO NODE ID");
      rec.ngen -= static_cast<int>(absent);
      rec.joint = static_cast<int>(last);
    }
  }

  bool support_displacements() const { return support_; }

 private:
  bool in_range(std::int64_t joint) const {
    const base::NodeTables& t = m_.nodes;
    return m_.nnode >= 1 && joint >= t.nodid(1) && joint <= t.nodid(m_.nnode);
  }

  // The node ID nearest to joint (inside the ID range) in the walk's
  // direction: the first not below it, or the last not above it.
  std::int64_t nearest_node(std::int64_t joint, bool upward) const {
    const std::int32_t* first = m_.nodes.nodid_ptr();
    const std::int32_t* last = first + m_.nnode;
    if (upward) return *std::lower_bound(first, last, joint);
    return *(std::upper_bound(first, last, joint) - 1);
  }

  // The record's current joint: its loads, or the message of an absent ID.
  void visit(const Record& rec) {
    const int n = base::ifind(rec.joint, m_.nodes.nodid_ptr(), m_.nnode);
    if (n == 0) {
      fio::write(kOut, "('  INVALID JOINT ... ',I6,' --- LOAD IS SKIPPED')", rec.joint);
      skipped("NO NODE HAS ITS JOINT ID");
    } else {
      one_joint(rec, n);
    }
  }

  float& at(int e, int lc) { return r_[static_cast<std::int64_t>(lc - 1) * m_.neq + (e - 1)]; }

  void add(int e, int lc, float v) {
    if (e >= 1 && e <= m_.neq) at(e, lc) += v;
  }

  void one_joint(const Record& rec, int n) {
    const base::NodeTables& t = m_.nodes;
    std::string eqtext(18, ' ');
    std::string note(25, ' ');
    const int j = direction_of(rec.dir);
    if (j == 0) {
      fio::write(kOut, "('  INVALID JOINT LOAD... ',I6,2X,A,2X,1PE14.6,' --- LOAD IS SKIPPED')", rec.joint, rec.dir,
                 rec.value);
      skipped("THE DIRECTION IS NONE OF FX, FY, FZ, MX, MY, MZ: " + rec.dir);
    } else {
      const int e = t.id(n, j);
      if (e < 1 || e > m_.neq) {
        // A constrained degree of freedom whose master was not found has no
        // equation: there is nothing to load.
        fio::write(kOut, "('  JOINT:',I6,'  DIRECTION: ',A,' HAS NO EQUATION --- LOAD IS SKIPPED')", rec.joint,
                   rec.dir);
        skipped("THE DIRECTION HAS NO EQUATION");
        return;
      }
      const float v = rec.value;
      add(e, rec.lc, v);
      const bool constrained = j <= 3 && base::code_bit(t.ncode(n), base::kConstrain, j);
      if (constrained) {
        // The force's moment about the master goes into the master's rotations.
        int e1 = 0, e2 = 0;
        float t1 = 0.0f, t2 = 0.0f;
        if (j == 1) { e1 = t.id(n, 5); t1 = t.tcon(n, 3); e2 = t.id(n, 6); t2 = t.tcon(n, 5); }
        if (j == 2) { e1 = t.id(n, 4); t1 = t.tcon(n, 1); e2 = t.id(n, 6); t2 = t.tcon(n, 6); }
        if (j == 3) { e1 = t.id(n, 4); t1 = t.tcon(n, 2); e2 = t.id(n, 5); t2 = t.tcon(n, 4); }
        add(e1, rec.lc, v * t1);
        add(e2, rec.lc, v * t2);
        eqtext = fio::format("(I5,:,',',I5,:,',',I5)", e, e1, e2);
      } else {
        eqtext = fio::format("(I5,:,',',I5,:,',',I5)", e);
      }
      eqtext.resize(18, ' ');
      if (e > m_.l2) {
        support_ = true;
        note = "...JOINT DISPLACEMENT... ";
      }
    }
    fio::write(kOut, "(' LOAD CASE:',I3,'  JOINT:',I6,'  DIRECTION: ',A,' DOF(S)',A,'  MAGNITUDE:',1P,E14.6,2X,A)",
               rec.lc, rec.joint, rec.dir, eqtext, rec.value, note);
  }

  const JointLoadModel& m_;
  float* r_;
  bool support_ = false;
};

void trace_tables(const JointLoadModel& m, const float* r, bool page) {
  const base::NodeTables& t = m.nodes;
  std::string line;
  for (int c = 1; c <= m.nlc; ++c) {
    const float* col = r + static_cast<std::int64_t>(c - 1) * m.neq;
    if (page) kv::page_header(kOut);
    fio::write(kOut,
               "('  APPLIED JOINT LOADS,   LOADING #',I5,10X,'  NOTE: * DENOTES SUPPORT DISPLACEMENT',/,"
               "' ====================== ',/,/,5X,5('  DOF',7X,'LOAD    '),/)",
               c);
    for (int e0 = 1; e0 <= m.neq; e0 += 5) {
      line.assign(5, ' ');
      for (int e = e0; e <= std::min(m.neq, e0 + 4); ++e)
        line += fio::format("(0P,I5,1P,E14.6,A)", e, col[e - 1], e > m.l2 ? "*" : " ");
      fio::write_record(kOut, line);
    }
  }
  for (int c = 1; c <= m.nlc; ++c) {
    const float* col = r + static_cast<std::int64_t>(c - 1) * m.neq;
    if (page) kv::page_header(kOut);
    fio::write(kOut,
               "('  APPLIED JOINT LOADS,   LOADING #',I5,10X,'  NOTE: * DENOTES SUPPORT DISPLACEMENT',/,"
               "' ====================== ',/,/,6X,'NODE',7X,'FX',13X,'FY',13X,'FZ',13X,'MX',13X,'MY',13X,'MZ',/)",
               c);
    for (int n = 1; n <= m.nnode; ++n) {
      line = fio::format("(5X,I5)", static_cast<int>(t.nodid(n)));
      for (int j = 1; j <= 6; ++j) {
        const int e = t.id(n, j);
        // A constrained degree of freedom shows its master's row elsewhere; one
        // without an equation has no row at all.
        if (base::code_bit(t.ncode(n), base::kConstrain, j) || e < 1 || e > m.neq)
          line.append(14, ' ');
        else
          line += fio::format("(1P,E14.6)", col[e - 1]);
        line += e > m.l2 ? '*' : ' ';
      }
      fio::write_record(kOut, line);
    }
  }
}

}  // namespace

bool jloads(bool trace, const JointLoadModel& m, float* r, bool page) {
  Reader reader(m, r);
  Record rec = recall();
  bool first = true;
  std::string line;
  for (;;) {
    const Next next = read_record(rec, line);
    if (next == Next::end) break;
    if (first) {
      if (page) kv::page_header(kOut);
      fio::write(kOut, "('    APPLIED JOINT LOADS',/,'   =====================',/)");
      first = false;
    }
    if (next == Next::skip) {
      // Under the table's heading, like every other skipped record.
      fio::write(kOut, "('  UNREADABLE JOINT LOAD RECORD: ',A,' --- LOAD IS SKIPPED')", line);
      skipped("UNREADABLE RECORD");
      continue;
    }
    reader.apply(rec);
  }
  keep(rec);
  if (first) return false;
  if (trace) trace_tables(m, r, page);
  return reader.support_displacements();
}

}  // namespace solutions
