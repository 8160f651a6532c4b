// Drives one install through Setup's window without a person: starts
// Setup.exe, presses the install button, answers Yes and waits for the end,
// saving a picture of each step.
//   drive_install.exe SETUP.exe PICTURE-FOLDER
#include <windows.h>

#include <string>

#include "demo/demo_output.h"
#include "res/resource_ids.h"
#include "support/setup_driver.h"

namespace {

void Picture(HWND window, const std::wstring& folder, const wchar_t* name) {
  SavePicture(window, folder + L"\\" + name + L".bmp");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return StopWithFailure(L"usage: drive_install SETUP.exe PICTURE-FOLDER");
  const std::wstring folder = argv[2];
  SetupProcess setup;
  std::wstring error;
  if (!setup.StartToMainDialog(argv[1], L"", &error, 60000)) return StopWithFailure(error);
  Say(L"status: " + setup.ControlText(IDC_STATUS_LINE));
  Picture(setup.mainDialog(), folder, L"1-start");

  setup.Click(IDC_INSTALL);
  const auto question = setup.WaitForMessageBox();
  if (!question) return StopWithFailure(L"no question after pressing the install button");
  Say(L"question: " + question->text);
  Picture(question->window, folder, L"2-question");
  setup.Answer(*question, IDYES);
  WaitUntil([&] { return !::IsWindow(question->window); });

  const auto done = setup.WaitForMessageBox(300000);
  if (!done) return StopWithFailure(L"the operation did not end");
  Say(L"message: " + done->text);
  Picture(setup.mainDialog(), folder, L"3-done");
  setup.Answer(*done, IDOK);
  WaitUntil([&] { return !::IsWindow(done->window); });
  Say(L"status: " + setup.ControlText(IDC_STATUS_LINE));
  Picture(setup.mainDialog(), folder, L"4-after");

  return setup.CloseMainDialog() == std::optional<DWORD>(0) ? 0 : StopWithFailure(L"Setup did not end with 0");
}
