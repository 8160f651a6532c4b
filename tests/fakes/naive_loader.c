/* Loads the DLL named on its command line with the default search order, the
   way a careless program would; exit code 0 when it was loaded. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  return LoadLibraryW(argv[1]) != NULL ? 0 : 1;
}
