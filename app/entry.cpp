// The program's entry and composition root (Windows only): the real
// platform, handed to the portable main flow. The catalogue's texts come
// through Win32Ui (the program's string table); the memory of every string
// comes from the process heap, linked in with the Windows layer
// (win32/string_memory.cpp), since strings are made before and outside any
// platform object.
#include <windows.h>

#include "app/main_flow.h"
#include "win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandTail, int) {
  // Without the option (before Vista) the run goes on as before.
  (void)orvex::win32::TerminateOnHeapCorruption();
  orvex::win32::LockDownDllSearch();

  orvex::win32::Win32Ui ui;
  orvex::win32::Win32CommandLine commandLine;
  orvex::win32::Win32SystemInfo system;
  orvex::win32::Win32FileSystem files;
  orvex::win32::Win32Environment environment;
  orvex::win32::Win32Processes processes;
  orvex::win32::Win32Installer installer;
  orvex::win32::Win32Registry registry;
  orvex::win32::Win32Power power;
  orvex::Platform platform{ui, commandLine, system, files, environment, processes, installer, registry, power};

  // The result becomes the exit code through the runtime's normal exit.
  return static_cast<int>(orvex::RunBootstrapper(platform, reinterpret_cast<const char16_t*>(commandTail)));
}
