#include "members/momcurv/mc_section_rule.h"

#include <cfloat>
#include <cstddef>

#include "base/globals.h"
#include "fio/fio.h"

namespace members::momcurv {

void interpo(float p, const SegBackbones& t, int iseg, int ielno, std::span<float> bkm, std::span<float> bkc,
             int irev3) {
  const int nc = t.nc;
  if (irev3 == 0 || p <= t.load(iseg, 1)) {
    for (int j = 1; j <= nc; ++j) {
      bkm[static_cast<std::size_t>(j - 1)] = t.moment(iseg, 1, j);
      bkc[static_cast<std::size_t>(j - 1)] = t.curvature(iseg, 1, j);
    }
    return;
  }
  int k = 2;
  while (k <= t.na && !(p <= t.load(iseg, k))) ++k;
  if (k > t.na) {
    fio::write(6, "(1X,'IELNO=',I3,'ISEG=',I3,':AXIAL LOAD=',E15.6,/,"
                  "' THE AXIAL LOAD IS GREATER THAN',' MAXIMUM CONTROL POINT VALUE=',E15.6,/)",
               ielno, iseg, p, t.load(iseg, t.na));
    fio::write_list(6, "PROGRAM STOP");
    kv::stop_run(kv::kStatusError, "THE AXIAL LOAD IS GREATER THAN THE MAXIMUM CONTROL POINT VALUE");
  }
  // load(k-1) < p <= load(k): the spacing is positive.
  const float lower = t.load(iseg, k - 1);
  const float dpa = t.load(iseg, k) - lower;
  const float frac = (p - lower) / dpa;
  for (int j = 1; j <= nc; ++j) {
    const float m0 = t.moment(iseg, k - 1, j);
    const float c0 = t.curvature(iseg, k - 1, j);
    const float dm = t.moment(iseg, k, j) - m0;
    const float dc = t.curvature(iseg, k, j) - c0;
    bkm[static_cast<std::size_t>(j - 1)] = dm * frac + m0;
    bkc[static_cast<std::size_t>(j - 1)] = dc * frac + c0;
  }
}

namespace {

// The backbone and the terms the rule forms from it.
class Rule {
 public:
  Rule(std::span<const float> bkm, std::span<const float> bkc, McState& s, float dcu)
      : bkm_(bkm), bkc_(bkc), s_(s), dcu_(dcu), nc_(static_cast<int>(bkm.size())) {
    ei0_ = m(1) / c(1);
    sl_ = (m(nc_) - m(nc_ - 1)) / (c(nc_) - c(nc_ - 1));
  }

  float ei0() const { return ei0_; }
  float sl() const { return sl_; }
  float m(int j) const { return bkm_[static_cast<std::size_t>(j - 1)]; }
  float c(int j) const { return bkc_[static_cast<std::size_t>(j - 1)]; }
  int nc() const { return nc_; }

  void elastic_trial(McRuleResult& r) const {
    r.eiu = ei0_;
    r.mu = s_.pmu + ei0_ * dcu_;
  }
  void along_last_line(McRuleResult& r) const {
    r.eiu = sl_;
    r.mu = s_.pmu + sl_ * dcu_;
  }
  // Past a target moment mt: the rest of the increment along the last-segment line.
  void pass_target(McRuleResult& r, float mt) const {
    const float rest = dcu_ - (mt - s_.pmu) / ei0_;
    r.eiu = sl_;
    r.mu = rest * sl_ + mt;
  }

  // Slope and moment of the positive backbone at cu (false off its segments).
  bool positive_backbone(float cu, float& slope, float& mb) const {
    for (int j = 1; j < nc_; ++j) {
      if (c(j) < cu && cu <= c(j + 1)) {
        slope = (m(j + 1) - m(j)) / (c(j + 1) - c(j));
        const float f = (cu - c(j)) / (c(j + 1) - c(j));
        mb = (m(j + 1) - m(j)) * f + m(j);
        return true;
      }
    }
    return false;
  }
  bool negative_backbone(float cu, float& slope, float& mb) const {
    for (int j = 1; j < nc_; ++j) {
      if (-c(j + 1) <= cu && cu < -c(j)) {
        slope = (m(j + 1) - m(j)) / (c(j + 1) - c(j));
        const float f = (cu + c(j)) / (c(j) - c(j + 1));
        mb = -m(j) + (m(j) - m(j + 1)) * f;
        return true;
      }
    }
    return false;
  }
  bool beyond_positive(float cu) const { return cu > c(nc_); }
  bool beyond_negative(float cu) const { return cu < -c(nc_); }
  float positive_extension(float cu) const { return (cu - c(nc_)) * sl_ + m(nc_); }
  float negative_extension(float cu) const { return (cu + c(nc_)) * sl_ - m(nc_); }

  // The reloading side's backbone slope and moment at cu: on a segment, on the
  // extension, or (not beyond the first point) on the initial branch.
  void reloading_positive(float cu, float& slope, float& mb) const {
    if (positive_backbone(cu, slope, mb)) return;
    if (beyond_positive(cu)) {
      slope = sl_;
      mb = positive_extension(cu);
    } else {
      slope = ei0_;
      mb = ei0_ * cu;
    }
  }
  void reloading_negative(float cu, float& slope, float& mb) const {
    if (negative_backbone(cu, slope, mb)) return;
    if (beyond_negative(cu)) {
      slope = sl_;
      mb = negative_extension(cu);
    } else {
      slope = ei0_;
      mb = ei0_ * cu;
    }
  }

  // The target points where the elastic line through (cu, mu) meets the line
  // of the last segment of a side, extended. A last segment as steep as the
  // initial branch never meets it: the target is then out of reach.
  void negative_target(float cu, float mu) const {
    const float den = ei0_ - sl_;
    if (den == 0.0f) {
      s_.cun = -FLT_MAX;
      s_.mun = -FLT_MAX;
      return;
    }
    s_.cun = ((-m(nc_ - 1) - mu) + cu * ei0_ + sl_ * c(nc_ - 1)) / den;
    s_.mun = (s_.cun - cu) * ei0_ + mu;
  }
  void positive_target(float cu, float mu) const {
    const float den = ei0_ - sl_;
    if (den == 0.0f) {
      s_.cup = FLT_MAX;
      s_.mup = FLT_MAX;
      return;
    }
    s_.cup = ((m(nc_ - 1) - mu) + cu * ei0_ - sl_ * c(nc_ - 1)) / den;
    s_.mup = (s_.cup - cu) * ei0_ + mu;
  }

 private:
  std::span<const float> bkm_, bkc_;
  McState& s_;
  float dcu_;
  int nc_;
  float ei0_ = 0.0f;
  float sl_ = 0.0f;
};

}  // namespace

McRuleResult mc_rule(std::span<const float> bkm, std::span<const float> bkc, McState& s, float dcu, bool elastic) {
  const Rule b(bkm, bkc, s, dcu);
  McRuleResult r;
  if (elastic) {
    b.elastic_trial(r);
    return r;
  }
  const float cu = s.cu;
  float slope = 0.0f;
  float mb = 0.0f;
  const int rule = static_cast<int>(s.rule);
  switch (rule) {
    case 2:
      if (dcu < 0.0f) {
        b.elastic_trial(r);
        b.negative_target(cu, r.mu);
        s.rule = 3.0f;
      } else if (b.positive_backbone(cu, slope, mb)) {
        r.eiu = slope;
        r.mu = mb;
      } else if (b.beyond_positive(cu)) {
        r.beyond = true;
        b.along_last_line(r);
      } else {
        b.elastic_trial(r);  // the backbone moved away with the axial force
      }
      break;
    case 21:
      if (dcu > 0.0f) {
        b.elastic_trial(r);
        b.positive_target(cu, r.mu);
        s.rule = 31.0f;
      } else if (b.negative_backbone(cu, slope, mb)) {
        r.eiu = slope;
        r.mu = mb;
      } else if (b.beyond_negative(cu)) {
        r.beyond = true;
        b.along_last_line(r);
      } else {
        b.elastic_trial(r);
      }
      break;
    case 3:
      if (dcu >= 0.0f) {
        b.reloading_positive(cu, slope, mb);
        b.elastic_trial(r);
        if (r.mu >= mb) {
          r.eiu = slope;
          r.mu = mb;
          s.rule = 2.0f;
        }
      } else {
        b.elastic_trial(r);
        if (r.mu < s.mun) {
          b.pass_target(r, s.mun);
          s.rule = 4.0f;
        }
      }
      break;
    case 31:
      if (dcu <= 0.0f) {
        b.reloading_negative(cu, slope, mb);
        b.elastic_trial(r);
        if (r.mu <= mb) {
          r.eiu = slope;
          r.mu = mb;
          s.rule = 21.0f;
        }
      } else {
        b.elastic_trial(r);
        if (r.mu > s.mup) {
          b.pass_target(r, s.mup);
          s.rule = 41.0f;
        }
      }
      break;
    case 4:
      if (dcu < 0.0f) {
        b.along_last_line(r);
        r.beyond = b.beyond_negative(cu);
      } else {
        b.elastic_trial(r);
        s.cun = s.pcu;
        s.mun = s.pmu;
        b.positive_target(cu, r.mu);
        s.rule = 5.0f;
      }
      break;
    case 41:
      if (dcu > 0.0f) {
        b.along_last_line(r);
        r.beyond = b.beyond_positive(cu);
      } else {
        b.elastic_trial(r);
        s.cup = s.pcu;
        s.mup = s.pmu;
        b.negative_target(cu, r.mu);
        s.rule = 5.0f;
      }
      break;
    case 5:
      b.elastic_trial(r);
      if (dcu > 0.0f && r.mu > s.mup) {
        b.pass_target(r, s.mup);
        s.rule = 41.0f;
      } else if (dcu <= 0.0f && r.mu < s.mun) {
        b.pass_target(r, s.mun);
        s.rule = 4.0f;
      }
      break;
    default:  // 1, virgin
      if (-b.c(1) <= cu && cu <= b.c(1)) {
        b.elastic_trial(r);
      } else if (cu > b.c(1)) {
        if (b.positive_backbone(cu, slope, mb)) {
          r.eiu = slope;
          r.mu = mb;
        } else {  // past the last point in one step: on the extension
          r.beyond = true;
          r.eiu = b.sl();
          r.mu = b.positive_extension(cu);
        }
        s.rule = 2.0f;
      } else if (cu < -b.c(1)) {
        if (b.negative_backbone(cu, slope, mb)) {
          r.eiu = slope;
          r.mu = mb;
        } else {
          r.beyond = true;
          r.eiu = b.sl();
          r.mu = b.negative_extension(cu);
        }
        s.rule = 21.0f;
      } else {
        b.elastic_trial(r);  // a curvature that is no number compares false everywhere
      }
      break;
  }
  return r;
}

McState load_state(const SegTable& mcst, const SegTable& mcstp, int iseg) {
  McState s;
  s.cu = mcst(iseg, 1);
  s.mu = mcst(iseg, 2);
  s.rule = mcst(iseg, 3);
  s.cun = mcst(iseg, 4);
  s.cup = mcst(iseg, 5);
  s.pcu = mcstp(iseg, 1);
  s.pmu = mcstp(iseg, 2);
  s.mun = mcstp(iseg, 4);
  s.mup = mcstp(iseg, 5);
  return s;
}

void store_rule_state(const McState& s, const SegTable& mcst, const SegTable& mcstp, int iseg) {
  mcst(iseg, 3) = s.rule;
  mcst(iseg, 4) = s.cun;
  mcst(iseg, 5) = s.cup;
  mcstp(iseg, 4) = s.mun;
  mcstp(iseg, 5) = s.mup;
}

McRuleResult mcrule(const McRuleCall& c, const SegBackbones& t, const SegTable& mcst, const SegTable& mcstp,
                    const SegTable& floc, float& flp, std::span<float> bkm, std::span<float> bkc) {
  McState s = load_state(mcst, mcstp, c.iseg);
  const float p = floc(c.iseg, 3);
  interpo(p, t, c.iseg, c.ielno, bkm, bkc, c.irev3);

  if (c.trace) {
    fio::write(6, "(/,1X,'STABILITY ELE.',I5,'SEG. NO.',I5,'BACKBONE CURVE CONTROL PTS AFTER INTERPO SUB:')", c.ielno,
               c.iseg);
    fio::write(6, "(1X,'AXIAL LOAD        MOMENT        CURVATURE',/,1X,'==========        ======        =========')");
    fio::write(6, "(1X,E15.6)", p);
    for (std::size_t j = 0; j < bkm.size(); ++j) fio::write(6, "(16X,2E15.6)", bkm[j], bkc[j]);
    fio::write(6, "(1X,'PREVIOUS TOTAL CURVATURE PCU=',E15.6,/,1X,'CURRENT  TOTAL CURVATURE  CU=',E15.6)", s.pcu,
               s.cu);
  }

  const McRuleResult r = mc_rule(bkm, bkc, s, c.dcu, c.ielas == 0);
  if (c.ielas == 0) return r;
  store_rule_state(s, mcst, mcstp, c.iseg);
  if (r.beyond && flp < 10.0f) {
    fio::write(6, "(1X,'**** CURVATURE IS GREATER THAN THE MAXIMUM',' INPUT CURVATURE POINT CUR(IREV1), PROGRAM CONTINUE')");
    if (c.nend == 0)
      fio::write(6, "(1X,'IELNO=',I3,'ISEG=',I3)", c.ielno, c.iseg);
    else
      fio::write(6, "(1X,'IELNO=',I3,'ISEG=',I3,'END NO.',I3)", c.ielno, c.iseg, c.nend);
    fio::write(6, "(1X,'CU=',E15.6,'DB(NB)=',E15.6,'AT ISTEP=',I15,/)", s.cu, bkc[bkc.size() - 1],
               kv::solsta().istep);
    flp = 10.0f;
  }
  return r;
}

}  // namespace members::momcurv
