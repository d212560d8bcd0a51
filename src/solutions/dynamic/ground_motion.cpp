#include "solutions/dynamic/ground_motion.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "base/vectors.h"
#include "base/work_array.h"
#include "fio/fio.h"

namespace solutions {

namespace {

constexpr int kInput = 5;
constexpr int kOut = 6;
constexpr std::size_t kTitleWidth = 80;

// The layout of a direction vector: first component without a sign column,
// the others with a forced sign ("1.00000 I +0.00000 J +0.00000 K").
constexpr std::string_view kVectors = "(5X,3(A,S,F9.5,' I',SP,F9.5,' J',F9.5,' K  '),S)";
constexpr std::string_view kDirection =
    "(5X,'DIRECTION OF ACCELERATION:',4X,S,F9.5,' I',SP,F9.5,' J',F9.5,' K  ',S)";
constexpr std::string_view kStatsHeader =
    "(/,3X,20X,'     MAXIMUN   AT    TIME    ',1X,"
    "'     MINIMUN   AT    TIME          AVERAGE     STANDARD DEV.',1X,'      RMS ')";
constexpr std::string_view kStatsLine = "(3X,A,1P,7E15.5)";
constexpr std::string_view kTenPerLine = "(1X,1P,10E12.4)";

// A word no read can produce: a target that still holds it was not read.
constexpr std::uint32_t kUnreadBits = 0x7fc0beefu;

using Vec3 = std::array<float, 3>;

std::span<const float> sp(const Vec3& v) { return std::span<const float>(v); }

void print_stats(std::string_view label, const SeriesStats& s, float gtime0) {
  fio::write(kOut, kStatsLine, label, s.xmax, s.tmax + gtime0, s.xmin, s.tmin + gtime0, s.avg, s.std,
             s.rms);
}

std::string fixed_width(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

// Reads n values of a record from the unit into x[0..n-1], free-format or
// under fmt. nread gets the number of values the file held (the last value
// read, counted from the first); values skipped by a null item or a "/" are
// 0.0.
fio::Status read_values(int unit, bool formatted, std::string_view fmt, int n, float* x, int& nread) {
  const float unread = std::bit_cast<float>(kUnreadBits);
  std::fill(x, x + n, unread);
  const std::span<float> targets(x, static_cast<std::size_t>(n));
  const fio::Status st = formatted ? fio::read_fmt(unit, fmt, targets) : fio::read_list(unit, targets);
  nread = 0;
  for (int k = n; k >= 1; --k)
    if (std::bit_cast<std::uint32_t>(x[k - 1]) != kUnreadBits) {
      nread = k;
      break;
    }
  for (int k = 0; k < n; ++k)
    if (std::bit_cast<std::uint32_t>(x[k]) == kUnreadBits) x[k] = 0.0f;
  return st;
}

// Values read at a time past the series and its first surplus.
constexpr int kSurplusChunk = 1 << 16;

bool side_or_input_unit(int unit) { return unit == kInput || (unit >= 10 && unit <= fio::kMaxUnit); }

float series(std::int64_t p, int k, int ngp) { return (k >= 1 && k <= ngp) ? static_cast<float>(kv::rzm(p + k - 1)) : 0.0f; }

}  // namespace

SeriesStats sersta(int n, float dt, const float* x) {
  SeriesStats s;
  if (n < 1) return s;
  s.xmax = s.xmin = x[0];
  if (n <= 1) return s;
  // The squares are summed in double: squares of floats beyond about 1.8e19
  // overflow a float, but every float's square fits a double.
  double sum = x[0];
  double q = static_cast<double>(x[0]) * x[0];
  for (int k = 2; k <= n; ++k) {
    const float v = x[k - 1];
    const float t = static_cast<float>(k - 1) * dt;
    sum += v;
    q += static_cast<double>(v) * v;
    if (v > s.xmax) {
      s.xmax = v;
      s.tmax = t;
    } else if (v < s.xmin) {
      s.xmin = v;
      s.tmin = t;
    }
  }
  s.avg = static_cast<float>(sum / n);
  const double dn = n;
  const double var = dn * q - sum * sum;
  // The sample deviation of values near the float range can lie just beyond
  // it (two points of +-3e38 give 4.2e38): it saturates at the largest float.
  if (var > 0.0)
    s.std = static_cast<float>(std::min(std::sqrt(var / (dn * (dn - 1.0))),
                                        static_cast<double>(std::numeric_limits<float>::max())));
  s.rms = static_cast<float>(std::sqrt(q / dn));
  return s;
}

std::array<float, 3> ground_acceleration(const GroundMotion& g, float t) {
  Vec3 a{0.0f, 0.0f, 0.0f};
  // The series starts at GTIME0 and tapers to zero over the interval after its
  // last point; the end is measured from GTIME0, so a late start does not cut
  // the record short.
  if (!(g.gdtime > 0.0f) || g.ngp < 1) return a;
  const float tend = g.gtime0 + static_cast<float>(g.ngp) * g.gdtime;
  if (t < g.gtime0 || t > tend) return a;
  const float x = (t - g.gtime0) / g.gdtime + 1.0f;
  const int k = static_cast<int>(std::min(x, static_cast<float>(g.ngp + 1)));
  const float w = (static_cast<float>(k) * g.gdtime + g.gtime0 - t) / g.gdtime;
  const std::int64_t p[3] = {g.agx, g.agy, g.agz};
  for (int j = 0; j < 3; ++j) {
    a[static_cast<std::size_t>(j)] = w * series(p[j], k, g.ngp);
    if (w != 1.0f && k + 1 <= g.ngp) a[static_cast<std::size_t>(j)] += (1.0f - w) * series(p[j], k + 1, g.ngp);
  }
  return a;
}

void form_mascos(GroundMotion& g, bool trace) {
  const int neq = g.neq;
  float* e = kv::rptr(g.scratch);
  float* mc = kv::rptr(g.mascos);
  const base::NodeTables& t = g.nodes;
  for (int j = 1; j <= 3; ++j) {
    float* col = mc + static_cast<std::ptrdiff_t>(j - 1) * neq;
    std::fill(e, e + neq, 0.0f);
    std::fill(col, col + neq, 0.0f);
    for (int n = 1; n <= g.nnode; ++n) {
      const std::int32_t code = t.ncode(n);
      const int set = t.icos(n);
      for (int d = 1; d <= 3; ++d) {
        // A constrained translation carries its master's equation.
        if (base::code_bit(code, base::kConstrain, d)) continue;
        const int eq = t.id(n, d);
        if (eq < 1 || eq > neq) continue;
        const float c = set >= 1 ? static_cast<float>(t.cos(d, j, set)) : (d == j ? 1.0f : 0.0f);
        e[eq - 1] += c;
      }
    }
    if (g.mass == 0 || g.mass_mdiag == 0) continue;
    const std::int32_t* md = kv::iptr(g.mass_mdiag);
    const kv::SkyReal* m = kv::skyptr(g.mass);
    for (int c = 1; c <= neq; ++c) {
      const int top = c - (md[c] - md[c - 1]) + 1;
      for (int r = top; r <= c; ++r) {
        const float term = static_cast<float>(m[md[c - 1] + c - r - 1]);
        col[r - 1] += term * e[c - 1];
        if (r < c) col[c - 1] += term * e[r - 1];
      }
    }
  }
  if (trace) base::prtmat(mc, neq, 3, "MASS*COSINE");
}

namespace {

// The control and direction records of the section, and what the read made
// of them: the triad V1, V2, V3 and whether the series and the grid can take
// records.
struct GroundControl {
  int nrec = 0;
  float gscale = 0.0f;
  bool gprint = false;
  Vec3 v1{}, v2{}, v3{};
  bool no_series = false;      // NGP < 1: nothing can be kept
  bool grid_in_range = false;  // every point's time is a number
  bool failed = false;         // the motion cannot be used (its reasons are printed)
};

// Reads the control and direction records and forms the triad; false when
// they cannot be read (the solution ends at once: the records after them
// cannot be placed).
bool read_control(GroundMotion& g, bool trace, GroundControl& c) {
  // Series without a point cannot hold a value. The section is still read to
  // its end, so that none of its lines (titles least of all) is taken for a
  // command.
  c.no_series = g.ngp < 1;
  if (c.no_series) {
    fio::write(kOut, "(/,5X,'*** THE GROUND SERIES HOLD',I8,' POINTS: AT LEAST ONE IS NEEDED')", g.ngp);
    c.failed = true;
  } else {
    for (std::int64_t p : {g.agx, g.agy, g.agz}) kv::zero_words(p, g.ngp);
  }

  fio::Status st = fio::read_list(kInput, c.nrec, c.gscale, g.gtime0, g.gdtime, c.gprint);
  if (st == fio::Status::ok)
    st = fio::read_list(kInput, std::span<float>(c.v1), std::span<float>(c.v2));
  if (st != fio::Status::ok) {
    fio::write(kOut, "(/,5X,'*** THE GROUND-MOTION CONTROL OR DIRECTION RECORD CANNOT BE READ')");
    fio::write(kOut, "(5X,'*** THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED')");
    return false;
  }
  if (!(g.gdtime > 0.0f)) {
    // Every point's time and the interpolation divide by it.
    fio::write(kOut, "(/,5X,'*** INVALID TIME INCREMENT OF THE GROUND RECORDS:',1P,E12.4,"
                     "'  (IT MUST BE ABOVE 0.0)')", g.gdtime);
    c.failed = true;
  }
  // The time of the last point must be a number: the statistics and the
  // interpolation reach it.
  c.grid_in_range =
      std::isfinite(g.gtime0) && std::isfinite(static_cast<float>(g.gtime0 + static_cast<double>(g.gdtime) * std::max(g.ngp, 1)));
  if (!c.grid_in_range) {
    fio::write(kOut, "(/,5X,'*** THE GROUND TIME GRID',1P,E12.4,' +',I11,' x',E12.4,' IS BEYOND THE NUMBER RANGE')",
               g.gtime0, std::max(g.ngp, 1), g.gdtime);
    c.failed = true;
  }
  if (trace) fio::write(kOut, kVectors, "INPUT- V1:", sp(c.v1), " V2:", sp(c.v2));

  kv::vcrosn(c.v3, c.v1, c.v2, 0);
  if (trace) fio::write(kOut, kVectors, "V3=V1XV2 V1:", sp(c.v1), " V2:", sp(c.v2), " V3:", sp(c.v3));
  kv::vcrosn(c.v2, c.v3, c.v1, 1);
  if (trace) {
    fio::write(kOut, kVectors, "V2=V3XV1 V1:", sp(c.v1), " V2:", sp(c.v2), " V3:", sp(c.v3));
    fio::write(kOut, kVectors, " V1:", sp(c.v1), " V2:", sp(c.v2), " V3:", sp(c.v3));
  }
  return true;
}

// Buffers one record's read reuses for the next: its format lines, titles and
// the values beyond the series.
struct RecordBuffers {
  std::string ttlfmt, datfmt, title1, title2;
  std::vector<float> overflow;  // values of a record longer than the series
  std::vector<float> surplus;   // a chunk of values beyond those
};

// Adds the n values of record i (x, in g's) times GSCALE into the three
// series along dirc. A scaled value or a sum beyond the number range cannot
// be integrated: the record is refused with its message (false).
bool add_record(GroundMotion& g, int i, float gscale, const Vec3& dirc, const float* x, int n) {
  float* ax = kv::rptr(g.agx);
  float* ay = kv::rptr(g.agy);
  float* az = kv::rptr(g.agz);
  for (int k = 0; k < n; ++k) {
    const float a = gscale * x[k];
    if (std::isfinite(a) && std::isfinite(ax[k] + dirc[0] * a) && std::isfinite(ay[k] + dirc[1] * a) &&
        std::isfinite(az[k] + dirc[2] * a))
      continue;
    fio::write(kOut, "(/,5X,'*** GROUND RECORD #',I2,', POINT',I8,':',1P,E12.4,' G''S TIMES THE SCALE',E12.4,"
                     "' IS BEYOND THE NUMBER RANGE')",
               i, k + 1, x[k], gscale);
    return false;
  }
  for (int k = 0; k < n; ++k) {
    const float a = gscale * x[k];
    ax[k] += dirc[0] * a;
    ay[k] += dirc[1] * a;
    az[k] += dirc[2] * a;
  }
  return true;
}

enum class RecordRead { added, skipped, rejected, unreadable };

// Reads acceleration record i (its line, format lines, titles and values),
// prints its header and statistics and adds it into the series. skipped: the
// record is left out with a warning; rejected: the motion cannot be used
// (the reason printed), but the section is read on; unreadable: the section
// cannot be read on.
RecordRead read_record(GroundMotion& g, const GroundControl& c, int i, RecordBuffers& b) {
  int kunit = 0, npts = 0, idir = 0;
  bool fmtin = false, prtin = false, rewin = false;
  if (fio::read_list(kInput, kunit, npts, idir, fmtin, prtin, rewin) != fio::Status::ok) {
    fio::write(kOut, "(/,5X,'*** THE LINE OF GROUND RECORD #',I2,' CANNOT BE READ')", i);
    return RecordRead::unreadable;
  }
  if (fmtin) {
    b.ttlfmt.clear();
    b.datfmt.clear();
    fio::read_record(kInput, b.ttlfmt);
    fio::read_record(kInput, b.datfmt);
    if (b.ttlfmt.size() > kTitleWidth) b.ttlfmt.resize(kTitleWidth);
    if (b.datfmt.size() > kTitleWidth) b.datfmt.resize(kTitleWidth);
  }
  if (!side_or_input_unit(kunit)) {
    // Records come from the input file or a side file; never from the output.
    fio::write(kOut, "(/,5X,'INVALID UNIT:',I6,' OF GROUND RECORD #',I2,"
                     "', USE 5 OR 10 TO 60: THE RECORD IS SKIPPED')", kunit, i);
    kv::note_fault(kv::Fault::input_warning, "GROUND RECORD SKIPPED: ITS UNIT IS NOT 5 OR 10 TO 60");
    return RecordRead::skipped;
  }
  if (rewin && kunit != kInput) fio::rewind(kunit);

  b.title1.assign(kTitleWidth, ' ');
  b.title2.assign(kTitleWidth, ' ');
  if (fmtin) {
    fio::read_fmt(kunit, b.ttlfmt, b.title1);
    fio::read_fmt(kunit, b.ttlfmt, b.title2);
  } else {
    fio::read_record(kunit, b.title1);
    fio::read_record(kunit, b.title2);
  }
  b.title1 = fixed_width(b.title1, kTitleWidth);
  b.title2 = fixed_width(b.title2, kTitleWidth);

  const bool bad_direction = idir < 1 || idir > 3;
  if (bad_direction) {
    fio::write_list(kOut, "INVALID DIRECTION:,", idir, " SET 0 < IDIR < 4");
    kv::note_fault(kv::Fault::input_warning, "GROUND RECORD SKIPPED: ITS DIRECTION IS NOT 1, 2 OR 3");
  }
  const bool listed = !bad_direction && !c.no_series && c.grid_in_range;  // the record reaches the series
  if (npts < 1) {
    fio::write(kOut, "(/,5X,'*** GROUND RECORD #',I2,' HAS',I8,' POINTS: AT LEAST ONE IS NEEDED')", i, npts);
    return RecordRead::rejected;
  }

  // The whole record is read even beyond the series or under a rejected
  // direction, so that the next record or command is read from its own line.
  // Values far beyond the series are stepped past in bounded chunks and
  // dropped: a huge NPTS must not claim memory for values nobody keeps.
  const int cap = std::max(g.ngp, 0);  // series of a negative size hold nothing
  const int keep = std::min(npts, cap);
  const int first =
      npts > cap ? static_cast<int>(std::min<std::int64_t>(npts, std::int64_t{cap} + kSurplusChunk)) : npts;
  float* x = kv::rptr(g.scratch);
  if (npts > cap) {
    b.overflow.resize(static_cast<std::size_t>(first));
    x = b.overflow.data();
  }
  if (listed) {
    fio::write(kOut,
               "(/,5X,' GROUND ACCELERATION RECORD ',/,5X,'============================',/,/,5X,"
               "'INPUTING TRANSLATIONAL ACCELERATION RECORD #',I2,', FROM UNIT:',I4,/,5X,A,/,5X,A,/,"
               "5X,'THE RECORD CONTAINS ',I6,' POINTS, ',' BEGINING AT TIME:',1P,E16.6,"
               "' WITH A TIME INCREMENT OF:',1P,E15.6)",
               i, kunit, b.title1, b.title2, keep, g.gtime0, g.gdtime);
  }
  const Vec3 dirc = idir == 1 ? c.v1 : idir == 2 ? c.v2 : c.v3;
  if (listed) fio::write(kOut, kDirection, sp(dirc));

  int nread = 0;
  fio::Status rs = read_values(kunit, fmtin, b.datfmt, first, x, nread);
  for (int done = first; rs == fio::Status::ok && done < npts;) {
    const int chunk = std::min(npts - done, kSurplusChunk);
    b.surplus.resize(static_cast<std::size_t>(chunk));
    int got = 0;
    rs = read_values(kunit, fmtin, b.datfmt, chunk, b.surplus.data(), got);
    if (got > 0) nread = done + got;
    done += chunk;
  }
  if (rs == fio::Status::error) {
    fio::write(kOut, "(/,5X,'*** A VALUE OF GROUND RECORD #',I2,' CANNOT BE READ (AFTER VALUE',I8,')')", i,
               nread);
    return RecordRead::unreadable;
  }
  if (!listed) return RecordRead::skipped;
  int n = keep;
  if (rs == fio::Status::end && nread < npts) {
    n = std::min(nread, keep);
    fio::write(kOut, "(5X,'ONLY',I6,' POINTS WERE READ BEFORE END OF FILE WAS ENCOUNTERED')", n);
  }
  if (n < 1) {
    fio::write(kOut, "(/,5X,'*** GROUND RECORD #',I2,' HAS NO POINT: AT LEAST ONE IS NEEDED')", i);
    return RecordRead::rejected;
  }
  if (npts > g.ngp) std::copy(x, x + n, kv::rptr(g.scratch));
  x = kv::rptr(g.scratch);
  const std::span<const float> values(x, static_cast<std::size_t>(n));
  if (prtin) {
    fio::write(kOut, "(/,5X,'INPUT ACCELERATION:','                    (g''s) ')");
    fio::write(kOut, kTenPerLine, values);
  }
  fio::write(kOut, kStatsHeader);
  print_stats("INPUT ACCELERATION  ", sersta(n, g.gdtime, x), g.gtime0);
  if (c.gscale * x[0] != 0.0f) {
    // The effective load of the first step sees the change from zero to this
    // value, but the integration starts from the initial conditions.
    fio::write(kOut, "(5X,'NOTE: THE RECORD STARTS AT',1P,E12.4,' G''S, NOT AT 0.0, AT TIME',E12.4,"
                     "'; THE JUMP FROM 0.0 TO IT IS NOT FELT BY THE STRUCTURE')",
               x[0], g.gtime0);
  }
  return add_record(g, i, c.gscale, dirc, x, n) ? RecordRead::added : RecordRead::rejected;
}

// The combined series (all points with GPRINT) and their statistics.
void report_series(const GroundMotion& g, bool gprint) {
  const std::int64_t series_at[3] = {g.agx, g.agy, g.agz};
  const std::size_t ngp = static_cast<std::size_t>(g.ngp);
  if (gprint) {
    const char* axis[3] = {"X", "Y", "Z"};
    for (int j = 0; j < 3; ++j) {
      fio::write(kOut, "(/,/,5X,'GLOBAL BASE ACCELERATION IN THE ',A,' DIRECTION (g''s)  ')", axis[j]);
      fio::write(kOut, kTenPerLine, std::span<const float>(kv::rptr(series_at[j]), ngp));
    }
  }
  fio::write(kOut, kStatsHeader);
  const char* labels[3] = {"X-AXIS ACCELERATION ", "Y-AXIS ACCELERATION ", "Z-AXIS ACCELERATION "};
  for (int j = 0; j < 3; ++j)
    print_stats(labels[j], sersta(g.ngp, g.gdtime, kv::rptr(series_at[j])), g.gtime0);
}

constexpr std::string_view kCannotBeUsed = "(5X,'*** THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED')";

}  // namespace

GroundStatus grdacc_read(GroundMotion& g, float t, float tl, bool trace, std::array<float, 3>& agt) {
  g.accelz = 0.0f;
  agt = {0.0f, 0.0f, 0.0f};
  GroundControl c;
  if (!read_control(g, trace, c)) return GroundStatus::failed;

  RecordBuffers b;
  for (int i = 1; i <= c.nrec; ++i) {
    const RecordRead r = read_record(g, c, i, b);
    if (r == RecordRead::unreadable) {
      fio::write(kOut, kCannotBeUsed);
      return GroundStatus::failed;
    }
    if (r == RecordRead::rejected) c.failed = true;
  }
  if (c.failed) {
    fio::write(kOut, kCannotBeUsed);
    return GroundStatus::failed;
  }

  report_series(g, c.gprint);
  form_mascos(g, trace);

  const Vec3 a = ground_acceleration(g, t);
  for (int j = 0; j < 3; ++j) agt[static_cast<std::size_t>(j)] = g.grav * a[static_cast<std::size_t>(j)];
  if (trace)
    fio::write(kOut, "(' DYLOA:   T:',1P,E12.4,'   TL:',E12.4,' ACCELZ:',E12.4,/,"
                     "' DYLOA:   X:',1P,E12.4,'    Y:',E12.4,'      Z:',E12.4)",
               t, tl, g.accelz, sp(agt));
  return GroundStatus::ok;
}

void grdacc_step(GroundMotion& g, float t, float tl, bool trace, std::int64_t load,
                 std::array<float, 3>& dgacc) {
  g.accelz = 0.0f;
  const Vec3 at = ground_acceleration(g, t);
  const Vec3 atl = ground_acceleration(g, tl);
  for (std::size_t j = 0; j < 3; ++j) dgacc[j] = g.grav * (at[j] - atl[j]);
  if (load == 0) return;
  float* r = kv::rptr(load);
  const float* mc = kv::rptr(g.mascos);
  const std::ptrdiff_t neq = g.neq;
  for (std::ptrdiff_t i = 0; i < neq; ++i)
    r[i] -= mc[i] * dgacc[0] + mc[i + neq] * dgacc[1] + mc[i + 2 * neq] * dgacc[2];
  if (trace) {
    fio::write(kOut, "(' DYLOA:   T:',1P,E12.4,'   TL:',E12.4,' ACCELZ:',E12.4,/,"
                     "' DYLOA:   X:',1P,E12.4,'    Y:',E12.4,'      Z:',E12.4)",
               t, tl, g.accelz, sp(dgacc));
    base::prtmat(r, g.neq, 1, "INCRIMENTAL LOAD");
  }
}

}  // namespace solutions
