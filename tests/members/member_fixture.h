// Shared pieces of the member tests: a test whose routines write to unit 6
// gets it opened on a scratch file, and a small one-segment steel member
// record laid out in a buffer of its own.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "members/steel/steel_member_record.h"
#include "members/steel/steel_section.h"

namespace memtest {

class MemberOutputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Everything unit 6 received so far.
  std::string output();

 private:
  std::filesystem::path dir_;
};

// The box 10 x 10 x 0.5 of the member tests: 4 flange and 5 web cells a
// quarter, 36 fibres (A 19, mesh I 285.4258).
members::SectionWords box_10x10_words();

// A member record of nseg segments for the section of `words`, meshed and set
// up as the member rule leaves it before the first section evaluation: fibre
// coordinates copied to every segment, band +-EY, ET = EM, the rest zero.
struct SteelMember {
  SteelMember(const members::SectionWords& words, const members::SteelLaw& law, int nseg = 1);
  std::vector<float> words_;
  members::StbMem rec;
  float state = 0.0f;  // the member's limit word
};

}  // namespace memtest
