#include <gtest/gtest.h>

#include "base/json_object.h"
#include "base/text_helpers.h"

namespace {

TEST(QuotePowerShellLiteral, DoublesEveryQuoteThatEndsALiteral) {
  EXPECT_EQ(QuotePowerShellLiteral(L"C:\\Users\\O\u2019Brien"), L"'C:\\Users\\O\u2019\u2019Brien'");
  EXPECT_EQ(QuotePowerShellLiteral(L"\u2018\u201A\u201B\u201C"), L"'\u2018\u2018\u201A\u201A\u201B\u201B\u201C'");
  EXPECT_EQ(QuotePowerShellLiteral(L"C:\\Temp\\a'b"), L"'C:\\Temp\\a''b'");
  EXPECT_EQ(QuotePowerShellLiteral(L""), L"''");
  EXPECT_EQ(QuotePowerShellLiteral(L"$x `y\" z''"), L"'$x `y\" z'''''");
}

// Whatever a serializer may write is read; whatever two readers could read
// differently is refused.
TEST(ReadJsonObject, TakesAnyValidObjectAndRefusesWhatReadersDisagreeOn) {
  JsonMembers members;
  std::wstring reason;
  ASSERT_TRUE(
      ReadJsonObject("\xEF\xBB\xBF \t\r\n{ \"a\" : \"\\/\\u00e9\\ud83d\\ude00\\n\" ,\"n\":{\"a\":1,\"b\":[{\"a\":2}]},"
                     "\"t\":true,\"f\":false,\"z\":null,\"x\":-1.5e3}\n ",
                     &members, &reason))
      << reason.c_str();
  EXPECT_EQ(JsonStringMember(members, "a"), "/\xC3\xA9\xF0\x9F\x98\x80\n");
  EXPECT_EQ(members.size(), 6u);  // nested members stay inside
  EXPECT_EQ(members.at("n").kind, JsonKind::Object);
  EXPECT_EQ(JsonStringMember(members, "n"), "");
  EXPECT_TRUE(JsonIsTrue(members, "t"));
  EXPECT_FALSE(JsonIsTrue(members, "f"));
  EXPECT_FALSE(JsonIsTrue(members, "missing"));

  const std::string deep = std::string(32, '[') + std::string(32, ']');
  const std::pair<std::string, const wchar_t*> refused[] = {
      {R"({"a":"1","a":"2"})", L"같은 이름이 두 번 있습니다: a"},
      {R"({"n":{"b":1,"b":1}})", L"같은 이름이 두 번 있습니다: b"},
      {R"({"a":"\u0000"})", L"문자열에 NUL 문자가 있습니다."},
      {R"({"\u0000":1})", L"이름에 NUL 문자가 있습니다."},
      {std::string("{\"a\":\"\0\"}", 9), L"JSON에 NUL 문자가 있습니다."},
      {std::string("{}\0x", 4), L"JSON에 NUL 문자가 있습니다."},
      {R"(["a"])", L"JSON 객체가 아닙니다."},
      {R"("a")", L"JSON 객체가 아닙니다."},
      {"{\"d\":" + deep + "}", L"JSON이 너무 깊게 중첩되어 있습니다."},
  };
  for (const auto& [text, expected] : refused) {
    EXPECT_FALSE(ReadJsonObject(text, &members, &reason)) << text;
    EXPECT_EQ(reason, expected) << text;
  }
  for (const std::string& text :
       {std::string(R"({"a":1} x)"), std::string("{}{}"), std::string("{\"a\":\"\xC3\"}"),
        std::string(R"({"a":"\ud800"})"), std::string(R"({"a":'b'})"), std::string(R"({"a":1,})"), std::string(""),
        std::string(R"({"a":NaN})"), std::string("{\"a\":\"\x01\"}")}) {
    EXPECT_FALSE(ReadJsonObject(text, &members, &reason)) << text;
    EXPECT_EQ(reason.rfind(L"JSON 형식이 올바르지 않습니다.", 0), 0u) << text << reason.c_str();
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
