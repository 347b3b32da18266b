#pragma once

// In-memory stand-ins for the Windows layer and the installation steps, so
// the decisions can be tested on any system.

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "app/install_steps.h"
#include "platform/system.h"

namespace orvex::fake {

inline std::u16string Text(const WideString& text) { return std::u16string(text.c_str(), text.Length()); }

struct ShownBox {
  std::u16string text;
  std::u16string caption;
  std::uint32_t style;
};

class FakeUi final : public Ui {
 public:
  int ShowMessageBox(const WideString& text, const WideString& caption, std::uint32_t style) noexcept override {
    shown.push_back({Text(text), Text(caption), style});
    if (answers.empty()) return (style & 0xF) == box::kYesNo ? box::kIdYes : box::kIdOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownBox> shown;
  std::deque<int> answers;  // next answers; Yes or OK when empty
};

class FakeCommandLine final : public CommandLineSource {
 public:
  explicit FakeCommandLine(std::vector<std::u16string> arguments = {}) : arguments_(std::move(arguments)) {}

  ArgumentArray SplitArguments() noexcept override {
    ++splits;
    pointers_.clear();
    for (const std::u16string& argument : arguments_) pointers_.push_back(argument.c_str());
    return {pointers_.data(), static_cast<int>(pointers_.size())};
  }
  void ReleaseArguments(ArgumentArray) noexcept override { ++releases; }

  int splits = 0;
  int releases = 0;

 private:
  std::vector<std::u16string> arguments_;
  std::vector<const char16_t*> pointers_;
};

class FakeSystemInfo final : public SystemInfo {
 public:
  bool IsUserAnAdmin() noexcept override { return admin; }
  bool QueryOsVersion(OsVersion& out) noexcept override {
    if (!versionAvailable) return false;
    out = version;
    return true;
  }

  bool admin = true;
  bool versionAvailable = true;
  OsVersion version{10, 0, 0};
};

class FakeFileSystem final : public FileSystem {
 public:
  bool PathExists(const WideString& path) noexcept override { return existing.count(Text(path)) != 0; }

  std::set<std::u16string> existing;
};

class FakeInstaller final : public Installer {
 public:
  void SetInternalUiNone() noexcept override { ++uiLevelSetToNone; }

  int uiLevelSetToNone = 0;
};

class FakeInstallSteps final : public InstallSteps {
 public:
  Status InstallProvider(const WideString& subdirectory, WideString arguments, bool silent, bool reinstall,
                         bool noUpdate) noexcept override {
    calls.push_back(u"provider " + Text(subdirectory));
    providerArguments.push_back(Text(arguments));
    providerFlags.push_back({silent, reinstall, noUpdate});
    const Status status = Text(subdirectory) == u"csp" ? cspStatus : ucspStatus;
    return status;
  }
  Status InstallPluginPackage(WideString pluginArgs, bool silent, WideString& logPath,
                              bool reinstall) noexcept override {
    calls.push_back(u"plugin");
    pluginArguments = Text(pluginArgs);
    pluginSilent = silent;
    pluginReinstall = reinstall;
    if (!logPathToSet.empty()) logPath = WideString(logPathToSet.c_str());
    return pluginStatus;
  }
  SelectionOutcome ShowSelectionDialog() noexcept override {
    calls.push_back(u"dialog");
    return selection;
  }
  Status QueryRebootMarker(bool& restartPending) noexcept override {
    calls.push_back(u"query marker");
    restartPending = markerPresent;
    return markerPresent ? 0 : 2;
  }
  Status RemoveRebootMarker() noexcept override {
    calls.push_back(u"remove marker");
    markerPresent = false;
    return 0;
  }
  bool RestartSystem() noexcept override {
    calls.push_back(u"restart");
    return restartSucceeds;
  }

  struct Flags {
    bool silent, reinstall, noUpdate;
  };

  Status cspStatus = 0;
  Status ucspStatus = 0;
  Status pluginStatus = 0;
  std::u16string logPathToSet;
  SelectionOutcome selection = SelectionOutcome::kContinue;
  bool markerPresent = false;
  bool restartSucceeds = true;

  std::vector<std::u16string> calls;
  std::vector<std::u16string> providerArguments;
  std::vector<Flags> providerFlags;
  std::u16string pluginArguments;
  bool pluginSilent = false;
  bool pluginReinstall = false;
};

// All the fakes of one run, wired together.
struct FakeWorld {
  FakeUi ui;
  FakeCommandLine commandLine;
  FakeSystemInfo system;
  FakeFileSystem files;
  FakeInstaller installer;
  FakeInstallSteps steps;

  Platform platform() { return Platform{ui, commandLine, system, files, installer}; }
};

}  // namespace orvex::fake
