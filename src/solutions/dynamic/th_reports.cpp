#include "solutions/dynamic/th_reports.h"

#include <algorithm>
#include <cmath>

#include "base/globals.h"
#include "base/node_tables.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"
#include "solutions/displacement_report.h"
#include "solutions/dynamic/histry.h"
#include "solutions/reactions.h"

namespace solutions {

namespace {

constexpr int kOut = 6;

void maxima_header() {
  fio::write(kOut,
             "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/,'  MAXIMUN VALUES FOR ALL STEPS ',/,"
             "' ==============================')",
             kv::titles().title1, kv::titles().title2);
}

// One option for every element in the order of ELETAB, the report switch on,
// no page header; the caller gets back the sum of the damage words.
float element_pass(int iopt) {
  int ltype = 0;
  float sum = 0.0f;
  const int nelem = kv::ctl(kv::kNELEM);
  for (int n = 1; n <= nelem; ++n) {
    elements::EleCall c;
    c.iopt = iopt;
    c.ielno = n;
    c.lecho = true;
    c.label = kv::titles().ldlabl;
    c.idisp = kv::ctl(kv::kDUDISP);
    c.iload = kv::ctl(kv::kDPLOAD);
    elements::eledsp(c, ltype, 0);
    sum += c.r3;
  }
  return sum;
}

}  // namespace

void th_closing_reports(const ClosingReports& c) {
  using kv::ctl;
  if (c.nwrite > 0) {
    int n = 0;
    float t0 = 0.0f, dt = 0.0f;
    histry(kHistClose, n, t0, dt);
  }
  kv::titles().ldlabl.assign(40, ' ');
  kv::solsta().istep = 0;

  const int neq = c.neq;
  const ReportModel rm{base::node_tables(), ctl(kv::kNNODE), ctl(kv::kNCOS)};
  const std::string_view label = kv::titles().ldlabl;

  maxima_header();
  prtdsp(kEnvelope, rm, neq, 1, c.ncf, kv::rptr(c.upeak), "MAXIMUM DISPLACEMENTS", label, false);
  maxima_header();
  prtdsp(kEnvelope, rm, neq, 1, c.ncf, kv::rptr(c.vpeak), "MAXIMUM VELOCITIES", label, false);
  maxima_header();
  prtdsp(kEnvelope, rm, neq, 1, c.ncf, kv::rptr(c.apeak), "MAXIMUM ACCELERATIONS", label, false);

  maxima_header();
  float* ppeak = kv::rptr(c.ppeak);
  std::array<float, 6> rsum{};
  float* rsum_words = kv::ctl_rptr(kv::kRSUM);
  for (int j = 0; j < 6; ++j) {
    rsum[static_cast<std::size_t>(j)] = ppeak[neq + j];
    rsum_words[j] = ppeak[neq + j];
  }
  const SkylineView k{ctl(kv::kStiffValues) > 0 ? kv::skyptr(ctl(kv::kStiffValues)) : nullptr,
                      ctl(kv::kStiffMdiag) > 0 ? kv::iptr(ctl(kv::kStiffMdiag)) : nullptr};
  const EquationRanges eq{1, c.ncf, c.ncf + 1, neq};
  rea_ctn(kReactionEnvelope, true, eq, ppeak, ppeak, neq, 1, k, 1.0f, rm, label, false, rsum);
  fio::write(kOut, "(/,4X,'MAXIMUM RESULTANT OF REACTIONS,   FORCE=',1P,E12.4,'   MOMENT=',E12.4)", c.rfmax,
             c.rmmax);

  maxima_header();
  element_pass(elements::kEleMaxima);

  if (!c.elastc) {
    maxima_header();
    element_pass(elements::kEleDuct);

    maxima_header();
    float sdi = element_pass(elements::kEleDamage);
    const double strain = static_cast<double>(kv::ctl_double(kv::kESTRN)) + static_cast<double>(kv::ctl_double(kv::kEPLAS));
    // Without strain energy the index has no measure to be spread over.
    if (strain == 0.0) return;
    sdi = static_cast<float>(sdi / strain);
    if (std::isfinite(sdi)) {
      fio::write(kOut, "(/,10X,'STRUCTURE DAMAGE INDEX=',1P,E15.5)", sdi);
    } else {
      // Energies or element indices beyond the range (a step that ended the
      // solution may have left them so) give no index.
      fio::write(kOut, "(/,10X,'STRUCTURE DAMAGE INDEX IS NOT FINITE: NOT PRINTED')");
      if ((ctl(kv::kISTOP) & 1) == 0)
        kv::note_fault(kv::Fault::solution_error, "STRUCTURE DAMAGE INDEX IS NOT FINITE");
    }
  }

  maxima_header();
  fio::write(kOut,
             "('   PEAK ENERGY VALUES ',/,'   MAX INPUT ENERGY...............',1P,E12.5,/,"
             "'   MAX ELASTIC STRAIN ENERGY......',E12.5,/,'   MAX PLASTIC STRAIN ENERGY......',E12.5,/,"
             "'   MAX KINETIC ENERGY.............',E12.5,/,'   MAX DAMPING ENERGY.............',E12.5,/)",
             c.epeak[0], c.epeak[1], c.epeak[2], c.epeak[3], c.epeak[4]);
}

}  // namespace solutions
