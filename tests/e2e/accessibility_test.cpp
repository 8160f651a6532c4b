// The window as a person who works with the keyboard alone, or with a screen
// reader, meets it: keys only, the accessible tree read through oleacc, and
// the events a screen reader hears.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/window_messages.h"
#include "res/resource_ids.h"
#include "support/product_state.h"
#include "support/release_folder.h"
#include "support/setup_driver.h"

namespace {

// Spelt out: the library's GUID objects clash with one another in this build.
constexpr GUID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Accessible {
  std::wstring name;
  std::wstring shortcut;
  LONG state = 0;
};

// What oleacc tells of a control of another process.
Accessible ReadAccessible(HWND control) {
  Accessible read;
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, kAccessible, reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return read;
  }
  VARIANT self = {};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (SUCCEEDED(object->get_accName(self, &text)) && text != nullptr) read.name.assign(text, ::SysStringLen(text));
  ::SysFreeString(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accKeyboardShortcut(self, &text)) && text != nullptr) read.shortcut = text;
  ::SysFreeString(text);
  VARIANT state = {};
  if (SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4) read.state = state.lVal;
  object->Release();
  return read;
}

// Live-region events of one process, heard out of context while the test
// pumps its messages.
std::vector<HWND> g_liveChanges;

void CALLBACK OnLiveChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
  if (object == OBJID_CLIENT) g_liveChanges.push_back(window);
}

template <typename Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs = 20000) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    if (condition()) return true;
    ::Sleep(20);
  }
  return condition();
}

class AccessibilityTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }
  void SetUp() override {
    // Long enough to be heard and worked with while it runs.
    release_.WriteScript(L"Install.ps1",
                         "param([string]$Language = '')\nWrite-Host 'Install x64: copying files'\n"
                         "Start-Sleep -Seconds 2\nWrite-Host 'Verify registry'\n"
                         "Start-Sleep -Seconds 1\nexit 7\n");
    std::wstring error;
    ASSERT_TRUE(setup_.StartToMainDialog(release_.SetupExe(), L"", &error)) << error.c_str();
  }
  void TearDown() override { setup_.Kill(); }

  HWND Control(int id) const { return ::GetDlgItem(setup_.mainDialog(), id); }

  // The visible controls that take the focus, as a reader of the screen
  // meets them: top to bottom, left to right.
  std::vector<int> VisualOrder() const {
    std::vector<int> ids;
    for (int id : {IDC_LOG_TOGGLE, IDC_LOG_PANE, IDC_NOTICES, IDC_REMOVE, IDC_INSTALL, IDC_CLOSE}) {
      if (setup_.IsControlVisible(id) && setup_.IsControlEnabled(id)) ids.push_back(id);
    }
    std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) {
      const RECT ra = setup_.ControlRect(a);
      const RECT rb = setup_.ControlRect(b);
      return ra.bottom <= rb.top || (ra.top < rb.bottom && ra.left < rb.left);
    });
    return ids;
  }

  // Where Tab takes the focus from the first control on, once round.
  std::vector<int> TabOrder() const {
    std::vector<int> order;
    const int first = setup_.FocusedControlId();
    for (int step = 0; step < 12; ++step) {
      const int before = setup_.FocusedControlId();
      order.push_back(before);
      setup_.PressKey(VK_TAB);
      if (!WaitUntil([&] { return setup_.FocusedControlId() != before; }) || setup_.FocusedControlId() == first) break;
    }
    return order;
  }

  // Presses Tab until the control has the focus.
  bool TabTo(int id) const {
    for (int step = 0; step < 8 && setup_.FocusedControlId() != id; ++step) {
      const int before = setup_.FocusedControlId();
      setup_.PressKey(VK_TAB);
      WaitUntil([&] { return setup_.FocusedControlId() != before; });
    }
    return setup_.FocusedControlId() == id;
  }

  CleanProductState clean_;
  ReleaseFolder release_;
  PowerShellLog powerShell_;
  SetupProcess setup_;
};

TEST_F(AccessibilityTest, KeysAloneRunTheWindowAndEveryControlSaysWhatItIs) {
  // Names as a screen reader reads them, with the access keys.
  for (int id : {IDC_NOTICES, IDC_INSTALL, IDC_CLOSE, IDC_LOG_TOGGLE}) {
    const std::wstring caption = setup_.ControlText(id);
    const size_t key = caption.find(L"(&");
    ASSERT_NE(key, std::wstring::npos) << "no access key: " << caption.c_str();
    const Accessible read = ReadAccessible(Control(id));
    std::wstring shown = caption;
    shown.erase(key + 1, 1);
    EXPECT_EQ(read.name, shown);
    EXPECT_EQ(read.shortcut, std::wstring(L"Alt+") + static_cast<wchar_t>(::towupper(caption[key + 2])));
  }
  const Accessible log = ReadAccessible(Control(IDC_LOG_PANE));
  EXPECT_EQ(log.name, L"상세 로그");
  EXPECT_NE(log.state & STATE_SYSTEM_READONLY, 0);
  const Accessible title = ReadAccessible(Control(IDC_HEADER_TITLE));
  EXPECT_EQ(title.name, setup_.ControlText(IDC_HEADER_TITLE));
  EXPECT_FALSE(title.name.empty());
  EXPECT_EQ(title.state & STATE_SYSTEM_INVISIBLE, 0);
  EXPECT_NE(ReadAccessible(Control(IDC_HEADER_BAND)).state & STATE_SYSTEM_INVISIBLE, 0);

  // Tab goes left to right as the screen shows; an access key presses its button.
  setup_.PressAccessKey(L'd');
  ASSERT_TRUE(WaitUntil([&] { return setup_.IsControlVisible(IDC_LOG_PANE); }));
  ASSERT_TRUE(WaitUntil([&] { return setup_.FocusedControlId() != 0; }));
  EXPECT_EQ(TabOrder(), VisualOrder());
  // Arrow keys keep the focus on controls that can act. A progress report
  // posted behind each key shows when the key has been handled.
  ASSERT_TRUE(TabTo(IDC_CLOSE));
  const std::vector<int> focusable = VisualOrder();
  int percent = 0;
  for (WPARAM arrow : {VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT}) {
    setup_.PressKey(arrow);
    percent += 10;
    setup_.PostToDialog(WM_APP_PROGRESS, static_cast<WPARAM>(percent));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(Control(IDC_PROGRESS), PBM_GETPOS, 0, 0) == percent; }));
    EXPECT_NE(std::find(focusable.begin(), focusable.end(), setup_.FocusedControlId()), focusable.end())
        << "arrow " << arrow << " put the focus on " << setup_.FocusedControlId();
  }

  // Enter presses the focused button, the default one (install) only when
  // no button has the focus.
  const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                                               OnLiveChange, setup_.processId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  ASSERT_TRUE(TabTo(IDC_NOTICES));
  setup_.PressKey(VK_RETURN);
  const auto notices = setup_.WaitForMessageBox();
  ASSERT_TRUE(notices.has_value());
  EXPECT_EQ(notices->caption, L"오픈소스 라이선스");
  setup_.Answer(*notices, IDC_NOTICES_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(notices->window); }));
  g_liveChanges.clear();
  ASSERT_TRUE(TabTo(IDC_INSTALL));
  setup_.PressKey(VK_RETURN);
  const auto question = setup_.WaitForMessageBox();
  ASSERT_TRUE(question.has_value());
  setup_.Answer(*question, IDYES);

  // While it runs: the focus is on a control that takes keys, Tab goes on,
  // and every change of the status line is heard.
  ASSERT_TRUE(PumpUntil([&] { return !setup_.IsControlEnabled(IDC_INSTALL); }));
  ASSERT_TRUE(PumpUntil([&] { return setup_.ControlText(IDC_STEP_LINE) == L"64비트(x64) 파일 복사 및 등록"; }))
      << setup_.ControlText(IDC_STEP_LINE).c_str();
  const int during = setup_.FocusedControlId();
  ASSERT_NE(during, 0);
  EXPECT_TRUE(setup_.IsControlEnabled(during)) << during;
  const std::vector<int> reachable = TabOrder();
  EXPECT_NE(std::find(reachable.begin(), reachable.end(), IDC_LOG_TOGGLE), reachable.end());
  EXPECT_TRUE(PumpUntil([&] {
    return std::find(g_liveChanges.begin(), g_liveChanges.end(), Control(IDC_STATUS_LINE)) != g_liveChanges.end();
  }));
  EXPECT_NE(std::find(g_liveChanges.begin(), g_liveChanges.end(), Control(IDC_STEP_LINE)), g_liveChanges.end());
  ::UnhookWinEvent(hook);

  const auto done = setup_.WaitForMessageBox(60000);
  ASSERT_TRUE(done.has_value());
  setup_.Answer(*done, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(done->window); }));
  setup_.PressKey(VK_ESCAPE);
  EXPECT_EQ(setup_.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
