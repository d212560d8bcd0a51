// The title block that opens a model's echo at input.
#pragma once

#include <string>
#include <string_view>

#include "fio/fio.h"

namespace materials {

// blank_lines empty lines, the title from column 6, and under it a rule of '='
// as long as the title.
inline void write_model_title(int blank_lines, std::string_view title) {
  for (int i = 0; i < blank_lines; ++i) fio::write_record(6, "");
  fio::write(6, "(5X,A)", title);
  fio::write(6, "(5X,A)", std::string(title.size(), '='));
}

}  // namespace materials
