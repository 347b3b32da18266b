// The providers' Setup.exe and the plug-in's msiexec command lines, built
// against fakes whose every setting comes from the input, compared whole
// with what the documented rules give: the user's arguments verbatim at the
// end, full paths or a refusal, never a cut one.
//
// Input: a 9-byte header, then TMP, the arguments, the installed version and
// the package version, separated by NUL bytes, as UTF-8 (any byte goes).
//   [0] bits: silent, reinstall, noupdate, 64-bit Windows, product installed,
//       TMP set, setup program not started, "ucsp" instead of "csp"
//   [1] feature state + 1 (low 3 bits), then: answer No, installed version
//       unreadable, Windows 5.2
//   [2..5] the installer's exit code, little-endian
//   [6], [7] bit 0: the current directory's length past "D:\d"; [7] bit 1:
//       the system directory cannot be read
//   [8] the system directory's length past "C:\Windows\system32"

#include <algorithm>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "fuzz_input.h"
#include "install/package_search.h"
#include "install/plugin_package.h"
#include "install/provider_setup.h"
#include "restart/reboot_marker.h"

namespace {

using orvex::Status;
using orvex::WideString;

constexpr std::size_t kHeader = 9;
const std::u16string kStamp = u"_2026-03-05-14-07-09.log";
const std::u16string kProduct = orvex::kPluginProductCode;

struct Setup {
  bool silent, reinstall, noUpdate, windows64, installed, tmpSet, startFails, ucsp;
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

struct Expected {
  Status status = 0;
  bool runs = false;
  std::u16string commandLine;
  std::size_t boxes = 0;
  std::u16string logPath;
};

bool Has(const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; }
int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

// The documented version order, written out on its own: dotted fields of
// ASCII digits that each fit 32 bits compare as numbers (a missing field is
// 0); anything else compares by code unit, a proper prefix first.
bool NumericFields(const std::u16string& text, std::vector<unsigned long long>& fields) {
  fields.assign(1, 0);
  bool digits = false;
  for (const char16_t unit : text) {
    if (unit == u'.' && digits) {
      fields.push_back(0);
      digits = false;
    } else if (unit >= u'0' && unit <= u'9' && (fields.back() = fields.back() * 10 + (unit - u'0')) <= 0xFFFFFFFFull) {
      digits = true;
    } else {
      return false;
    }
  }
  return digits;
}

int ModelOrder(const std::u16string& package, const std::u16string& installed) {
  std::vector<unsigned long long> a, b;
  if (!NumericFields(package, a) || !NumericFields(installed, b)) return Sign(package.compare(installed));
  a.resize(std::max(a.size(), b.size()));
  b.resize(a.size());
  return a < b ? -1 : (a > b ? 1 : 0);
}

Expected ExpectProvider(const Setup& s) {
  Expected e;
  const std::u16string subdirectory = s.ucsp ? u"ucsp" : u"csp";
  std::u16string arguments = s.arguments;
  if (!Has(s.arguments, u"/l") && !Has(s.arguments, u"/L")) {
    if (!s.tmpSet || s.tmp.empty()) {
      e.status = 203;
      e.boxes = s.silent ? 0 : 1;
      return e;
    }
    e.logPath = s.tmp + u"\\" + subdirectory + kStamp;
    arguments = u"/Lv! \"\"\"" + e.logPath + u"\"\"\" " + arguments;
  }
  if (!Has(s.arguments, u"/q")) arguments = u"/qb " + arguments;  // the user's own quiet level only
  e.runs = true;
  e.commandLine = subdirectory + u"\\Setup.exe -args \"" + arguments + u"\" -noreboot -root" +
                  (s.silent ? u" -silent" : u"") + (s.reinstall ? u" -reinstall" : u"") +
                  (s.noUpdate ? u" -noupdate" : u"");
  const Status code = s.exitCode;
  const bool succeeded = !s.startFails && (code == 0 || code == 3 || code == 4 || code == 8 || code == 1602);
  e.status = succeeded ? 0 : code;
  e.boxes = succeeded || s.silent ? 0 : 1;
  return e;
}

Expected ExpectPlugin(const Setup& s) {
  Expected e;
  const auto fail = [&](Status status, bool alwaysShown) {
    e.status = status;
    e.boxes += alwaysShown || !s.silent ? 1 : 0;
    return e;
  };
  const std::u16string architecture = s.windows64 ? u"x64" : u"win32";
  const bool directoryFits = s.currentDirectory.size() < 260;
  std::u16string properties = s.arguments;
  if (!s.installed) {
    properties = u" ADDNPORVEX=1" + properties;
  } else {
    if (s.versionUnreadable) return fail(1605, true);
    if (!directoryFits) return fail(206, true);
    const int order = ModelOrder(s.packageVersion, s.installedVersion);
    if (order < 0 && !s.silent) {
      ++e.boxes;  // the newer version stays
      return e;
    }
    if (order == 0 && !s.reinstall) {
      if (s.silent) return e;
      ++e.boxes;
      if (s.answerNo) {
        e.status = 1602;
        return e;
      }
    }
    if (s.featureState == 2) properties = u" COMPADDLOCAL={A7D2F4E6-3B51-4C8A-9E07-6F2B81C5D934}" + properties;
    properties = u" REINSTALL=ALL REINSTALLMODE=vomus" + properties;
  }
  if (!Has(s.arguments, u"/q")) properties = u" /qb" + properties;
  if (!directoryFits) return fail(206, false);
  const std::u16string packagePath =
      s.currentDirectory + u"\\" + architecture + u"\\orvexcom-" + architecture + u".msi";
  properties = u" REBOOT=R " + properties;
  if (!Has(s.arguments, u"/l") && !Has(s.arguments, u"/L")) {
    if (!s.tmpSet || s.tmp.empty()) return fail(203, false);
    e.logPath = s.tmp + u"\\orvexcom-" + architecture + u".msi" + kStamp;
    properties = u"/Lv! \"" + e.logPath + u"\"" + properties;
  }
  if (s.systemDirectoryFails) return fail(5, false);
  if (s.systemDirectory.size() >= 259) return fail(206, false);  // never a cut directory
  e.runs = true;
  e.commandLine = u"\"" + s.systemDirectory + u"\\msiexec.exe\" /i \"" + packagePath + u"\" " + properties;
  const Status code = s.exitCode;
  e.status = !s.startFails && (code == 1641 || code == 3010 || code == 3011) ? 0 : code;
  return e;
}

void CheckRun(const orvex::fake::FakeWorld& world, const Expected& e, Status status) {
  FUZZ_CHECK(status == e.status);
  FUZZ_CHECK(world.processes.commandLines.size() == (e.runs ? 1u : 0u));
  if (e.runs) FUZZ_CHECK_TEXT(world.processes.commandLines[0], e.commandLine);
  FUZZ_CHECK(world.ui.shown.size() == e.boxes);
  FUZZ_CHECK(world.installer.openHandles.empty() && world.files.searches.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) return -1;  // not worth keeping
  const std::uint8_t* h = data;
  std::vector<std::u16string> fields = orvex::fuzz::SplitAtNul(data + kHeader, size - kHeader);
  fields.resize(4);
  const std::size_t directoryLength = h[6] + ((h[7] & 1u) << 8);
  const Setup s{(h[0] & 1) != 0,  (h[0] & 2) != 0,  (h[0] & 4) != 0,  (h[0] & 8) != 0,
                (h[0] & 16) != 0, (h[0] & 32) != 0, (h[0] & 64) != 0, (h[0] & 128) != 0,
                (h[1] & 7) - 1,   (h[1] & 8) != 0,  (h[1] & 16) != 0, (h[1] & 32) != 0,
                (h[7] & 2) != 0,  static_cast<Status>(h[2] | h[3] << 8 | h[4] << 16 | static_cast<Status>(h[5]) << 24),
                u"D:\\d" + std::u16string(directoryLength, u'd'),
                u"C:\\Windows\\system32" + std::u16string(h[8], u's'),
                fields[0], fields[1], fields[2], fields[3]};

  // The step's own arguments are the input's; every other one must not count.
  const orvex::ProviderId provider = s.ucsp ? orvex::kUcsp : orvex::kCsp;
  orvex::InstallOptions options;
  options.silent = s.silent;
  options.reinstall = s.reinstall;
  options.noUpdate = s.noUpdate;
  options.providerArgs[provider] = options.pluginArgs = WideString(s.arguments.c_str());
  options.providerArgs[1 - provider] = WideString(u"/other /l");
  {
    orvex::fake::FakeWorld world;
    s.Arrange(world);
    orvex::Platform platform = world.platform();
    const Status status = orvex::InstallProvider(platform, provider, options);
    CheckRun(world, ExpectProvider(s), status);
    FUZZ_CHECK(orvex::fuzz::Holds(options.providerArgs[provider], s.arguments));  // the caller's copy is untouched
  }
  {
    orvex::fake::FakeWorld world;
    s.Arrange(world);
    orvex::Platform platform = world.platform();
    WideString logPath;
    const Expected e = ExpectPlugin(s);
    const Status status = orvex::InstallPluginPackage(platform, options, logPath);
    CheckRun(world, e, status);
    FUZZ_CHECK(orvex::fuzz::Holds(options.pluginArgs, s.arguments));
    FUZZ_CHECK_TEXT(orvex::fuzz::Text(logPath), e.logPath);
    // A restart asked for by msiexec is remembered; nothing else leaves the mark.
    bool pending = false;
    (void)orvex::QueryRebootMarker(world.registry, pending);
    const bool restartCode = s.exitCode == 1641 || s.exitCode == 3010 || s.exitCode == 3011;
    FUZZ_CHECK(pending == (e.runs && restartCode && !s.startFails));
    FUZZ_CHECK(world.files.deleted.size() == (e.runs && s.windows52 ? 1u : 0u));
  }
  return 0;
}
