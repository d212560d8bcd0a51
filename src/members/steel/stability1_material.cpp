#include "members/steel/stability1_material.h"

#include <array>
#include <cmath>
#include <span>
#include <string>
#include <string_view>

#include "base/globals.h"
#include "base/storage.h"
#include "fio/fio.h"
#include "members/steel/steel_member_rule.h"
#include "members/steel/nodal_end_rule.h"
#include "members/section_member_call.h"
#include "members/steel/steel_member_record.h"
#include "members/steel/steel_section_mesh.h"

namespace members {

namespace {

using materials::MatCall;

// A whole-number word handed on: truncated toward zero, inside int range.
int whole(float x) {
  if (!(x > -2.0e9f && x < 2.0e9f)) return 0;
  return static_cast<int>(x);
}

bool whole_word(int w) {
  switch (w) {
    case kS1Nseg: case kS1Libn: case 12: case 13: case 14: case 15: case kS1Iecop:
    case kS1Iauto: case kS1Imater: case kS1Ir: case kS1Istif:
      return true;
    default:
      return false;
  }
}

// The words the input reads, in order (NUMP and the record length are derived).
constexpr std::array<int, 29> kReadWords{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                         16, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 30, 31};

std::string_view section_title(int libn) {
  switch (libn) {
    case 1: return " BOX SECTION";
    case 2: case 6: return " TUBE SECTION";
    case 3: return " RECTANGULAR SECTION";
    case 4: return " WIDE-FLANGE SECTION";
    case 7: case 8: return " ANGLE SECTION";
    case 9: return " ANGLE WITH COVER PL.";
    default: return "";
  }
}

// The echo labels of PROP(5) to PROP(15), per section.
std::string_view shape_label(int word, int libn) {
  static constexpr std::array<std::array<std::string_view, 11>, 6> kLabels{{
      {"BOX HEIGTH  =", "BOX WILTH   =", "ECCX0       =", "ECCY0       =", "H.W.SEC.NO. =", "H.H.SEC.NO. =",
       "THICKNESS   =", "L.B. FLAG   =", "IREV2       =", "IREV3       =", "IREV4       ="},
      {"RADIUS      =", "DUMMY VAR.  =", "ECCX0       =", "ECCY0       =", "1/4.SEC.NO. =", "DUMMY VAR.  =",
       "THICKNESS   =", "IREV1       =", "IREV2       =", "IREV3       =", "IREV4       ="},
      {"SEC HEIGTH  =", "SEC WILTH   =", "ECCX0       =", "ECCY0       =", "UU SEC.NO.  =", "HH SEC.NO.  =",
       "DUMMY VAR.  =", "IREV1       =", "IREV2       =", "IREV3       =", "IREV4       ="},
      {"SEC.HEIGTH  =", "FLANGE WIDTH=", "ECCX0       =", "ECCY0       =", "WEB THICK.  =", "DUMMY VAR.  =",
       "FLA.THICK.  =", "IREV1       =", "IREV2       =", "IREV3       =", "IREV4       ="},
      {"LEG LENGTH  =", "DUMMY VAR.  =", "ECCX0       =", "ECCY0       =", "LAG.SEC.NO. =", "DUMMY VAR.  =",
       "THICKNESS   =", "N.R.IN U DIR=", "N.C.IN U DIR=", "N.R.IN V DIR=", "N.C.IN V DIR="},
      {"LAG LENGTH  =", "COV.WIDTH  .=", "COV.THICKNES=", "DUMMY VAR.  =", "N.R. COV.   =", "N.C. COV.   =",
       "THICKNESS   =", "N.R.IN U DIR=", "N.C.IN U DIR=", "N.R.IN V DIR=", "N.C.IN V DIR="},
  }};
  std::size_t shape = 0;
  switch (libn) {
    case 1: shape = 0; break;
    case 2: case 6: shape = 1; break;
    case 3: shape = 2; break;
    case 4: shape = 3; break;
    case 7: case 8: shape = 4; break;
    default: shape = 5; break;
  }
  return kLabels[shape][static_cast<std::size_t>(word - kS1D1)];
}

std::string_view label(int word, int libn, const SteelSetForm& form) {
  if (form.nodal_ends) {
    if (libn == 4 && word == kS1D1) return "BOX HEIGTH  =";
    if (libn == 4 && word == kS1D2) return "BOX WILTH   =";
    if ((libn == 7 || libn == 8) && word == kS1D1) return "LAG LENGTH  =";
  }
  switch (word) {
    case kS1Nseg: return "NSEG        =";
    case kS1Ys: return "YS          =";
    case kS1Em: return "EM          =";
    case kS1Libn: return "LIBN        =";
    case kS1Iecop: return "IECOP       =";
    case kS1Nump: return "NUMP        =";
    case kS1Small: return "SMALL       =";
    case kS1Ratix0: return "RATIX0      =";
    case kS1Ratiy0: return "RATIY0      =";
    case kS1Tota: return "TOTA        =";
    case kS1Iauto: return "IAUTO       =";
    case kS1Imater: return "IMATER      =";
    case kS1Ratio3: return "RATIO3      =";
    case kS1Ir: return "IR          =";
    case kS1G: return "G           =";
    case kS1Qrnee: return "QRNEE       =";
    case kS1Istif: return "ISTIF       =";
    case kS1Ielas: return "IELAS       =";
    case kS1Pcmax: return "PCMAX       =";
    default: return shape_label(word, libn);
  }
}

// The fields of the echo block, two to a line.
constexpr std::array<int, 30> kEchoWords{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                         16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 30, 31};

void echo_block(const float* prop, int set, int libn, const SteelSetForm& form) {
  fio::write(6, "(1X,'MAT. NO.    =',I3,2X,A)", set, section_title(libn));
  // Without PCMAX the last line holds IELAS alone.
  const std::size_t fields = kEchoWords.size() - (form.nodal_ends ? 1 : 0);
  for (std::size_t i = 0; i < fields; i += 2) {
    const int a = kEchoWords[i];
    if (i + 1 == fields) {
      fio::write(6, "(1X,A13,1PE10.3,9X,A13,1PE10.3)", label(a, libn, form), prop[a]);
      break;
    }
    const int b = kEchoWords[i + 1];
    fio::write(6, "(1X,A13,1PE10.3,9X,A13,1PE10.3)", label(a, libn, form), prop[a], label(b, libn, form),
               prop[b]);
  }
  fio::write_record(6, "");
  fio::write_record(6, "");
}

struct FaultText {
  unsigned bit;
  std::string_view text;
};
constexpr std::array<FaultText, 9> kFaultTexts{{
    {kS1FaultNseg, "NSEG MUST BE 1 TO 32"},
    {kS1FaultMesh, "THE MESH COUNTS GIVE NO FIBRE MESH OF NUMP FIBRES"},
    {kS1FaultFewFibres, "NSEG MUST NOT EXCEED NUMP"},
    {kS1FaultIstif, "ISTIF MUST BE 0 OR 1"},
    {kS1FaultIelas, "IELAS MUST BE 0, 1 OR 2"},
    {kS1FaultModulus, "EM MUST BE POSITIVE AND AT MOST 1.0E+12"},
    {kS1FaultStrength, "YS MUST BE 0.0 TO 1.0E+12"},
    {kS1FaultDimension, "THE DIMENSIONS, THE THICKNESS, ECCX0 AND ECCY0 MUST LIE WITHIN -1.0E+04 TO 1.0E+04"},
    {kS1FaultImater, "IMATER MUST BE 0, 1, 2 OR 3"},
}};

SectionWords section_words(const float* prop) {
  SectionWords w;
  w.libn = whole(prop[kS1Libn]);
  w.d1 = prop[kS1D1];
  w.d2 = prop[kS1D2];
  w.eccx0 = prop[kS1Eccx0];
  w.eccy0 = prop[kS1Eccy0];
  w.n1 = prop[kS1N1];
  w.n2 = prop[kS1N2];
  w.t = prop[kS1T];
  for (int k = 0; k < 4; ++k) w.irev[static_cast<std::size_t>(k)] = whole(prop[kS1Irev1 + k]);
  w.iecop = whole(prop[kS1Iecop]);
  return w;
}

// The header copy the member rule works with (taken afresh at every call).
SteelMemberSet member_set(const float* prop, int ielno, bool trace) {
  SteelMemberSet s;
  MemberWords& m = s.member;
  m.nseg = whole(prop[kS1Nseg]);
  m.small = prop[kS1Small];
  m.ratix0 = prop[kS1Ratix0];
  m.ratiy0 = prop[kS1Ratiy0];
  m.iecop = whole(prop[kS1Iecop]);
  m.istif = whole(prop[kS1Istif]);
  m.iauto = whole(prop[kS1Iauto]);
  m.qrnee = prop[kS1Qrnee];
  SteelSectionParams& p = s.section;
  p.words = section_words(prop);
  p.tota = prop[kS1Tota];
  p.g = prop[kS1G];
  p.law.imater = whole(prop[kS1Imater]);
  p.law.em = prop[kS1Em];
  p.law.ys = prop[kS1Ys];
  p.law.ey = prop[kS1Ys] / prop[kS1Em];
  p.law.ratio3 = prop[kS1Ratio3];
  p.law.ir = whole(prop[kS1Ir]);
  p.ielas = whole(prop[kS1Ielas]);
  p.law.elastic = p.ielas == 0;
  p.ielno = ielno;
  p.trace = trace;
  return s;
}

void read_set(MatCall& c, const SteelSetForm& form) {
  float* prop = materials::prop_words(c);
  // The header starts clean: a null item and the derived words hold 0.0.
  const int header = form.nodal_ends ? kS1HeaderWords - 1 : kS1HeaderWords;
  kv::memchk(header + 1, 0);
  for (int w = 1; w <= header; ++w) prop[w] = 0.0f;

  std::string name;
  std::array<std::int32_t, kS1HeaderWords + 1> ints{};
  std::vector<fio::Target> targets;
  targets.reserve(kReadWords.size() + 1);
  fio::push_target(targets, name);
  for (int w : kReadWords) {
    if (w > header) continue;  // STABILITY2 reads no PCMAX
    if (whole_word(w))
      fio::push_target(targets, ints[static_cast<std::size_t>(w)]);
    else
      fio::push_target(targets, prop[w]);
  }
  const fio::Status s = fio::read_list_targets(5, targets);
  if (s != fio::Status::ok) materials::set_read_failed(c.set, s);
  for (int w : kReadWords)
    if (whole_word(w)) prop[w] = static_cast<float>(ints[static_cast<std::size_t>(w)]);

  if (c.new_type || c.debug) fio::write(6, "(///,1X,A,' ELEMENT',/,' =================',//)", form.name);

  const int libn = whole(prop[kS1Libn]);
  const std::int64_t nump = stability1_nump(prop);
  if (nump < 0) {
    print_section_not_available(c.set, prop[kS1Libn]);
  } else {
    prop[kS1Nump] = static_cast<float>(nump);
    echo_block(prop, c.set, libn, form);
  }

  const unsigned faults = stability1_faults(prop, form);
  if (faults != 0) {
    for (const FaultText& t : kFaultTexts)
      if ((faults & t.bit) != 0) fio::write(6, "(1X,'*** MAT. NO.    =',I3,': ',A)", c.set, t.text);
    fio::write(6, "(1X,'*** MAT. NO.    =',I3,': THE SET CANNOT BE USED; AN ELEMENT THAT NAMES IT IS REJECTED',/)",
               c.set);
    kv::note_fault(kv::Fault::input_error,
                   fio::format("(A,' SET',I5,' CANNOT BE USED: SEE THE OUTPUT FILE')", form.name, c.set));
  }

  // The member record behind the header; a segment count that gives no
  // record keeps the header alone.
  const int nseg = whole(prop[kS1Nseg]);
  const int fibres = whole(prop[kS1Nump]);
  const std::int64_t nprop = nseg < 1 || nseg > kMaxSegments ? std::int64_t{header}
                             : form.nodal_ends             ? stb_end_nprop(nseg, fibres)
                                                           : stb_nprop(nseg, fibres);
  c.nprop = static_cast<int>(nprop);
  prop[kS1Nprop] = static_cast<float>(nprop);
}

void trace_vector(const char* head, int ielno, const float* v) {
  fio::write(6, head, ielno);
  fio::write(6, "(1X,6E15.6)", std::span<const float>(v, 12));
}

// STABILITY2's axial release: once the latch in word kFlp2Word stands, a member
// whose end-B axial force is not positive and which shortens in the step
// gets a near-zero axial stiffness (rows and columns 1 and 7 of k, element
// axes, row by row). The forces stay those of the rule.
void axial_release(const float* s, const materials::EndVectors& e, std::array<float, 144>& k) {
  if (s[kFlp2Word] != 1.0f || e.p[6] > 0.0f) return;
  const float shortening = (e.d[6] - e.d[0]) - (e.dl[6] - e.dl[0]);
  if (!(shortening < 0.0f)) return;
  for (int a : {0, 6}) {
    for (int b = 0; b < 12; ++b) {
      k[static_cast<std::size_t>(a * 12 + b)] = 0.0f;
      k[static_cast<std::size_t>(b * 12 + a)] = 0.0f;
    }
  }
  k[0] = k[6 * 12 + 6] = 0.001f;
  k[6] = k[6 * 12] = -0.001f;
}

// Options 2 and 3: the rule on the member of this set for the state half S.
void member_call(MatCall& c, const SteelSetForm& form) {
  float* prop = materials::prop_words(c);
  float* s = materials::state_words(c);  // s[1..99]
  if (stability1_faults(prop, form) != 0) {
    c.error = 1;
    return;
  }
  const bool setup = c.iopt == materials::kOptInit;
  const int nseg = whole(prop[kS1Nseg]);
  const int nump = whole(prop[kS1Nump]);
  const std::int64_t nprop = whole(prop[kS1Nprop]);
  float* const base = prop + (form.nodal_ends ? kStbEndFirstProp : kStbFirstProp);
  const StbMem rec(base, nseg, nump);

  MemberState ms = begin_member_call(s, setup);
  if (setup) {
    for (float* w = base; w <= prop + nprop; ++w) *w = 0.0f;
  }

  materials::EndVectors none;
  materials::EndVectors& ev = c.ends != nullptr ? *c.ends : none;
  const MemberEnds e{ev.d.data(), ev.dl.data(), ev.p.data()};
  end_increments(e, rec.data(StbArray::DINC));
  if (c.debug && !form.nodal_ends)  // the STABILITY2 driver writes no lines of its own
    trace_vector("('1','ELEMENT',I3,' GDOF DISPS AT ECCENTRICALLY LOADING POINT',' (BEFORE CALLING HYST12 IN MAT12):')",
                 c.ielno, rec.data(StbArray::DINC));

  const SteelMemberSet set = member_set(prop, c.ielno, c.debug);
  MemberCall mc;
  mc.ielno = c.ielno;
  mc.trace = c.debug;
  mc.state = &s[kFlpWord];
  std::array<float, 12> f{};
  if (form.nodal_ends) {
    hyst12b(setup ? 2 : 3, set, ms, StbEndMem(base, nseg, nump), mc, f);
  } else {
    hyst12(setup ? 2 : 3, set, ms, rec, mc, f);
  }

  end_forces(f, e);
  if (c.debug && !form.nodal_ends)
    trace_vector("('1','ELEMENT',I3,' FORCES IN ELEMENT ECS DIRECTIONS',' (AFTER CALLED HYST12 IN MAT12):')", c.ielno,
                 ev.p.data());
  if (!setup && !form.nodal_ends) s[kFlp2Word] = 0.0f;

  std::array<float, 144> ke = element_stiffness(rec.data(StbArray::EEASAT));
  if (!setup && form.nodal_ends) {
    axial_release(s, ev, ke);
    if (s[kFlp2Word] == 0.0f && s[kFlpWord] > 0.0f) s[kFlp2Word] = 1.0f;
  }
  store_member_call(ke, ms, s);
}

}  // namespace

std::int64_t stability1_nump(const float* prop) {
  const float p9 = prop[kS1N1];
  const float p10 = prop[kS1N2];
  const std::int64_t i1 = whole(prop[12]), i2 = whole(prop[13]), i3 = whole(prop[14]), i4 = whole(prop[15]);
  double n = -1.0;
  switch (whole(prop[kS1Libn])) {
    case 1: n = std::trunc(4.0f * (p9 + p10)); break;
    case 2: n = std::trunc(4.0f * p9); break;
    case 3: n = std::trunc(4.0f * p9 * p10); break;
    case 4: n = static_cast<double>(2 * i1 * i2 + i3 * i4); break;
    case 6: n = std::trunc(8.0f * p9); break;
    case 7: case 8: n = static_cast<double>(i1 * i2 + i3 * i4); break;
    case 9: n = std::trunc(static_cast<float>(i1 * i2 + i3 * i4) + p9 * p10); break;
    default: return -1;
  }
  // A count no mesh can hold is kept out of the record's arithmetic.
  if (!(n >= 0.0 && n <= kMaxFibres)) return 0;
  return static_cast<std::int64_t>(n);
}

unsigned stability1_faults(const float* prop, const SteelSetForm& form) {
  unsigned f = 0;
  const int nseg = whole(prop[kS1Nseg]);
  const int nump = whole(prop[kS1Nump]);
  if (stability1_nump(prop) < 0) f |= kS1FaultLibn;
  if (nseg < 1 || nseg > kMaxSegments) f |= kS1FaultNseg;
  const SectionWords w = section_words(prop);
  if ((f & kS1FaultLibn) == 0 && (nump <= 0 || steel_fibre_count(w) != nump)) f |= kS1FaultMesh;
  // The curvature totals of the segment-average record are NUMP long.
  if (!form.nodal_ends && (f & (kS1FaultNseg | kS1FaultMesh | kS1FaultLibn)) == 0 && nseg > nump)
    f |= kS1FaultFewFibres;
  const int istif = whole(prop[kS1Istif]);
  if (istif != 0 && istif != 1) f |= kS1FaultIstif;
  const int ielas = whole(prop[kS1Ielas]);
  if (ielas < 0 || ielas > 2) f |= kS1FaultIelas;
  if (!(prop[kS1Em] > 0.0f && prop[kS1Em] <= kS1MaxModulus)) f |= kS1FaultModulus;
  if (!(prop[kS1Ys] >= 0.0f && prop[kS1Ys] <= kS1MaxStrength)) f |= kS1FaultStrength;
  for (int w : {kS1D1, kS1D2, kS1Eccx0, kS1Eccy0, kS1T})
    if (!(std::fabs(prop[w]) <= kS1MaxLength)) f |= kS1FaultDimension;
  const int imater = whole(prop[kS1Imater]);
  // No fibre law runs for any other value: the member would carry no force.
  if (imater < 0 || imater > 3) f |= kS1FaultImater;
  return f;
}

void steel_set_driver(MatCall& c, const SteelSetForm& form) {
  section_driver(c, [&] { member_call(c, form); }, [&] { read_set(c, form); });
}

}  // namespace members
