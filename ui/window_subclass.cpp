#include "ui/window_subclass.h"

#include "base/system_library.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

struct SubclassFunctions {
  decltype(&::SetWindowSubclass) set;
  decltype(&::RemoveWindowSubclass) remove;
  decltype(&::DefSubclassProc) next;
};

const SubclassFunctions& Functions() {
  static const SubclassFunctions functions = {
      SystemFunction<decltype(&::SetWindowSubclass)>(L"comctl32.dll", "SetWindowSubclass"),
      SystemFunction<decltype(&::RemoveWindowSubclass)>(L"comctl32.dll", "RemoveWindowSubclass"),
      SystemFunction<decltype(&::DefSubclassProc)>(L"comctl32.dll", "DefSubclassProc"),
  };
  return functions;
}

}  // namespace

bool InstallSubclass(HWND window, SUBCLASSPROC procedure) {
  const auto set = Functions().set;
  return window != nullptr && set != nullptr && set(window, procedure, kSubclassId, 0) != FALSE;
}

void RemoveSubclass(HWND window, SUBCLASSPROC procedure) {
  if (const auto remove = Functions().remove) remove(window, procedure, kSubclassId);
}

LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto next = Functions().next) return next(window, message, wParam, lParam);
  return ::DefWindowProcW(window, message, wParam, lParam);
}
