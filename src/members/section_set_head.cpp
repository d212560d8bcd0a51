#include "members/section_set_head.h"

namespace members {

int head_int(const float* prop, int word) {
  const float x = prop[word];
  if (!(x > -2.0e9f && x < 2.0e9f)) return 0;
  return static_cast<int>(x);
}

MemberWords set_member_words(const float* prop) {
  MemberWords w;
  w.nseg = head_int(prop, kHeadNseg);
  w.small = prop[kHeadSmall];
  w.ratix0 = prop[kHeadRatix0];
  w.ratiy0 = prop[kHeadRatiy0];
  w.iecop = head_int(prop, kHeadIecop);
  w.istif = head_int(prop, kHeadIstif);
  w.iauto = head_int(prop, kHeadIauto);
  w.qrnee = prop[kHeadQrnee];
  w.offsets_from_origin = true;
  return w;
}

}  // namespace members
