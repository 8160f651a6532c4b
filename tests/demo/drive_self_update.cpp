// Drives one self-update without a person: starts the old Setup.exe, waits for
// its window, saves a picture of the offer over it, answers Yes, and finds the new Setup started from its
// copy in the working root.
//   drive_self_update.exe SETUP.exe PICTURE-FOLDER
#include <windows.h>

#include <string>

#include "demo/demo_output.h"
#include "res/resource_ids.h"
#include "support/machine_paths.h"
#include "support/setup_driver.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return StopWithFailure(L"usage: drive_self_update SETUP.exe PICTURE-FOLDER");
  const std::wstring program = argv[1];
  const std::wstring folder = argv[2];
  SetupProcess old;
  std::wstring error;
  // The window comes first; the offer comes over it once the server has answered.
  if (!old.StartToMainDialog(program, L"", &error, 60000)) return StopWithFailure(error);
  const auto offer = old.WaitForMessageBox(60000);
  if (!offer) return StopWithFailure(L"no newer Setup was offered");
  Say(L"question: " + offer->text);
  SavePicture(offer->window, folder + L"\\1-offer.bmp");
  old.Answer(*offer, IDYES);
  if (old.WaitForExit(120000) != std::optional<DWORD>(0)) return StopWithFailure(L"the old Setup did not hand over");

  // The offer names the new version: "...최신: <version>\n...".
  const size_t from = offer->text.find(L"최신: ") + 4;
  const std::wstring version = offer->text.substr(from, offer->text.find(L'\n', from) - from);
  const std::wstring copy = ExpectedWorkingRoot() + L"\\OrlinthSetup-Japanese-" + version + L".exe";
  SetupProcess renewed;
  if (!renewed.AttachToRunning(copy, 60000)) return StopWithFailure(L"the new Setup did not start from " + copy);
  if (renewed.WaitForMainDialog(60000) == nullptr) return StopWithFailure(L"the new Setup shows no window");
  const std::wstring log = renewed.ControlText(IDC_LOG_PANE);
  Say(L"first log line: " + log.substr(0, log.find(L"\r\n")));
  Say(L"command line: " + renewed.CommandLine());
  SavePicture(renewed.mainDialog(), folder + L"\\2-updated.bmp");
  if (renewed.CloseMainDialog() != std::optional<DWORD>(0)) return StopWithFailure(L"the new Setup did not end with 0");
  return 0;
}
