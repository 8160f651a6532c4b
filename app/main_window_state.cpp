#include "app/main_window_state.h"

#include <atomic>

namespace {

MainWindowState g_state;
std::atomic<HWND> g_mainWindow{nullptr};

}  // namespace

MainWindowState& MainState() { return g_state; }

HWND MainWindowHandle() { return g_mainWindow.load(std::memory_order_acquire); }

void SetMainWindowHandle(HWND window) { g_mainWindow.store(window, std::memory_order_release); }
