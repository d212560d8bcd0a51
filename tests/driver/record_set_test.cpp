// The record-set study of docs/ runs as its page says: its scripts make the
// records and one deck per record and scale, run them in parallel and collect
// a line of peak drifts per run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct Drifts {
  std::string status;
  double storey1 = -1.0;
  double storey2 = -1.0;
};

TEST(RecordSetStudy, ScriptsRunEveryDeckAndCollectItsPeakDrifts) {
  const fs::path scripts = fs::path(KELVORAN_EXAMPLES).parent_path() / "docs" / "record_set";
  const fs::path dir = kvtest::fresh_dir("record_set");
  const std::string run = "cd '" + dir.string() + "' && '" + (scripts / "make_records.sh").string() + "' && '" +
                          (scripts / "make_decks.sh").string() + "' 0.0 0.5 && KELVORAN='" + KELVORAN_EXE + "' '" +
                          (scripts / "run_all.sh").string() + "' 4 && '" + (scripts / "peak_drifts.sh").string() +
                          "' > drifts.txt";
  ASSERT_EQ(std::system(run.c_str()), 0) << run;

  std::map<std::string, Drifts> runs;
  std::istringstream in(kvtest::read_file(dir / "drifts.txt"));
  std::string line;
  std::getline(in, line);  // the heading
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string name;
    Drifts d;
    f >> name >> d.status >> d.storey1 >> d.storey2;
    runs[name] = d;
  }
  // Five records at two scales.
  ASSERT_EQ(runs.size(), 10u) << kvtest::read_file(dir / "drifts.txt");
  for (const auto& [name, d] : runs) {
    EXPECT_EQ(d.status, "0") << name;
    if (name.ends_with("_x0.0")) {
      // A record scaled to nothing moves nothing.
      EXPECT_EQ(d.storey1, 0.0) << name;
      EXPECT_EQ(d.storey2, 0.0) << name;
    } else {
      // Equal storeys, the lower one carrying both floors' inertia: it drifts
      // more than the upper one.
      EXPECT_GT(d.storey2, 0.0) << name;
      EXPECT_GT(d.storey1, d.storey2) << name;
    }
  }
}

}  // namespace
