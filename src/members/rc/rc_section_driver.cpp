#include "members/rc/rc_section_driver.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/storage.h"
#include "fio/fio.h"
#include "members/rc/rc_member_record.h"
#include "members/rc/rc_member_rule.h"
#include "members/rc/rc_section_head.h"
#include "members/rc/shear_capacity.h"
#include "members/section_member_call.h"
#include "members/section_set_input.h"

namespace members::rc {

namespace {

using materials::MatCall;

// The words read from the set's record, in order (17, 29, 39 and 42 are not).
constexpr std::array<int, 42> kReadWords{
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22,
    23, 24, 25, 26, 27, 28, 30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 41, 43, 44, 45, 46};

// Whole-number fields: read as integers, stored as reals, echoed as whole numbers.
bool is_whole(int word) {
  switch (word) {
    case kNSEG: case kLIBN: case kN1: case kN2: case kIECOP: case kNUMP: case kIAUTO:
    case kIMATER: case kIR: case kISTIF: case kNBAR1: case kNBAR2: case kNBAR3:
      return true;
    default:
      return false;
  }
}

// Echo label of a word for a section kind (the text before its "=").
std::string_view label(int word, int libn) {
  const bool rect = libn == kRectangular;
  switch (word) {
    case kNSEG: return "NSEG";
    case kYS: return "YS";
    case kEM: return "EM";
    case kLIBN: return "LIBN";
    case kD1: return rect ? "SEC. HH" : "COL. DIA";
    case kD2: return rect ? "SEC. UU" : "COL. THK";
    case kECCX0: return "ECCX0";
    case kECCY0: return "ECCY0";
    case kN1: return rect ? "ELE #.5 UUU" : "ELE #/QT,LAY";
    case kN2: return rect ? "ELE #.5 HHH" : "NO.OF LAYERS";
    case kFPC: return "F\"C";
    case kHOOP1: return rect ? "V/R in U DIR" : "DIA. OF HOOP";
    case kHOOP2: return rect ? "V/R in V DIR" : "S";
    case kKE: return "KE";
    case kT2: return rect ? "COVER THK" : (libn == kCircularBars ? "L.BAR DIA." : "STEEL THK");
    case kIECOP: return "IECOP";
    case kNUMP: return "NUMP";
    case kSMALL: return "SMALL";
    case kRATIX0: return "RATIX0";
    case kRATIY0: return "RATIY0";
    case kTOTA: return "TOTA";
    case kIAUTO: return "IAUTO";
    case kIMATER: return "IMATER";
    case kRATIO3: return "RATIO3";
    case kIR: return "IR";
    case kG: return "G";
    case kQRNEE: return "QRNEE";
    case kISTIF: return "ISTIF";
    case kNBAR1: return rect ? "TOTAL TOP B." : "NLBAR";
    case kDBAR1: return "TOP BAR DIA";
    case kNBAR2: return "TOTAL BOT.B.";
    case kDBAR2: return "BOT.BAR DIA";
    case kNBAR3: return "TOT.S.B.(EA)";
    case kDBAR3: return "SIDE BAR DIA";
    case kYSHOOP: return "YSHOOP";
    case kIELAS: return "IELAS";
    case kPCMAX: return "PCMAX";
    case kECU: return "ECU";
    case kESU: return "ESU";
    case kRHOOPDIA: return "RHOOPDIA";
    case kRHOOPSPA: return "RHOOPSPA";
    case kPERIOD: return "STR. PERIOD";
    case kSPLICE: return "SPLICE LEN.";
    default: return "";
  }
}

// The fields of the three echo tables, in print order.
constexpr std::array<int, 35> kTable1{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                      19, 20, 21, 22, 23, 24, 25, 26, 27, 36, 37, 38, 28, 40, 41, 45, 46};
constexpr std::array<int, 36> kTable2{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                      19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 36, 37, 38, 30, 40, 41, 45, 46};
constexpr std::array<int, 43> kTable3{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                      16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 30, 31,
                                      32, 33, 34, 35, 36, 37, 38, 40, 41, 43, 44, 45, 46};

// One field: its 13-character label and its value in 10 columns.
std::string field(const float* prop, int word, int libn) {
  std::string s(label(word, libn));
  s.resize(12, ' ');
  s += '=';
  if (is_whole(word))
    s += fio::format("(I10)", head_int(prop, word));
  else
    s += fio::format("(1PE10.3)", prop[word]);
  return s;
}

template <std::size_t N>
void echo_table(const float* prop, int set, int libn, const std::array<int, N>& words) {
  fio::write(6, "(1X,'MAT. NO.    =',I3,2X,A)", set,
             libn == kRectangular ? " R/C RECTANGULAR SECTION" : " R/C CIRCULAR SECTION");
  for (std::size_t i = 0; i < N; i += 2) {
    std::string line(1, ' ');
    line.append(field(prop, words[i], libn));
    if (i + 1 < N) {
      line.append(9, ' ');
      line.append(field(prop, words[i + 1], libn));
    }
    fio::write_record(6, line);
  }
  fio::write_record(6, "");
  fio::write_record(6, "");
}

struct FaultText {
  unsigned bit;
  std::string_view circular;
  std::string_view rectangular;
};

constexpr std::array<FaultText, 17> kFaultTexts{{
    {kFaultNseg, "NSEG MUST BE 1 TO 32", "NSEG MUST BE 1 TO 32"},
    {kFaultMeshCount, "ELE #/QT,LAY MUST BE AT LEAST 1", "ELE #.5 UUU AND ELE #.5 HHH MUST BE AT LEAST 1"},
    {kFaultLayers, "NO.OF LAYERS MUST BE AT LEAST 2", "NO.OF LAYERS MUST BE AT LEAST 2"},
    {kFaultThickness, "COL. THK, THE LAYER-2 THICKNESS AND THE INNER LAYERS MUST BE POSITIVE",
     "COVER THK MUST BE POSITIVE AND LESS THAN HALF OF SEC. HH AND OF SEC. UU"},
    {kFaultBarCount, "NLBAR MUST NOT BE NEGATIVE", "TOP AND BOTTOM BARS MUST BE 0 OR AT LEAST 2, NO COUNT NEGATIVE"},
    {kFaultIecop, "IECOP MUST BE 0 OR 1", "IECOP MUST BE 0 OR 1"},
    {kFaultIelas, "IELAS MUST BE 0, 1 OR 2", "IELAS MUST BE 0, 1 OR 2"},
    {kFaultImater, "IMATER MUST EQUAL LIBN", "IMATER MUST EQUAL LIBN"},
    {kFaultHoop, "THE HOOP SPACING S MUST BE 1.0E-03 TO 1.0E+04", "THE HOOP SPACING S MUST BE 1.0E-03 TO 1.0E+04"},
    {kFaultDimension,
     "COL. DIA, COL. THK, DIA. OF HOOP, THE THICKNESS AND SPLICE LEN. MUST BE 0.0 TO 1.0E+04, ECCX0 AND ECCY0 "
     "-1.0E+04 TO 1.0E+04",
     "SEC. HH, SEC. UU, COVER THK, THE BAR AND HOOP DIAMETERS, RHOOPSPA AND SPLICE LEN. MUST BE 0.0 TO 1.0E+04, "
     "ECCX0 AND ECCY0 -1.0E+04 TO 1.0E+04"},
    {kFaultRatio, "", "V/R in U DIR AND V/R in V DIR MUST BE 0.0 TO 1.0"},
    {kFaultSteel, "YS AND YSHOOP MUST BE 0.0 TO 1.0E+12, EM ABOVE 0.0 AND AT MOST 1.0E+12",
     "YS AND YSHOOP MUST BE 0.0 TO 1.0E+12, EM ABOVE 0.0 AND AT MOST 1.0E+12"},
    {kFaultIstif, "ISTIF MUST BE 0 OR 1", "ISTIF MUST BE 0 OR 1"},
    {kFaultStrength, "F\"C MUST BE POSITIVE AND BELOW 12996 PSI", "F\"C MUST BE POSITIVE AND BELOW 12996 PSI"},
    {kFaultSplice, "A SPLICE LENGTH NEEDS LONGITUDINAL BARS (NLBAR > 0)",
     "A SPLICE LENGTH NEEDS TOP BARS (TOTAL TOP B. > 0, TOP BAR DIA > 0)"},
    {kFaultShortSegments, "4*SMALL MUST BE BELOW THE MEMBER LENGTH WITH 5 OR MORE SEGMENTS",
     "4*SMALL MUST BE BELOW THE MEMBER LENGTH WITH 5 OR MORE SEGMENTS"},
    {kFaultRecordSize, "THE MEMBER RECORD IS TOO LONG (TOO MANY FIBRES)",
     "THE MEMBER RECORD IS TOO LONG (TOO MANY FIBRES)"},
}};

// One line per fault (the unsupported LIBN has printed its own), then the
// consequence.
void report_faults(int set, int libn, unsigned faults) {
  faults &= ~static_cast<unsigned>(kFaultLibn);
  for (const FaultText& t : kFaultTexts) {
    if ((faults & t.bit) == 0) continue;
    fio::write(6, "(1X,'*** MAT. NO.    =',I3,': ',A)", set, libn == kRectangular ? t.rectangular : t.circular);
  }
}

void read_set(MatCall& c, int type) {
  float* prop = materials::prop_words(c);
  read_section_head(c, prop, kHeadWords, kReadWords, is_whole);

  if (c.new_type || c.debug) {
    fio::write(6, "(///,A,/,' ===================',//)",
               type == kNodalEndType ? " R/CONCRETE2 ELEMENT" : " R/CONCRETE1 ELEMENT");
  }

  const int libn = head_int(prop, kLIBN);
  const unsigned faults = head_faults(prop, type);
  // NUMP of an unsupported LIBN, or of counts too large to form, is 0.
  std::int64_t nump = (faults & kFaultRecordSize) != 0 ? 0 : fibre_count(prop);
  if (nump < 0) nump = 0;
  prop[kNUMP] = static_cast<float>(nump);
  switch (libn) {
    case kCircularShell: echo_table(prop, c.set, libn, kTable1); break;
    case kCircularBars: echo_table(prop, c.set, libn, kTable2); break;
    case kRectangular: echo_table(prop, c.set, libn, kTable3); break;
    default:
      fio::write(6, "(' MAT. NO.    =',I3,' IS NOT AVAILABLE',' LIBN= ',E10.3,' CHECK LIBN ',/)", c.set,
                 prop[kLIBN]);
      break;
  }
  if (faults != 0) {
    report_faults(c.set, libn, faults);
    fio::write(6, "(1X,'*** MAT. NO.    =',I3,': THE SET CANNOT BE USED; AN ELEMENT THAT NAMES IT IS REJECTED',/)",
               c.set);
    kv::note_fault(kv::Fault::input_error, fio::format("('R/C MATERIAL SET',I5,' CANNOT BE USED: SEE THE OUTPUT FILE')", c.set));
  }

  // The member record behind the head. A set whose segments or fibres cannot
  // be laid out keeps its head alone (no element can use it).
  const int nseg = head_int(prop, kNSEG);
  const bool layable = nseg >= 1 && nseg <= kMaxSegments && nump >= 0 &&
                       (faults & (kFaultRecordSize | kFaultBarCount | kFaultMeshCount)) == 0;
  const std::int64_t nprop =
      layable ? rc_layout(type, nseg, static_cast<int>(nump)).nprop : std::int64_t{kHeadWords};
  c.nprop = static_cast<int>(nprop);
  prop[kNPROP] = static_cast<float>(nprop);
}

void rc_driver(MatCall& c, int type) {
  materials::EndVectors none;
  section_driver(
      c,
      [&] {
        // A set that cannot serve leaves no stiffness: the error word rejects its element.
        const MemberEnds e = member_ends(c, none);
        if (!rc_member_call(c.iopt, materials::prop_words(c), materials::state_words(c), {e.d, e.dl, e.p}, c.ielno,
                            c.set, c.debug, type))
          c.error = 1;
      },
      [&] { read_set(c, type); });
}

}  // namespace

bool rc_member_call(int iopt, float* prop, float* s, const RcEnds& e, int ielno, int set, bool debug, int type) {
  if (head_faults(prop, type) != 0) return false;
  const bool setup = iopt != 3;
  // The short segments are first measured against the member when an
  // element sets it up: a set that does not fit rejects the element (which
  // counts it).
  if (setup && s[kLengthWord] > 0.0f) {
    if (const unsigned f = head_faults(prop, type, s[kLengthWord]); f != 0) {
      report_faults(set, head_int(prop, kLIBN), f);
      fio::write(6, "(1X,'*** MAT. NO.    =',I3,': THE MEMBER OF ELEMENT',I6,' IS',1P,E12.4,' LONG')", set, ielno,
                 s[kLengthWord]);
      return false;
    }
  }
  const int nseg = head_int(prop, kNSEG);
  const int nump = head_int(prop, kNUMP);
  const RcMemberRecord rec{prop, rc_layout(type, nseg, nump)};
  if (rec.layout.nprop != head_int(prop, kNPROP)) return false;

  if (setup) {
    if (type == kSingleSectionType) {
      if (const auto caps = shear_capacities(prop)) report_shear_capacities(set, *caps);
    }
    for (std::int64_t k = kFirstMemberWord; k <= rec.layout.nprop; ++k) prop[k] = 0.0f;
  }
  MemberState ms = begin_member_call(s, setup);

  end_increments(e, rec.array(kDU));

  RcCall rc;
  rc.ielno = ielno;
  rc.trace = debug;
  rc.flp = &s[kFlpWord];
  rc.flp2 = &s[kFlp2Word];
  std::array<float, 12> f{};
  hyst17(setup ? 2 : 3, prop, rec, ms, rc, f);
  end_member_call(rec.array(kEEASAT), f, ms, e, s);
  return true;
}

void mat17(MatCall& c) { rc_driver(c, kSingleSectionType); }
void mat170(MatCall& c) { rc_driver(c, kNodalEndType); }

}  // namespace members::rc
