// Runs a program, takes pictures of its boxes and answers them as told:
//   orvex_snap.exe OUTDIR DIRECTORY PROGRAM ARGUMENTS STEP...
// ARGUMENTS is one string, already quoted. Steps, in order:
//   box          wait for the program's next box or dialog
//   shot:NAME    save that window, frame and caption included, as OUTDIR\NAME.ppm
//                and print "shot NAME WIDTH HEIGHT"
//   click:ID     click the button ID in it (the window stays)
//   press:ID     press the button ID, which closes it
// Prints the program's exit code at the end; ends with 1 when a step cannot be done.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "program_driver.h"

namespace {

using orvex::driver::Utf8;

// From the screen, so the picture is what a person would see.
bool SaveWindow(HWND window, const std::wstring& path, int& width, int& height) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  width = rect.right - rect.left;
  height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  std::vector<BYTE> pixels(static_cast<std::size_t>(width) * height * 4);
  const int rows = GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    const BYTE rgb[3] = {pixels[i + 2], pixels[i + 1], pixels[i]};
    std::fwrite(rgb, 1, 3, file);
  }
  return std::fclose(file) == 0;
}

int Fail(const std::wstring& step, const char* why) {
  std::printf("step %s: %s\n", Utf8(step).c_str(), why);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: orvex_snap.exe OUTDIR DIRECTORY PROGRAM ARGUMENTS STEP...\n");
    return 1;
  }
  const std::wstring outdir = argv[1];
  orvex::driver::ProgramRun run;
  if (!run.Start(argv[3], argv[4], argv[2])) return Fail(argv[3], "cannot start");
  std::optional<orvex::driver::ShownBox> box;
  for (int i = 5; i < argc; ++i) {
    const std::wstring step = argv[i];
    const std::size_t colon = step.find(L':');
    const std::wstring verb = step.substr(0, colon);
    const std::wstring value = colon == std::wstring::npos ? L"" : step.substr(colon + 1);
    if (verb == L"box") {
      box = run.WaitForBox();
      if (!box) return Fail(step, "no box came");
      continue;
    }
    if (!box) return Fail(step, "no box to act on");
    if (verb == L"shot") {
      Sleep(300);  // let it finish painting
      int width = 0, height = 0;
      if (!SaveWindow(box->window, outdir + L"\\" + value + L".ppm", width, height)) return Fail(step, "not saved");
      std::printf("shot %s %d %d\n", Utf8(value).c_str(), width, height);
    } else if (verb == L"click") {
      SendMessageW(GetDlgItem(box->window, std::stoi(value)), BM_CLICK, 0, 0);
    } else if (verb == L"press") {
      run.Press(*box, std::stoi(value));
      box.reset();
    } else {
      return Fail(step, "unknown step");
    }
  }
  const auto code = run.WaitForExit();
  if (!code) return Fail(L"end", "the program did not end");
  std::printf("exit %lu\n", *code);
  return 0;
}
