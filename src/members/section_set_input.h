// Input shared by the section-set drivers: the head record of a set.
#pragma once

#include <span>

#include "materials/matdsp.h"

namespace members {

// Reads the set's head record with one list-directed read: the set's name
// (discarded), then one value for each of `words` in order, into prop[word]
// (prop is the 1-based PROP view). Words for which whole(word) holds are read
// as integers and stored as reals. Words 1..head_words are cleared first, so
// that nulls and unread words hold 0.0. An unreadable record stops the run.
void read_section_head(const materials::MatCall& c, float* prop, int head_words, std::span<const int> words,
                       bool (*whole)(int));

}  // namespace members
