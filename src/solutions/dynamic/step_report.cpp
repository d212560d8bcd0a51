#include "solutions/dynamic/step_report.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>
#include <utility>

#include "base/globals.h"
#include "base/matrix_print.h"
#include "elements/eledsp.h"
#include "elements/element_type.h"
#include "fio/fio.h"
#include "materials/material_type.h"
#include "solutions/finite_check.h"
#include "solvers/skyline_products.h"

namespace solutions {

namespace {

constexpr int kOut = 6;
// The increment vectors the elements are handed (DUDISP, DPLOAD).

std::span<const float> six(const float* f) { return std::span<const float>(f, 6); }

bool any_nonzero(const float* g) { return g[0] != 0.0f || g[1] != 0.0f || g[2] != 0.0f; }

// Adds the ground vector g (global X Y Z) projected on every translation that
// is not constrained, for the equations lo..hi of vec (entry 1 at vec[0]).
void project_on_translations(const StepReport& s, const float* g, float* vec, int lo, int hi) {
  const base::NodeTables& t = s.nodes;
  for (int n = 1; n <= s.nnode; ++n) {
    const std::int32_t code = t.ncode(n);
    const int set = t.icos(n);
    for (int d = 1; d <= 3; ++d) {
      if (base::code_bit(code, base::kConstrain, d)) continue;
      const int e = t.id(n, d);
      if (e < lo || e > hi) continue;
      float sum = 0.0f;
      for (int j = 1; j <= 3; ++j)
        sum += g[j - 1] * (set >= 1 ? static_cast<float>(t.cos(d, j, set)) : (d == j ? 1.0f : 0.0f));
      vec[e - 1] += sum;
    }
  }
}

void response_table(const char* title, int n, const float* acc, const float* vel, const float* dsp,
                    const float* load) {
  fio::write(kOut, "(/,T10,A)", title);
  for (int i = 1; i <= n; ++i)
    fio::write(kOut, "(T10,'DOF:',I6,' ACC:',1P,E13.5,' VEL:',E13.5,' DSP:',E13.5,'LOAD:',E13.5)", i,
               acc[i - 1], vel[i - 1], dsp[i - 1], load[i - 1]);
}

// The element loop of options 10 and 11, the switches off.
elements::EleCall element_call(int iopt, int n) {
  elements::EleCall c;
  c.iopt = iopt;
  c.ielno = n;
  c.lecho = false;
  c.idisp = kv::ctl(kv::kDUDISP);
  c.iload = kv::ctl(kv::kDPLOAD);
  return c;
}

}  // namespace

double prteng(bool trace, int l1, int l2, int l3, int l4, int l5, int l6, int nstore,
              const std::int32_t* mdiag, const kv::SkyReal* a, float* x, const float* u, const float* w) {
  if (trace) {
    // The two logical fields have never been set by any caller.
    fio::write(kOut, "(/,2X,'CALC ENERGY FOR PARTIALLY REDUCED A MATRIX',/,2X,'L1:',I5,'   L2:',I5,"
                     "'   L3:',I5,'   L4:',I5,'   L5:',I5,'   L6:',I5,'  ZERO: ',L1,'    X3: ',L1)",
               l1, l2, l3, l4, l5, l6, false, false);
    base::skyprt(a, mdiag, l6, nstore, "MATRIX A ");
    for (int i = l1; i <= l6; ++i)
      fio::write(kOut, "(2X,'DOF:',I6,'  X(DOF)',1P,E14.5,'  U(DOF):',E14.5)", i, u[i - 1], w[i - 1]);
  }
  // The sums are REAL; the double ones stand in when the velocities of a huge
  // load overflow them while the energy itself still fits the result.
  solvers::skymul(false, true, nstore, l6, l3, l4, l3, l4, mdiag, a, x, u);
  float e = 0.0f;
  double ed = 0.0;
  for (int i = l3; i <= l4; ++i) {
    e += w[i - 1] * x[i - 1];
    ed += static_cast<double>(w[i - 1]) * x[i - 1];
  }
  const float e1 = e;
  const double ed1 = ed;
  solvers::skymul(false, true, nstore, l6, l1, l4, l5, l6, mdiag, a, x, u);
  solvers::skymul(false, true, nstore, l6, l5, l6, l1, l6, mdiag, a, x, u);
  for (int i = l1; i <= l6; ++i) {
    e += w[i - 1] * x[i - 1];
    ed += static_cast<double>(w[i - 1]) * x[i - 1];
  }
  const double result = std::isfinite(e) ? static_cast<double>(e) : ed;
  if (trace) {
    if (std::isfinite(e))
      fio::write(kOut, "(/,2X,' TOTAL ENERGY:',1P,E13.5,'  E1:',E13.5)", e, e1);
    else
      fio::write(kOut, "(/,2X,' TOTAL ENERGY:',1P,E13.5,'  E1:',E13.5)", ed, ed1);
  }
  return result;
}

namespace {

// 1. Ground motion of the step (into s's ground vectors).
void ground_step(const StepReport& s) {
  const float dt = s.dt;

  if (s.dynamic) {
    for (int i = 0; i < 3; ++i) {
      s.dgvel[i] = (2.0f * s.gacc[i] + s.dgacc[i]) * dt / 2.0f;
      s.dgdsp[i] = (3.0f * s.gacc[i] + s.dgacc[i]) * dt * dt / 6.0f + s.gvel[i] * dt;
      s.gacc[i] += s.dgacc[i];
      s.gvel[i] += s.dgvel[i];
      s.gdsp[i] += s.dgdsp[i];
    }
  }
}

// 2. The response and special-force tables of the trace, n equations.
void trace_tables(const StepReport& s, int n) {
  const int neq = s.neq;

  if (s.trace) {
    response_table("TOTAL RELATIVE RESPONSE FOR PREVIOUS TIME STEP", n, s.a, s.v, s.d, s.p);
    response_table("INCRIMENTAL RELATIVE RESPONSE", n, s.da, s.dv, s.dd, s.dp);
    fio::write(kOut, "(/,T10,'SPECIAL FORCES ')");
    for (int i = 1; i <= neq; ++i)
      fio::write(kOut, "(T10,'DOF:',I6,' FD:',1P,E13.5,' DFD:',E13.5,' FDAMP:',E13.5,' DFDAMP:',E13.5)", i,
                 s.fd[i - 1], s.dfd[i - 1], s.fdamp[i - 1], s.dfdamp[i - 1]);
  }
}

// 3. Input energy of the step over n equations, added to EINPUT; the caller
// gets back the step's share.
double input_energy(const StepReport& s, int n) {
  const int ncond = s.ncond;
  const int ncf = s.ncf;

  const kv::Stcase& st = kv::stcase();
  double dein = 0.0;
  if (s.dynamic) {
    if (s.trace) {
      fio::write_list(kOut, " SUMRC", six(s.sumrc));
      fio::write_list(kOut, "DSUMRC", six(s.dsumrc));
      fio::write_list(kOut, " SUMFD", six(s.sumfd));
      fio::write_list(kOut, "DSUMFD", six(s.dsumfd));
      fio::write_list(kOut, " SUMUB", six(s.sumub));
    }
    // The work terms are formed in double: a force and a displacement that are
    // each REALs may have a product beyond the REAL range.
    for (int i = 0; i < 3; ++i) {
      const double f = static_cast<double>(s.sumrc[i]) + 0.5 * s.dsumrc[i] + s.sumfd[i] + 0.5 * s.dsumfd[i] +
                       s.sumub[i] + st.rstat[static_cast<std::size_t>(i + 1)];
      const double w = f * s.dgdsp[i];
      if (s.trace)
        fio::write_list(kOut, i + 1, "FORCEI", static_cast<float>(f), "  GD", s.dgdsp[i], "  ENER",
                        static_cast<float>(w));
      dein += w;
    }
  }
  for (int i = ncond + 1; i <= n; ++i) {
    const double f = static_cast<double>(s.p[i - 1]) + s.dp[i - 1] / 2.0;
    const double w = f * s.dd[i - 1];
    if (s.trace)
      fio::write_list(kOut, i, "FORCEI", static_cast<float>(f), "  DDISP", s.dd[i - 1], "  ENER",
                      static_cast<float>(w));
    dein += w;
  }
  // The absolute displacement increment of the free equations, for the work of
  // the geometric stiffness and of the statics case.
  const bool need_u = s.kgdata3 == 2 || st.istat == 1;
  float* u = s.work1;
  if (need_u) {
    for (int i = ncond + 1; i <= ncf; ++i) u[i - 1] = s.dd[i - 1];
    if (s.dynamic && any_nonzero(s.dgdsp)) project_on_translations(s, s.dgdsp, u, ncond + 1, ncf);
  }
  if (s.kgdata3 == 2) {
    double ekg = 0.0;
    for (int i = ncond + 1; i <= ncf; ++i) {
      const double w = (static_cast<double>(s.fd[i - 1]) + s.dfd[i - 1] / 2.0) * u[i - 1];
      if (s.trace)
        fio::write_list(kOut, i, "FG,DFG", s.fd[i - 1], s.dfd[i - 1], "  DDISP", u[i - 1], "  ENER",
                        static_cast<float>(w));
      ekg += w;
    }
    dein += ekg;
  }
  if (st.istat == 1) {
    // The statics case holds as many equations as its solution stored.
    const int last = std::min<int>(ncf, static_cast<int>(st.pstat.size()) - 1);
    for (int i = ncond + 1; i <= last; ++i)
      dein += static_cast<double>(st.pstat[static_cast<std::size_t>(i)]) * u[i - 1];
  }
  kv::ctl_double(kv::kEINPUT) = static_cast<double>(kv::ctl_double(kv::kEINPUT)) + dein;
  return dein;
}

struct StrainEnergies {
  double estrn, eplas;
};

// 4. Strain energies from the element states into ESTRN and EPLAS, the
// increments into r; the caller gets back the totals.
StrainEnergies strain_energies(const StepReport& s, StepEnergies& r) {
  const float old_estrn = static_cast<float>(static_cast<double>(kv::ctl_double(kv::kESTRN)));
  const float old_eplas = static_cast<float>(static_cast<double>(kv::ctl_double(kv::kEPLAS)));
  double estrn = 0.0, eplas = 0.0;
  int ltype = 0;
  for (int e = 1; e <= s.nelem; ++e) {
    elements::EleCall c = element_call(elements::kEleEnergy, e);
    elements::eledsp(c, ltype, 0);
    if (s.trace)
      fio::write(kOut, "('   ELEMENT#',I5,'   ELASTIC SE=',1P,E13.4,'   PLASTIC SE=',1P,E13.4)", e, c.r1, c.r2);
    estrn += c.r1;
    eplas += c.r2;
  }
  kv::ctl_double(kv::kESTRN) = estrn;
  kv::ctl_double(kv::kEPLAS) = eplas;
  r.destrn = static_cast<float>(estrn - old_estrn);
  r.deplas = static_cast<float>(eplas - old_eplas);
  return {estrn, eplas};
}

// 5. Kinetic energy of the absolute velocity over the free equations, into
// EKIN and r.
void kinetic_energy(const StepReport& s, StepEnergies& r) {
  const int ncond = s.ncond;
  const int ncf = s.ncf;

  if (!s.dynamic) {
    r.dekin = 0.0f;
    kv::ctl_double(kv::kEKIN) = 0.0;
  } else {
    float* v = s.work2;
    for (int i = 1; i <= ncf; ++i) v[i - 1] = s.v[i - 1] + s.dv[i - 1];
    if (any_nonzero(s.gvel)) project_on_translations(s, s.gvel, v, 1, ncf);
    const double old = kv::ctl_double(kv::kEKIN);
    double ekin = 0.0;
    if (s.mass != nullptr && s.mass_mdiag != nullptr)
      ekin = prteng(s.trace, 1, ncond, ncond + 1, ncf, ncf + 1, ncf, s.mass_nstore, s.mass_mdiag, s.mass,
                    s.work1, v, v) / 2.0;
    kv::ctl_double(kv::kEKIN) = ekin;
    r.dekin = static_cast<float>(ekin - old);
  }
}

// 6. Damping energy of the step, into EDAMP and r.
void damping_energy(const StepReport& s, StepEnergies& r) {
  const int ncond = s.ncond;
  const int ncf = s.ncf;
  const float dt = s.dt;

  if (!s.dynamic) {
    kv::ctl_double(kv::kEDAMP) = 0.0;
    r.dedamp = 0.0;
  } else {
    double sum = 0.0;
    if (s.alpha != 0.0f || s.beta != 0.0f) {
      for (int i = ncond + 1; i <= ncf; ++i) {
        const double f = static_cast<double>(s.fdamp[i - 1]) + s.dfdamp[i - 1] / 2.0;
        const double vm = static_cast<double>(s.v[i - 1]) + s.dv[i - 1] / 2.0;
        const double w = f * vm;
        if (s.trace)
          fio::write_list(kOut, i, "FORCEI", static_cast<float>(f), "  VM", static_cast<float>(vm), "  ENER",
                          static_cast<float>(w));
        sum += w;
      }
    }
    r.dedamp = dt * sum;
    kv::ctl_double(kv::kEDAMP) = static_cast<double>(kv::ctl_double(kv::kEDAMP)) + r.dedamp;
  }
}

// The energies are REALs in the peaks and the history records, as are the
// ground motion and the increments: the caller gets back false, ISTOP raised,
// when one is beyond the REAL range, so that the solution ends before it is
// printed.
bool energies_finite(const StepReport& s, const StepEnergies& r, double einput, double estrn, double ekin,
                     double eplas, double edamp) {
  const std::pair<double, std::string_view> kept[] = {
      {r.dein, "INPUT ENERGY"},    {einput, "INPUT ENERGY"},   {r.destrn, "ELASTIC STRAIN ENERGY"},
      {estrn, "ELASTIC STRAIN ENERGY"}, {r.dekin, "KINETIC ENERGY"}, {ekin, "KINETIC ENERGY"},
      {r.deplas, "PLASTIC STRAIN ENERGY"}, {eplas, "PLASTIC STRAIN ENERGY"}, {r.dedamp, "DAMPING ENERGY"},
      {edamp, "DAMPING ENERGY"},   {r.pcterr, "RELATIVE ERROR"}};
  for (const auto& [value, what] : kept) {
    if (real_finite(value, "THPRNT", what)) continue;
    kv::ctl(kv::kISTOP) |= 1;
    return false;
  }
  if (s.dynamic) {
    for (int i = 0; i < 3; ++i) {
      for (const float g : {s.dgdsp[i], s.dgvel[i], s.dgacc[i], s.gdsp[i], s.gvel[i], s.gacc[i]}) {
        if (real_finite(g, "THPRNT", "GROUND MOTION")) continue;
        kv::ctl(kv::kISTOP) |= 1;
        return false;
      }
    }
  }
  return true;
}

// 8. The energy balance.
void balance_lines(const StepEnergies& r, double einput, double estrn, double ekin, double eplas, double edamp) {
  fio::write(kOut,
             "(/,T10,' ENERGY BALANCE',/,T10,'================',T40,'INCRIMENTAL',T58,'TOTAL',/,"
             "T15,'INPUT ENERGY',T40,1P,E12.5,T55,E12.5,/,"
             "T15,'ELASTIC STRAIN ENERGY',T40,E12.5,T55,E12.5,/,"
             "T15,'KINETIC ENERGY ',T40,E12.5,T55,E12.5,/,"
             "T15,'PLASTIC STRAIN ENERGY',T40,E12.5,T55,E12.5,/,"
             "T15,'DAMPING ENERGY',T40,E12.5,T55,E12.5,/,"
             "T15,'RELATIVE ER','ROR',T55,E12.5,'%')",
             r.dein, einput, r.destrn, estrn, r.dekin, ekin, r.deplas, eplas, r.dedamp, edamp, r.pcterr);
}

// 9. The ground response.
void ground_lines(const StepReport& s) {
  constexpr std::string_view axes =
      "(T15,'GLOBAL X AXIS TRANSLATION...',T45,1P,3E15.5,/,"
      "T15,'GLOBAL Y AXIS TRANSLATION...',T45,3E15.5,/,"
      "T15,'GLOBAL Z AXIS TRANSLATION...',T45,3E15.5)";
  fio::write(kOut, "(/,T10,' GROUND RESPONSE',/,T10,'=================',/,T10,'INCRIMENTAL VALUES',"
                   "T46,'DISPLACEMENT',T63,'VELOCITY',T76,'ACCELERATION')");
  fio::write(kOut, axes, s.dgdsp[0], s.dgvel[0], s.dgacc[0], s.dgdsp[1], s.dgvel[1], s.dgacc[1], s.dgdsp[2],
             s.dgvel[2], s.dgacc[2]);
  fio::write(kOut, "(T10,'TOTAL VALUES')");
  fio::write(kOut, axes, s.gdsp[0], s.gvel[0], s.gacc[0], s.gdsp[1], s.gvel[1], s.gacc[1], s.gdsp[2], s.gvel[2],
             s.gacc[2]);
}

// 10. Ductility checks of every element.
void ductility_checks(int nelem) {
  int ltype = 0;
  for (int e = 1; e <= nelem; ++e) {
    elements::EleCall c = element_call(elements::kEleDuct, e);
    elements::eledsp(c, ltype, 0);
  }
}

}  // namespace

bool unprinted_ductility_matters() {
  using kv::ctl;
  // Letter H traces the wall's springs and letter K the materials' calls.
  if (kv::trace('H') || kv::trace('K')) return true;
  for (int n = 1; n <= ctl(kv::kNELEM); ++n) {
    const elements::ElementType* t = elements::element_type(kv::izm(kv::izm(ctl(kv::kELETAB) + n)));
    if (t == nullptr || t->driver == nullptr || !t->quiet_ductility) return true;
  }
  for (int set = 1; set <= ctl(kv::kNMAT); ++set) {
    const std::int64_t rec = kv::izm(ctl(kv::kMATPTR) + set);
    const materials::MaterialType* t = rec > 0 ? materials::material_type(kv::izm(rec)) : nullptr;
    if (t == nullptr || t->driver == nullptr || !t->results_after_state_change_nothing) return true;
  }
  return false;
}

StepEnergies thprnt(const StepReport& s) {
  StepEnergies r;
  ground_step(s);
  const int n = s.dynamic ? s.ncf : s.neq;
  trace_tables(s, n);
  r.dein = input_energy(s, n);
  const StrainEnergies strain = strain_energies(s, r);
  kinetic_energy(s, r);
  damping_energy(s, r);

  // 7. Relative error of the balance.
  const double einput = kv::ctl_double(kv::kEINPUT);
  const double estrn = strain.estrn;
  const double eplas = strain.eplas;
  const double ekin = kv::ctl_double(kv::kEKIN);
  const double edamp = kv::ctl_double(kv::kEDAMP);
  const double err = einput - estrn - ekin - eplas - edamp;
  // Without a finite input energy there is no divisor: the no-input value.
  r.pcterr = einput == 0.0 || !std::isfinite(einput) ? 100.0f : static_cast<float>(err / einput * 100.0);
  if (!energies_finite(s, r, einput, estrn, ekin, eplas, edamp)) return r;

  if (s.print) balance_lines(r, einput, estrn, ekin, eplas, edamp);
  if (s.dynamic && s.print) ground_lines(s);
  if (s.ductility_pass) ductility_checks(s.nelem);
  return r;
}

}  // namespace solutions
