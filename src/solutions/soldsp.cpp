#include "solutions/soldsp.h"

#include "driver/globals.h"
#include "fio/fio.h"
#include "model/input_lines.h"

namespace solutions {

void soldsp(std::string cmdtxt, std::string_view /*strid*/, float /*dtcpu*/, float /*ttotal*/,
            float /*tbudgt*/) {
  kv::titles().ldlabl.assign(40, ' ');
  int nsol = 0;
  model::intfld(cmdtxt, "SOL", nsol, 0, true, false);
  kv::ctl(kv::kNSOL) = nsol;

  fio::write_list(6, "INVALID SOLN#", nsol);
  kv::stop_run(1, "INVALID SOLUTION NUMBER");
}

}  // namespace solutions
