/* Planted beside Setup.exe under the names of system DLLs. When anything loads
   it, it creates "<name>.loaded" in the folder named by ORLINTH_MARKER_DIR. */
#include "marker_file.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(instance, L".loaded");
  return TRUE;
}
