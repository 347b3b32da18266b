#include "install/package_search.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue_text.h"
#include "fake/fake_platform.h"

namespace orvex {
namespace {

const std::u16string kProduct = u"{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}";

struct SearchCase {
  const char* name;
  std::u16string currentDirectory;
  std::vector<fake::FakeFileSystem::Entry> entries;  // path, directory
  Status status;
  std::u16string path;
};

TEST(PackageSearch, ImmediateSubdirectoriesInListingOrder) {
  // 259 characters and the terminator fill the buffer; one more does not fit.
  const std::u16string longest = u"D:\\" + std::u16string(256, u'd');
  const std::u16string deep = longest + u"e";
  const SearchCase cases[] = {
      {"found", u"D:\\dist", {{u"D:\\dist\\x64", true}, {u"D:\\dist\\x64\\orvexcom-x64.msi", false}}, 0,
       u"D:\\dist\\x64\\orvexcom-x64.msi"},
      {"drive root keeps both backslashes", u"C:\\", {{u"C:\\x64", true}, {u"C:\\x64\\ORVEXCOM-X64.MSI", false}}, 0,
       u"C:\\\\x64\\ORVEXCOM-X64.MSI"},
      {"first directory wins; files and dot directories are skipped", u"D:\\dist",
       {{u"D:\\dist\\orvexcom-x64.msi", false},
        {u"D:\\dist\\.old", true},
        {u"D:\\dist\\.old\\orvexcom-x64.msi", false},
        {u"D:\\dist\\b", true},
        {u"D:\\dist\\b\\orvexcom-b-x64.msi", false},
        {u"D:\\dist\\a", true},
        {u"D:\\dist\\a\\orvexcom-a-x64.msi", false}},
       0, u"D:\\dist\\b\\orvexcom-b-x64.msi"},
      {"two levels down is not searched", u"D:\\dist",
       {{u"D:\\dist\\x", true}, {u"D:\\dist\\x\\y", true}, {u"D:\\dist\\x\\y\\orvexcom-x64.msi", false}}, 232, u""},
      {"longest current directory", longest,
       {{longest + u"\\x64", true}, {longest + u"\\x64\\orvexcom-x64.msi", false}}, 0,
       longest + u"\\x64\\orvexcom-x64.msi"},
      {"current directory too long", deep, {{deep + u"\\x64", true}, {deep + u"\\x64\\orvexcom-x64.msi", false}}, 206,
       u""},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeWorld world;
    world.files.currentDirectory = world.environment.currentDirectory = c.currentDirectory;
    world.files.entries = c.entries;
    WideString path(u"unchanged");
    WideString name;
    EXPECT_EQ(FindPackageFile(world.files, world.environment, WideString(u"orvexcom*x64*"), path, name), c.status);
    if (c.status == 0) {
      EXPECT_EQ(fake::Text(path), c.path);
      EXPECT_EQ(fake::Text(path).substr(c.path.rfind(u'\\') + 1), fake::Text(name));
    }
    EXPECT_TRUE(world.files.searches.empty()) << "every search closed";
  }
}

TEST(VersionOrder, NumericFieldsWithOrdinalFallback) {
  struct Case {
    const char16_t* package;
    const char16_t* installed;
    int order;
  };
  const Case cases[] = {
      {u"2.0.10", u"2.0.9", 1},        {u"2.0.9", u"2.0.10", -1},       {u"10.0", u"9.0", 1},
      {u"2.0.1", u"2.0.1.0", 0},       {u"2.0.1.1", u"2.0.1", 1},       {u"2.0.9", u"2.0.9", 0},
      {u"", u"1.0", -1},               {u"", u"", 0},                   {u"2.0.10b", u"2.0.9", -1},
      {u"2..1", u"2.0.1", -1},          {u"4294967295", u"4294967294", 1}, {u"4294967296", u"9", -1},
      {u"02.0", u"2.0", 0},            {u"-1", u"1", -1},
      // A field at the 32-bit limit is still a number; one past it is text.
      {u"4294967295", u"4294967295.0", 0}, {u"9", u"4294967295", -1}, {u"9", u"4294967296", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OrderVersions(WideString(c.package), WideString(c.installed)), c.order)
        << "case " << (&c - cases);
    // The order is the same read from either side.
    EXPECT_EQ(OrderVersions(WideString(c.installed), WideString(c.package)), -c.order)
        << "case " << (&c - cases) << " reversed";
  }
}

struct CompareFailure {
  const char* name;
  void (*arrange)(fake::FakeWorld&);
  std::uint32_t box;
  Status status;
};

TEST(VersionComparison, EachFailingStepShowsItsBoxEvenWhenSilentAndClosesTheHandle) {
  const std::u16string package = u"D:\\dist\\x64\\orvexcom-x64.msi";
  const CompareFailure cases[] = {
      {"installed version", [](fake::FakeWorld& w) { w.installer.productInfoStatus = 1608; }, 131, 1608},
      {"no package", [](fake::FakeWorld& w) { w.files.entries.clear(); }, 139, 232},
      {"package does not open", [](fake::FakeWorld& w) { w.installer.packages.begin()->second.openStatus = 1620; },
       133, 1620},
      {"package version", [](fake::FakeWorld& w) { w.installer.packages.begin()->second.propertyStatus = 1615; }, 134,
       1615},
  };
  for (const CompareFailure& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeWorld world;
    world.files.AddDirectory(u"D:\\dist\\x64");
    world.files.AddFile(package);
    world.installer.productInfo[kProduct + u"/VersionString"] = u"2.0.9";
    world.installer.packages[package].properties[u"ProductVersion"] = u"2.0.10";
    c.arrange(world);
    Platform platform = world.platform();
    int order = 7;
    EXPECT_EQ(ComparePackageVersion(platform, WideString(kProduct.c_str()), order), c.status);
    EXPECT_EQ(order, 7);
    EXPECT_EQ(Boxes(world.ui), (std::vector<Box>{{Message(c.box), Message(129), box::kIconError}}));
    EXPECT_TRUE(world.installer.openHandles.empty());
    EXPECT_EQ(world.installer.openOptions.size(), c.box == 133 || c.box == 134 ? 1u : 0u);
  }
}

}  // namespace
}  // namespace orvex
