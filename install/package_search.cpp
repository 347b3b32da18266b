#include "install/package_search.h"

#include "resources/catalogue_box.h"

namespace orvex {

namespace {

// Closes the package handle on every path; its status changes nothing.
struct PackageCloser {
  Installer* installer = nullptr;
  void operator()(InstallerHandle handle) const noexcept { (void)installer->CloseHandle(handle); }
};
using PackageHandle = UniqueResource<InstallerHandle, PackageCloser>;

// One dotted field as an unsigned 32-bit number; false when it is empty,
// holds anything but ASCII digits, or does not fit.
bool ParseField(const char16_t* begin, const char16_t* end, std::uint32_t& value) noexcept {
  if (begin == end) return false;
  std::uint64_t number = 0;
  for (const char16_t* p = begin; p != end; ++p) {
    if (*p < u'0' || *p > u'9') return false;
    number = number * 10 + static_cast<std::uint64_t>(*p - u'0');
    if (number > 0xFFFFFFFFull) return false;
  }
  value = static_cast<std::uint32_t>(number);
  return true;
}

// True when every field of text is a plain decimal number that fits.
bool IsNumericVersion(const WideString& text) noexcept {
  const char16_t* p = text.c_str();
  const char16_t* end = p + text.Length();
  if (p == end) return false;
  for (;;) {
    const char16_t* dot = p;
    while (dot != end && *dot != u'.') ++dot;
    std::uint32_t ignored = 0;
    if (!ParseField(p, dot, ignored)) return false;
    if (dot == end) return true;
    p = dot + 1;
  }
}

// The next field from p (0 once the text is used up), moving p past it.
std::uint32_t NextField(const char16_t*& p, const char16_t* end) noexcept {
  if (p == end) return 0;
  const char16_t* dot = p;
  while (dot != end && *dot != u'.') ++dot;
  std::uint32_t value = 0;
  (void)ParseField(p, dot, value);
  p = dot == end ? end : dot + 1;
  return value;
}

// Windows Installer's two-call pattern for a value of unknown length, with
// the first call already made: reads the value when the first call
// reported its length.
template <typename Read>
Status ReadSizedValue(Status first, std::uint32_t length, WideString& value, Read read) noexcept {
  if (first != 0 && first != kStatusMoreData) return first;
  std::uint32_t size = length + 1;
  char16_t* buffer = value.GetBuffer(size);
  const Status status = read(buffer, size);
  value.ReleaseBuffer(status == 0 && size < length + 1 ? size : 0);
  return status;
}

}  // namespace

Status FindPackageFile(FileSystem& files, Environment& environment, const WideString& pattern,
                       WideString& path, WideString& name) noexcept {
  FileSearch directories(files);
  FoundEntry directory;
  for (bool more = directories.First(WideString(u"*"), directory); more; more = directories.Next(directory)) {
    if (!directory.directory || directory.name.c_str()[0] == u'.') continue;
    WideString inside(directory.name);
    inside.Append(u"\\", 1);
    inside.Append(pattern);
    FileSearch matches(files);
    FoundEntry match;
    if (!matches.First(inside, match)) continue;

    WideString current;
    char16_t* buffer = current.GetBuffer(kPathUnits);
    const std::uint32_t length = environment.CurrentDirectory(kPathUnits, buffer);
    if (length == 0) return environment.LastError();
    // A larger answer is the size the directory would need: it does not fit.
    if (length >= kPathUnits) return kStatusPathTooLong;
    current.ReleaseBuffer(length);
    current.Append(u"\\", 1);
    current.Append(directory.name);
    current.Append(u"\\", 1);
    current.Append(match.name);
    path = static_cast<WideString&&>(current);
    name = static_cast<WideString&&>(match.name);
    return 0;
  }
  return kStatusPackageNotFound;
}

int OrderVersions(const WideString& package, const WideString& installed) noexcept {
  if (!IsNumericVersion(package) || !IsNumericVersion(installed)) return package.compare(installed);
  const char16_t* a = package.c_str();
  const char16_t* aEnd = a + package.Length();
  const char16_t* b = installed.c_str();
  const char16_t* bEnd = b + installed.Length();
  while (a != aEnd || b != bEnd) {
    const std::uint32_t left = NextField(a, aEnd);
    const std::uint32_t right = NextField(b, bEnd);
    if (left != right) return left < right ? -1 : 1;
  }
  return 0;
}

Status ComparePackageVersion(Platform& platform, const WideString& productCode, int& order) noexcept {
  Installer& installer = platform.installer;

  WideString installed;
  std::uint32_t length = 0;
  Status status = installer.GetProductInfo(productCode, u"VersionString", nullptr, length);
  status = ReadSizedValue(status, length, installed, [&](char16_t* buffer, std::uint32_t& size) noexcept {
    return installer.GetProductInfo(productCode, u"VersionString", buffer, size);
  });
  if (status != 0) {
    (void)ShowEvenIfSilent(platform.ui, InstallError(kMsgInstalledVersionUnknown));
    return status;
  }

  WideString path;
  WideString name;
  // Either architecture's package will do for the version.
  WideString pattern(kPackageStem);
  pattern.Append(u"*.msi");
  status = FindPackageFile(platform.files, platform.environment, pattern, path, name);
  if (status != 0) {
    (void)ShowEvenIfSilent(platform.ui, InstallError(kMsgPackageNotFound));
    return status;
  }

  PackageHandle package(PackageCloser{&installer});
  status = installer.OpenPackage(path, msi::kOpenIgnoringMachineState, *package.put());
  if (status != 0) {
    (void)package.release();  // no package was opened
    (void)ShowEvenIfSilent(platform.ui, InstallError(kMsgPackageUnopenable));
    return status;
  }

  WideString version;
  char16_t empty[1] = {0};
  length = 0;
  status = installer.GetProperty(package.get(), u"ProductVersion", empty, length);
  if (status == kStatusMoreData) {
    status = ReadSizedValue(status, length, version, [&](char16_t* buffer, std::uint32_t& size) noexcept {
      return installer.GetProperty(package.get(), u"ProductVersion", buffer, size);
    });
  }
  if (status != 0) {
    (void)ShowEvenIfSilent(platform.ui, InstallError(kMsgPackageVersionUnknown));
    return status;
  }

  order = OrderVersions(version, installed);
  return 0;
}

}  // namespace orvex
