#pragma once

#include "base/wide_string.h"

namespace orvex {

// The providers the run can install before the plug-in, in the order it
// installs them; each is one row of kProviders (install/providers.h).
enum ProviderId : int { kCsp, kUcsp, kProviderCount };

// What the command line asked for. Flags stay set once set; collected
// options only ever grow, and a value read whole is the last one given.
struct InstallOptions {
  bool silent = false;
  bool reinstall = false;
  bool noUpdate = false;
  bool noRestart = false;
  bool selectDialog = false;
  bool installProvider[kProviderCount] = {};
  WideString providerArgs[kProviderCount];
  WideString pluginArgs;
};

}  // namespace orvex
