#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "res/resource_ids.h"
#include "support/setup_driver.h"
#include "support/window_text.h"
#include "ui/notices_dialog.h"
#include "unit/notices_samples.h"

namespace {

std::wstring Decode(const std::string& bytes) { return DecodeNoticesText(bytes.data(), bytes.size()); }

TEST(DecodeNoticesText, MarkIsSkippedAndBareLineFeedsGetCarriageReturns) {
  EXPECT_EQ(Decode("\xEF\xBB\xBF"
                   "a\r\nb"),
            L"a\r\nb");
  EXPECT_EQ(Decode("a\nb\n"), L"a\r\nb\r\n");
  EXPECT_EQ(Decode("\na\r\n\nb\rc"), L"\r\na\r\n\r\nb\rc");
  EXPECT_EQ(Decode("\xEC\x84\xA4\xEC\xB9\x98"), L"설치");
  EXPECT_EQ(Decode("\xEF\xBB\xBF"), L"");
  EXPECT_EQ(Decode(""), L"");
  EXPECT_EQ(Decode("\xEF\xBB"), L"\uFFFD");
}

TEST(LoadNoticesText, ResourcesWithAndWithoutMarkAndLineFeedsOnly) {
  const std::wstring expected = L"첫 줄\r\n둘째 줄 / second line\r\n";
  EXPECT_EQ(LoadNoticesResource(IDR_SAMPLE_NO_MARK_LF), expected);
  EXPECT_EQ(LoadNoticesResource(IDR_SAMPLE_MARK_CRLF), expected);
  EXPECT_EQ(LoadNoticesResource(IDR_SAMPLE_MARK_ONLY), L"");
  EXPECT_EQ(LoadNoticesResource(IDR_SAMPLE_MISSING), L"");
}

TEST(LoadNoticesText, TheShippedResourceIsCompleteText) {
  const std::wstring text = LoadNoticesText();
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text[0], L'\uFEFF');
  EXPECT_NE(text.find(L"\r\n====="), std::wstring::npos);
  for (const wchar_t* part :
       {L"libstdc++", L"GCC RUNTIME LIBRARY EXCEPTION", L"MinGW-w64", L"winpthreads", L"GNU GENERAL PUBLIC LICENSE"}) {
    EXPECT_NE(text.find(part), std::wstring::npos) << "no notice of " << part;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == L'\r') << "bare LF at " << i;
    }
  }
}

struct NoticesRun {
  std::wstring shown;  // what the text box held
  bool endedByAction = false;
  INT_PTR endCode = 0;
};

// Shows the notices dialog on this thread; another thread reads its text and
// ends it with `close`. A dialog that does not end is closed anyway, so a
// failing test cannot hang.
NoticesRun RunNoticesDialog(int resourceId, const std::function<void(HWND dialog)>& close) {
  NoticesRun run;
  const DWORD thread = ::GetCurrentThreadId();
  std::thread driver([&] {
    HWND dialog = WaitForTopWindow(DialogsOfThread(thread), 10000);
    if (dialog == nullptr) return;
    run.shown = WindowTextOf(::GetDlgItem(dialog, IDC_NOTICES_TEXT));
    close(dialog);
    run.endedByAction = WaitUntil([&] { return !::IsWindow(dialog); }, 5000);
    if (!run.endedByAction) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  run.endCode = ShowNoticesDialogFrom(nullptr, resourceId);
  driver.join();
  return run;
}

TEST(NoticesDialog, ShowsTheTextAndEndsByEscapeCloseButtonOrCloseBox) {
  const NoticesRun escape = RunNoticesDialog(IDR_SAMPLE_NO_MARK_LF, [](HWND dialog) {
    ::PostMessageW(::GetDlgItem(dialog, IDC_NOTICES_CLOSE), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(escape.shown, L"첫 줄\r\n둘째 줄 / second line\r\n");
  EXPECT_TRUE(escape.endedByAction) << "Escape";
  EXPECT_EQ(escape.endCode, 1);

  const NoticesRun button = RunNoticesDialog(IDR_SAMPLE_MARK_ONLY, [](HWND dialog) {
    ::PostMessageW(::GetDlgItem(dialog, IDC_NOTICES_CLOSE), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(button.shown, L"라이선스 정보를 불러오지 못했습니다.");
  EXPECT_TRUE(button.endedByAction) << "close button";
  EXPECT_EQ(button.endCode, 1);

  // The whole shipped document reaches the text box, far beyond an edit
  // control's default typing limit.
  const NoticesRun closeBox =
      RunNoticesDialog(IDR_NOTICES, [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(closeBox.shown, LoadNoticesText());
  EXPECT_TRUE(closeBox.endedByAction) << "close box";
  EXPECT_EQ(closeBox.endCode, 1);
}

}  // namespace
