// The energy balances of a report, read back for the tests that check them
// against the work of a hand-worked force path.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace kvtest {

// The totals of one printed energy balance and its relative error in per cent.
struct EnergyBalance {
  double input = 0.0, elastic = 0.0, kinetic = 0.0, plastic = 0.0, damping = 0.0, error = 0.0;
};

// Every energy balance of a report, in order of print.
inline std::vector<EnergyBalance> energy_balances(const std::string& out) {
  std::vector<EnergyBalance> v;
  EnergyBalance b;
  std::istringstream in(out);
  const std::string lead(14, ' ');
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(lead, 0) != 0) continue;
    const auto last = line.find_last_not_of(" %");
    const auto first = line.find_last_of(' ', last);
    if (last == std::string::npos || first == std::string::npos) continue;
    double x = 0.0;
    try {
      x = std::stod(line.substr(first + 1, last - first));
    } catch (...) {
      continue;
    }
    const std::string text = line.substr(lead.size());
    if (text.rfind("INPUT ENERGY", 0) == 0) b.input = x;
    else if (text.rfind("ELASTIC STRAIN ENERGY", 0) == 0) b.elastic = x;
    else if (text.rfind("KINETIC ENERGY", 0) == 0) b.kinetic = x;
    else if (text.rfind("PLASTIC STRAIN ENERGY", 0) == 0) b.plastic = x;
    else if (text.rfind("DAMPING ENERGY", 0) == 0) b.damping = x;
    else if (text.rfind("RELATIVE ERROR", 0) == 0) {
      b.error = x;
      v.push_back(b);
      b = EnergyBalance{};
    }
  }
  return v;
}

}  // namespace kvtest
