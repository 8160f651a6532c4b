#include "ui/main_window_state.h"

namespace {

MainWindowState g_state;

}  // namespace

MainWindowState& MainState() { return g_state; }
