#include <gtest/gtest.h>

#include <string>

#include "ui/notices_dialog.h"

namespace {

std::wstring Decode(const std::string& bytes) { return DecodeNoticesText(bytes.data(), bytes.size()); }

TEST(DecodeNoticesText, MarkIsSkippedAndBareLineFeedsGetCarriageReturns) {
  EXPECT_EQ(Decode("\xEF\xBB\xBF" "a\r\nb"), L"a\r\nb");
  EXPECT_EQ(Decode("a\nb\n"), L"a\r\nb\r\n");
  EXPECT_EQ(Decode("\na\r\n\nb\rc"), L"\r\na\r\n\r\nb\rc");
  EXPECT_EQ(Decode("\xEC\x84\xA4\xEC\xB9\x98"), L"설치");
  EXPECT_EQ(Decode("\xEF\xBB\xBF"), L"");
  EXPECT_EQ(Decode(""), L"");
  EXPECT_EQ(Decode("\xEF\xBB"), L"\uFFFD");
}

TEST(LoadNoticesText, TheShippedResourceIsCompleteText) {
  const std::wstring text = LoadNoticesText();
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text[0], L'\uFEFF');
  EXPECT_NE(text.find(L"\r\n====="), std::wstring::npos);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == L'\r') << "bare LF at " << i;
    }
  }
}

}  // namespace
