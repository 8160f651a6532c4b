// Drives one install through Setup's window without a person: starts
// Setup.exe, presses the install button, answers Yes and waits for the end,
// saving a picture of each step.
//   drive_install.exe SETUP.exe PICTURE-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/text_helpers.h"
#include "res/resource_ids.h"
#include "support/setup_driver.h"
#include "support/window_capture.h"

namespace {

void Say(const std::wstring& text) {
  std::printf("%s\n", WideToUtf8(text).c_str());
  std::fflush(stdout);
}

void Picture(HWND window, const std::wstring& folder, const wchar_t* name) {
  ::Sleep(700);  // let it paint
  const std::wstring path = folder + L"\\" + name + L".bmp";
  Say((CaptureWindowToBmp(window, path) ? L"picture: " : L"picture failed: ") + path);
}

int Fail(const std::wstring& why) {
  Say(L"failed: " + why);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return Fail(L"usage: drive_install SETUP.exe PICTURE-FOLDER");
  const std::wstring folder = argv[2];
  SetupProcess setup;
  std::wstring error;
  if (!setup.Start(argv[1], L"", &error)) return Fail(error);
  if (setup.WaitForMainDialog(60000) == nullptr) return Fail(L"the window did not appear");
  Say(L"status: " + setup.ControlText(IDC_STATUS_LINE));
  Picture(setup.mainDialog(), folder, L"1-start");

  setup.Click(IDC_INSTALL);
  const auto question = setup.WaitForMessageBox();
  if (!question) return Fail(L"no question after pressing the install button");
  Say(L"question: " + question->text);
  Picture(question->window, folder, L"2-question");
  setup.Answer(*question, IDYES);
  WaitUntil([&] { return !::IsWindow(question->window); });

  const auto done = setup.WaitForMessageBox(300000);
  if (!done) return Fail(L"the operation did not end");
  Say(L"message: " + done->text);
  Picture(setup.mainDialog(), folder, L"3-done");
  setup.Answer(*done, IDOK);
  WaitUntil([&] { return !::IsWindow(done->window); });
  Say(L"status: " + setup.ControlText(IDC_STATUS_LINE));
  Picture(setup.mainDialog(), folder, L"4-after");

  setup.PostToDialog(WM_CLOSE);
  const auto exitCode = setup.WaitForExit();
  return exitCode == std::optional<DWORD>(0) ? 0 : Fail(L"Setup did not end with 0");
}
