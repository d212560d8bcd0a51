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

GroundStatus grdacc_read(GroundMotion& g, float t, float tl, bool trace, std::array<float, 3>& agt) {
  g.accelz = 0.0f;
  agt = {0.0f, 0.0f, 0.0f};
  bool failed = false;
  // Series without a point cannot hold a value. The section is still read to
  // its end, so that none of its lines (titles least of all) is taken for a
  // command.
  const bool no_series = g.ngp < 1;
  if (no_series) {
    fio::write(kOut, "(/,5X,'*** THE GROUND SERIES HOLD',I8,' POINTS: AT LEAST ONE IS NEEDED')", g.ngp);
    failed = true;
  } else {
    for (std::int64_t p : {g.agx, g.agy, g.agz}) kv::zero_words(p, g.ngp);
  }

  int nrec = 0;
  float gscale = 0.0f;
  bool gprint = false;
  Vec3 v1{}, v2{}, v3{};
  fio::Status st = fio::read_list(kInput, nrec, gscale, g.gtime0, g.gdtime, gprint);
  if (st == fio::Status::ok)
    st = fio::read_list(kInput, std::span<float>(v1), std::span<float>(v2));
  if (st != fio::Status::ok) {
    fio::write(kOut, "(/,5X,'*** THE GROUND-MOTION CONTROL OR DIRECTION RECORD CANNOT BE READ')");
    fio::write(kOut, "(5X,'*** THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED')");
    return GroundStatus::failed;
  }
  if (!(g.gdtime > 0.0f)) {
    // Every point's time and the interpolation divide by it.
    fio::write(kOut, "(/,5X,'*** INVALID TIME INCREMENT OF THE GROUND RECORDS:',1P,E12.4,"
                     "'  (IT MUST BE ABOVE 0.0)')", g.gdtime);
    failed = true;
  }
  // The time of the last point must be a number: the statistics and the
  // interpolation reach it.
  const bool grid_in_range =
      std::isfinite(g.gtime0) && std::isfinite(static_cast<float>(g.gtime0 + static_cast<double>(g.gdtime) * std::max(g.ngp, 1)));
  if (!grid_in_range) {
    fio::write(kOut, "(/,5X,'*** THE GROUND TIME GRID',1P,E12.4,' +',I11,' x',E12.4,' IS BEYOND THE NUMBER RANGE')",
               g.gtime0, std::max(g.ngp, 1), g.gdtime);
    failed = true;
  }
  if (trace) fio::write(kOut, kVectors, "INPUT- V1:", sp(v1), " V2:", sp(v2));

  kv::vcrosn(v3, v1, v2, 0);
  if (trace) fio::write(kOut, kVectors, "V3=V1XV2 V1:", sp(v1), " V2:", sp(v2), " V3:", sp(v3));
  kv::vcrosn(v2, v3, v1, 1);
  if (trace) {
    fio::write(kOut, kVectors, "V2=V3XV1 V1:", sp(v1), " V2:", sp(v2), " V3:", sp(v3));
    fio::write(kOut, kVectors, " V1:", sp(v1), " V2:", sp(v2), " V3:", sp(v3));
  }

  std::string ttlfmt, datfmt, title1, title2;
  std::vector<float> overflow;  // values of a record longer than the series
  std::vector<float> surplus;   // a chunk of values beyond those
  for (int i = 1; i <= nrec; ++i) {
    int kunit = 0, npts = 0, idir = 0;
    bool fmtin = false, prtin = false, rewin = false;
    if (fio::read_list(kInput, kunit, npts, idir, fmtin, prtin, rewin) != fio::Status::ok) {
      fio::write(kOut, "(/,5X,'*** THE LINE OF GROUND RECORD #',I2,' CANNOT BE READ')", i);
      fio::write(kOut, "(5X,'*** THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED')");
      return GroundStatus::failed;
    }
    if (fmtin) {
      ttlfmt.clear();
      datfmt.clear();
      fio::read_record(kInput, ttlfmt);
      fio::read_record(kInput, datfmt);
      if (ttlfmt.size() > kTitleWidth) ttlfmt.resize(kTitleWidth);
      if (datfmt.size() > kTitleWidth) datfmt.resize(kTitleWidth);
    }
    if (!side_or_input_unit(kunit)) {
      // Records come from the input file or a side file; never from the output.
      fio::write(kOut, "(/,5X,'INVALID UNIT:',I6,' OF GROUND RECORD #',I2,"
                       "', USE 5 OR 10 TO 60: THE RECORD IS SKIPPED')", kunit, i);
      kv::note_fault(kv::Fault::input_warning, "GROUND RECORD SKIPPED: ITS UNIT IS NOT 5 OR 10 TO 60");
      continue;
    }
    if (rewin && kunit != kInput) fio::rewind(kunit);

    title1.assign(kTitleWidth, ' ');
    title2.assign(kTitleWidth, ' ');
    if (fmtin) {
      fio::read_fmt(kunit, ttlfmt, title1);
      fio::read_fmt(kunit, ttlfmt, title2);
    } else {
      fio::read_record(kunit, title1);
      fio::read_record(kunit, title2);
    }
    title1 = fixed_width(title1, kTitleWidth);
    title2 = fixed_width(title2, kTitleWidth);

    const bool bad_direction = idir < 1 || idir > 3;
    if (bad_direction) {
      fio::write_list(kOut, "INVALID DIRECTION:,", idir, " SET 0 < IDIR < 4");
      kv::note_fault(kv::Fault::input_warning, "GROUND RECORD SKIPPED: ITS DIRECTION IS NOT 1, 2 OR 3");
    }
    const bool listed = !bad_direction && !no_series && grid_in_range;  // the record reaches the series
    if (npts < 1) {
      fio::write(kOut, "(/,5X,'*** GROUND RECORD #',I2,' HAS',I8,' POINTS: AT LEAST ONE IS NEEDED')", i, npts);
      failed = true;
      continue;
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
      overflow.resize(static_cast<std::size_t>(first));
      x = overflow.data();
    }
    if (listed) {
      fio::write(kOut,
                 "(/,5X,' GROUND ACCELERATION RECORD ',/,5X,'============================',/,/,5X,"
                 "'INPUTING TRANSLATIONAL ACCELERATION RECORD #',I2,', FROM UNIT:',I4,/,5X,A,/,5X,A,/,"
                 "5X,'THE RECORD CONTAINS ',I6,' POINTS, ',' BEGINING AT TIME:',1P,E16.6,"
                 "' WITH A TIME INCREMENT OF:',1P,E15.6)",
                 i, kunit, title1, title2, keep, g.gtime0, g.gdtime);
    }
    const Vec3 dirc = idir == 1 ? v1 : idir == 2 ? v2 : v3;
    if (listed) fio::write(kOut, kDirection, sp(dirc));

    int nread = 0;
    fio::Status rs = read_values(kunit, fmtin, datfmt, first, x, nread);
    for (int done = first; rs == fio::Status::ok && done < npts;) {
      const int chunk = std::min(npts - done, kSurplusChunk);
      surplus.resize(static_cast<std::size_t>(chunk));
      int got = 0;
      rs = read_values(kunit, fmtin, datfmt, chunk, surplus.data(), got);
      if (got > 0) nread = done + got;
      done += chunk;
    }
    if (rs == fio::Status::error) {
      fio::write(kOut, "(/,5X,'*** A VALUE OF GROUND RECORD #',I2,' CANNOT BE READ (AFTER VALUE',I8,')')", i,
                 nread);
      fio::write(kOut, "(5X,'*** THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED')");
      return GroundStatus::failed;
    }
    if (!listed) continue;
    int n = keep;
    if (rs == fio::Status::end && nread < npts) {
      n = std::min(nread, keep);
      fio::write(kOut, "(5X,'ONLY',I6,' POINTS WERE READ BEFORE END OF FILE WAS ENCOUNTERED')", n);
    }
    if (n < 1) {
      fio::write(kOut, "(/,5X,'*** GROUND RECORD #',I2,' HAS NO POINT: AT LEAST ONE IS NEEDED')", i);
      failed = true;
      continue;
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
    if (gscale * x[0] != 0.0f) {
      // The effective load of the first step sees the change from zero to this
      // value, but the integration starts from the initial conditions.
      fio::write(kOut, "(5X,'NOTE: THE RECORD STARTS AT',1P,E12.4,' G''S, NOT AT 0.0, AT TIME',E12.4,"
                       "'; THE JUMP FROM 0.0 TO IT IS NOT FELT BY THE STRUCTURE')",
                 x[0], g.gtime0);
    }
    float* ax = kv::rptr(g.agx);
    float* ay = kv::rptr(g.agy);
    float* az = kv::rptr(g.agz);
    for (int k = 0; k < n; ++k) {
      const float a = gscale * x[k];
      ax[k] += dirc[0] * a;
      ay[k] += dirc[1] * a;
      az[k] += dirc[2] * a;
    }
  }

  if (failed) {
    fio::write(kOut, "(5X,'*** THE GROUND MOTION CANNOT BE USED, THE SOLUTION IS ENDED')");
    return GroundStatus::failed;
  }

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
