// The one way Setup reads JSON (server answers, their signed part, the
// installed manifest): a strict reader that takes whatever a real serializer
// writes (every escape, any whitespace) and refuses what two readers could
// take differently.
#pragma once

#include <map>
#include <string>
#include <string_view>

enum class JsonKind { String, True, False, Null, Number, Object, Array };

struct JsonValue {
  JsonKind kind = JsonKind::Null;
  std::string text;  // a string's value, UTF-8; empty for other kinds
};

// The members of an object, by name; nested values by their kind only.
using JsonMembers = std::map<std::string, JsonValue, std::less<>>;

// Reads `text` (UTF-8, a byte-order mark allowed) as one JSON object. False
// with the reason (for the log) when it is not valid JSON, not an object, has
// anything but whitespace after it, names a key twice in any object, holds a
// NUL anywhere, or nests deeper than 32.
bool ReadJsonObject(std::string_view text, JsonMembers* members, std::wstring* reason);

// The value of a string member; empty when it is missing or no string.
std::string JsonStringMember(const JsonMembers& members, std::string_view name);

// Whether the member is there and is the literal true.
bool JsonIsTrue(const JsonMembers& members, std::string_view name);
