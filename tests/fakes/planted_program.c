/* Planted beside Setup.exe under the name of a program Setup starts. When run,
   it creates "<its file name>.ran" in the folder named by ORLINTH_MARKER_DIR. */
#include "marker_file.h"

int wmain(void) {
  LeaveMarker(NULL, L".ran");
  return 0;
}
