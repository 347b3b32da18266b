// The plug-in installation of the real orvexplugin.exe, run in the sample
// distributions against Wine's own msiexec: the boxes and exit codes, what
// Windows Installer holds afterwards, the installer logs and the restart mark.
#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <string>

#include "plugin_scenario.h"

namespace orvex {
namespace {

using namespace driver;

class PluginInstall : public PluginScenario {};
class PluginVersions : public PluginScenario {};

// A first installation, then the same version again: declined, then agreed
// to (-silent and -reinstall take the same decision natively).
TEST_F(PluginInstall, FreshInstallThenSameVersionAgain) {
  const std::wstring dist = Dist(L"normal-2.0.9");
  Outcome outcome = Run(dist, L"", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(MsiQueryProductStateW(kProduct), INSTALLSTATE_DEFAULT);
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
  EXPECT_EQ(MsiQueryFeatureStateW(kProduct, L"NPORVEX"), INSTALLSTATE_LOCAL);
  ExpectProperties(LogOfRun(outcome).text, Package(L"normal-2.0.9"), {"ADDNPORVEX = 1"});
  EXPECT_TRUE(outcome.installerBoxes.empty());
  EXPECT_FALSE(MarkerExists());

  outcome = Run(dist, L"", {Question(), SameVersion(IDNO)});
  EXPECT_EQ(outcome.exitCode, 1602u);
  EXPECT_EQ(outcome.output, "") << "no installer ran";
  EXPECT_TRUE(Logs().empty());

  outcome = Run(dist, L"", {Question(), SameVersion(IDYES), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  ExpectProperties(LogOfRun(outcome).text, Package(L"normal-2.0.9"), {"REINSTALL = ALL", "REINSTALLMODE = vomus"});
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
}

// A failing package, first with the program's own log, then with the
// user's log switch, which leaves the program's log out.
TEST_F(PluginInstall, FailureNamesTheLogUnlessTheUserChoseIt) {
  const std::wstring dist = Dist(L"fail-2.0.9");
  Outcome outcome = Run(dist, L"", {Question(), Failed(nullptr)});
  EXPECT_EQ(outcome.exitCode, 1603u);
  EXPECT_EQ(outcome.installerBoxes.size(), 1u) << "msiexec reports the failure itself under /qb";
  const Log log = LogOfRun(outcome);
  EXPECT_NE(log.text.find("OrvexSampleFail"), std::string::npos);
  ASSERT_EQ(outcome.texts.size(), 2u);
  EXPECT_EQ(Utf8(outcome.texts[1]), Utf8(Message(106) + L": 1603.\nInstall log: " + log.path));
  EXPECT_EQ(MsiQueryProductStateW(kProduct), INSTALLSTATE_UNKNOWN);
  EXPECT_FALSE(MarkerExists());

  const std::wstring own = tmp_ + L"\\own.log";
  outcome = Run(dist, L"-OrvexArgs \"/l*v " + own + L"\"", {Question(), Failed(L": 1603.\n")});
  EXPECT_EQ(outcome.exitCode, 1603u);
  EXPECT_EQ(outcome.output, "") << "no timestamp without a log of ours";
  EXPECT_TRUE(Logs().empty());
  ExpectProperties(ReadWholeFile(own), Package(L"fail-2.0.9"), {"ADDNPORVEX = 1"});
}

// No package in the distribution: quiet under -silent until the product is
// installed, when the version comparison reports it whatever the switches.
TEST_F(PluginInstall, MissingPackage) {
  const std::wstring empty = driver::WorkDirectory() + L"\\empty-dist";
  CreateDirectoryW(empty.c_str(), nullptr);
  CreateDirectoryW((empty + L"\\x64").c_str(), nullptr);
  Outcome outcome = Run(empty, L"-silent", {});
  EXPECT_EQ(outcome.exitCode, 232u);
  EXPECT_EQ(outcome.output, "");

  InstallDirectly(L"normal-2.0.9");
  outcome = Run(empty, L"-silent", {NoPackage()});
  EXPECT_EQ(outcome.exitCode, 232u);
  EXPECT_TRUE(Logs().empty());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
}

// Versions order by their numbers: 2.0.10 is newer than 2.0.9.
TEST_F(PluginVersions, UpdateWithoutQuestionAndNoDowngrade) {
  InstallDirectly(L"normal-2.0.9");
  DropCachedPackage();
  Outcome outcome = Run(Dist(L"normal-2.0.10"), L"", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.10");
  EXPECT_EQ(MsiQueryFeatureStateW(kProduct, L"NPORVEX"), INSTALLSTATE_LOCAL);
  ExpectProperties(LogOfRun(outcome).text, Package(L"normal-2.0.10"), {"REINSTALL = ALL", "REINSTALLMODE = vomus"});

  DropCachedPackage();
  outcome = Run(Dist(L"normal-2.0.9"), L"", {Question(), NewerInstalled(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(outcome.output, "") << "no installer ran";
  EXPECT_TRUE(Logs().empty());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.10");
}

// A restart the package asks for is kept while -norestart is given, and
// offered by the next successful run, which removes the mark before asking.
TEST_F(PluginVersions, RestartIsRememberedAndOfferedByTheNextRun) {
  Outcome outcome = Run(Dist(L"reboot-2.0.9"), L"-norestart", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(MarkerExists());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");

  outcome = Run(Dist(L"normal-2.0.9"), L"-silent -norestart", {});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(MarkerExists());

  Expected restart{Message(108), IDNO, [] { EXPECT_FALSE(MarkerExists()) << "removed before asking"; }};
  outcome = Run(Dist(L"normal-2.0.9"), L"-reinstall", {Question(), restart});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_FALSE(MarkerExists());
}

}  // namespace
}  // namespace orvex
