#pragma once

#include "platform/system.h"

namespace orvex::win32 {

class Win32Ui final : public Ui {
 public:
  int ShowMessageBox(const WideString& text, const WideString& caption, std::uint32_t style) noexcept override;
};

class Win32CommandLine final : public CommandLineSource {
 public:
  ArgumentArray SplitArguments() noexcept override;
  void ReleaseArguments(ArgumentArray arguments) noexcept override;
};

class Win32SystemInfo final : public SystemInfo {
 public:
  bool IsUserAnAdmin() noexcept override;
  bool QueryOsVersion(OsVersion& version) noexcept override;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool PathExists(const WideString& path) noexcept override;
};

class Win32Installer final : public Installer {
 public:
  void SetInternalUiNone() noexcept override;
};

// Restricts the DLL search of the process to the system directory where the
// system allows it, and takes the current directory out of it otherwise.
// Runs first thing in the entry, before any DLL is loaded on demand.
void LockDownDllSearch() noexcept;

}  // namespace orvex::win32
