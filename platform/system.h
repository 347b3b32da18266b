#pragma once

// What the bootstrapper asks of Windows, in narrow interfaces. The decisions
// are made by portable code against these; platform/win32 implements them
// with the real calls, tests/fake with an in-memory model.

#include <cstdint>

#include "base/status.h"
#include "base/wide_string.h"

namespace orvex {

// Message box styles and answers, with the values Windows gives them; the
// Win32 layer checks them against <windows.h> at compile time.
namespace box {
inline constexpr std::uint32_t kOk = 0x0;
inline constexpr std::uint32_t kYesNo = 0x4;
inline constexpr std::uint32_t kIconError = 0x10;
inline constexpr std::uint32_t kIconExclamation = 0x30;
inline constexpr std::uint32_t kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace box

class Ui {
 public:
  // A message box without owner window. Returns the button pressed, or 0
  // when the box could not be shown.
  [[nodiscard]] virtual int ShowMessageBox(const WideString& text, const WideString& caption,
                                           std::uint32_t style) noexcept = 0;

 protected:
  ~Ui() = default;
};

// The split process command line; element 0 is the program.
struct ArgumentArray {
  const char16_t* const* items = nullptr;
  int count = 0;
};

class CommandLineSource {
 public:
  // Splits the whole process command line with the Windows rules for quotes
  // and backslashes. A failed split gives no elements.
  [[nodiscard]] virtual ArgumentArray SplitArguments() noexcept = 0;
  virtual void ReleaseArguments(ArgumentArray arguments) noexcept = 0;

 protected:
  ~CommandLineSource() = default;
};

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint16_t servicePackMajor = 0;
};

class SystemInfo {
 public:
  [[nodiscard]] virtual bool IsUserAnAdmin() noexcept = 0;
  // The extended version record of the running system; false when the
  // query fails.
  [[nodiscard]] virtual bool QueryOsVersion(OsVersion& version) noexcept = 0;

 protected:
  ~SystemInfo() = default;
};

class FileSystem {
 public:
  // True when a status query of path succeeds (a file or directory is there).
  [[nodiscard]] virtual bool PathExists(const WideString& path) noexcept = 0;

 protected:
  ~FileSystem() = default;
};

class Installer {
 public:
  // Sets the Windows Installer user-interface level of the process to none.
  virtual void SetInternalUiNone() noexcept = 0;

 protected:
  ~Installer() = default;
};

// Everything the main flow and the gate reach through.
struct Platform {
  Ui& ui;
  CommandLineSource& commandLine;
  SystemInfo& system;
  FileSystem& files;
  Installer& installer;
};

}  // namespace orvex
