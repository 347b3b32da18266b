#pragma once

// In-memory stand-ins for the Windows layer, so the decisions can be tested
// on any system.

#include <algorithm>
#include <deque>
#include <iterator>
#include <map>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "platform/system.h"
#include "resources/message_source.h"

namespace orvex::fake {

inline std::u16string Text(const WideString& text) { return std::u16string(text.c_str(), text.Length()); }

// One effect on the system or the user, in the order of the run.
struct Effect {
  enum Kind { kBox, kDialog, kQuietInstaller, kSourceList, kRemoveFile, kRun, kCreateKey, kOpenKey, kDeleteKey,
              kRestart };
  Kind kind;
  std::u16string text;      // a box's text, a source-list call, a path, a command line or a key
  std::u16string caption;   // a box's
  std::uint32_t style = 0;  // a box's style, a key's access, a source list's context
  std::uint32_t extra = 0;  // a deleted key's registry view, a source list's options
};
using Trace = std::vector<Effect>;

// Where a fake records; FakeWorld points all of its fakes at its one trace.
struct Recorder {
  std::vector<Effect> Of(Effect::Kind kind) const {
    std::vector<Effect> found;
    std::copy_if(trace->begin(), trace->end(), std::back_inserter(found), [&](auto& e) { return e.kind == kind; });
    return found;
  }

  Trace own;
  Trace* trace = &own;
};

// The catalogue as compiled from messages.inc, where the program reads its
// string table. A missing or empty entry counts as absent.
inline bool LoadCatalogueMessage(std::uint32_t id, WideString& target) noexcept {
  for (const MessageSourceEntry& entry : kMessageSource) {
    if (entry.id == id && entry.text[0] != 0) {
      target.Assign(entry.text, TextLength(entry.text));
      return true;
    }
  }
  return false;
}

class FakeUi final : public Ui, public Recorder {
 public:
  bool LoadMessage(std::uint32_t id, WideString& target) noexcept override { return LoadCatalogueMessage(id, target); }

  int ShowMessageBox(const WideString& text, const WideString& caption, std::uint32_t style) noexcept override {
    trace->push_back({Effect::kBox, Text(text), Text(caption), style});
    if (answers.empty()) return (style & 0xF) == box::kYesNo ? box::kIdYes : box::kIdOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  bool ShowSelectionDialog() noexcept override {
    trace->push_back({Effect::kDialog, u"", u""});
    return !dialogCancelled;
  }

  std::vector<Effect> shown() const { return Of(Effect::kBox); }

  std::deque<int> answers;  // next answers; Yes or OK when empty
  bool dialogCancelled = false;
};

class FakeCommandLine final : public CommandLineSource {
 public:
  explicit FakeCommandLine(std::vector<std::u16string> arguments = {}) : arguments_(std::move(arguments)) {}

  ArgumentArray SplitArguments() noexcept override {
    ++splits;
    pointers_.clear();
    for (const std::u16string& argument : arguments_) pointers_.push_back(argument.c_str());
    pointers_.push_back(nullptr);  // as Windows ends its array
    return {pointers_.data(), static_cast<int>(pointers_.size() - 1)};
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
  bool IsWindows64Bit() noexcept override { return windows64; }

  bool admin = true;
  bool versionAvailable = true;
  OsVersion version{10, 0, 0};
  bool windows64 = true;
};

// Windows compares file names without regard to case.
inline char16_t FoldCase(char16_t unit) {
  if (unit >= u'A' && unit <= u'Z') return static_cast<char16_t>(unit - u'A' + u'a');
  if (unit >= u'\u0410' && unit <= u'\u042F') return static_cast<char16_t>(unit + 0x20);
  return unit;
}

inline bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// * for any run, ? for one unit, without regard to case.
inline bool MatchesPattern(const char16_t* pattern, const char16_t* name) {
  if (*pattern == 0) return *name == 0;
  if (*pattern == u'*') return MatchesPattern(pattern + 1, name) || (*name != 0 && MatchesPattern(pattern, name + 1));
  if (*name == 0) return false;
  if (*pattern != u'?' && FoldCase(*pattern) != FoldCase(*name)) return false;
  return MatchesPattern(pattern + 1, name + 1);
}

// Files and directories by full path, listed in the order they were added
// (which is the order a search returns them in).
class FakeFileSystem final : public FileSystem, public Recorder {
 public:
  void AddFile(const std::u16string& path) { entries.push_back({path, false}); }
  void AddDirectory(const std::u16string& path) { entries.push_back({path, true}); }

  bool PathExists(const WideString& path) noexcept override {
    for (const auto& entry : entries) {
      if (SameName(entry.path, Text(path))) return true;
    }
    return false;
  }

  bool FindFirst(const WideString& pattern, FoundEntry& entry, SearchHandle& search) noexcept override {
    const std::u16string text = Absolute(Text(pattern));
    const std::size_t slash = text.rfind(u'\\');
    const std::u16string directory = slash == std::u16string::npos ? u"" : text.substr(0, slash);
    const std::u16string namePattern = slash == std::u16string::npos ? text : text.substr(slash + 1);
    std::vector<FoundEntry> found;
    const bool driveRoot = directory.size() == 2 && directory[1] == u':';
    if (!driveRoot && MatchesPattern(namePattern.c_str(), u".")) {
      found.push_back({WideString(u"."), true});
      found.push_back({WideString(u".."), true});
    }
    for (const auto& candidate : entries) {
      const std::size_t at = candidate.path.rfind(u'\\');
      if (at == std::u16string::npos || !SameName(candidate.path.substr(0, at), directory)) continue;
      const std::u16string name = candidate.path.substr(at + 1);
      if (MatchesPattern(namePattern.c_str(), name.c_str())) found.push_back({WideString(name.c_str()), candidate.directory});
    }
    if (found.empty()) return false;
    entry = found.front();
    search = nextHandle++;
    searches[search] = {found, 1};
    return true;
  }

  bool FindNext(SearchHandle search, FoundEntry& entry) noexcept override {
    auto& open = searches.at(search);
    if (open.next >= open.found.size()) return false;
    entry = open.found[open.next++];
    return true;
  }

  void FindClose(SearchHandle search) noexcept override { searches.erase(search); }

  bool RemoveFile(const WideString& path) noexcept override {
    trace->push_back({Effect::kRemoveFile, Text(path), u""});
    for (auto it = entries.begin(); it != entries.end(); ++it) {
      if (!it->directory && SameName(it->path, Text(path))) {
        entries.erase(it);
        return true;
      }
    }
    return false;
  }

  struct Entry {
    std::u16string path;
    bool directory;
  };
  struct OpenSearch {
    std::vector<FoundEntry> found;
    std::size_t next;
  };

  // Relative patterns are resolved against this, as Windows does against
  // the process's current directory.
  std::u16string Absolute(const std::u16string& path) const {
    if ((path.size() > 1 && path[1] == u':') || (!path.empty() && path[0] == u'\\')) return path;
    const bool root = !currentDirectory.empty() && currentDirectory.back() == u'\\';
    return currentDirectory + (root ? u"" : u"\\") + path;
  }

  std::u16string currentDirectory = u"D:\\dist";
  std::vector<Entry> entries;
  std::map<SearchHandle, OpenSearch> searches;  // open ones: empty after a well-behaved caller
  SearchHandle nextHandle = 1;
};

class FakeEnvironment final : public Environment {
 public:
  std::uint32_t GetVariable(const char16_t* name, char16_t* buffer, std::uint32_t size) noexcept override {
    for (const auto& [key, value] : variables) {
      if (SameName(key, name)) return Copy(value, buffer, size);
    }
    lastError = 203;  // ERROR_ENVVAR_NOT_FOUND
    return 0;
  }
  std::uint32_t SystemDirectory(char16_t* buffer, std::uint32_t size) noexcept override {
    if (systemDirectoryError != 0) {
      lastError = systemDirectoryError;
      return 0;
    }
    return Copy(systemDirectory, buffer, size);
  }
  std::uint32_t CurrentDirectory(std::uint32_t size, char16_t* buffer) noexcept override {
    return Copy(currentDirectory, buffer, size);
  }
  Status LastError() noexcept override { return lastError; }
  CalendarTime LocalNow() noexcept override { return now; }
  void WriteStandardOutput(const WideString& text) noexcept override { output += Text(text); }

  std::map<std::u16string, std::u16string> variables{{u"TMP", u"C:\\Temp"}, {u"WINDIR", u"C:\\Windows"}};
  std::u16string systemDirectory = u"C:\\Windows\\system32";
  std::u16string currentDirectory = u"D:\\dist";
  Status systemDirectoryError = 0;
  Status lastError = 0;
  CalendarTime now{2026, 3, 5, 14, 7, 9};
  std::u16string output;

 private:
  // The Windows convention: the length copied, or the size needed with the
  // terminator when the buffer is too small.
  static std::uint32_t Copy(const std::u16string& value, char16_t* buffer, std::uint32_t size) {
    const auto length = static_cast<std::uint32_t>(value.size());
    if (buffer == nullptr || size <= length) return length + 1;
    std::copy(value.begin(), value.end(), buffer);
    buffer[length] = 0;
    return length;
  }
};

class FakeProcesses final : public Processes, public Recorder {
 public:
  Status RunProcess(const WideString& commandLine, bool& exitCodeRead) noexcept override {
    trace->push_back({Effect::kRun, Text(commandLine), u""});
    exitCodeRead = !startFails;
    if (results.empty()) return 0;
    const Status result = results.front();
    results.pop_front();
    return result;
  }

  std::vector<std::u16string> commandLines() const {
    std::vector<std::u16string> lines;
    for (const Effect& run : Of(Effect::kRun)) lines.push_back(run.text);
    return lines;
  }

  std::deque<Status> results;  // exit codes of the next runs; 0 when empty
  bool startFails = false;     // results are then start errors, not exit codes
};

class FakeInstaller final : public Installer, public Recorder {
 public:
  struct Package {
    Status openStatus = 0;
    std::map<std::u16string, std::u16string> properties;
    Status propertyStatus = 0;
  };

  void SetInternalUiNone() noexcept override { trace->push_back({Effect::kQuietInstaller, u"", u""}); }
  int QueryProductState(const WideString& productCode) noexcept override {
    const auto found = productStates.find(Text(productCode));
    return found == productStates.end() ? -1 : found->second;
  }
  int QueryFeatureState(const WideString& productCode, const WideString& feature) noexcept override {
    const auto found = featureStates.find(Text(productCode) + u"/" + Text(feature));
    return found == featureStates.end() ? -1 : found->second;
  }
  Status GetProductInfo(const WideString& productCode, const char16_t* attribute, char16_t* buffer,
                        std::uint32_t& size) noexcept override {
    if (productInfoStatus != 0) return productInfoStatus;
    const auto found = productInfo.find(Text(productCode) + u"/" + attribute);
    if (found == productInfo.end()) return 1605;  // ERROR_UNKNOWN_PRODUCT
    if (buffer == nullptr) {  // no buffer: the length, and success
      size = static_cast<std::uint32_t>(found->second.size());
      return 0;
    }
    return CopyValue(found->second, buffer, size);
  }
  Status OpenPackage(const WideString& path, std::uint32_t options, InstallerHandle& handle) noexcept override {
    openOptions.push_back(options);
    const auto found = packages.find(Text(path));
    if (found == packages.end()) return 1619;  // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    if (found->second.openStatus != 0) return found->second.openStatus;
    handle = nextHandle++;
    openHandles[handle] = Text(path);
    return 0;
  }
  Status GetProperty(InstallerHandle handle, const char16_t* name, char16_t* buffer,
                     std::uint32_t& size) noexcept override {
    const Package& package = packages.at(openHandles.at(handle));
    if (package.propertyStatus != 0) return package.propertyStatus;
    const auto found = package.properties.find(name);
    return CopyValue(found == package.properties.end() ? u"" : found->second, buffer, size);
  }
  Status CloseHandle(InstallerHandle handle) noexcept override {
    return openHandles.erase(handle) == 1 ? 0 : 6;  // ERROR_INVALID_HANDLE
  }
  Status SourceListClearAll(const WideString& productCode) noexcept override {
    trace->push_back({Effect::kSourceList, u"clear " + Text(productCode), u""});
    return 0;
  }
  Status SourceListSetInfo(const WideString& productCode, std::uint32_t context, std::uint32_t options,
                           const char16_t* property, const WideString& value) noexcept override {
    trace->push_back({Effect::kSourceList, u"set " + Text(productCode) + u" " + property + u"=" + Text(value), u"",
                      context, options});
    return 0;
  }

  std::map<std::u16string, int> productStates;      // by product code
  std::map<std::u16string, int> featureStates;      // by "product/feature"
  std::map<std::u16string, std::u16string> productInfo;  // by "product/attribute"
  Status productInfoStatus = 0;
  std::map<std::u16string, Package> packages;       // by full path
  std::map<InstallerHandle, std::u16string> openHandles;  // empty after a well-behaved caller
  std::vector<std::uint32_t> openOptions;
  InstallerHandle nextHandle = 100;

 private:
  // ERROR_MORE_DATA with the length when the buffer cannot hold the value
  // and its terminator; an empty value fits any buffer.
  static Status CopyValue(const std::u16string& value, char16_t* buffer, std::uint32_t& size) {
    const auto length = static_cast<std::uint32_t>(value.size());
    if (length == 0) {
      if (buffer != nullptr && size > 0) buffer[0] = 0;
      size = 0;
      return 0;
    }
    if (buffer == nullptr || size <= length) {
      size = length;
      return 234;
    }
    std::copy(value.begin(), value.end(), buffer);
    buffer[length] = 0;
    size = length;
    return 0;
  }
};

// Keys under HKEY_CURRENT_USER, by path.
class FakeRegistry final : public Registry, public Recorder {
 public:
  Status CreateUserKey(const char16_t* subkey, std::uint32_t access) noexcept override {
    trace->push_back({Effect::kCreateKey, subkey, u"", access});
    keys.insert(subkey);
    return 0;
  }
  Status OpenUserKey(const char16_t* subkey, std::uint32_t access) noexcept override {
    trace->push_back({Effect::kOpenKey, subkey, u"", access});
    if (openStatus != 0) return openStatus;
    return keys.count(subkey) != 0 ? 0 : 2;  // ERROR_FILE_NOT_FOUND
  }
  Status DeleteUserSubkey(const char16_t* parent, std::uint32_t parentAccess, const char16_t* name,
                          std::uint32_t viewAccess) noexcept override {
    trace->push_back({Effect::kDeleteKey, std::u16string(parent) + u"\\" + name, u"", parentAccess, viewAccess});
    return keys.erase(std::u16string(parent) + u"\\" + name) == 1 ? 0 : 2;
  }

  std::set<std::u16string> keys{u"Software"};
  Status openStatus = 0;
};

class FakePower final : public Power, public Recorder {
 public:
  bool EnableShutdownPrivilege() noexcept override { return privilegeHeld; }
  bool RequestRestart() noexcept override {
    trace->push_back({Effect::kRestart, u"", u""});
    return restartAccepted;
  }

  bool privilegeHeld = true;
  bool restartAccepted = true;
};

// All the fakes of one run, wired together, recording into one trace.
struct FakeWorld {
  FakeWorld() { ui.trace = files.trace = processes.trace = installer.trace = registry.trace = power.trace = &trace; }
  FakeWorld(const FakeWorld&) = delete;
  FakeWorld& operator=(const FakeWorld&) = delete;

  // The trace in short: each effect's kind and text, such as "run <command
  // line>" or "box <text>"; the kinds without text by their name alone.
  std::vector<std::u16string> Steps() const {
    static const char16_t* const kNames[] = {u"box",    u"dialog", u"quiet", u"sources", u"remove",
                                             u"run",    u"create", u"open",  u"delete",  u"restart"};
    std::vector<std::u16string> steps;
    for (const Effect& effect : trace) {
      steps.push_back(kNames[effect.kind] + (effect.text.empty() ? u"" : u" " + effect.text));
    }
    return steps;
  }

  // The failing statuses the world is set to give, which a run may end with
  // as they are; read before the run, which takes up the exit codes.
  std::set<Status> Given() const {
    std::set<Status> given(processes.results.begin(), processes.results.end());
    given.insert({installer.productInfoStatus, environment.systemDirectoryError});
    return given;
  }

  Trace trace;
  FakeUi ui;
  FakeCommandLine commandLine;
  FakeSystemInfo system;
  FakeFileSystem files;
  FakeEnvironment environment;
  FakeProcesses processes;
  FakeInstaller installer;
  FakeRegistry registry;
  FakePower power;

  Platform platform() {
    return Platform{ui, commandLine, system, files, environment, processes, installer, registry, power};
  }
};

}  // namespace orvex::fake
