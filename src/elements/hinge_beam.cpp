#include "elements/hinge_beam.h"

#include <cmath>
#include <span>

#include "base/globals.h"
#include "base/input_lines.h"
#include "base/node_tables.h"
#include "fio/fio.h"

namespace elements {

void ele11(EleCall& c) { beam::drive(c, beam::kHingeBeam); }

namespace hinge {

namespace {

int to_id(float x) {
  if (!(std::fabs(x) < 2.0e9f)) return 0;
  return static_cast<int>(x);
}

// BS(2, 3) of a 3x3 block stored column by column.
constexpr int kRow2Col3 = 1 + 3 * 2;

}  // namespace

bool find_hinge_joints(std::int64_t p, const float* rinput) {
  const base::NodeTables nt = base::node_tables();
  const int nnode = kv::ctl(kv::kNNODE);
  const int hi = base::ifind(to_id(rinput[11]), nt.nodid_ptr(), nnode);
  const int hj = base::ifind(to_id(rinput[12]), nt.nodid_ptr(), nnode);
  kv::izm(p + kHingePosI) = hi;
  kv::izm(p + kHingePosJ) = hj;
  return hi > 0 && hj > 0;
}

int end_node(std::int64_t p, int end, int k) {
  const int joint = kv::izm(p + (end == 0 ? beam::kPosI : beam::kPosJ));
  if (k != kHingeDof) return joint;
  const int h = kv::izm(p + (end == 0 ? kHingePosI : kHingePosJ));
  return h > 0 ? h : joint;
}

void drop_zone_moment(std::int64_t p, float sdist, float edist) {
  if (sdist != 0.0f && kv::izm(p + kHingePosI) != kv::izm(p + beam::kPosI))
    kv::rzm(p + beam::kBS + kRow2Col3) = 0.0f;
  if (edist != 0.0f && kv::izm(p + kHingePosJ) != kv::izm(p + beam::kPosJ))
    kv::rzm(p + beam::kBE + kRow2Col3) = 0.0f;
}

void hinge_locations(std::int64_t p, std::int32_t* loc) {
  const base::NodeTables nt = base::node_tables();
  const int ni = kv::izm(p + beam::kPosI);
  const int nj = kv::izm(p + beam::kPosJ);
  if (nt.id(ni, kHingeDof) == nt.id(nj, kHingeDof)) return;
  const int hi = kv::izm(p + kHingePosI);
  const int hj = kv::izm(p + kHingePosJ);
  if (hi != ni) loc[kHingeDof] = nt.id(hi, kHingeDof);
  if (hj != nj) loc[kHingeDof + 6] = nt.id(hj, kHingeDof);
}

void echo_heading() {
  fio::write(6, "(/,' ELEMENT 11, 3DBEAM-HINGE ELEMENT',/,/,T22,'#  MATL START1 END1 START2 END2',"
                "'REL CD',3X,'LENGTH',3X,11('-'),'  Y-AXIS  ',12('-'),'  START DIST    END DIST     PKG')");
}

void echo_line(const beam::Echo& e) {
  fio::write(6, "(1X,A15,6I6,2X,A,1P,E12.4,0P,F9.5,' I',F9.5,' J',F9.5,' K',1P,3E12.4)", e.label15, e.ielno,
             e.matset, e.id_i, e.id_j, e.hinge_i, e.hinge_j, e.reltext, e.length, e.vy[0], e.vy[1], e.vy[2],
             e.sdist, -e.edist, e.pkg);
}

void length_message(int ielno, std::int64_t p, float length) {
  fio::write(6, "(1X,20('*'),'ER','ROR - LENGTH IS LE 0',/,5X,'IELNO=',I5,5X,'JOINTI=',I5,5X,'JOINTII=',I5,5X,"
                "'JOINTJ=',I5,5X,'JOINTJI=',I5,5X,'LENGTH',1P,E15.6,/,5X,"
                "'REVISE INPUT.............................',/)",
             ielno, static_cast<int>(kv::izm(p + beam::kPosI)), static_cast<int>(kv::izm(p + kHingePosI)),
             static_cast<int>(kv::izm(p + beam::kPosJ)), static_cast<int>(kv::izm(p + kHingePosJ)), length);
}

}  // namespace hinge
}  // namespace elements
