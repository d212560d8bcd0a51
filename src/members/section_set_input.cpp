#include "members/section_set_input.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/storage.h"
#include "fio/fio.h"

namespace members {

void read_section_head(const materials::MatCall& c, float* prop, int head_words, std::span<const int> words,
                       bool (*whole)(int)) {
  kv::memchk(head_words + 1, 0);
  for (int w = 1; w <= head_words; ++w) prop[w] = 0.0f;

  std::string name;
  std::vector<std::int32_t> ints(static_cast<std::size_t>(head_words) + 1, 0);
  std::vector<fio::Target> targets;
  targets.reserve(words.size() + 1);
  fio::push_target(targets, name);
  for (int w : words) {
    if (whole(w))
      fio::push_target(targets, ints[static_cast<std::size_t>(w)]);
    else
      fio::push_target(targets, prop[w]);
  }
  const fio::Status s = fio::read_list_targets(5, targets);
  if (s != fio::Status::ok) materials::set_read_failed(c.set, s);
  for (int w : words)
    if (whole(w)) prop[w] = static_cast<float>(ints[static_cast<std::size_t>(w)]);
}

}  // namespace members
