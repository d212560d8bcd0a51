#include "members/rc/rc_limit_states.h"

#include <cmath>

#include "fio/fio.h"

namespace members::rc {

namespace {

constexpr float kRaised = 1.0f;
constexpr float kReported = 2.0f;
constexpr float kSpliceConcrete = 11.0f;  // splice flag raised by the concrete's 0.002
constexpr float kSpliceFactor = 7.0f;     // splice fails at 7 times the nominal curvature

float& flag(const RcLimitWords& w, int k) { return w.lsonce[k - 1]; }

void header(int ielno, int iseg, const char* text) {
  fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,A)", ielno, iseg, text);
}

void curvature_lines(float curpls, float cur) {
  fio::write(6, "('     PLASTIC CURVATURE CURPLS = ',E15.6)", curpls);
  fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6)", cur);
}

void depth_lines(const CompressionDepths& d) {
  fio::write(6, "('     COMPRESSION DEPTH TO N.A. IN U0 DIR. =',E15.6,/)", d.u);
  fio::write(6, "('     COMPRESSION DEPTH TO N.A. IN V0 DIR. =',E15.6,/)", d.v);
}

void record48(const RcLimitWords& w, int ielno, const CompressionDepths& d) {
  fio::write(48, "(1X,'IELNO   =',I5)", ielno);
  fio::write(48, "(1X,'FLP     =',E10.2)", *w.flp);
  fio::write(48, "(1X,'CCMAXU  =',E15.6)", d.u);
  fio::write(48, "(1X,'CCMAXV  =',E15.6)", d.v);
}

// An ultimate strain raised by a fibre law (once-flag k): its report and record.
void strain_report(const RcLimitWords& w, int k, int ielno, int iseg, const char* text, float curpls, float cur,
                   const CompressionDepths& depth) {
  if (flag(w, k) != kRaised) return;
  flag(w, k) = kReported;
  header(ielno, iseg, text);
  curvature_lines(curpls, cur);
  depth_lines(depth);
  record48(w, ielno, depth);
}

// The nominal moment, from the concrete's 0.004 or the bar's 0.015: the
// curvature at which it is first seen becomes CURNM.
void nominal_moment(const RcLimitWords& w, int ielno, int iseg, float cur) {
  if (flag(w, 3) == kRaised || flag(w, 4) == kRaised) {
    *w.curnm = cur;
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                  "' REACHES NOMINAL MOMENT AT CURVATURE OF ','CURNM = ',E15.6,/)", ielno, iseg, *w.curnm);
    *w.flp2 = 1.0f;
    flag(w, 3) = kReported;
    flag(w, 4) = kReported;
  }
}

// The maximum plastic curvature (code 10) and low-cycle fatigue (code 12):
// detected here, once. The message's last lines are the caller's.
bool max_plastic_curvature(const RcLimitWords& w, int ielno, int iseg, float curpls, float cur) {
  if (!(w.pcmax > 0.0f && flag(w, 10) == 0.0f && curpls >= w.pcmax)) return false;
  fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                "' REACHES MAXIMUM PLASTIC CURVATURE OF ','CURPLS = ',E15.6)", ielno, iseg, curpls);
  fio::write(6, "('     PCMAX: MAXIMUM USER INPUT PLASTIC CURVATURE =',E15.6)", w.pcmax);
  fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6)", cur);
  *w.flp = 10.0f;
  flag(w, 10) = kReported;
  return true;
}

// `capacity` names the threshold in the message's last line.
bool low_cycle_fatigue(const RcLimitWords& w, int ielno, int iseg, float curpls, float cur, const char* capacity) {
  if (!(w.period > 0.0f && w.ke > 0.0f && flag(w, 12) == 0.0f && curpls >= w.plslowcycle)) return false;
  *w.flp = 12.0f;
  flag(w, 12) = kReported;
  fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                "' LONG. REBAR LOW CYCLE FATIGUE OCCURRED AT ','PLASTIC CURVATURE OF CURPLS = ',E15.6)",
             ielno, iseg, curpls);
  fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6)", cur);
  fio::write(6, "('     LOW CYCLE FATIGUE PLASTIC CURVATURE ',A,' IS ','(PLSLOWCYCLE) = ',E15.6)", capacity,
             w.plslowcycle);
  return true;
}

}  // namespace

void rc_limit_checks(const RcLimitWords& w, int ielno, int iseg, float curun, float curvn,
                     const CompressionDepths& depth) {
  const float cur = std::fmax(std::fabs(curun), std::fabs(curvn));
  // L1: nominal moment, from the concrete's 0.004 or the bar's 0.015.
  nominal_moment(w, ielno, iseg, cur);
  const float curnm = *w.curnm;
  const float curpls = curnm > 0.0f && cur > curnm ? cur - curnm : 0.0f;
  // L2: ultimate concrete compression strain.
  strain_report(w, 5, ielno, iseg, " REACHES ULTIMATE CONCRETE COMPRESSION STRAIN.", curpls, cur, depth);
  // L3: long rebar buckled.
  if (flag(w, 6) == kRaised) {
    *w.flp2 = 2.0f;
    flag(w, 6) = kReported;
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                  "' LONG. REBAR BUCKLED AT PLASTIC CURVATURE OF ','CURPLS = ',E15.6)", ielno, iseg, curpls);
    fio::write(6, "('     ECR: LONG REBAR BUCKLING STRAIN =',E15.6)", w.ecr);
    fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6)", cur);
    depth_lines(depth);
    record48(w, ielno, depth);
  }
  // L4: ultimate bar tension strain.
  strain_report(w, 7, ielno, iseg, " LONG. REBAR REACHES ULTIMATE TENSION STRAIN.", curpls, cur, depth);
  // L5: the user's maximum plastic curvature.
  if (max_plastic_curvature(w, ielno, iseg, curpls, cur)) {
    depth_lines(depth);
    record48(w, ielno, depth);
  }
  // L6: lap splice, pending from the bar stress (1.0) or the concrete strain (11.0).
  const float splice = flag(w, 11);
  if (splice == kRaised || splice == kSpliceConcrete) {
    if (splice == kSpliceConcrete && *w.cury == 0.0f) *w.cury = cur;
    const float limit = splice == kRaised ? kSpliceFactor * curnm : kSpliceFactor * curnm + *w.cury;
    if (curnm > 0.0f && cur > curnm && cur >= limit) {
      *w.flp = 11.0f;
      flag(w, 11) = kReported;
      fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                    "' LONG. REBAR SPLICE FAILED AT PLASTIC ','CURVATURE OF CURPLS = ',E15.6)", ielno, iseg, curpls);
      fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6)", cur);
      if (splice == kRaised) {
        fio::write(6, "('     BOND IN THE LAP-SPLICE ZONE DETERIORATED DUE TO REBAR',' TENSILE STRESS EXCEEDS',"
                      "' THRESHOLD (FSLAP) = ',E15.6)", w.fslap);
      } else {
        fio::write(6, "('     BOND IN THE LAP-SPLICE ZONE DETERIORATED DUE TO',"
                      "' CONCRETE COMPRESSION STRAIN REACHES 0.002')");
      }
      depth_lines(depth);
    }
    record48(w, ielno, depth);
  }
  // L7: low-cycle fatigue of the bars.
  if (low_cycle_fatigue(w, ielno, iseg, curpls, cur, "CAPACITY")) {
    depth_lines(depth);
    record48(w, ielno, depth);
  }
}

void rc_end_limit_checks(const RcLimitWords& w, int ielno, int iseg, const EndCurvatures& n) {
  const float cur = n.largest();
  // Each state is reported on its own once-flag: the two end sections of a
  // segment may raise two states in one pass, the later one owning the code.
  nominal_moment(w, ielno, iseg, cur);
  const float curpls = cur - *w.curnm;
  if (flag(w, 6) == kRaised) {
    *w.flp2 = 2.0f;
    flag(w, 6) = kReported;
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                  "' LONG REBAR BUCKLED AT PLASTIC CURVATURE OF ','CURPLS = ',E15.6)", ielno, iseg, curpls);
    fio::write(6, "('     ECR: LONG REBAR BUCKLING STRAIN =',E15.6)", w.ecr);
    fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6,/)", cur);
  }
  if (max_plastic_curvature(w, ielno, iseg, curpls, cur)) fio::write_record(6, "");
  if (flag(w, 11) == kRaised) {
    flag(w, 11) = kReported;
    fio::write(6, "(/,'**** STABILITY ELEMENT ',I10,' SEGMENT NO. ',I10,"
                  "' LONG. REBAR SPLICE FAILED AT PLASTIC ','CURVATURE OF CURPLS = ',E15.6)", ielno, iseg, curpls);
    fio::write(6, "('     CUR  : TOTAL CURVATURE =',E15.6)", cur);
    fio::write(6, "('     REBAR TENSILE STRESS THRESHOLD (FSLAP) = ',E15.6,/)", w.fslap);
  }
  if (low_cycle_fatigue(w, ielno, iseg, curpls, cur, "THRESHOLD")) fio::write_record(6, "");
}

}  // namespace members::rc
