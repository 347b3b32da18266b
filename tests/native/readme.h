#pragma once

// The two tables of the README that administrators rely on, read for the
// tests that hold the program to them: every switch, and every exit code a
// run of the tests ends with.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace orvex::readme {

// The first cells of the table under heading, its header row left out.
inline std::vector<std::string> FirstCells(const std::string& heading) {
  std::ifstream file(ORVEX_SOURCE_DIR "/README.md");
  std::vector<std::string> cells;
  bool inTable = false;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind('#', 0) == 0) inTable = line == heading;
    if (inTable && line.rfind("| ", 0) == 0) cells.push_back(line.substr(2, line.find(" |", 2) - 2));
  }
  EXPECT_GT(cells.size(), 1u) << "no table under " << heading << " in " ORVEX_SOURCE_DIR "/README.md";
  if (!cells.empty()) cells.erase(cells.begin());
  return cells;
}

// The command-line table's switches as written between backquotes ("-OrvexArgs VALUE").
inline std::set<std::string> Switches() {
  std::set<std::string> switches;
  for (const std::string& cell : FirstCells("## Command line")) {
    for (std::size_t open = cell.find('`'); open != std::string::npos;) {
      const std::size_t close = cell.find('`', open + 1);
      if (close == std::string::npos) break;
      switches.insert(cell.substr(open + 1, close - open - 1));
      open = cell.find('`', close + 1);
    }
  }
  return switches;
}

// Holds an exit code of the program to the README's exit-code table: its row
// there, or a status that the program passes on ("any other") as it was
// given (passedOn).
inline void ExpectDocumentedExitCode(std::uint32_t code, const std::set<std::uint32_t>& passedOn = {}) {
  static const std::set<std::uint32_t> documented = [] {
    std::set<std::uint32_t> codes;
    for (const std::string& cell : FirstCells("## Exit codes")) {
      if (cell.find_first_not_of("0123456789") == std::string::npos) codes.insert(std::stoul(cell));
    }
    return codes;
  }();
  EXPECT_TRUE(documented.count(code) != 0 || passedOn.count(code) != 0) << "exit code " << code << " not in the README";
}

}  // namespace orvex::readme
