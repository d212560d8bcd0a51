// The stop for an input file that ends, or holds an unreadable value, in the
// middle of the structure section: going on would read the wrong records.
#pragma once

#include <string_view>

#include "fio/fio.h"

namespace model {

// Reports the record being read (and the status) on the output file and the
// console, with the input line of an unreadable value on the output file, then
// stops the run with a non-zero exit status.
[[noreturn]] void input_fault(std::string_view record, fio::Status status);

// Reads the targets list-directed from unit 5; any status but ok is a fault.
template <class... T>
void read_or_stop(std::string_view record, T&... targets) {
  const fio::Status s = fio::read_list(5, targets...);
  if (s != fio::Status::ok) input_fault(record, s);
}

}  // namespace model
