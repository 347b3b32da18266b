#include "app/os_gate.h"

#include <gtest/gtest.h>

#include "catalogue_text.h"
#include "fake/fake_platform.h"
#include "readme.h"

namespace orvex {
namespace {

struct GateCase {
  std::uint32_t major;
  std::uint32_t minor;
  std::uint16_t servicePack;
  std::uint32_t expectedExit;  // as the README gives it
  std::uint32_t expectedMessage;  // 0: passes without a box
};

TEST(OperatingSystemGate, RefusesOldSystemsAndMissingServicePacks) {
  const GateCase cases[] = {
      {4, 0, 6, 6, 116}, {3, 51, 0, 6, 116}, {5, 0, 3, 3, 117}, {5, 0, 4, 0, 0},  {5, 1, 0, 4, 118},
      {5, 1, 1, 4, 118}, {5, 1, 2, 0, 0},    {5, 1, 3, 0, 0},   {5, 2, 1, 5, 119}, {5, 2, 2, 0, 0},
      {5, 3, 0, 0, 0},   {6, 0, 0, 0, 0},    {6, 1, 0, 0, 0},   {10, 0, 0, 0, 0},
  };
  for (const GateCase& c : cases) {
    for (const bool silent : {false, true}) {
      fake::FakeSystemInfo system;
      fake::FakeUi ui;
      system.version = OsVersion{c.major, c.minor, c.servicePack};
      InstallOptions options;
      options.silent = silent;
      OsVersion read;
      const std::uint32_t result = CheckOperatingSystem(system, ui, options, read);
      SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " SP" << c.servicePack << " silent " << silent);
      EXPECT_EQ(result, c.expectedExit);
      readme::ExpectDocumentedExitCode(result);
      EXPECT_EQ(read.major * 100 + read.minor, c.major * 100 + c.minor) << "the version goes on to the later steps";
      std::vector<Box> expected;
      if (c.expectedMessage != 0 && !silent) expected = {{Message(c.expectedMessage), Message(104), box::kIconError}};
      EXPECT_EQ(Boxes(ui), expected);
    }
  }
}

}  // namespace
}  // namespace orvex
