#include "members/rc/rc_member_rule.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "fio/fio.h"
#include "members/rc/compression_depth.h"
#include "members/rc/end_curvatures.h"
#include "members/rc/rc_fibre_mesh.h"
#include "members/rc/rc_limit_states.h"
#include "members/rc/rc_section.h"
#include "members/rc/rc_section_head.h"
#include "members/rc/rebar_buckling.h"

namespace members::rc {

namespace {

// The section mesh of a record, for the set-up trace.
SectionMesh record_mesh(const RcMemberRecord& rec) {
  auto col = [&](int k) { return Col{rec.array(k)}; };
  return {rec.layout.nump, col(kU), col(kV), col(kAREA), col(kLENGTH)};
}

// "R/CONCRETE1": one section per segment, the segment's curvature totals,
// and after each segment's section its limit checks (lw null at set-up,
// when no check runs).
class RcFamily final : public MemberFamily {
 public:
  RcFamily(SegmentSection& section, const float* prop, const RcMemberRecord& rec, const RcLimitWords* lw)
      : MemberFamily(section, SectionLayout::average), prop_(prop), rec_(rec),
        totals_{Col{rec.array(k17CURU)}, Col{rec.array(k17CURV)}}, lw_(lw) {}

  void trace_setup(const MemberCall& c) const override { trace_section_mesh(record_mesh(rec_), c.ielno); }
  void clear_segment(int iseg) const override { totals_.clear(iseg); }
  void segment_deformed(int iseg, const EndDeformation& d) const override { totals_.add(iseg, d.dcu1, d.dcv1); }

  void segment_evaluated(const MemberCall& c, int iseg, const EndDeformation&) const override {
    if (lw_ == nullptr) return;
    const float curu = totals_.cu(iseg), curv = totals_.cv(iseg);
    const auto n = static_cast<std::size_t>(rec_.layout.nump);
    DepthInput in;
    in.imater = head_int(prop_, kIMATER);
    in.n1 = head_int(prop_, kN1);
    in.n2 = head_int(prop_, kN2);
    in.d1 = prop_[kD1];
    in.d2 = prop_[kD2];
    in.t2 = prop_[kT2];
    in.u = {rec_.array(kU), n};
    in.v = {rec_.array(kV), n};
    in.area = {rec_.array(kAREA), n};
    in.length = {rec_.array(kLENGTH), n};
    in.strain = {rec_.array(kSTRAIN), n};
    rc_limit_checks(*lw_, c.ielno, iseg, curu, curv, nadept(in, curu, curv));
  }

 private:
  const float* prop_;
  const RcMemberRecord& rec_;
  CurvatureTotals totals_;
  const RcLimitWords* lw_;
};

// "R/CONCRETE2": sections at both segment ends; after them the segment's end
// curvature totals advance by its end increments, then the limit states (lw
// null at set-up, when no check runs).
class RcEndFamily final : public MemberFamily {
 public:
  RcEndFamily(SegmentSection& section, const RcMemberRecord& rec, const RcLimitWords* lw)
      : MemberFamily(section, SectionLayout::nodal_ends), rec_(rec),
        totals_{rec.array(k170CU1), rec.array(k170CU2), rec.array(k170CV1), rec.array(k170CV2)}, lw_(lw) {}

  void trace_setup(const MemberCall& c) const override { trace_section_mesh(record_mesh(rec_), c.ielno); }

  void segment_evaluated(const MemberCall& c, int iseg, const EndDeformation& d) const override {
    if (lw_ == nullptr) return;
    const EndCurvatures n = rot12b(d, iseg, totals_);
    if (c.trace) fio::write_list(6, "**SEGMENT ", iseg, " CU1,CU2,CV1,CV2:", n.cu1, n.cu2, n.cv1, n.cv2);
    rc_end_limit_checks(*lw_, c.ielno, iseg, n);
  }

 private:
  const RcMemberRecord& rec_;
  EndCurvatureTotals totals_;
  const RcLimitWords* lw_;
};

// The two end sections of every segment, each on its own arrays.
class RcEndSections final : public SegmentSection {
 public:
  RcEndSections(const RcMemberRecord& rec, const RcSectionParams& p, float* flp)
      : end1_(rc_section_arrays(rec, 1), p, flp), end2_(rc_section_arrays(rec, 2), p, flp) {}

  SectionResponse evaluate(SectionCall& call) override {
    return call.end == 2 ? end2_.evaluate(call) : end1_.evaluate(call);
  }

 private:
  RcSection end1_, end2_;
};

bool nodal_ends(const RcMemberRecord& rec) { return rec.layout.type == kNodalEndType; }

}  // namespace

MemberArrays record_member_arrays(float* prop, const std::int64_t* start, int n) {
  const int ndof = 6 * n + 6;
  auto at = [&](int k) { return prop + start[k]; };
  auto col = [&](int k) { return Col{at(k)}; };
  auto seg = [&](int k) { return SegTable{at(k), n}; };
  auto sq = [&](int k, int order) { return Square{at(k), order}; };
  MemberArrays m;
  m.nseg = n;
  m.idofr = col(kLMSEG);
  m.irotr = col(kKDOF);
  m.beta = col(kBETA);
  m.ulpe = col(kECCXE);
  m.vlpe = col(kECCYE);
  m.zseg = EndCoords{at(kXSEG), n};
  m.slen = col(kSLEN);
  m.dtot = col(kUTOT);
  m.dinc = col(kDU);
  m.dimp = col(kUIMP);
  m.chord = col(kSLENC);
  m.reserved = seg(kSEGW);
  m.floc = seg(kFLOC);
  m.fglo = seg(kFGLB);
  m.dglo = seg(kDSEG);
  m.dcos = seg(kRSEG);
  m.dcos0 = seg(kRSEG0);
  m.asato = sq(kASAT, ndof);
  m.eeasat = sq(kEEASAT, 12);
  m.te = sq(kTECC, 12);
  m.w = sq(kASAT0, ndof);
  m.asat = sq(kASTF, ndof);
  m.asath = at(kAHALF);
  m.mdr = col(kMDIAG);
  m.dfinc = col(kDFEND);
  m.fint = col(kFINT);
  m.xv = col(kXVEC);
  m.rv = col(kRVEC);
  m.sks = SegMatrices{at(kSKSEG), n};
  m.eccx = col(kECCXR);
  m.eccy = col(kECCYR);
  return m;
}

MemberArrays rc_member_arrays(const RcMemberRecord& rec) {
  MemberArrays m = record_member_arrays(rec.prop, rec.layout.start.data(), rec.layout.nseg);
  if (nodal_ends(rec)) m.betam = Col{rec.array(k170BETAM)};
  return m;
}

float lap_splice_stress(const float* prop) {
  const float splice = prop[kSPLICE];
  if (!(splice > 0.0f)) return 0.0f;
  constexpr float kPi = 3.14159f;
  const float ub = 4.0f * std::sqrt(std::fmax(prop[kFPC], 0.0f));
  const float d1 = prop[kD1], d2 = prop[kD2], t2 = prop[kT2];
  const int nbar1 = head_int(prop, kNBAR1);
  float ab = 0.0f, p1 = 0.0f, p2 = 0.0f;
  switch (head_int(prop, kLIBN)) {
    case kCircularBars: {
      if (nbar1 <= 0) return 0.0f;
      ab = kPi * t2 * t2 / 4.0f;
      const float dc = d1 - 2.0f * d2;
      p1 = kPi * dc / (2.0f * static_cast<float>(nbar1)) + 2.0f * (t2 + d2);
      p2 = 2.0f * std::sqrt(2.0f) * (d2 + t2);
      break;
    }
    case kRectangular: {
      const float db = prop[kDBAR1];
      if (nbar1 < 2 || !(db > 0.0f)) return 0.0f;
      ab = kPi * db * db / 4.0f;
      const float s = std::min((d1 - 2.0f * t2 - db) / static_cast<float>(head_int(prop, kNBAR3) + 1),
                               (d2 - 2.0f * t2 - db) / static_cast<float>(nbar1 - 1));
      p1 = s / 2.0f + 2.0f * (db + t2);
      p2 = 2.0f * std::sqrt(2.0f) * (t2 + db);
      break;
    }
    default:
      return 0.0f;
  }
  return ab > 0.0f ? std::min(p1, p2) * ub * splice / ab : 0.0f;
}

float low_cycle_curvature(const float* prop) {
  const float period = prop[kPERIOD];
  if (!(period > 0.0f) || !(prop[kKE] > 0.0f)) return 0.0f;
  const float nf = 3.5f * std::pow(period, -0.3333f);
  const float epa = 0.08f * std::pow(2.0f * nf, -0.5f);
  const float d1 = prop[kD1], d2 = prop[kD2], t2 = prop[kT2];
  float dp = 0.0f;
  switch (head_int(prop, kLIBN)) {
    case kCircularShell:
    case kCircularBars:
      dp = d1 - 2.0f * d2 - t2;
      break;
    case kRectangular:
      dp = std::max(d1 - 2.0f * t2 - (prop[kDBAR1] + prop[kDBAR2]) / 2.0f, d2 - 2.0f * t2 - prop[kDBAR1]);
      break;
    default:
      return 0.0f;
  }
  return dp > 0.0f ? 2.0f * epa / dp : 0.0f;
}

void hyst17(int iopt, float* prop, const RcMemberRecord& rec, MemberState& s, const RcCall& c,
            std::array<float, 12>& p) {
  const bool ends = nodal_ends(rec);
  const MemberArrays m = rc_member_arrays(rec);
  MemberWords w = set_member_words(prop);
  float* fslap = rec.array(ends ? static_cast<int>(k170FSLAP) : static_cast<int>(k17FSLAP));
  float* plslow = rec.array(ends ? static_cast<int>(k170PLSLOWCYCLE) : static_cast<int>(k17PLSLOWCYCLE));
  MemberCall mc;
  mc.ielno = c.ielno;
  mc.trace = c.trace;
  mc.state = c.flp;
  const RcSectionParams params = rc_section_params(prop, *fslap, c.ielno, c.trace);

  if (iopt == 3) {
    RcLimitWords lw;
    lw.flp = c.flp;
    lw.flp2 = c.flp2;
    lw.lsonce = rec.array(ends ? static_cast<int>(k170LSONCE) : static_cast<int>(k17LSONCE));
    lw.curnm = rec.array(ends ? static_cast<int>(k170CURNM) : static_cast<int>(k17CURNM));
    lw.cury = ends ? nullptr : rec.array(k17CURY);
    lw.fslap = *fslap;
    lw.plslowcycle = *plslow;
    lw.ecr = prop[kECR];
    lw.pcmax = prop[kPCMAX];
    lw.period = prop[kPERIOD];
    lw.ke = prop[kKE];
    if (ends) {
      RcEndSections section(rec, params, c.flp);
      member_state(m, w, s, RcEndFamily(section, rec, &lw), mc, p);
    } else {
      RcSection section(rc_section_arrays(rec, 0), params, c.flp);
      member_state(m, w, s, RcFamily(section, prop, rec, &lw), mc, p);
    }
    return;
  }

  *c.flp = 0.0f;
  prop[kECR] = 0.0f;
  const int nump = rec.layout.nump;
  for (int k = 0; k < nump; ++k) rec.array(kC44)[k] = 0.0f;
  const auto nn = static_cast<std::size_t>(nump);
  float eccx = 0.0f, eccy = 0.0f;
  sectlb(section_geometry(prop),
         {{rec.array(kU), nn}, {rec.array(kV), nn}, {rec.array(kAREA), nn}, {rec.array(kLENGTH), nn}}, eccx, eccy);
  w.ulp = eccx;
  w.vlp = eccy;
  start_fibres(rc_section_arrays(rec, 0), prop);
  if (ends) start_fibres(rc_section_arrays(rec, 2), prop);
  // The bar-section end sections test a splice only without confinement.
  const int libn = head_int(prop, kLIBN);
  const bool splice_tested = !ends || prop[kKE] == 0.0f || (libn != kCircularBars && libn != kRectangular);
  if (splice_tested) *fslap = lap_splice_stress(prop);
  if (prop[kPERIOD] > 0.0f && prop[kKE] > 0.0f) *plslow = low_cycle_curvature(prop);
  // The buckling strain comes from the ultimate strain the laws will use.
  if (!(prop[kESU] > 0.0f)) prop[kESU] = 0.09f;
  prop[kECR] = long_rebar_buckling_strain(prop, prop[kESU]);
  const RcSectionParams set_up = rc_section_params(prop, *fslap, c.ielno, c.trace);
  if (ends) {
    RcEndSections section(rec, set_up, c.flp);
    member_setup(m, w, s, RcEndFamily(section, rec, nullptr), mc);
  } else {
    RcSection section(rc_section_arrays(rec, 0), set_up, c.flp);
    member_setup(m, w, s, RcFamily(section, prop, rec, nullptr), mc);
  }
}

}  // namespace members::rc
