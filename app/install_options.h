#pragma once

#include "base/wide_string.h"

namespace orvex {

// What the command line asked for. Flags stay set once set; the argument
// strings only ever grow.
struct InstallOptions {
  bool silent = false;
  bool reinstall = false;
  bool noUpdate = false;
  bool noRestart = false;
  bool installCsp = false;
  bool installUcsp = false;
  bool selectDialog = false;
  WideString cspArgs;
  WideString ucspArgs;
  WideString pluginArgs;
};

}  // namespace orvex
