#include "solutions/report_page.h"

#include "base/globals.h"
#include "fio/fio.h"

namespace solutions {

void solution_page_header() {
  fio::write(6, "('1 STRUCTURE....: ',A,/,'  SOLUTION.....: ',A,/,/)", kv::titles().title1,
             kv::titles().title2);
}

bool trivial_joint_frames(const base::NodeTables& t, int ncos) {
  if (ncos != 1) return false;
  return t.cos(1, 1, 1) == 1.0f && t.cos(2, 2, 1) == 1.0f && t.cos(3, 3, 1) == 1.0f;
}

}  // namespace solutions
