#pragma once

// Runs of the real orvexplugin.exe in sample distributions against Wine's own
// msiexec, shared by the plug-in, provider and edge-case tests: the boxes it
// is expected to show and their answers, Windows Installer state, the logs in
// TMP and the restart mark.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "program_driver.h"

namespace orvex::driver {

inline constexpr wchar_t kProduct[] = L"{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}";
inline constexpr wchar_t kMarker[] = L"Software\\NeedBstrReboot";

// A sample distribution made at build time (dists/VARIANT-VERSION) and its package.
std::wstring Dist(const wchar_t* name);
std::wstring Package(const wchar_t* dist);

std::wstring ProductInfo(const wchar_t* attribute);
bool MarkerExists();
// Each case starts without the plug-in, whatever the one before left.
void RemovePlugin();

// A box the program is expected to show, and the answer to give, which has
// its button. Caption and style are the program's MessageBoxW arguments,
// which check_calls.py holds against windows_calls.txt.
struct Expected {
  std::wstring text;  // empty: the caller checks it after the run
  int answer;
  std::function<void()> whileShown = {};
};

Expected Question(std::uint32_t message = 103);
Expected Installed(std::uint32_t message = 110);
Expected SameVersion(int answer);
Expected NewerInstalled();
Expected NoPackage();
// An error box of the version comparison or the log path.
Expected InstallError(std::uint32_t message);
// With a null tail the text is left to the caller.
Expected Failed(const wchar_t* tail);

struct Outcome {
  std::string started;  // local time, as the log timestamp has it
  std::optional<DWORD> exitCode;
  std::string output;
  std::vector<std::wstring> texts;           // of the program's boxes
  std::vector<std::wstring> installerBoxes;  // texts of msiexec's own boxes
};

class PluginScenario : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The installed state a scenario starts from, made without the bootstrapper.
  static void InstallDirectly(const wchar_t* dist);
  // Wine opens the cached copy of an installed product's package in place of
  // the file given, and fails when their versions differ; Windows reads the
  // file. Without the cached copy Wine reads the file too.
  static void DropCachedPackage();

  // Runs the program in a distribution (as the user of token_, when set),
  // checks that it shows the expected boxes in order and no other, answers
  // them, and OKs msiexec's own boxes.
  Outcome Run(const std::wstring& directory, const std::wstring& arguments, const std::vector<Expected>& boxes);

  std::vector<std::wstring> Logs() const;

  struct Log {
    std::wstring path;
    std::string text;  // UTF-8
  };
  // The log of a run that logged to TMP: the only one there, named after the
  // package and the last timestamp that the program printed. It is then set
  // aside, as a run in the same second logs to the same name.
  Log LogOfRun(const Outcome& outcome) const;

  std::wstring tmp_;
  HANDLE token_ = nullptr;
};

// What msiexec was told, as its verbose log lists the properties.
void ExpectProperties(const std::string& log, const std::wstring& package, std::vector<std::string> properties);

}  // namespace orvex::driver
