// "SOL" 5: response-spectrum analysis of the elastic structure. The natural
// modes (computed, or read from an eigen-solution file), the spectra of the
// seismic components, modal participation and effective masses, then the
// modal displacements, equivalent forces, element forces and reactions
// combined over the modes by SRSS or CQC, per direction and in total.
#pragma once

#include <cstdint>

namespace solutions {

// SOL05: reads the two records of the solution, sets RSMETH, reserves the
// tables, rebuilds the global mass from the lumped masses and runs the
// analysis. RSMETH is back at 0.0 and the shared displacement and load
// vectors (CONTRL words 53, 54) are zero when it returns, so a later solution
// inherits no modal state.
void sol05();

// TABINT: y(x) of a table of n (x, y) pairs, x ascending (t[2i], t[2i+1] the
// pair i + 1), by linear interpolation, clamped to the first and last y.
float tabint(float x, int n, const float* t);

// The CQC correlation coefficient of two modes whose periods have the ratio r,
// both with the damping ratio zeta. Equal periods correlate fully (1.0), also
// without damping.
float cqc_rho(float zeta, float r);

// The combination over modes 1..ncut of `count` quantities at once, quantity
// q (0-based) in mode m being x[q + (m - 1) ld]: SRSS, sqrt(sum of x_m^2),
// when rho is null; else CQC, sqrt(|sum over m, n of x_m rho(m, n) x_n|), rho
// column-major with leading dimension ldrho. out[q] gets quantity q; out may
// not overlap x. Each quantity's sum takes its terms in the order m, then n,
// each formed as (x_m rho(m, n)) x_n, as one quantity at a time would: the
// same bits, with the coefficients read once per mode pair for all.
void combine_modes(const float* rho, int ldrho, int ncut, const float* x, std::int64_t ld, std::int64_t count,
                   float* out);

}  // namespace solutions
