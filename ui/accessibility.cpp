#include "ui/accessibility.h"

#include <objbase.h>
#include <oleacc.h>

#include <initializer_list>

namespace {

// Spelt out here rather than taken from a library of GUIDs.
constexpr GUID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr LONG kPolite = 1;

}  // namespace

void AnnotateMainDialog(HWND statusLine, HWND stepLine, HWND logPane) {
  IAccPropServices* services = nullptr;
  if (FAILED(::CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                                reinterpret_cast<void**>(&services))) ||
      services == nullptr) {
    return;
  }
  VARIANT polite = {};
  polite.vt = VT_I4;
  polite.lVal = kPolite;
  for (HWND line : {statusLine, stepLine}) {
    if (line != nullptr) services->SetHwndProp(line, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty, polite);
  }
  if (logPane != nullptr) {
    services->SetHwndPropStr(logPane, OBJID_CLIENT, CHILDID_SELF, kNameProperty, L"상세 로그");
  }
  services->Release();
}

void AnnounceLiveChange(HWND control) {
  if (control != nullptr) ::NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control, OBJID_CLIENT, CHILDID_SELF);
}
