#include "model/input_fault.h"

#include <string>

#include "driver/globals.h"

namespace model {

void input_fault(std::string_view record, fio::Status status) {
  const char* what = status == fio::Status::end ? "END OF INPUT FILE" : "UNREADABLE VALUE";
  fio::write_list(6, " *** ER", "ROR IN THE STRUCTURE INPUT: ", what, " WHILE READING THE ", record);
  fio::write_list(1, " *** ER", "ROR IN THE STRUCTURE INPUT: ", what, " WHILE READING THE ", record);
  kv::stop_run(1, "STRUCTURE INPUT ENDED ON AN INPUT ERROR");
}

}  // namespace model
