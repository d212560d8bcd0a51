#include "members/member_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "base/globals.h"
#include "fio/fio.h"
#include "members/member_matrices.h"
#include "members/segment_kinematics.h"
#include "members/segment_routines.h"
#include "solvers/member_solver.h"

namespace members {

namespace {

// The member has no usable stiffness: the solution ends after this step (bit
// 0 of ISTOP), and the run's status and console say why.
void end_without_stiffness(int ielno) {
  fio::write(6, "(' *** THE SOLUTION ENDS: STABILITY ELEMENT',I5,' HAS NO USABLE STIFFNESS')", ielno);
  kv::ctl(kv::kISTOP) |= 1;
  kv::note_fault(kv::Fault::solution_error,
                 fio::format("('SOLUTION ENDS: STABILITY ELEMENT',I6,' HAS NO USABLE STIFFNESS')", ielno));
}

constexpr float kPi = 3.1415925f;
constexpr int kMaxDof = 6 * kMaxSegments + 6;

// The segment's end values: positions and rotations, and the increments.
struct SegmentEnds {
  std::array<float, 3> xa{}, xb{};
  float roza = 0.0f, rozb = 0.0f;
  std::array<float, 6> da{}, db{};
};

SegmentEnds gather(const MemberArrays& m, const DofTable& dof, int i) {
  SegmentEnds e;
  for (int c = 1; c <= 3; ++c) {
    const int ka = dof(i, c), kb = dof(i, 6 + c);
    e.xa[c - 1] = m.dtot(ka) + m.zseg(i, c, 1) + m.dimp(ka);
    e.xb[c - 1] = m.dtot(kb) + m.zseg(i, c, 2) + m.dimp(kb);
  }
  e.roza = m.dtot(dof(i, 6)) + m.dimp(dof(i, 6));
  e.rozb = m.dtot(dof(i, 12)) + m.dimp(dof(i, 12));
  for (int k = 1; k <= 6; ++k) {
    e.da[k - 1] = m.dinc(dof(i, k));
    e.db[k - 1] = m.dinc(dof(i, 6 + k));
  }
  return e;
}

// The 24 end values of a gathering, for the trace.
void trace_ends(const MemberArrays& m, const DofTable& dof, int i) {
  fio::write(6, "('1','XA,YA,ZA,ROXA,ROYA,ROZA,','XB,YB,ZB,ROXB,ROYB,ROZB,',"
                "'DXA,DYA,DZA,DROXA,DROYA,DROZA,','DXB,DYB,DZB,DROXB,DROYB,DROZB',/)");
  float v[24];
  for (int e = 0; e < 2; ++e) {
    for (int k = 1; k <= 6; ++k) {
      const int q = dof(i, 6 * e + k);
      v[6 * e + k - 1] = m.dtot(q) + m.dimp(q) + (k <= 3 ? m.zseg(i, k, e + 1) : 0.0f);
      v[12 + 6 * e + k - 1] = m.dinc(q);
    }
  }
  fio::write(6, "(1X,6F15.6)", std::span<const float>(v, 24));
}

void trace_vector(const char* fmt, int ielno, const float* v, int n) {
  fio::write(6, fmt, ielno);
  fio::write(6, "(1X,6E15.6)", std::span<const float>(v, static_cast<std::size_t>(n)));
}

void trace_eeasat(const MemberArrays& m) {
  fio::write_list(6, "1", " THE FINAL EEASAT MATRIX AFTER CALL TRANK:");
  matprt(m.eeasat.p, 12, 12, 12);
}

// ROTMAT with the V and chord rows of a stored frame as reference, rolled by
// beta; writes the frame into DCOS(i) and the chord into CHORD(i).
Mat12 renew_frame(const MemberArrays& m, const SegmentEnds& e, const Frame& ref, int i, float beta,
                  bool trace) {
  const RotmatResult r = rotmat(e.xa, e.roza, e.xb, e.rozb, {ref[3], ref[4], ref[5]},
                                {ref[6], ref[7], ref[8]}, beta, trace);
  for (int k = 1; k <= 9; ++k) m.dcos(i, k) = r.r[k - 1];
  m.chord(i) = r.chord;
  return segment_rotation(r.r);
}

// ASAT(IDOF(i, r), IDOF(i, c)) += (T' K T)(r, c), in the record's single
// precision and, from the double stiffness kd, in the condensation's double
// copy ad (order ndof, column by column).
Mat12 assemble(const MemberArrays& m, const DofTable& dof, int i, const Mat12& t, const Mat12& k,
               const Mat12d& kd, double* ad, int ndof) {
  Mat12 rtskr{};
  Mat12 kt{};
  Mat12d ktd{};
  for (int r = 1; r <= 12; ++r) {
    for (int c = 1; c <= 12; ++c) {
      float s = 0.0f;
      double sd = 0.0;
      for (int q = 1; q <= 12; ++q) {
        s += at(k, r, q) * at(t, q, c);
        sd += kd[(q - 1) * 12 + r - 1] * static_cast<double>(at(t, q, c));
      }
      at(kt, r, c) = s;
      ktd[(c - 1) * 12 + r - 1] = sd;
    }
  }
  for (int r = 1; r <= 12; ++r) {
    for (int c = 1; c <= 12; ++c) {
      float s = 0.0f;
      double sd = 0.0;
      for (int q = 1; q <= 12; ++q) {
        s += at(t, q, r) * at(kt, q, c);
        sd += static_cast<double>(at(t, q, r)) * ktd[(c - 1) * 12 + q - 1];
      }
      at(rtskr, r, c) = s;
      m.asat(dof(i, r), dof(i, c)) += s;
      ad[(dof(i, c) - 1) * ndof + dof(i, r) - 1] += sd;
    }
  }
  return rtskr;
}

void save_tables(const MemberArrays& m, const DofTable& dof, const std::int32_t* md, int ndof) {
  for (int i = 1; i <= m.nseg; ++i) {
    for (int k = 1; k <= 12; ++k) m.idofr(static_cast<int>((k - 1) * m.nseg + i)) = static_cast<float>(dof(i, k));
  }
  for (int k = 1; k <= ndof; ++k) m.irotr(k) = (k - 1) % 6 >= 3 ? 1.0f : 0.0f;
  for (int k = 1; k <= ndof + 1; ++k) m.mdr(k) = static_cast<float>(md[k - 1]);
}

// ZDIAG of ASAT into ASATH, elimination of the internal equations and the
// condensed end block into EEASAT. The elimination runs on the double copy ad
// of ASAT: near a buckling load, and with many short segments, single
// precision loses the condensed terms. The reduced values are rounded into
// the record's skyline storage. A zero diagonal or pivot leaves no usable
// member: the message is written and false comes back, EEASAT untouched.
bool condense(const MemberArrays& m, MemberState& s, const MemberCall& c, std::int32_t* md,
              int ndof, double* ad) {
  std::int32_t nstk = 0;
  if (!solvers::zdiag(m.asat.p, ndof, ndof, m.asath, md, nstk)) {
    fio::write(6, "(' *** STABILITY ELEMENT',I5,': ZERO DIAGONAL TERM IN THE MEMBER STIFFNESS')",
               c.ielno);
    return false;
  }
  s.nsky = nstk;
  auto d = [&](int r, int col) -> double& { return ad[(col - 1) * ndof + (r - 1)]; };
  for (int p = 1; p <= ndof - 12; ++p) {
    const double piv = d(p, p);
    if (piv == 0.0) {
      fio::write(6, "(' *** STABILITY ELEMENT',I5,': ZERO PIVOT IN THE MEMBER CONDENSATION, ROW',I5)",
                 c.ielno, p);
      return false;
    }
    for (int r = p + 1; r <= ndof; ++r) {
      const double f = d(p, r) / piv;
      if (f == 0.0) continue;
      for (int col = r; col <= ndof; ++col) d(r, col) -= f * d(p, col);
    }
  }
  // The reduced rows and the condensed block back into the profile.
  for (int col = 1; col <= ndof; ++col) {
    const int top = col - (md[col] - md[col - 1]) + 1;
    for (int r = col; r >= top; --r) m.asath[md[col - 1] + col - r - 1] = static_cast<float>(d(r, col));
  }
  // A one-segment member copies the whole matrix; terms above a column's top
  // must read as zero, not as what an earlier call left.
  for (int k = 0; k < 144; ++k) m.eeasat.p[k] = 0.0f;
  hbfull(m.asath, md, ndof - 11, ndof, m.eeasat.p, 12, s.nsky, c.trace);
  return true;
}

// The double copy of the member stiffness for one call (at most 198 x 198).
struct DoubleStiffness {
  explicit DoubleStiffness(int ndof) : n(ndof) {
    for (int k = 0; k < n * n; ++k) a[k] = 0.0;
  }
  int n;
  double a[kMaxDof * kMaxDof];
};

// Segment lengths; equal segments where the short-segment length does not fit.
void segment_lengths(const MemberArrays& m, const MemberWords& w, float xl, int ielno) {
  const int n = m.nseg;
  float small = w.small > 0.0f ? w.small : xl / static_cast<float>(n);
  bool equal = n <= 4 ? small != xl / static_cast<float>(n) : 4.0f * small >= xl;
  if (n > 1 && equal) {
    fio::write(6,
               "(' ** WARNING: STABILITY ELEMENT',I5,' SHORT SEGMENTS OF',E12.4,"
               "' DO NOT FIT THE LENGTH',E12.4,'; EQUAL SEGMENTS USED')",
               ielno, small, xl);
    // The member is not the one the input asked for.
    kv::note_fault(kv::Fault::input_warning,
                   fio::format("('STABILITY ELEMENT',I6,': SHORT SEGMENTS DO NOT FIT, EQUAL SEGMENTS USED')", ielno));
  }
  float z = 0.0f;
  const int mid = (n - 2) / 2;
  for (int i = 1; i <= n; ++i) {
    float len = xl;
    if (n > 1) {
      if (equal) {
        len = xl / static_cast<float>(n);
      } else if (i == 1 || i == n || i == mid + 1 || i == mid + 2) {
        len = small;
      } else {
        len = (xl - 4.0f * small) / static_cast<float>(n - 4);
      }
    }
    m.slen(i) = len;
    for (int c = 1; c <= 3; ++c) {
      m.zseg(i, c, 1) = 0.0f;
      m.zseg(i, c, 2) = 0.0f;
    }
    m.zseg(i, 3, 1) = z;
    m.zseg(i, 3, 2) = z + len;
    if (n > 1) z += len;
  }
}

SectionResponse evaluate(SegmentSection& section, int i, float& dec, float dcu, float dcv,
                         float target, bool setup, int end = 0, float dcu_end2 = 0.0f) {
  SectionCall call;
  call.dcu_end2 = dcu_end2;
  call.iseg = i;
  call.end = end;
  call.dec = dec;
  call.dcu = dcu;
  call.dcv = dcv;
  call.target_axial = target;
  call.setup = setup;
  const SectionResponse r = section.evaluate(call);
  dec = call.dec;
  return r;
}

// The angle the segment frame is rolled by.
float frame_angle(const MemberArrays& m, const MemberFamily& f, int i) {
  return f.nodal_ends() ? m.betam(i) : m.beta(i);
}

// The sections of segment i for its deformation: the segment average, or
// both nodal ends (each end's forces into its half of FLOCA, the mean end
// angle into BETAM). The caller gets back the rigidities the segment
// stiffness takes (r2 is r1 for one section) and the centroid.
struct SegmentSections {
  SectionResponse r1, r2;
  float uc0 = 0.0f, vc0 = 0.0f;
};
SegmentSections evaluate_segment(const MemberArrays& m, const MemberFamily& f, int i,
                                 const EndDeformation& d, bool setup, const SegTable* floca) {
  SegmentSection& section = f.section();
  SegmentSections s;
  if (!f.nodal_ends()) {
    float dec = d.dec1;
    s.r1 = evaluate(section, i, dec, d.dcu1, d.dcv1, m.floc(i, 9), setup);
    s.r2 = s.r1;
    if (floca != nullptr) place_average_forces(*floca, i, s.r1);
  } else {
    // End 1 is to carry FLOC(i, 3) (compression positive at end A), end 2
    // FLOC(i, 9); the sections answer in the sense of end B.
    float dec1 = d.dec1, dec2 = d.dec2;
    s.r1 = evaluate(section, i, dec1, d.dcu1, d.dcv1, -m.floc(i, 3), setup, 1, d.dcu2);
    s.r2 = evaluate(section, i, dec2, d.dcu2, d.dcv2, m.floc(i, 9), setup, 2, d.dcu2);
    if (floca != nullptr) {
      const SegTable& f = *floca;
      for (int k = 1; k <= 12; ++k) f(i, k) = 0.0f;
      f(i, 3) = -s.r1.axial;
      f(i, 4) = -s.r1.mu;
      f(i, 5) = -s.r1.mv;
      f(i, 9) = s.r2.axial;
      f(i, 10) = s.r2.mu;
      f(i, 11) = s.r2.mv;
    }
    m.betam(i) = (s.r1.beta + s.r2.beta) / 2.0f;
  }
  s.uc0 = f.nodal_ends() ? (s.r1.uc0 + s.r2.uc0) / 2.0f : s.r1.uc0;
  s.vc0 = f.nodal_ends() ? (s.r1.vc0 + s.r2.vc0) / 2.0f : s.r1.vc0;
  return s;
}

// The segment's local stiffness: from one set of rigidities, or tapered
// between the two ends' (whose double copy is the rounded single one).
Mat12 segment_stiffness(const MemberArrays& m, const MemberWords& w, const MemberFamily& f,
                        const MemberCall& c, int i, const SegmentSections& r, Mat12d& kd) {
  const Rigidities r1{r.r1.ea, r.r1.eiu, r.r1.eiv, r.r1.gj};
  if (!f.nodal_ends()) return segstf(i, c.ielno, c.trace, w.istif, r1, m.slen(i), m.floc, m.sks, &kd);
  const Rigidities r2{r.r2.ea, r.r2.eiu, r.r2.eiv, r.r2.gj};
  const Mat12 k = tapstf(i, c.ielno, c.trace, w.istif, r1, r2, m.slen(i), m.floc, m.sks);
  for (int q = 0; q < 144; ++q) kd[static_cast<std::size_t>(q)] = static_cast<double>(k[static_cast<std::size_t>(q)]);
  return k;
}

}  // namespace

void trace_section_mesh(const SectionMesh& mesh, int ielno) {
  fio::write(6, "('1','THE STABILITY MEMBER ',I5,' SECTIONAL LOCAL COORDINATE:',/,"
                "1X,' SEC. ELEMENT     U         V      AREA       LENGTH')", ielno);
  for (int j = 1; j <= mesh.nump; ++j) {
    fio::write(6, "(I5,2X,3E10.4,2X,1PE10.4)", j, mesh.u(j), mesh.v(j), mesh.area(j), mesh.flen(j));
  }
}

void member_setup(const MemberArrays& m, const MemberWords& w, MemberState& s,
                  const MemberFamily& family, const MemberCall& c) {
  const int n = m.nseg;
  const int ndof = 6 * n + 6;
  *c.state = 0.0f;
  const DofTable dof = member_dof_table(n);
  if (w.iecop == 1) {
    m.ulpe(1) = m.ulpe(2) = w.ulp;
    m.vlpe(1) = m.vlpe(2) = w.vlp;
  }
  for (int i = 1; i <= n; ++i) m.beta(i) = 0.0f;
  if (family.nodal_ends()) {
    for (int i = 1; i <= n; ++i) m.betam(i) = 0.0f;
  }
  if (c.trace) family.trace_setup(c);
  segment_lengths(m, w, s.xl, c.ielno);
  if (c.trace) {
    fio::write(6, "('1','STABILITY ELEMENT',I5,' SEGMENT',' END\"S COORDINATES IN LONGITUDINAL DIRECTION',"
                  "/,1X,' SEGMENT     A-END      B-END')", c.ielno);
    for (int i = 1; i <= n; ++i) fio::write(6, "(1X,I5,2E15.6)", i, m.zseg(i, 3, 1), m.zseg(i, 3, 2));
  }
  for (int k = 1; k <= ndof; ++k) m.dtot(k) = m.dinc(k) = m.rv(k) = m.dimp(k) = m.fint(k) = 0.0f;
  for (int k = 0; k < ndof * ndof; ++k) m.asat.p[k] = 0.0f;
  // Half-sine out-of-straightness, zero at both member ends.
  for (int i = 1; i <= n; ++i) {
    for (int e = 1; e <= 2; ++e) {
      const float z = m.zseg(i, 3, e);
      const float sine = std::sin(kPi * z / s.xl);
      const int o = e == 1 ? 0 : 6;
      m.dimp(dof(i, o + 1)) = w.ratix0 * s.xl * sine;
      m.dimp(dof(i, o + 2)) = w.ratiy0 * s.xl * sine;
    }
  }
  if (c.trace) {
    fio::write(6, "(//,1X,'THE INITIAL IMPERFECTION OF ELEMENT ',I5,':',/,1X,' DOF.           IMPERFECTION')",
               c.ielno);
    for (int k = 1; k <= ndof; ++k) fio::write(6, "(1X,I5,8X,1PE15.6)", k, m.dimp(k));
  }
  for (int i = 1; i <= n; ++i) {
    const float dx = m.dimp(dof(i, 7)) - m.dimp(dof(i, 1));
    const float dy = m.dimp(dof(i, 8)) - m.dimp(dof(i, 2));
    m.slen(i) = std::sqrt(dx * dx + m.slen(i) * m.slen(i) + dy * dy);
    m.chord(i) = m.slen(i);
    for (int k = 1; k <= 12; ++k) m.floc(i, k) = m.fglo(i, k) = m.dglo(i, k) = m.reserved(i, k) = 0.0f;
    family.clear_segment(i);
  }
  if (c.trace) {
    fio::write(6, "(//,1X,'THE SEGMENT LENGTH:',/,1X,'SEGMENT    LENGTH')");
    for (int i = 1; i <= n; ++i) fio::write(6, "(I5,F15.6)", i, m.slen(i));
  }
  const Frame identity{1, 0, 0, 0, 1, 0, 0, 0, 1};
  DoubleStiffness ad(ndof);
  for (int i = 1; i <= n; ++i) {
    for (int k = 1; k <= 9; ++k) m.dcos(i, k) = identity[k - 1];
    SegmentEnds e = gather(m, dof, i);
    if (c.trace) trace_ends(m, dof, i);
    renew_frame(m, e, identity, i, 0.0f, c.trace);
    for (int k = 1; k <= 9; ++k) m.dcos0(i, k) = m.dcos(i, k);
    const SegmentSections r = evaluate_segment(m, family, i, EndDeformation{}, true, nullptr);
    if (w.iecop == 1 && (i == 1 || i == n)) {
      const bool origin = w.offsets_from_origin;
      eccent(n, i, origin ? 0.0f : r.uc0, origin ? 0.0f : r.vc0, 0.0f, 0.0f, m.ulpe, m.vlpe, m.eccx, m.eccy,
             c.trace);
    }
    e = gather(m, dof, i);
    if (c.trace) trace_ends(m, dof, i);
    const Mat12 t = renew_frame(m, e, frame_of(m.dcos0, i), i, frame_angle(m, family, i), c.trace);
    if (c.trace) {
      fio::write(6, "(1X,'SEGMENT ',I5,' THE INITIAL ROTATIONAL MATRIX:')", i);
      for (int r = 0; r < 3; ++r) {
        fio::write(6, "(3E15.6)", m.dcos0(i, 3 * r + 1), m.dcos0(i, 3 * r + 2), m.dcos0(i, 3 * r + 3));
      }
    }
    Mat12d kd{};
    const Mat12 k = segment_stiffness(m, w, family, c, i, r, kd);
    assemble(m, dof, i, t, k, kd, ad.a, ndof);
  }
  if (c.trace) {
    fio::write(6, "('1',' THE STABILITY MEMBER',I3,' ASAT MATRIX:',/)", c.ielno);
    for (int r = 1; r <= ndof; ++r) {
      for (int col = 1; col <= ndof; col += 6) {
        float row[6];
        const int cnt = std::min(6, ndof - col + 1);
        for (int q = 0; q < cnt; ++q) row[q] = m.asat(r, col + q);
        fio::write(6, "(1X,6E12.6)", std::span<const float>(row, static_cast<std::size_t>(cnt)));
      }
    }
  }
  for (int k = 0; k < ndof * ndof; ++k) m.asato.p[k] = m.asat.p[k];
  std::int32_t md[kMaxDof + 1];
  if (!condense(m, s, c, md, ndof, ad.a)) kv::stop_run(1, "UNUSABLE STABILITY MEMBER");
  if (w.iecop == 1) {
    trank(m.eeasat.p, m.eccx, m.eccy, m.te.p);
    if (c.trace) trace_eeasat(m);
  }
  save_tables(m, dof, md, ndof);
}

namespace {

// The end increments in DINC(1..12), carried from the loading points to the
// centroid, onto the member's end DOFs at the tail of DINC.
void ends_to_centroid(const MemberArrays& m, const MemberWords& w, const MemberFamily& family,
                      const MemberCall& c, int ndof) {
  if (w.iecop == 1) {
    float d[12];
    for (int r = 1; r <= 12; ++r) {
      float sum = 0.0f;
      for (int q = 1; q <= 12; ++q) sum += m.te(r, q) * m.dinc(q);
      d[r - 1] = sum;
    }
    for (int r = 1; r <= 12; ++r) m.dinc(r) = d[r - 1];
    if (c.trace && !family.nodal_ends()) {
      trace_vector("('1','ELEMENT',I3,' GDOF DISPS AT CENTROID OF MEMBER TWO ENDS ',"
                   "' (IN HYST12 BEFORE CALLING PRINC):')", c.ielno, m.dinc.p, 12);
    }
  }
  float ends[12];
  for (int k = 1; k <= 12; ++k) ends[k - 1] = m.dinc(k);
  for (int k = 1; k <= 12; ++k) m.dinc(ndof - 12 + k) = ends[k - 1];
}

// RV reduced over the internal equations with the member's reduced matrix:
// the internal entries become the reduced loads of a back substitution, the
// end entries the end forces once the internal joints are in balance (each
// less the end share of its internal load). False without a usable matrix.
bool reduce_internal_loads(const MemberArrays& m, const MemberState& s, const std::int32_t* md, int ndof) {
  int l1 = 1, l2 = ndof - 12;
  return solvers::gauss(solvers::kGaussReduceLoads, false, ndof, s.nsky, ndof, 1, l1, l2, md, m.asath, m.rv.p,
                        m.xv.p) == solvers::SolveStatus::ok;
}

// Internal displacements through the reduced matrix of the last call; the
// totals and the segments' end increments DGLO follow.
void solve_internal(const MemberArrays& m, MemberState& s, const MemberCall& c, const DofTable& dof,
                    std::int32_t* md, int ndof, bool carried) {
  s.nsky = md[ndof] - 1;
  // The one-pass rule leaves the internal joints out of balance by what the
  // last call's segment forces did not carry (FINT there); that unbalance
  // loads them now, so that it is corrected rather than piled up step after
  // step. Reduced through the matrix of the last call, as the solve needs.
  for (int k = 1; k <= ndof; ++k) m.rv(k) = carried ? -m.fint(k) : 0.0f;
  if (carried && ndof != 12) (void)reduce_internal_loads(m, s, md, ndof);
  for (int k = ndof - 11; k <= ndof; ++k) m.xv(k) = m.dinc(k);
  if (ndof != 12) {
    int l1 = 1, l2 = ndof - 12;
    if (solvers::gauss(solvers::kGaussSolveIntoW, false, ndof, s.nsky, ndof, 1, l1, l2, md, m.asath,
                       m.rv.p, m.xv.p) != solvers::SolveStatus::ok) {
      // No usable reduced matrix (an earlier condensation failed): the
      // internal joints stay where they are and the solution ends after this
      // step, rather than moving them by what the matrix words happen to hold.
      for (int k = 1; k <= ndof - 12; ++k) m.xv(k) = 0.0f;
      end_without_stiffness(c.ielno);
    }
  }
  for (int k = 1; k <= ndof; ++k) {
    m.dinc(k) = m.xv(k);
    m.dtot(k) += m.dinc(k);
  }
  for (int i = 1; i <= m.nseg; ++i) {
    for (int k = 1; k <= 12; ++k) m.dglo(i, k) = m.dinc(dof(i, k));
  }
  if (c.trace) {
    fio::write(6, "('1','THE STABILITY MEMBER ',I3,' INTERNAL DISPLACEMENT:')", c.ielno);
    fio::write(6, "(1X,6E13.6)", std::span<const float>(m.dtot.p, static_cast<std::size_t>(ndof)));
  }
}

// The segment's deformation increments: at both ends, or the average.
EndDeformation segment_deformation(const MemberArrays& m, const MemberFamily& family, const MemberCall& c,
                                   int i, const LocalEnds& le) {
  EndDeformation d;
  if (family.nodal_ends()) {
    d = segdefb(le, m.slen(i));
    if (c.trace) {
      fio::write_list(6, i, " SEGMENT, DEC1,DCU1,DCV1: ", d.dec1, d.dcu1, d.dcv1);
      fio::write_list(6, i, " SEGMENT, DEC2,DCU2,DCV2: ", d.dec2, d.dcu2, d.dcv2);
    }
  } else {
    const AverageDeformation a = segdef(le, m.slen(i));
    d.dec1 = a.dec;
    d.dcu1 = a.dcu;
    d.dcv1 = a.dcv;
    family.segment_deformed(i, d);
    if (c.trace) fio::write_list(6, i, " SEGMENT, DEC,DCU,DCV: ", a.dec, a.dcu, a.dcv);
  }
  return d;
}

// Segment i of a state determination: its deformation, its sections, the
// family's checks, its frame, forces and stiffness into the member.
void segment_state(const MemberArrays& m, const MemberWords& w, const MemberFamily& family,
                   const MemberCall& c, const DofTable& dof, int i, const SegTable& floca, double* ad,
                   int ndof) {
  const int n = m.nseg;
  cldaf3(frame_of(m.dcos, i), i, m.dglo, m.sks, m.fglo, m.floc, c.trace);
  const SegmentEnds e = gather(m, dof, i);
  if (c.trace) trace_ends(m, dof, i);
  const LocalEnds le = local_ends(frame_of(m.dcos, i), e.da, e.db);
  const EndDeformation d = segment_deformation(m, family, c, i, le);
  const float angle_before = frame_angle(m, family, i);
  const SegmentSections r = evaluate_segment(m, family, i, d, false, &floca);
  // FLOC holds the forces in the axes of the last angle; the section's are in the new ones.
  if (const float turn = frame_angle(m, family, i) - angle_before; turn != 0.0f) turn_segment_forces(m.floc, i, turn);
  family.segment_evaluated(c, i, d);
  if (w.iecop == 1 && (i == 1 || i == n)) {
    eccent(n, i, 0.0f, 0.0f, e.roza, e.rozb, m.ulpe, m.vlpe, m.eccx, m.eccy, c.trace);
  }
  const Mat12 t = renew_frame(m, e, frame_of(m.dcos0, i), i, frame_angle(m, family, i), c.trace);
  const bool u_only = family.section().u_bending_only();
  if (family.nodal_ends()) {
    lfadjustb(floca, m.floc, i, m.chord(i), c.ielno, le, c.trace, u_only);
  } else {
    lfadjust(floca, m.floc, i, m.chord(i), c.ielno, le, c.trace, u_only);
  }
  Mat12d kd{};
  const Mat12 k = segment_stiffness(m, w, family, c, i, r, kd);
  const Mat12 rtskr = assemble(m, dof, i, t, k, kd, ad, ndof);
  if (c.trace) {
    fio::write_list(6, "1", " THE SEGMENT RTSKR MATRIX:");
    matprt(rtskr.data(), 12, 12, 12);
  }
  cslf2(t, i, m.floc, m.fglo, c.trace);
}

// The stiffness parameter from the force and work norms of this call against
// the references, and the displacement norm; the family sees the parameter.
void stiffness_parameter(const MemberArrays& m, const MemberWords& w, MemberState& s,
                         const MemberFamily& family, const MemberCall& c, int ndof) {
  for (int k = 1; k <= ndof; ++k) m.rv(k) = m.dtot(k);
  for (int k = 0; k < ndof * ndof; ++k) m.w.p[k] = m.asato.p[k];
  std::int32_t kind[kMaxDof];
  for (int k = 1; k <= ndof; ++k) kind[k - 1] = (k - 1) % 6 >= 3 ? 1 : 0;
  if (s.ncall < 2) return;
  float f = 0.0f, q = 0.0f, dn = 0.0f, unused = 0.0f;
  solvers::cnorm(1, m.rv.p, m.fint.p, m.dinc.p, m.dfinc.p, m.w.p, ndof, ndof, kind, f, q);
  // The references are taken at the second call, or at the first call
  // after it that gives them a value: a zero reference makes no parameter.
  if (s.ncall == 2 || s.fnorm0 == 0.0f || s.work0 == 0.0f) {
    s.fnorm0 = f;
    s.work0 = q;
  }
  solvers::cnorm(2, m.rv.p, m.fint.p, m.dinc.p, m.dfinc.p, m.w.p, ndof, ndof, kind, dn, unused);
  const bool formed = q != 0.0f && s.fnorm0 != 0.0f;
  if (formed) {
    const float ratio = f / s.fnorm0;
    s.sp = (s.work0 / q) * ratio * ratio;
  }
  // A nodal-end member reports no buckling of its own: the trace only.
  if (formed && family.nodal_ends() && s.sp <= 0.0f && c.trace) {
    fio::write(6, "(30X,' *** STABILITY MEMBER ',I2,' BUCKED, SP= ',F10.4)", c.ielno, s.sp);
  }
  if (formed) family.stiffness_parameter(c, s.sp);
  if (w.qrnee != 0.0f) s.rneee = std::fabs(dn / w.qrnee);
  if (c.trace) {
    fio::write(6, "(1X,'*** STABILITY MEMBER ',I2,' DISP. NORM =',F10.6,'RNEEE=',F10.6)", c.ielno,
               dn, s.rneee);
  }
}

// The member's end forces from the internal force vector, carried back to
// the loading points.
void member_end_forces(const MemberArrays& m, const MemberWords& w, const MemberState& s, const MemberCall& c,
                       int ndof, bool carried, const std::int32_t* md, std::array<float, 12>& p) {
  // The segments' forces at the internal joints need not balance (one pass);
  // the ends take the forces the member holds once they do, so that the end
  // forces obey the member's statics. The internal unbalance itself loads the
  // internal joints at the next call (solve_internal).
  for (int k = 1; k <= ndof; ++k) m.rv(k) = m.fint(k);
  if (ndof != 12 && carried && !reduce_internal_loads(m, s, md, ndof)) {
    for (int k = 1; k <= ndof; ++k) m.rv(k) = m.fint(k);
  }
  float f12[12];
  for (int k = 1; k <= 12; ++k) f12[k - 1] = m.rv(ndof - 12 + k);
  if (c.trace) {
    trace_vector("('1','ELEMENT',I3,' GDOF FORCES AT TWO-ENDS(FROM HYST12):')", c.ielno, f12, 12);
  }
  if (w.iecop == 1) {
    for (int i = 1; i <= 12; ++i) {
      float sum = 0.0f;
      for (int k = 1; k <= 12; ++k) sum += m.te(k, i) * f12[k - 1];
      p[i - 1] = sum;
    }
    if (c.trace) {
      trace_vector("('1','ELEMENT',I3,' GDOF FORCES AT ECCENTRICALLY LOADING POINT',' (FROM HYST12):')",
                   c.ielno, p.data(), 12);
    }
  } else if (w.iecop == 0) {
    for (int k = 0; k < 12; ++k) p[k] = f12[k];
  }
}

}  // namespace

void member_state(const MemberArrays& m, const MemberWords& w, MemberState& s,
                  const MemberFamily& family, const MemberCall& c, std::array<float, 12>& p) {
  const int n = m.nseg;
  const int ndof = 6 * n + 6;
  s.ncall = s.ncall < 5 ? s.ncall + 1 : 5;
  const DofTable dof = member_dof_table(n);
  std::int32_t md[kMaxDof + 1];
  for (int k = 1; k <= ndof + 1; ++k) md[k - 1] = static_cast<std::int32_t>(m.mdr(k));
  for (int k = 1; k <= ndof; ++k) m.xv(k) = 0.0f;
  for (int k = 0; k < ndof * ndof; ++k) m.asat.p[k] = 0.0f;
  ends_to_centroid(m, w, family, c, ndof);
  // The internal unbalance is carried while the solution carries the joints'
  // (UNBAL T): the end forces then hold the member's share of it, which the
  // joints take up at the next step. A solution that drops its unbalance
  // would pile that share up at the joints step after step (a pinned end
  // would take a growing moment), so the member then drops its own as well.
  const bool carried = kv::solsta().unbal;
  solve_internal(m, s, c, dof, md, ndof, carried);

  DoubleStiffness ad(ndof);
  SegTable floca{nullptr, n};
  float floca_words[12 * kMaxSegments];
  floca.p = floca_words;
  for (int i = 1; i <= n; ++i) segment_state(m, w, family, c, dof, i, floca, ad.a, ndof);

  for (int r = 1; r <= ndof; ++r) {
    float sum = 0.0f;
    for (int q = 1; q <= ndof; ++q) sum += m.asato(r, q) * m.dinc(q);
    m.dfinc(r) = sum;
  }
  asmseg(m.fint.p, ndof, m.fglo, dof);
  if (w.iauto == 1) stiffness_parameter(m, w, s, family, c, ndof);

  for (int k = 0; k < ndof * ndof; ++k) m.asato.p[k] = m.asat.p[k];
  const bool condensed = condense(m, s, c, md, ndof, ad.a);
  if (!condensed) {
    // The member has no stiffness left: the solution ends after this step
    // (bit 0 of ISTOP) with the member's last usable end stiffness in place,
    // instead of going on with a matrix that would fill the results with NaN.
    end_without_stiffness(c.ielno);
  } else if (w.iecop == 1) {
    trank(m.eeasat.p, m.eccx, m.eccy, m.te.p);
    if (c.trace) trace_eeasat(m);
  }
  save_tables(m, dof, md, ndof);
  member_end_forces(m, w, s, c, ndof, carried && condensed, md, p);
}

}  // namespace members
