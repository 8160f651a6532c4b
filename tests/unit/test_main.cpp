// The unit test program. Besides running the tests it has two probe modes that
// tests start it in as a child process:
//   --probe-exit-code N            ends at once with exit code N (whatever follows,
//                                  such as the elevation relaunch's marker)
//   --probe-setup-folder FILE      writes GetSetupFolder() as UTF-8 to FILE
#include <windows.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "app/entry.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "support/temp_folder.h"

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wcscmp(argv[1], L"--probe-exit-code") == 0) return _wtoi(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"--probe-setup-folder") == 0) {
    return WriteFileBytes(argv[2], WideToUtf8(GetSetupFolder())) ? 0 : 1;
  }
  InitCommonControlClasses();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
