#include "member_fixture.h"

#include "base/globals.h"
#include "fio/fio.h"
#include "support/test_support.h"

namespace memtest {

using members::StbArray;

void MemberOutputTest::SetUp() {
  fio::close_all();
  kv::reset_globals();
  dir_ = kvtest::fresh_dir("members");
  ASSERT_TRUE(fio::open(6, (dir_ / "out.txt").string()));
}

void MemberOutputTest::TearDown() {
  fio::close_all();
  std::filesystem::remove_all(dir_);
}

std::string MemberOutputTest::output() {
  fio::flush(6);
  return kvtest::read_file(dir_ / "out.txt");
}

members::SectionWords box_10x10_words() {
  members::SectionWords w;
  w.libn = members::kLibBox;
  w.d1 = 10;
  w.d2 = 10;
  w.t = 0.5f;
  w.n1 = 4;
  w.n2 = 5;
  return w;
}

SteelMember::SteelMember(const members::SectionWords& words, const members::SteelLaw& law,
                         int nseg) {
  const int nump = members::steel_fibre_count(words);
  words_.assign(static_cast<std::size_t>(members::stb_words(nseg, nump)), 0.0f);
  rec = members::StbMem(words_.data(), nseg, nump);
  const auto n = static_cast<std::size_t>(nump);
  members::ecclib(words, {{rec.data(StbArray::U), n},
                          {rec.data(StbArray::V), n},
                          {rec.data(StbArray::AREA), n},
                          {rec.data(StbArray::FLEN), n}});
  for (int i = 1; i <= nseg; ++i) {
    for (int j = 1; j <= nump; ++j) {
      rec.table(StbArray::USEG)(i, j) = rec.col(StbArray::U)(j);
      rec.table(StbArray::VSEG)(i, j) = rec.col(StbArray::V)(j);
      rec.table(StbArray::E1)(i, j) = law.ey;
      rec.table(StbArray::E2)(i, j) = -law.ey;
    }
  }
  for (int j = 1; j <= nump; ++j) rec.col(StbArray::ET)(j) = law.em;
}

}  // namespace memtest
