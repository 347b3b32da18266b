// The providers' Setup.exe and the plug-in's msiexec command lines, built
// against fakes whose every setting comes from the input: no crash and no
// sanitizer report, and properties that hold whatever the rules say:
// - the user's arguments reach the command line verbatim (at the very end
//   for msiexec), and the caller's copy is not changed;
// - paths are whole or refused, never cut: the command line begins with the
//   whole system or provider directory, and a log of ours lies in TMP;
// - under -silent no box appears but the version comparison's errors;
// - a restart is remembered only for msiexec's own restart codes, and then
//   the step succeeds; handles and searches are closed on every path.
//
// Input: a 9-byte header, then TMP, the arguments, the installed version and
// the package version, separated by NUL bytes, as UTF-8 (any byte goes).
//   [0] bits: silent, reinstall, noupdate, 64-bit Windows, product installed,
//       TMP set, setup program not started, then the provider's bit 0
//   [1] feature state + 1 (low 3 bits), then: answer No, installed version
//       unreadable, Windows 5.2, then the provider's bits 1 and 2; the
//       provider is their number modulo kProviderCount
//   [2..5] the installer's exit code, little-endian
//   [6], [7] bit 0: the current directory's length past "D:\d"; [7] bit 1:
//       the system directory cannot be read
//   [8] the system directory's length past "C:\Windows\system32"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "install/package_search.h"
#include "install/plugin_package.h"
#include "install/provider_setup.h"
#include "install/providers.h"
#include "resources/message_ids.h"

namespace orvex::fuzz {
// Ends the run as a crash, so libFuzzer keeps the input; works with NDEBUG.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

// UTF-8 to UTF-16 that accepts anything: a byte that starts no valid
// sequence becomes the unit of the same value, and encoded surrogates come
// through as lone surrogates, so every unit sequence stays reachable.
inline std::u16string Widen(const std::uint8_t* data, std::size_t size) {
  std::u16string out;
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t lead = data[i];
    const std::size_t extra = lead >= 0xF0 && lead <= 0xF4   ? 3
                              : lead >= 0xE0 && lead <= 0xEF ? 2
                              : lead >= 0xC2 && lead <= 0xDF ? 1
                                                             : 0;
    std::uint32_t code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : extra == 1 ? lead & 0x1Fu : lead;
    bool valid = i + extra < size;
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      if ((data[i + k] & 0xC0) != 0x80) valid = false;
      else code = (code << 6) | (data[i + k] & 0x3Fu);
    }
    if (!valid || (extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF))) {
      out.push_back(static_cast<char16_t>(lead));
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += extra + 1;
  }
  return out;
}

// The input cut at NUL bytes, each piece widened.
inline std::vector<std::u16string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
  std::vector<std::u16string> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      fields.push_back(Widen(data + start, i - start));
      start = i + 1;
    }
  }
  return fields;
}

}  // namespace orvex::fuzz

namespace {

using orvex::Status;
using orvex::fake::Text;
using orvex::WideString;

constexpr std::size_t kHeader = 9;
const std::u16string kStamp = u"_2026-03-05-14-07-09.log";
const std::u16string kProduct = orvex::kPluginProductCode;

struct Setup {
  bool silent, reinstall, noUpdate, windows64, installed, tmpSet, startFails;
  int featureState;
  bool answerNo, versionUnreadable, windows52, systemDirectoryFails;
  Status exitCode;
  std::u16string currentDirectory, systemDirectory, tmp, arguments, installedVersion, packageVersion;

  void Arrange(orvex::fake::FakeWorld& world) const {
    world.system.windows64 = windows64;
    world.system.version = windows52 ? orvex::OsVersion{5, 2, 2} : orvex::OsVersion{10, 0, 0};
    if (tmpSet) {
      world.environment.variables[u"TMP"] = tmp;
    } else {
      world.environment.variables.erase(u"TMP");
    }
    world.environment.currentDirectory = world.files.currentDirectory = currentDirectory;
    world.environment.systemDirectory = systemDirectory;
    if (systemDirectoryFails) world.environment.systemDirectoryError = 5;
    world.processes.results = {exitCode};
    world.processes.startFails = startFails;
    if (answerNo) world.ui.answers = {orvex::box::kIdNo};
    for (const std::u16string architecture : {u"win32", u"x64"}) {
      world.files.AddDirectory(currentDirectory + u"\\" + architecture);
      const std::u16string package = currentDirectory + u"\\" + architecture + u"\\orvexcom-" + architecture + u".msi";
      world.files.AddFile(package);
      world.installer.packages[package].properties[u"ProductVersion"] = packageVersion;
    }
    if (installed) {
      world.installer.productStates[kProduct] = 5;
      if (!versionUnreadable) world.installer.productInfo[kProduct + u"/VersionString"] = installedVersion;
      world.installer.featureStates[kProduct + u"/NPORVEX"] = featureState;
    }
  }
};

bool Has(const std::u16string& text, const std::u16string& part) { return text.find(part) != std::u16string::npos; }
bool EndsWith(const std::u16string& text, const std::u16string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
bool IsRestartCode(Status code) { return code == 1641 || code == 3010 || code == 3011; }

// What holds of any run of either step.
void CheckRun(const Setup& s, const orvex::fake::FakeWorld& world, const std::u16string& logPath) {
  FUZZ_CHECK(world.installer.openHandles.empty() && world.files.searches.empty());
  FUZZ_CHECK(world.processes.commandLines().size() <= 1);
  if (!logPath.empty()) {
    FUZZ_CHECK(s.tmpSet && logPath.compare(0, s.tmp.size() + 1, s.tmp + u"\\") == 0 && EndsWith(logPath, kStamp));
  }
  if (!s.silent) return;
  // The version comparison's errors are the only boxes -silent lets through.
  for (const orvex::fake::Effect& shown : world.ui.shown()) {
    bool allowed = false;
    for (const std::uint32_t id : {orvex::kMsgInstalledVersionUnknown, orvex::kMsgPackageNotFound,
                                   orvex::kMsgPackageUnopenable, orvex::kMsgPackageVersionUnknown}) {
      WideString text;
      allowed |= orvex::fake::LoadCatalogueMessage(id, text) && shown.text == Text(text);
    }
    FUZZ_CHECK(allowed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) return -1;  // not worth keeping
  const std::uint8_t* h = data;
  std::vector<std::u16string> fields = orvex::fuzz::SplitAtNul(data + kHeader, size - kHeader);
  fields.resize(4);
  const std::size_t directoryLength = h[6] + ((h[7] & 1u) << 8);
  const Setup s{(h[0] & 1) != 0,  (h[0] & 2) != 0,  (h[0] & 4) != 0,  (h[0] & 8) != 0,
                (h[0] & 16) != 0, (h[0] & 32) != 0, (h[0] & 64) != 0,
                (h[1] & 7) - 1,   (h[1] & 8) != 0,  (h[1] & 16) != 0, (h[1] & 32) != 0,
                (h[7] & 2) != 0,  static_cast<Status>(h[2] | h[3] << 8 | h[4] << 16 | static_cast<Status>(h[5]) << 24),
                u"D:\\d" + std::u16string(directoryLength, u'd'),
                u"C:\\Windows\\system32" + std::u16string(h[8], u's'),
                fields[0], fields[1], fields[2], fields[3]};

  // The step's own arguments are the input's; every other one must not count.
  const int provider = ((h[0] >> 7) | (h[1] >> 6 << 1)) % orvex::kProviderCount;
  orvex::InstallOptions options;
  options.silent = s.silent;
  options.reinstall = s.reinstall;
  options.noUpdate = s.noUpdate;
  for (WideString& other : options.providerArgs) other = WideString(u"/other /l");
  options.providerArgs[provider] = options.pluginArgs = WideString(s.arguments.c_str());
  {
    orvex::fake::FakeWorld world;
    s.Arrange(world);
    orvex::Platform platform = world.platform();
    const Status status = orvex::InstallProvider(platform, static_cast<orvex::ProviderId>(provider), options);
    FUZZ_CHECK(Text(options.providerArgs[provider]) == s.arguments);
    const auto& lines = world.processes.commandLines();
    const std::u16string subdirectory = orvex::kProviders[provider].subdirectory;
    if (!lines.empty()) {
      const std::u16string& line = lines[0];
      FUZZ_CHECK(line.rfind(subdirectory + u"\\Setup.exe -args \"", 0) == 0);
      FUZZ_CHECK(Has(line, s.arguments + u"\" -noreboot -root"));
      if (!Has(s.arguments, u"/l") && !Has(s.arguments, u"/L")) {
        FUZZ_CHECK(Has(line, u"/Lv! \"\"\"" + s.tmp + u"\\" + subdirectory + kStamp + u"\"\"\" "));
      }
    }
    CheckRun(s, world, u"");
    FUZZ_CHECK(status != 0 || !lines.empty());
  }
  {
    orvex::fake::FakeWorld world;
    s.Arrange(world);
    orvex::Platform platform = world.platform();
    WideString logPath;
    const Status status = orvex::InstallPluginPackage(platform, options, world.system.version, logPath);
    FUZZ_CHECK(Text(options.pluginArgs) == s.arguments);
    const auto& lines = world.processes.commandLines();
    const bool ran = !lines.empty();
    if (ran) {
      const std::u16string& line = lines[0];
      FUZZ_CHECK(line.rfind(u"\"" + s.systemDirectory + u"\\msiexec.exe\" /i \"" + s.currentDirectory + u"\\", 0) == 0);
      FUZZ_CHECK(EndsWith(line, s.arguments));
      if (logPath.Length() != 0) FUZZ_CHECK(Has(line, u"/Lv! \"" + Text(logPath) + u"\""));
    }
    CheckRun(s, world, Text(logPath));
    const bool pending = !world.registry.Of(orvex::fake::Effect::kCreateKey).empty();
    FUZZ_CHECK(pending == (ran && !s.startFails && IsRestartCode(s.exitCode)));
    if (pending) FUZZ_CHECK(status == 0);
    FUZZ_CHECK(world.files.Of(orvex::fake::Effect::kRemoveFile).size() == (ran && s.windows52 ? 1u : 0u));
  }
  return 0;
}
