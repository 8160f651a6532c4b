#include "base/json_object.h"

#include <nlohmann/json.hpp>

#include <set>
#include <vector>

#include "base/failure.h"
#include "base/text_helpers.h"

namespace {

constexpr std::size_t kDeepest = 32;

// Collects the top-level members while the library checks the grammar, and
// refuses what the library would let through: repeated keys (readers differ
// on which one wins) and NULs (Win32 would cut a path or address there).
class MemberCollector : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit MemberCollector(JsonMembers* members) : members_(members) {}

  bool null() override { return Value({JsonKind::Null, {}}); }
  bool boolean(bool value) override { return Value({value ? JsonKind::True : JsonKind::False, {}}); }
  bool number_integer(number_integer_t) override { return Value({JsonKind::Number, {}}); }
  bool number_unsigned(number_unsigned_t) override { return Value({JsonKind::Number, {}}); }
  bool number_float(number_float_t, const string_t&) override { return Value({JsonKind::Number, {}}); }
  bool string(string_t& value) override {
    if (value.find('\0') != std::string::npos) return Refuse(L"문자열에 NUL 문자가 있습니다.");
    return Value({JsonKind::String, std::move(value)});
  }
  bool binary(binary_t&) override { return Refuse(L"JSON 형식이 아닙니다."); }
  bool start_object(std::size_t) override { return Open(JsonKind::Object, true); }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(JsonKind::Array, false); }
  bool end_array() override { return Close(); }
  bool key(string_t& name) override {
    if (name.find('\0') != std::string::npos) return Refuse(L"이름에 NUL 문자가 있습니다.");
    if (!keys_.back().insert(name).second) return Refuse(L"같은 이름이 두 번 있습니다: " + Utf8ToWide(name));
    key_ = std::move(name);
    return true;
  }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override {
    return Refuse(L"JSON 형식이 올바르지 않습니다. (" + std::to_wstring(position) + L"번째 바이트)");
  }

  bool sawObject() const { return sawObject_; }
  const std::wstring& reason() const { return reason_; }

 private:
  bool Refuse(const std::wstring& reason) {
    if (reason_.empty()) reason_ = reason;
    return false;
  }
  // A value where the top-level object takes a member.
  bool Value(JsonValue value) {
    if (depth_ == 0) return Refuse(L"JSON 객체가 아닙니다.");
    if (depth_ == 1) (*members_)[key_] = std::move(value);
    return true;
  }
  bool Open(JsonKind kind, bool isObject) {
    if (depth_ == 0 && !isObject) return Refuse(L"JSON 객체가 아닙니다.");
    if (depth_ >= kDeepest) return Refuse(L"JSON이 너무 깊게 중첩되어 있습니다.");
    if (depth_ > 0 && !Value({kind, {}})) return false;
    if (depth_ == 0) sawObject_ = true;
    ++depth_;
    // Arrays get a set too, so that the stack follows the nesting; it stays empty.
    keys_.emplace_back();
    return true;
  }
  bool Close() {
    --depth_;
    keys_.pop_back();
    return true;
  }

  JsonMembers* members_;
  std::vector<std::set<std::string>> keys_;
  std::string key_;
  std::size_t depth_ = 0;
  bool sawObject_ = false;
  std::wstring reason_;
};

}  // namespace

bool ReadJsonObject(std::string_view text, JsonMembers* members, std::wstring* reason) {
  // The library takes a NUL for the end of the text: whatever follows one
  // would go unread.
  if (text.find('\0') != std::string_view::npos) return FailWithMessage(reason, L"JSON에 NUL 문자가 있습니다.");
  JsonMembers read;
  try {
    MemberCollector collector(&read);
    const char* const begin = text.data();
    if (!nlohmann::json::sax_parse(begin, begin + text.size(), &collector) || !collector.sawObject()) {
      return FailWithMessage(reason, collector.reason().empty() ? L"JSON 객체가 아닙니다." : collector.reason());
    }
  } catch (...) {
    // Out of memory, or a library fault: nothing may leave this function.
    return FailWithMessage(reason, L"JSON을 읽지 못했습니다.");
  }
  if (members) *members = std::move(read);
  return true;
}

std::string JsonStringMember(const JsonMembers& members, std::string_view name) {
  const auto found = members.find(name);
  return found != members.end() && found->second.kind == JsonKind::String ? found->second.text : std::string();
}

bool JsonIsTrue(const JsonMembers& members, std::string_view name) {
  const auto found = members.find(name);
  return found != members.end() && found->second.kind == JsonKind::True;
}
