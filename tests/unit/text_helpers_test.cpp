#include <gtest/gtest.h>

#include "base/text_helpers.h"

namespace {

TEST(QuotePowerShellLiteral, DoublesEveryQuoteThatEndsALiteral) {
  EXPECT_EQ(QuotePowerShellLiteral(L"C:\\Users\\O\u2019Brien"), L"'C:\\Users\\O\u2019\u2019Brien'");
  EXPECT_EQ(QuotePowerShellLiteral(L"\u2018\u201A\u201B\u201C"), L"'\u2018\u2018\u201A\u201A\u201B\u201B\u201C'");
  EXPECT_EQ(QuotePowerShellLiteral(L"C:\\Temp\\a'b"), L"'C:\\Temp\\a''b'");
  EXPECT_EQ(QuotePowerShellLiteral(L""), L"''");
  EXPECT_EQ(QuotePowerShellLiteral(L"$x `y\" z''"), L"'$x `y\" z'''''");
}

struct JsonCase {
  const char* text;
  const char* key;
  const char* expected;
};

TEST(ExtractJsonString, FindsTheNextStringAfterTheFirstQuotedKey) {
  const JsonCase cases[] = {
      {R"({"version":"1.2.3"})", "version", "1.2.3"},
      {R"({"a":{"version":"nested"},"version":"top"})", "version", "nested"},
      {R"({"tag":"version","x":"y"})", "version", "y"},  // the key as a value also counts
      {R"({"version": 5, "next": "n"})", "version", "next"},
      {R"({"version": 5})", "version", ""},
      {R"({"Version":"1"})", "version", ""},
      {R"({"version" junk : junk "v"})", "version", "v"},
      {R"({"v":"a\"b"})", "v", "a\"b"},
      {R"({"v":"C:\\x"})", "v", "C:\\x"},
      {R"({"v":"\u00e9\n\t"})", "v", "u00e9nt"},
      {R"({"v":"open to the end)", "v", "open to the end"},
      {R"({"v":"ends in \)", "v", "ends in \\"},
      {R"({"v")", "v", ""},
      {R"({"v":)", "v", ""},
      {R"({"v":  )", "v", ""},
      {R"("v")", "v", ""},
      {R"(")", "v", ""},
      {R"({"version2":"no","version":"yes"})", "version", "yes"},
  };
  for (const JsonCase& c : cases) {
    EXPECT_EQ(ExtractJsonString(c.text, c.key), c.expected) << c.text;
  }
}

TEST(Utf8Conversion, RoundTripsAndReplacesInvalidBytes) {
  const std::wstring korean = L"설치 완료 ✓";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(korean)), korean);
  EXPECT_EQ(WideToUtf8(L"é"), "\xC3\xA9");
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(WideToUtf8(L""), "");
  EXPECT_EQ(Utf8ToWide("a\xFF"
                       "b"),
            L"a\uFFFDb");
  // No byte-order mark is added or removed.
  EXPECT_EQ(Utf8ToWide("\xEF\xBB\xBFx"), L"\uFEFFx");
}

}  // namespace
