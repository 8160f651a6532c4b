/* Planted beside Setup.exe under the name of a program Setup starts. When run,
   it creates "<its file name>.ran" in the folder named by ORLINTH_MARKER_DIR.
   Run as "planted_program.exe linger" it stands for a helper an install script
   leaves running: it holds the mutex kLingering for a minute, or until the
   event kReleased is set. */
#include "lingering_helper.h"
#include "marker_file.h"

int wmain(int argc, wchar_t** argv) {
  LeaveMarker(NULL, L".ran");
  if (argc > 1 && lstrcmpW(argv[1], L"linger") == 0) {
    HANDLE alive = CreateMutexW(NULL, FALSE, kLingering);
    HANDLE released = CreateEventW(NULL, TRUE, FALSE, kReleased);
    if (released != NULL) WaitForSingleObject(released, 60000);
    if (alive != NULL) CloseHandle(alive);
  }
  return 0;
}
