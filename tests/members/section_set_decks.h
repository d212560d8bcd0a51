// Decks of one two-node model with a list of section sets, for the tests of
// the section-set input, and what the tests read back from their output.
#pragma once

#include <regex>
#include <string>

namespace kvtest {

// The model with the sets (nsets of them, already written as input lines).
inline std::string section_set_deck(const std::string& title, const std::string& sets, int nsets) {
  return "STR\n'" + title +
         "'\n"
         "2 1 1 0 0 1.0\n"
         "1 0.0 0.0 0.0 1 0\n"
         "2 0.0 0.0 144.0 1 0\n"
         "1.0 0.0 0.0 0.0 1.0 0.0\n"
         "1 1 1 1 1 1 1 0 0\n" +
         std::to_string(nsets) + "\n" + sets +
         "0 0 0 F\n"
         "0\n"
         "0 0 F\n"
         "0.0 0.0\n"
         "STOP\n";
}

// IZ of the last memory box of an output.
inline long memory_iz(const std::string& output) {
  static const std::regex re(R"( \*--- IZ=\s*(\d+),)");
  std::string last;
  for (auto it = std::sregex_iterator(output.begin(), output.end(), re); it != std::sregex_iterator(); ++it)
    last = (*it)[1];
  return last.empty() ? -1 : std::stol(last);
}

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace kvtest
