#pragma once

// The two tables of the README that administrators rely on, read for the
// tests that hold the program to them: the command line's and the exit
// codes'.

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
  EXPECT_TRUE(file.is_open()) << "cannot read " ORVEX_SOURCE_DIR "/README.md";
  std::vector<std::string> cells;
  bool inTable = false;
  int row = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind('#', 0) == 0) inTable = line == heading;
    if (!inTable || line.rfind("| ", 0) != 0 || row++ == 0) continue;
    cells.push_back(line.substr(2, line.find(" |", 2) - 2));
  }
  EXPECT_FALSE(cells.empty()) << "no table under " << heading;
  return cells;
}

// Each switch of the command-line table as written between backquotes
// ("-OrvexArgs VALUE").
inline std::set<std::string> Switches() {
  std::set<std::string> switches;
  for (const std::string& cell : FirstCells("## Command line")) {
    for (std::size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open + 1)) {
      const std::size_t close = cell.find('`', open + 1);
      switches.insert(cell.substr(open + 1, close - open - 1));
      open = close;
    }
  }
  return switches;
}

inline std::set<std::uint32_t> ExitCodes() {
  std::set<std::uint32_t> codes;
  for (const std::string& cell : FirstCells("## Exit codes")) {
    if (cell.find_first_not_of("0123456789") == std::string::npos) codes.insert(std::stoul(cell));
  }
  return codes;
}

}  // namespace orvex::readme
