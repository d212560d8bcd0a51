// Ground motion of the time history: GRDACC reads the acceleration records and
// combines them into three global base-acceleration series, forms MASCOS (the
// mass times the influence vector of a unit ground translation along each
// global axis) and gives the ground-acceleration change between two times with
// the matching effective earthquake load; SERSTA gives the statistics of a
// sampled series.
//
// The caller (the time-history solution) owns every table: it reserves them in
// the work array, hands their indices in a GroundMotion and keeps that struct
// for the whole solution, because the read fills gtime0 and gdtime, which the
// increments need again.
#pragma once

#include <array>
#include <cstdint>

#include "base/node_tables.h"

namespace solutions {

// SERSTA: statistics of x[0..n-1] (X(1..N)), points dt apart. Times are
// measured from the first point. With n <= 1 only the maximum and minimum are
// set (to X(1); all zero when n < 1); the rest stays 0.0.
struct SeriesStats {
  float xmax = 0.0f, xmin = 0.0f;  // largest and smallest value (ties keep the earlier point)
  float tmax = 0.0f, tmin = 0.0f;  // their times
  float avg = 0.0f;                // mean
  float std = 0.0f;                // sample standard deviation
  float rms = 0.0f;                // root mean square
};
SeriesStats sersta(int n, float dt, const float* x);

// The ground-motion tables and values of one time-history solution.
struct GroundMotion {
  // ---- set by the caller before the read
  int ngp = 0;                    // NGP: points of each series (the read refuses ngp < 1)
  int neq = 0;                    // NEQ: rows of MASCOS and of the load vector
  std::int64_t agx = 0;           // ZMATRX index of AGX(1): NGP REAL words (CONTRL word 61)
  std::int64_t agy = 0;           // AGY(1) (CONTRL word 62)
  std::int64_t agz = 0;           // AGZ(1) (CONTRL word 63)
  std::int64_t scratch = 0;       // max(NGP, NEQ) REAL words of scratch
  std::int64_t mascos = 0;        // MASCOS(NEQ, 3), by columns
  std::int64_t mass = 0;          // the global mass: value stored at position 1 (read only)
  std::int64_t mass_mdiag = 0;    //   and its MDIAG(1); 0 and 0: no mass, MASCOS is zero
  base::NodeTables nodes;        // node tables (ID, NCODE, COS, ICOS are used)
  int nnode = 0;                  // NNODE
  float grav = 386.4f;            // GRAV: g's to acceleration units
  // ---- set by the read, used by every increment
  float gtime0 = 0.0f;            // GTIME0: time of the first point of every record
  float gdtime = 0.0f;            // GDTIME: spacing of the points (> 0 after a good read)
  float accelz = 0.0f;            // ACCELZ: 0.0 after every call
};

// Result of the read: ok, or the ground motion cannot be used and the calling
// solution must end (the reasons are printed on unit 6 first).
enum class GroundStatus { ok, failed };

// GRDACC, read option. Reads the ground-motion section from unit 5 (control
// record, direction record, then per record its line, optional format lines,
// titles and values from the record's unit), prints the records, their
// statistics and those of the three series, forms MASCOS and returns in agt
// GRAV times the acceleration at time t (the solution's start time). tl, the
// previous time, is only printed by the trace (trace letter D).
// Fails (after reading the whole section, so the input stays in place) when
// GDTIME <= 0, when a record has fewer than one point, when ngp < 1, or when
// a value cannot be read.
GroundStatus grdacc_read(GroundMotion& g, float t, float tl, bool trace, std::array<float, 3>& agt);

// GRDACC option 2. dgacc receives GRAV times the change of the ground
// acceleration from time tl to time t, and the load vector (ZMATRX index of
// its entry 1, NEQ REAL words; 0 for none) gets MASCOS times dgacc subtracted.
void grdacc_step(GroundMotion& g, float t, float tl, bool trace, std::int64_t load,
                 std::array<float, 3>& dgacc);

// The three series at time t by linear interpolation, in g's: 0 before
// GTIME0 and after GTIME0 + NGP*GDTIME; over the interval after the last point
// the series tapers to zero.
std::array<float, 3> ground_acceleration(const GroundMotion& g, float t);

// MASCOS column j = M * e(j), e(j) the influence vector of a unit ground
// translation along global axis j (built in the scratch vector).
void form_mascos(GroundMotion& g, bool trace);

}  // namespace solutions
