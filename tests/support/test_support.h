// Helpers shared by the tests: running the program on a deck in a fresh
// temporary folder, reading files back, masking time stamps and CPU seconds.
#pragma once

#include <filesystem>
#include <string>

namespace kvtest {

struct RunResult {
  int status = 0;              // exit status of the program
  std::string console;         // what it wrote to standard output
  std::string output;          // the output file
  std::filesystem::path dir;   // the folder the run used
};

// A new empty folder under the system temporary folder.
std::filesystem::path fresh_dir(const std::string& tag);

// Writes deck as "input.dat" in a fresh folder, runs kelvoran with the three
// answers (folder, input.dat, output.out) piped in, and collects the results.
// With a time limit (seconds) a run still going is killed (status 137).
RunResult run_deck(const std::string& deck, const std::string& tag = "deck", int time_limit = 0);

// Runs kelvoran with the given standard input in the folder (for start-up tests).
RunResult run_with_answers(const std::filesystem::path& dir, const std::string& answers, int time_limit = 0);

std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, const std::string& text);

// Replaces time stamps (TIME: hh:mm:ss, DATE: dd-MON-yy) and CPU seconds in the
// timing box by fixed text so whole reports can be compared.
std::string mask_volatile(const std::string& text);

// The text with the trailing blanks of every line removed.
std::string rstrip_lines(const std::string& text);

// The path of a deck in tests/cases.
std::filesystem::path case_path(const std::string& name);

}  // namespace kvtest
