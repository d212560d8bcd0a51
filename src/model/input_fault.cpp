#include "model/input_fault.h"

#include <string>

#include "base/globals.h"

namespace model {

void input_fault(std::string_view record, fio::Status status) {
  const char* what = status == fio::Status::end ? "END OF INPUT FILE" : "UNREADABLE VALUE";
  fio::write_list(6, " *** ER", "ROR IN THE STRUCTURE INPUT: ", what, " WHILE READING THE ", record);
  // The console names the line the read stopped in (the end: the last line).
  fio::write(1, "(' *** ERROR IN THE STRUCTURE INPUT AT INPUT LINE',I6,': ',A,' WHILE READING THE ',A)",
             fio::record_number(5), what, record);
  if (status != fio::Status::end) {
    // The user has to find the bad value: show the line the read stopped in.
    std::string line;
    fio::backspace(5);
    if (fio::read_record(5, line) == fio::Status::ok) fio::write(6, "(1X,A)", line);
  }
  kv::stop_run(1, "STRUCTURE INPUT ENDED ON AN INPUT ERROR");
}

}  // namespace model
