// Setup's own look on screen, light and dark: colours read back from the
// window's pixels while the mouse hovers, a button is pressed or disabled.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "res/resource_ids.h"
#include "support/app_theme.h"
#include "support/product_state.h"
#include "support/setup_driver.h"
#include "support/window_capture.h"
#include "ui/theme_palette.h"

namespace {

// The window must show its theme's colours where each belongs.
struct ExpectedLook {
  const char* name;
  std::optional<DWORD> appsUseLightTheme;
  const ThemePalette& (*palette)();
};

const ExpectedLook kLooks[] = {{"light", std::nullopt, LightPalette}, {"dark", 0, DarkPalette}};

void PrintTo(const ExpectedLook& look, std::ostream* out) { *out << look.name; }

int Distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

std::string Rgb(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof(text), "(%d, %d, %d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

POINT LeftMiddle(const RECT& r, int inset) { return {r.left + inset, (r.top + r.bottom) / 2}; }

class LookTest : public testing::TestWithParam<ExpectedLook> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PlaceProductDll(false));
    ASSERT_TRUE(SetInstalledLanguages(L"ja"));  // install and remove buttons both shown
    MoveMouse({0, 0});
    std::wstring error;
    ASSERT_TRUE(setup_.StartToMainDialog(BuiltSetupExe(), L"", &error)) << error.c_str();
  }
  void TearDown() override { EXPECT_EQ(setup_.CloseMainDialog(), std::optional<DWORD>(0)); }

  // Moves the real pointer, so the window sees it arrive and leave.
  void MoveMouse(POINT client) {
    if (setup_.mainDialog() != nullptr) ::ClientToScreen(setup_.mainDialog(), &client);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(client.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(client.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
  }

  ClientPicture Capture() {
    auto picture = CaptureClientArea(setup_.mainDialog());
    return picture ? *picture : ClientPicture{};
  }

  // Waits until the pixel shows the colour (within the tolerance, summed over
  // the channels); the message names what it showed instead.
  testing::AssertionResult ShowsSoon(POINT at, COLORREF expected, int tolerance = 0) {
    COLORREF seen = 0;
    if (WaitUntil(
            [&] {
              seen = Capture().At(at.x, at.y);
              return Distance(seen, expected) <= tolerance;
            },
            5000)) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "at (" << at.x << ", " << at.y << ") expected " << Rgb(expected) << ", seen "
                                       << Rgb(seen);
  }

  CleanProductState clean_;
  ScopedAppTheme theme_{GetParam().appsUseLightTheme};
  SetupProcess setup_;
};

// The colour nearest to `wanted` inside the rectangle shrunk by `inset`.
COLORREF NearestInside(const ClientPicture& picture, RECT r, int inset, COLORREF wanted) {
  COLORREF best = picture.At(r.left + inset, r.top + inset);
  for (int y = r.top + inset; y < r.bottom - inset; ++y) {
    for (int x = r.left + inset; x < r.right - inset; ++x) {
      if (Distance(picture.At(x, y), wanted) < Distance(best, wanted)) best = picture.At(x, y);
    }
  }
  return best;
}

// Whether a one-line text ends in three dots on its baseline: from the right,
// ink runs that stay in the lowest third of the line's ink until the first
// column reaching higher up.
bool EndsInThreeDots(const ClientPicture& picture, const RECT& line, COLORREF background) {
  const auto ink = [&](int x, int y) { return Distance(picture.At(x, y), background) > 120; };
  int top = line.bottom;
  int bottom = line.top;
  for (int y = line.top; y < line.bottom; ++y) {
    for (int x = line.left; x < line.right; ++x) {
      if (ink(x, y)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  if (bottom <= top) return false;
  const int lowThird = top + (bottom - top) * 2 / 3;
  int runs = 0;
  bool previousInked = false;
  for (int x = line.right - 1; x >= line.left; --x) {
    bool inked = false;
    for (int y = top; y <= bottom; ++y) {
      if (!ink(x, y)) continue;
      if (y < lowThird) return runs == 3;
      inked = true;
    }
    if (inked && !previousInked) ++runs;
    previousInked = inked;
  }
  return false;
}

TEST_P(LookTest, HeaderCardButtonsAndLogPane) {
  const ExpectedLook& look = GetParam();
  const RECT header = setup_.ControlRect(IDC_HEADER_BAND);
  EXPECT_TRUE(ShowsSoon({header.right - 4, header.top}, look.palette().HeaderTop));
  // The last row is one step short of the bottom colour.
  EXPECT_TRUE(ShowsSoon({header.right - 4, header.bottom - 1}, look.palette().HeaderBottom, 6));

  const RECT card = setup_.ControlRect(IDC_CARD);
  EXPECT_TRUE(ShowsSoon({card.left + 10, card.top + 10}, look.palette().CardBackground));
  EXPECT_TRUE(ShowsSoon({card.left - 4, card.top + 10}, look.palette().WindowBackground));

  // A status text longer than its line ends in an ellipsis instead of wrapping.
  std::wstring longText;
  for (int i = 0; i < 8; ++i) longText += L"가나다라마바사아자차카타파하 ";
  HWND status = ::GetDlgItem(setup_.mainDialog(), IDC_STATUS_LINE);
  ::SendMessageW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longText.c_str()));
  ::InvalidateRect(status, nullptr, TRUE);
  const RECT statusLine = setup_.ControlRect(IDC_STATUS_LINE);
  EXPECT_TRUE(WaitUntil([&] { return EndsInThreeDots(Capture(), statusLine, look.palette().CardBackground); }, 5000));

  const RECT install = setup_.ControlRect(IDC_INSTALL);
  const POINT fill = LeftMiddle(install, 6);  // clear of border, focus ring and caption
  HWND installButton = ::GetDlgItem(setup_.mainDialog(), IDC_INSTALL);
  EXPECT_TRUE(ShowsSoon(fill, look.palette().Accent));
  MoveMouse({(install.left + install.right) / 2, (install.top + install.bottom) / 2});
  EXPECT_TRUE(ShowsSoon(fill, look.palette().AccentHover)) << "hovered";
  MoveMouse({0, 0});
  EXPECT_TRUE(ShowsSoon(fill, look.palette().Accent)) << "mouse gone";
  ::SendMessageW(installButton, BM_SETSTATE, TRUE, 0);
  EXPECT_TRUE(ShowsSoon(fill, look.palette().AccentPressed)) << "pressed";
  ::SendMessageW(installButton, BM_SETSTATE, FALSE, 0);
  ::EnableWindow(installButton, FALSE);
  EXPECT_TRUE(ShowsSoon(fill, look.palette().DisabledFill)) << "disabled";
  ::EnableWindow(installButton, TRUE);

  const RECT remove = setup_.ControlRect(IDC_REMOVE);
  EXPECT_TRUE(ShowsSoon(LeftMiddle(remove, 0), look.palette().DangerBorder)) << "danger border";
  EXPECT_TRUE(ShowsSoon(LeftMiddle(remove, 6), look.palette().WindowBackground)) << "danger fill";
  // Glyph strokes are smoothed at their edges; their cores carry the colour.
  const COLORREF caption = NearestInside(Capture(), remove, 6, look.palette().DangerText);
  EXPECT_LE(Distance(caption, look.palette().DangerText), 30) << "danger caption " << Rgb(caption);

  setup_.Click(IDC_LOG_TOGGLE);
  ASSERT_TRUE(WaitUntil([&] { return setup_.IsControlVisible(IDC_LOG_PANE); }));
  const RECT log = setup_.ControlRect(IDC_LOG_PANE);
  EXPECT_TRUE(ShowsSoon({log.left + 4, log.bottom - 5}, look.palette().LogBackground)) << "log pane";
}

// Switching high contrast on while Setup is open repaints it in the system's
// colours (this Wine keeps its usual system colours, which serve as well),
// and switching it off brings the theme back.
TEST_P(LookTest, HighContrastSwitchedOnAndOffWhileOpen) {
  const RECT header = setup_.ControlRect(IDC_HEADER_BAND);
  const POINT headerTop{header.right - 4, header.top};
  const RECT card = setup_.ControlRect(IDC_CARD);
  const POINT fill = LeftMiddle(setup_.ControlRect(IDC_INSTALL), 6);
  ASSERT_TRUE(ShowsSoon(headerTop, GetParam().palette().HeaderTop));
  auto announce = [&] {
    // Handled, not merely sent: a window that did not answer has shown nothing.
    EXPECT_NE(::SendMessageTimeoutW(setup_.mainDialog(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG,
                                    30000, nullptr),
              0);
  };
  SetHighContrastSetting(true);
  announce();
  SetHighContrastSetting(false);  // the window has read it
  EXPECT_TRUE(ShowsSoon(headerTop, ::GetSysColor(COLOR_WINDOW)));
  EXPECT_TRUE(ShowsSoon({card.left + 10, card.top + 10}, ::GetSysColor(COLOR_WINDOW)));
  EXPECT_TRUE(ShowsSoon(fill, ::GetSysColor(COLOR_HIGHLIGHT)));
  announce();
  EXPECT_TRUE(ShowsSoon(headerTop, GetParam().palette().HeaderTop));
  EXPECT_TRUE(ShowsSoon(fill, GetParam().palette().Accent));
}

// Every control that takes the focus shows it, with a ring of at least two
// pixels all round: the pixels that change when it gets the focus.
TEST_P(LookTest, FocusShowsOnEveryControl) {
  const HWND dialog = setup_.mainDialog();
  auto focusOn = [&](int id) {
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, id)), TRUE);
    return WaitUntil([&] { return setup_.FocusedControlId() == id; });
  };
  for (int id : {IDC_LOG_TOGGLE, IDC_NOTICES, IDC_REMOVE, IDC_INSTALL, IDC_CLOSE}) {
    const RECT place = setup_.ControlRect(id);
    ASSERT_TRUE(focusOn(id == IDC_CLOSE ? IDC_NOTICES : IDC_CLOSE));
    // Painted without the focus before the picture is taken.
    ::RedrawWindow(::GetDlgItem(dialog, id), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const ClientPicture before = Capture();
    ASSERT_TRUE(focusOn(id));
    const int perimeter = 2 * ((place.right - place.left) + (place.bottom - place.top));
    int changed = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
          const ClientPicture after = Capture();
          changed = 0;
          for (int y = place.top; y < place.bottom; ++y) {
            for (int x = place.left; x < place.right; ++x) changed += after.At(x, y) != before.At(x, y);
          }
          return changed >= perimeter;
        },
        5000))
        << "control " << id << ": " << changed << " pixels changed, fewer than a two-pixel ring's " << perimeter;
  }
}

INSTANTIATE_TEST_SUITE_P(Themes, LookTest, testing::ValuesIn(kLooks),
                         [](const testing::TestParamInfo<ExpectedLook>& info) { return info.param.name; });

}  // namespace
