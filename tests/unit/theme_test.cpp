// The theme's pure parts, the decision read from the registry, and the log
// pane's refusal of edits in the real main dialog.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "base/win_handle.h"
#include "res/resource_ids.h"
#include "support/app_theme.h"
#include "support/window_text.h"
#include "ui/button_drawing.h"
#include "ui/card_drawing.h"
#include "ui/theme_palette.h"
#include "unit/dialog_harness.h"

namespace {

TEST(DecideTheme, DarkOnlyWhenTheAppThemeValueIsZero) {
  const struct {
    std::optional<DWORD> value;
    bool dark;
  } cases[] = {{std::nullopt, false}, {1, false}, {7, false}, {0, true}};
  for (const auto& c : cases) {
    ScopedAppTheme theme(c.value);
    DecideTheme();
    const std::string value = c.value ? std::to_string(*c.value) : "missing";
    EXPECT_EQ(Palette().dark, c.dark) << value;
    EXPECT_EQ(Palette().CardBackground, c.dark ? RGB(43, 43, 43) : RGB(255, 255, 255)) << value;
    EXPECT_EQ(Palette().Accent, (c.dark ? DarkPalette() : LightPalette()).Accent) << value;
  }
  DecideTheme();
}

// The contrast ratio of two colours as the accessibility guidelines define it.
double Contrast(COLORREF a, COLORREF b) {
  auto luminance = [](COLORREF c) {
    auto channel = [](BYTE v) {
      const double s = v / 255.0;
      return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every text reaches 4.5:1 on what it is drawn on (hovered and pressed looks
// too), the progress fill and the focus ring 3:1 against what they meet.
TEST(ThemePalette, TextsAndMarksStandOutInBothThemes) {
  for (const ThemePalette* p : {&LightPalette(), &DarkPalette()}) {
    const struct {
      const char* what;
      COLORREF front;
      COLORREF back;
      double least;
    } pairs[] = {
        {"status line", p->BodyText, p->CardBackground, 4.5},
        {"step line and log toggle", p->Accent, p->CardBackground, 4.5},
        {"hovered log toggle", p->AccentHover, p->CardBackground, 4.5},
        {"primary button", p->AccentText, p->Accent, 4.5},
        {"hovered primary button", p->AccentText, p->AccentHover, 4.5},
        {"pressed primary button", p->AccentText, p->AccentPressed, 4.5},
        {"plain button", p->NeutralText, p->WindowBackground, 4.5},
        {"hovered plain button", p->NeutralHoverText, p->NeutralHoverFill, 4.5},
        {"remove button", p->DangerText, p->WindowBackground, 4.5},
        {"hovered remove button", p->DangerText, p->DangerHoverFill, 4.5},
        {"log", p->LogText, p->LogBackground, 4.5},
        {"progress fill", p->Accent, p->ProgressTrack, 3.0},
        {"focus ring on the window", p->FocusRing, p->WindowBackground, 3.0},
        {"focus ring on the card", p->FocusRing, p->CardBackground, 3.0},
    };
    for (const auto& pair : pairs) {
      EXPECT_GE(Contrast(pair.front, pair.back), pair.least) << (p->dark ? "dark " : "light ") << pair.what;
    }
  }
}

// With high contrast on, every colour comes from the system, whatever the app
// theme says.
TEST(DecideTheme, HighContrastTakesTheSystemColoursOverTheAppTheme) {
  const SystemColors colors{RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4), RGB(5, 5, 5)};
  const ThemePalette p = ChoosePalette(true, 0, colors);
  EXPECT_TRUE(p.highContrast);
  EXPECT_FALSE(p.dark);
  for (COLORREF background : {p.WindowBackground, p.CardBackground, p.LogBackground, p.HeaderTop, p.HeaderBottom}) {
    EXPECT_EQ(background, RGB(1, 1, 1));
  }
  for (COLORREF text : {p.BodyText, p.LogText, p.HeaderTitleText, p.CardBorder, p.DangerText}) {
    EXPECT_EQ(text, RGB(2, 2, 2));
  }
  const ButtonLook primary = ButtonLookFor(p, ButtonStyle::Primary, {});
  EXPECT_EQ(primary.fill, RGB(3, 3, 3));
  EXPECT_EQ(primary.text, RGB(4, 4, 4));
  EXPECT_EQ(ButtonLookFor(p, ButtonStyle::Plain, {false, false, true}).text, RGB(4, 4, 4));
  EXPECT_EQ(ButtonLookFor(p, ButtonStyle::Primary, {true, false, false}).text, RGB(5, 5, 5));
  EXPECT_TRUE(ChoosePalette(false, 0, colors).dark);
  EXPECT_FALSE(ChoosePalette(false, 0, colors).highContrast);

  // The setting as stored counts: this Wine's system call always says off.
  SetHighContrastSetting(true);
  DecideTheme();
  EXPECT_TRUE(Palette().highContrast);
  EXPECT_EQ(Palette().CardBackground, ::GetSysColor(COLOR_WINDOW));
  SetHighContrastSetting(false);
  DecideTheme();
  EXPECT_FALSE(Palette().highContrast);
}

// Disabled wins over pressed, pressed over hovered; every enabled look's text
// stands out on its fill, and hovering and pressing show.
TEST(ButtonLookFor, DisabledBeforePressedBeforeHovered) {
  auto same = [](const ButtonLook& a, const ButtonLook& b) {
    return a.fill == b.fill && a.border == b.border && a.text == b.text;
  };
  for (const ThemePalette* p : {&LightPalette(), &DarkPalette()}) {
    for (const ButtonStyle style : {ButtonStyle::Primary, ButtonStyle::Danger, ButtonStyle::Plain}) {
      SCOPED_TRACE(std::string(p->dark ? "dark " : "light ") + std::to_string(static_cast<int>(style)));
      const ButtonLook rest = ButtonLookFor(*p, style, {});
      const ButtonLook hovered = ButtonLookFor(*p, style, {false, false, true});
      const ButtonLook pressed = ButtonLookFor(*p, style, {false, true, false});
      const ButtonLook disabled = ButtonLookFor(*p, style, {true, false, false});
      EXPECT_TRUE(same(ButtonLookFor(*p, style, {true, true, true}), disabled));
      EXPECT_TRUE(same(ButtonLookFor(*p, style, {false, true, true}), pressed));
      EXPECT_NE(disabled.text, rest.text);
      EXPECT_NE(hovered.fill, rest.fill);
      EXPECT_NE(pressed.fill, rest.fill);
      for (const ButtonLook* look : {&rest, &hovered, &pressed}) EXPECT_GE(Contrast(look->text, look->fill), 4.5);
    }
    // The removal says what it does in its own colour.
    EXPECT_NE(ButtonLookFor(*p, ButtonStyle::Danger, {}).text, ButtonLookFor(*p, ButtonStyle::Plain, {}).text);
  }
}

bool SameRect(const std::optional<RECT>& a, const RECT& b) {
  return a && a->left == b.left && a->top == b.top && a->right == b.right && a->bottom == b.bottom;
}

TEST(SecondaryCardRect, MarginsFollowTheDpiAndTheBottomButton) {
  const RECT client{0, 0, 600, 500};
  EXPECT_TRUE(SameRect(SecondaryCardRect(client, 450, 96), RECT{12, 10, 588, 442}));
  EXPECT_TRUE(SameRect(SecondaryCardRect(client, 450, 144), RECT{18, 15, 582, 438}));
  EXPECT_TRUE(SameRect(SecondaryCardRect(client, std::nullopt, 96), RECT{12, 10, 588, 488}));
  // Too short to show: bottom must be more than 24 (scaled) below the top.
  EXPECT_FALSE(SecondaryCardRect(client, 42, 96).has_value());
  EXPECT_TRUE(SecondaryCardRect(client, 43, 96).has_value());
}

void PutOnClipboard(const std::wstring& text) {
  if (!::OpenClipboard(nullptr)) return;
  ::EmptyClipboard();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (memory != nullptr) {
    std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) ::GlobalFree(memory);
  }
  ::CloseClipboard();
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

// Read-only: nothing the keyboard, the clipboard or an input method sends
// changes it, while a selection can still be copied.
TEST(LogPane, IgnoresEditingButCopiesASelection) {
  RunMainDialog([](DialogScript& script) {
    HWND log = script.Control(IDC_LOG_PANE);
    const std::wstring start = WindowTextOf(log);
    ASSERT_FALSE(start.empty());
    PutOnClipboard(L"붙여넣기");
    ::SendMessageW(log, EM_SETSEL, 0, 5);
    for (WPARAM key : {WPARAM{'x'}, WPARAM{VK_BACK}, WPARAM{0x16} /* Ctrl+V */}) {
      ::SendMessageW(log, WM_CHAR, key, 0);
    }
    ::SendMessageW(log, WM_IME_CHAR, L'가', 0);  // an input method's character
    ::SendMessageW(log, WM_KEYDOWN, VK_DELETE, 0);
    ::SendMessageW(log, WM_KEYDOWN, VK_BACK, 0);
    ::SendMessageW(log, WM_PASTE, 0, 0);
    ::SendMessageW(log, WM_CUT, 0, 0);
    ::SendMessageW(log, WM_CLEAR, 0, 0);  // the context menu's Delete
    script.OnWindowThread([&] {           // Shift+Insert
      BYTE keys[256] = {};
      keys[VK_SHIFT] = 0x80;
      ::SetKeyboardState(keys);
      ::SendMessageW(log, WM_KEYDOWN, VK_INSERT, 0);
      keys[VK_SHIFT] = 0;
      ::SetKeyboardState(keys);
    });
    EXPECT_EQ(WindowTextOf(log), start);

    // An undoable change, so that an undo would have something to take back.
    ::SendMessageW(log, EM_SETSEL, 0, 0);
    ::SendMessageW(log, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"새 "));
    const std::wstring changed = WindowTextOf(log);
    ASSERT_NE(changed, start);
    ::SendMessageW(log, WM_UNDO, 0, 0);
    EXPECT_EQ(WindowTextOf(log), changed);

    ::SendMessageW(log, EM_SETSEL, 0, 9);
    ::SendMessageW(log, WM_COPY, 0, 0);
    EXPECT_EQ(ClipboardText(), changed.substr(0, 9));
  });
}

}  // namespace
