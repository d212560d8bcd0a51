#include "members/rc/end_curvatures.h"

#include <cmath>

namespace members::rc {

float EndCurvatures::largest() const {
  return std::fmax(std::fmax(std::fabs(cu1), std::fabs(cv1)), std::fmax(std::fabs(cu2), std::fabs(cv2)));
}

EndCurvatures rot12b(const EndDeformation& d, int iseg, const EndCurvatureTotals& t) {
  const int i = iseg - 1;
  EndCurvatures n;
  n.cu1 = t.cu1[i] += d.dcu1;
  n.cu2 = t.cu2[i] += d.dcu2;
  n.cv1 = t.cv1[i] += d.dcv1;
  n.cv2 = t.cv2[i] += d.dcv2;
  return n;
}

}  // namespace members::rc
