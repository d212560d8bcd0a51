#include "base/kgdata.h"
#include "model/structure_input.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/storage.h"
#include "base/work_array.h"
#include "elements/eledsp.h"
#include "fio/fio.h"
#include "materials/matdsp.h"
#include "model/input_fault.h"
#include "model/lumped_masses.h"
#include "model/nodes.h"
#include "solvers/skyline_profile.h"

namespace model {

namespace {

using kv::ctl;

bool holds_end(std::string_view item) { return item.find("END") != std::string_view::npos; }

// The item without its trailing blanks.
std::string_view word_of(std::string_view item) { return item.substr(0, item.find_last_not_of(' ') + 1); }

// The first free-format item of the next line, blank-padded to 80 characters;
// the record is stepped back so that the reader of the set or element sees it whole.
std::string peek_item(std::string_view what) {
  std::string item;
  read_or_stop(what, item);
  fio::backspace(5);
  item.resize(80, ' ');
  return item;
}

std::int64_t reserve_checked(std::int64_t n) { return kv::reserve(n); }

void trace_record(int n, std::int64_t p, int nback) {
  fio::write_list(6, "IZLM:", ctl(kv::kIZLM), " IZKE:", ctl(kv::kIZKE));
  int k = 0;
  const std::int64_t last = ctl(kv::kIZ) - nback - 1;
  for (std::int64_t i = p; i <= last; ++i) {
    const std::int32_t w = kv::izm(i);
    if (w == 0) continue;
    ++k;
    fio::write(6, "(' IELNO:',I3,'  #',I6,'   Z(',I6,'):',I10,1PE18.8)", n, k, static_cast<long>(i), w,
               static_cast<float>(kv::rzm(i)));
  }
}

void read_materials() {
  int nmat = 0;
  read_or_stop("MATERIAL COUNT", nmat);
  nmat = std::max(nmat, 0);
  ctl(kv::kNMAT) = nmat;
  const std::int64_t matptr = reserve_checked(std::int64_t{nmat} + 1);
  ctl(kv::kMATPTR) = static_cast<std::int32_t>(matptr);
  kv::izm(matptr) = nmat;
  fio::write(6, "(' %3S%')");
  int prev_type = 0;
  int i = 1;
  while (i <= nmat) {
    const std::string item = peek_item("MATERIAL SET");
    int type = materials::material_type_for(item);
    if (type == 0) {
      std::string skipped;
      read_or_stop("MATERIAL SET", skipped);  // consume the line
      if (holds_end(item)) {
        nmat = i - 1;
        ctl(kv::kNMAT) = nmat;
        kv::izm(matptr) = nmat;
        break;
      }
      fio::write_list(6, "INVALID MATERIAL TYPE: ", word_of(item));
      kv::note_fault(kv::Fault::input_error, "NO MATERIAL KEYWORD, THE LINE IS PASSED OVER: " + std::string(word_of(item)));
      continue;
    }
    const std::int64_t rec = ctl(kv::kIZ);
    kv::izm(matptr + i) = static_cast<std::int32_t>(rec);
    materials::MatCall c;
    c.iopt = materials::kOptRead;
    c.ielno = -1;
    c.set = i;
    c.element_print = true;
    materials::matdsp(c, prev_type, 1, type);
    if (materials::material_driver(type) == nullptr) {
      // A type without a driver keeps its type word; its line is consumed.
      std::string skipped;
      read_or_stop("MATERIAL SET", skipped);
      c.nprop = 0;
      kv::note_fault(kv::Fault::input_error, fio::format("('MATERIAL SET',I5,': ',A,' IS NOT AVAILABLE IN THIS BUILD')",
                                                         i, word_of(item)));
    }
    reserve_checked(c.nprop + 1);
    ++i;
  }
  fio::write(6, "('%3E%'/)");
}

void read_kgdata() {
  const std::int64_t k = reserve_checked(4);
  ctl(kv::kKGDATARecord) = static_cast<std::int32_t>(k);
  std::array<std::int32_t, 3> kg{};
  bool kgcond = false;
  read_or_stop("GEOMETRIC STIFFNESS RECORD", kg[0], kg[1], kg[2], kgcond);
  if (kg[0] == 0 || kg[1] == 0 || kg[2] == 0) kg = {0, 0, 0};
  kv::set_kgdata({0.0f, kg[0], kg[1], kg[2]});
  kv::set_ctl_logical(kv::kKGCOND, kgcond);
  if (kg[0] != 0) {
    kv::page_header(6);
    fio::write(6, "(/5X,' GEOMETRIC STIFFNESS DATA '/5X,'=========================='/)");
    if (kg[0] == 1) {
      fio::write(6, "(5X,'KGDATA(1)= 1, LOAD= F(INPUT)*(1.00+ACCEL)')");
      fio::write(6, "(5X,'              F(INPUT) IS POSITIVE IN COMPRESSION')");
      fio::write(6, "(5X,'              ACCEL IS POSITIVE GLOBAL Z-AXIS ACCELERATION')");
    } else if (kg[0] == 2) {
      fio::write(6, "(5X,'KGDATA(1)= 2, PREVIOUS LOAD STEP''S AXIAL LOAD IS USED')");
    }
    if (kg[1] == 1) fio::write(6, "(5X,'KGDATA(2)= 1, LUMPED FORMULATION   ')");
    if (kg[1] == 2) fio::write(6, "(5X,'KGDATA(2)= 2, CONSISTENT FORMULATION ')");
    if (kg[2] == 1) fio::write(6, "(5X,'KGDATA(3)= 1, KG IS SUBTRACTED FROM ELEMENT STIFFNESS ')");
    if (kg[2] == 2) fio::write(6, "(5X,'KGDATA(3)= 2, SEPERATE GLOBAL KG IS FORMED')");
    fio::write(6, "(5X,'  ')");
    if (kgcond)
      fio::write(6, "(5X,'- THE GEOMETRIC STIFFNESS MATRIX IS CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.')");
    else
      fio::write(6,
                 "(5X,'- THE GEOMETRIC STIFFNESS MATRIX IS NOT CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.')");
  }
  const int neq = ctl(kv::kNEQ);
  if (kg[2] == 2) {
    const std::int64_t md = reserve_checked(neq + 1);
    ctl(kv::kGeoMdiag) = static_cast<std::int32_t>(md);
    solvers::skylin(false, solvers::kSkyStart, neq, kv::iptr(md), 0, nullptr, nullptr,
                    "GLOBAL GEOMETRIC STIFFNESS");
  } else {
    ctl(kv::kGeoValues) = static_cast<std::int32_t>(k);
    ctl(kv::kGeoMdiag) = static_cast<std::int32_t>(k);
  }
}

void read_elements() {
  fio::write(6, "('%4S%')");
  int nelem = 0;
  read_or_stop("ELEMENT COUNT", nelem);
  nelem = std::max(nelem, 0);
  ctl(kv::kNELEM) = nelem;
  const std::int64_t eletab = reserve_checked(std::int64_t{nelem} + 1);
  ctl(kv::kELETAB) = static_cast<std::int32_t>(eletab);
  kv::izm(eletab) = nelem;

  const int neq = ctl(kv::kNEQ);
  const int kguse = kv::kgdata().use;
  std::int32_t* mdiag_k = kv::iptr(ctl(kv::kStiffMdiag));

  std::array<float, elements::kMaxRinput + 1> rinput{};
  std::array<float, elements::kMaxRinput + 1> incr{};
  const elements::ElementType* kind = nullptr;
  std::string keyword;
  std::string label;
  int ngen = 0;
  int ltype_check = 0;
  int nback = 0;

  int n = 1;
  while (n <= nelem) {
    if (ngen > 0) {
      --ngen;
      label = "GENERATED";
      for (int k = 1; k <= kind->nrinp; ++k) rinput[static_cast<std::size_t>(k)] += incr[static_cast<std::size_t>(k)];
    } else {
      const std::string item = peek_item("ELEMENT RECORD");
      kind = elements::element_type_for(item);
      if (kind == nullptr) {
        std::string skipped;
        read_or_stop("ELEMENT RECORD", skipped);  // consume the line
        if (holds_end(item)) {
          nelem = n - 1;
          ctl(kv::kNELEM) = nelem;
          kv::izm(eletab) = nelem;
          break;
        }
        fio::write_list(6, "INVALID ELEMENT TYPE: ", word_of(item));
        kv::note_fault(kv::Fault::input_error, "NO ELEMENT KEYWORD, THE LINE IS PASSED OVER: " + std::string(word_of(item)));
        continue;
      }
      keyword = item;
      label.clear();
      rinput.fill(0.0f);
      std::span<float> values(rinput.data() + 1, static_cast<std::size_t>(kind->nrinp));
      std::string kw;
      read_or_stop("ELEMENT RECORD", kw, label, values, ngen);
      if (ngen > 0) {
        incr.fill(0.0f);
        std::span<float> inc(incr.data() + 1, static_cast<std::size_t>(kind->nrinp));
        read_or_stop("ELEMENT INCREMENT RECORD", inc);
      }
    }

    const std::int64_t p = ctl(kv::kIZ);
    kv::izm(eletab + n) = static_cast<std::int32_t>(p);
    // Record words start clean, so nothing of an earlier element is reused.
    kv::memchk(kind->nwords, 0);
    kv::zero_words(p, kind->nwords);
    kv::izm(p) = kind->code;

    // Option 9: the material state words the element needs.
    elements::EleCall c9;
    c9.iopt = elements::kEleNState;
    c9.ielno = n;
    c9.label = label;
    c9.rinput = rinput.data();
    int ltype9 = 0;
    elements::eledsp(c9, ltype9, 0);
    const std::int64_t words = kind->nwords + c9.nhyst;
    reserve_checked(words);
    kv::zero_words(p + kind->nwords, c9.nhyst);
    if (kv::trace('I')) trace_record(n, p, nback);

    elements::EleCall c;
    c.iopt = elements::kEleCheck;
    c.ielno = n;
    c.lecho = true;
    c.label = label;
    c.rinput = rinput.data();
    c.idisp = ctl(kv::kUTOTAL);
    c.iload = ctl(kv::kPTOTAL);
    elements::eledsp(c, ltype_check, 1);
    // Every element that the drivers accept keeps degrees of freedom.
    if (elements::element_driver(kind->code) == nullptr) {
      kv::note_fault(kv::Fault::input_error, fio::format("('ELEMENT',I6,': ',A,' IS NOT AVAILABLE IN THIS BUILD')", n,
                                                         word_of(keyword)));
    } else if (c.nd <= 0) {
      kv::note_fault(kv::Fault::input_error, fio::format("('ELEMENT',I6,' (',A,') IS REJECTED: SEE THE OUTPUT FILE')", n,
                                                         word_of(keyword)));
    }
    nback = std::clamp<int>(c.nback, 0, static_cast<int>(words) - 1);
    ctl(kv::kIZ) -= nback;
    if (kv::trace('I')) trace_record(n, p, nback);

    const std::int64_t izlm = ctl(kv::kIZLM);
    const std::int64_t izke = ctl(kv::kIZKE);
    if (c.nd > 0 && izlm > 0 && izke > 0) {
            solvers::skylin(kind->profile_all_terms, solvers::kSkyWiden, neq, mdiag_k, c.nd, kv::iptr(izlm), kv::rptr(izke),
                      "GLOBAL STIFFNESS");
      if (c.lkg && c.kgdof > 0 && ctl(kv::kIZLMKG) > 0 && ctl(kv::kIZKG) > 0) {
        std::int32_t* md = kguse == 2 ? kv::iptr(ctl(kv::kGeoMdiag)) : mdiag_k;
        if (kguse == 1 || kguse == 2)
          solvers::skylin(false, solvers::kSkyWiden, neq, md, c.kgdof, kv::iptr(ctl(kv::kIZLMKG)),
                          kv::rptr(ctl(kv::kIZKG)),
                          kguse == 2 ? "GLOBAL GEOMETRIC STIFFNESS" : "GLOBAL STIFFNESS");
      }
    }
    ++n;
  }
  fio::write(6, "('%4E%'/)");
}

void read_mass() {
  int nrec = 0;
  int mform = 0;
  bool mcond = false;
  read_or_stop("MASS RECORD", nrec, mform, mcond);
  ctl(kv::kMFORM) = mform;
  kv::set_ctl_logical(kv::kMCOND, mcond);
  const solvers::MassMatrix m =
      solvers::skyasm(std::max(nrec, 0), mform, mcond, "GLOBAL MASS", &model::lumpms);
  ctl(kv::kMassMdiag) = static_cast<std::int32_t>(m.mdiag);
  ctl(kv::kMassValues) = static_cast<std::int32_t>(m.values);
  ctl(kv::kLUMREC) = static_cast<std::int32_t>(m.lumrec);
  ctl(kv::kNMASS) = m.nmass;
  if (nrec > 0) {
    fio::write(6, "(5X,1X)");
    if (mcond)
      fio::write(6, "(5X,'- THE MASS MATRIX IS CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.')");
    else
      fio::write(6, "(5X,'- THE MASS MATRIX IS NOT CONDENSED WITH THE STRUCTURAL STIFFNESS MATRIX.')");
  } else {
    fio::write(6, "(//5X,' ZERO MASS MATRIX '/5X,'==================')");
  }
}

void read_damping() {
  ctl(kv::kIDAMP) = 1;
  const std::int64_t d = reserve_checked(2);
  ctl(kv::kDampRecord) = static_cast<std::int32_t>(d);
  float alpha = 0.0f;
  float beta = 0.0f;
  read_or_stop("DAMPING RECORD", alpha, beta);
  kv::rzm(d) = alpha;
  kv::rzm(d + 1) = beta;
  fio::write(6, "(//5X,' PROPORTIONAL DAMPING COIEFICIENTS'/5X,'==================================='/"
                "5X,'ALPHA=',1PE13.5,'   BETA=',E13.5/)",
             alpha, beta);
}

}  // namespace

void strinp() {
  kv::page_header(6);
  fio::write(6, "(' *** PROGRAM VORDANEX ***   (VERSION 1.1)     '//)");

  int nnode = 0, ncos = 0, nres = 0, ncond = 0, ncons = 0;
  float scale = 1.0f;
  read_or_stop("CONTROL RECORD", nnode, ncos, nres, ncond, ncons, scale);
  nnode = std::max(nnode, 0);
  ctl(kv::kNNDIM) = nnode;
  ctl(kv::kNLC) = 1;

  kv::memchk(27LL * nnode, 0);
  const base::NodeTables t = base::reserve_node_tables(nnode);
  int neq = 0, nfree = 0, nrestr = 0;
  // NODDOF's scratch (12 words per node) lies above IZ, unreserved.
  kv::memchk(12LL * nnode, 0);
  noddof(neq, ncond, nfree, nrestr, nnode, ncos, scale, nres, ncons, kv::trace('A'), t);
  ctl(kv::kNNODE) = nnode;
  ctl(kv::kNCOS) = ncos;
  ctl(kv::kNEQ) = neq;
  ctl(kv::kNCOND) = ncond;
  ctl(kv::kNFREE) = nfree;
  ctl(kv::kNRESTR) = nrestr;

  const std::int64_t mdk = reserve_checked(neq + 1);
  ctl(kv::kStiffMdiag) = static_cast<std::int32_t>(mdk);
  solvers::skylin(false, solvers::kSkyStart, neq, kv::iptr(mdk), 0, nullptr, nullptr, "GLOBAL STIFFNESS");

  read_materials();
  read_kgdata();
  read_elements();

  const int kguse = kv::kgdata().use;
  std::int32_t* tops_k = kv::iptr(mdk) - 1;
  if (ncond > 0 && kv::ctl_true(kv::kKGCOND) && kguse == 2) {
    std::int32_t* tops_g = kv::iptr(ctl(kv::kGeoMdiag)) - 1;
    for (int j = 1; j <= neq; ++j) tops_g[j] = std::min(tops_g[j], tops_k[j]);
  }

  solvers::skylin(false, solvers::kSkyAddresses, neq, kv::iptr(mdk), 0, nullptr, nullptr, "GLOBAL STIFFNESS");
  const std::int64_t kvals = reserve_checked((static_cast<std::int64_t>(tops_k[neq + 1]) + 1) * kv::kSkyRealWords);
  ctl(kv::kStiffValues) = static_cast<std::int32_t>(kvals);
  if (kguse == 2) {
    std::int32_t* mdg = kv::iptr(ctl(kv::kGeoMdiag));
    solvers::skylin(false, solvers::kSkyAddresses, neq, mdg, 0, nullptr, nullptr, "GLOBAL GEOMETRIC STIFFNESS");
    const std::int64_t gvals = reserve_checked(static_cast<std::int64_t>(mdg[neq]) * kv::kSkyRealWords);
    ctl(kv::kGeoValues) = static_cast<std::int32_t>(gvals);
  }

  read_mass();
  read_damping();
  for (int w = kv::kSolTablesFirst; w <= kv::kSolTablesLast; ++w) ctl(w) = 0;
}

}  // namespace model
