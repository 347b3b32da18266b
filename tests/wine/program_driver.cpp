#include "program_driver.h"

#include "install/providers.h"
#include "win32/win32_platform.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace orvex::driver {

namespace {

struct Search {
  DWORD processId;
  const std::vector<HWND>* skip;
  HWND found;
  bool others = false;  // any process but processId and this one
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  const bool wanted = search->others ? owner != search->processId && owner != GetCurrentProcessId()
                                     : owner == search->processId;
  if (!wanted || !IsWindowVisible(window)) return TRUE;
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (wcscmp(className, L"#32770") != 0) return TRUE;
  if (std::find(search->skip->begin(), search->skip->end(), window) != search->skip->end()) return TRUE;
  search->found = window;
  return FALSE;
}

std::wstring WindowText(HWND window) {
  if (window == nullptr) return L"";
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

ShownBox ReadBox(HWND window) {
  // Let the box finish building its controls before reading them.
  Sleep(100);
  ShownBox box;
  box.window = window;
  box.caption = WindowText(window);
  box.text = WindowText(GetDlgItem(window, 0xFFFF));
  for (const int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    if (GetDlgItem(window, id) != nullptr) box.buttons.push_back(id);
  }
  return box;
}

}  // namespace

std::optional<ShownBox> FindOtherBox(DWORD program, const std::vector<HWND>& answered) {
  Search search{program, &answered, nullptr, true};
  EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return std::nullopt;
  return ReadBox(search.found);
}

std::string LocalStamp(int seconds) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  ULARGE_INTEGER ticks;
  SystemTimeToFileTime(&t, reinterpret_cast<FILETIME*>(&ticks));
  ticks.QuadPart += seconds * 10000000ull;
  FileTimeToSystemTime(reinterpret_cast<FILETIME*>(&ticks), &t);
  char text[32];
  snprintf(text, sizeof(text), "%04u-%02u-%02u-%02u-%02u-%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
           t.wSecond);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

bool CreateDirectories(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyDistribution(const std::wstring& from, const std::wstring& to) {
  std::vector<std::wstring> files = {L"x64\\orvexcom-x64.msi", L"win32\\orvexcom-win32.msi"};
  for (const orvex::Provider& provider : orvex::kProviders) {
    files.push_back(reinterpret_cast<const wchar_t*>(provider.subdirectory) + std::wstring(L"\\Setup.exe"));
  }
  for (const std::wstring& file : files) {
    const std::wstring target = to + L"\\" + file;
    if (!CreateDirectories(target.substr(0, target.rfind(L'\\'))) ||
        !CopyFileW((from + L"\\" + file).c_str(), target.c_str(), FALSE)) {
      return false;
    }
  }
  return true;
}

std::wstring PackageArch() {
  const std::wstring arch = Environment(L"ORVEX_PACKAGE_ARCH");
  return arch.empty() ? L"x64" : arch;
}

std::wstring PackageIn(const std::wstring& dist) {
  return dist + L"\\" + PackageArch() + L"\\orvexcom-" + PackageArch() + L".msi";
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
  return result;
}

std::wstring ProgramPath() { return Environment(L"ORVEX_PROGRAM"); }
std::wstring WorkDirectory() { return Environment(L"ORVEX_WORK"); }

HMODULE ProgramModule() {
  static HMODULE module = nullptr;
  if (module == nullptr) {
    module = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  return module;
}

std::wstring Message(std::uint32_t id) {
  WideString text;
  if (!win32::LoadMessageFrom(ProgramModule(), id, text)) return L"<no message " + std::to_wstring(id) + L">";
  return std::wstring(reinterpret_cast<const wchar_t*>(text.c_str()), text.Length());
}

ProgramRun::~ProgramRun() {
  if (process_ != nullptr) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
  }
  if (reader_ != nullptr) {
    WaitForSingleObject(reader_, 5000);
    CloseHandle(reader_);
  }
  if (outputRead_ != nullptr) CloseHandle(outputRead_);
}

bool ProgramRun::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory,
                       HANDLE token) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outputWrite = nullptr;
  if (!CreatePipe(&outputRead_, &outputWrite, &inherit, 0)) return false;
  SetHandleInformation(outputRead_, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = outputWrite;
  startup.hStdError = outputWrite;
  startup.hStdInput = nullptr;

  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  // Wine's debug channels for the program alone, when the test run asks for
  // them (run_group.sh: heap reports, the relay log of the calls that
  // check_calls.py holds against its table); it is told the program's process id and file.
  const std::wstring programDebug = Environment(L"ORVEX_PROGRAM_WINEDEBUG"), ownDebug = Environment(L"WINEDEBUG");
  if (!programDebug.empty()) SetEnvironmentVariableW(L"WINEDEBUG", programDebug.c_str());
  const std::wstring relay = Environment(L"ORVEX_PROGRAM_RELAY");
  if (!relay.empty()) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", L"RelayInclude", REG_SZ, relay.c_str(),
                    static_cast<DWORD>((relay.size() + 1) * sizeof(wchar_t)));
  }
  PROCESS_INFORMATION info{};
  const wchar_t* const where = directory.empty() ? nullptr : directory.c_str();
  const BOOL started = token != nullptr ? CreateProcessAsUserW(token, program.c_str(), commandLine.data(), nullptr,
                                                               nullptr, TRUE, 0, nullptr, where, &startup, &info)
                                        : CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                                         0, nullptr, where, &startup, &info);
  CloseHandle(outputWrite);
  if (!programDebug.empty()) {
    SetEnvironmentVariableW(L"WINEDEBUG", ownDebug.empty() ? nullptr : ownDebug.c_str());
    const std::string file = Utf8(program.substr(program.rfind(L'\\') + 1));
    if (started) fprintf(stderr, "program process %04lx %s\n", info.dwProcessId, file.c_str());
  }
  if (!started) return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  reader_ = CreateThread(nullptr, 0, &ProgramRun::ReadOutput, this, 0, nullptr);
  return true;
}

DWORD WINAPI ProgramRun::ReadOutput(void* self) {
  auto* run = static_cast<ProgramRun*>(self);
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(run->outputRead_, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    run->output_.append(buffer, read);
  }
  return 0;
}

std::optional<ShownBox> ProgramRun::WaitForBox(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    Search search{processId_, &answered_, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return ReadBox(search.found);
    if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return std::nullopt;
    if (GetTickCount64() > deadline) return std::nullopt;
    Sleep(50);
  }
}

void ProgramRun::Press(const ShownBox& box, int buttonId) {
  answered_.push_back(box.window);
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
}

std::optional<DWORD> ProgramRun::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process_, 0xDEAD);
    return std::nullopt;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

std::string ProgramRun::Output() {
  if (reader_ != nullptr) WaitForSingleObject(reader_, 5000);
  return output_;
}

}  // namespace orvex::driver
