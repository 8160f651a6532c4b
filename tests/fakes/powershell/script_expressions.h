// Values, variables, expressions, conditions and command arguments of the
// script subset. Every reader can also run without evaluating anything, which
// checks a line before the script starts and skips branches not taken.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/powershell/script_tokens.h"

namespace standin {

// Every value of the subset is text; nullopt is $null (a missing registry
// value, an unknown variable).
using Value = std::optional<std::wstring>;

inline std::wstring Text(const Value& value) { return value.value_or(std::wstring()); }
// PowerShell's truth of a string: $null and '' are false.
inline bool IsTrue(const Value& value) { return value && !value->empty(); }

// Variables by case-insensitive name; env:NAME is the process environment.
class ScriptScope {
 public:
  Value Get(const std::wstring& name) const;
  void Set(const std::wstring& name, const Value& value);

 private:
  std::map<std::wstring, Value> variables_;
};

// What a command accepts. Every command also takes -ErrorAction.
struct CommandSyntax {
  std::vector<std::wstring> parameters;  // take a value
  std::vector<std::wstring> switches;
  std::vector<std::wstring> positional;  // filled in this order by bare arguments
  bool collectsArguments = false;        // bare arguments go to 'rest' instead
};

struct CommandArguments {
  std::map<std::wstring, Value> named;  // by lower-case name
  std::set<std::wstring> switches;      // lower-case names
  std::vector<Value> rest;

  bool Has(const std::wstring& name) const { return named.count(LowerCase(name)) > 0; }
  Value Get(const std::wstring& name) const;
  bool Switch(const std::wstring& name) const { return switches.count(LowerCase(name)) > 0; }
  // -ErrorAction SilentlyContinue (or Ignore): the command's errors are dropped.
  bool Silent() const;
};

class ExpressionReader {
 public:
  ExpressionReader(TokenCursor& cursor, ScriptScope& scope, bool evaluate)
      : cursor_(cursor), scope_(scope), evaluate_(evaluate) {}

  // Expression mode: operands joined by + and followed by -replace clauses.
  Value ReadExpression();
  // Argument mode: one string, variable, bare word or (expression).
  Value ReadArgument();
  // An if condition; false when not evaluating.
  bool ReadCondition();
  // Parameters and bare arguments up to the end of the command.
  CommandArguments ReadCommandArguments(const std::wstring& command, const CommandSyntax& syntax);

  bool evaluating() const { return evaluate_; }

 private:
  Value ReadOperand();
  Value ReadParenthesized();
  Value ReadItemProperty();
  bool ReadNegatable();
  bool ReadTestPath();
  bool AtCommandEnd() const;

  TokenCursor& cursor_;
  ScriptScope& scope_;
  bool evaluate_;
};

// The text of a double-quoted string with variables and escapes expanded.
// Without a scope it only checks the text.
std::wstring ExpandString(const std::wstring& raw, const ScriptScope* scope);

// -like: * and ? wildcards, case-insensitive.
bool LikeMatch(const std::wstring& text, const std::wstring& pattern);

// The path of a file-system or registry command: not empty, no wildcards.
std::wstring RequirePath(const CommandArguments& arguments, const std::wstring& parameter);

// Whole-text forms, for tests and tools.
Value EvaluateExpression(const std::wstring& text, ScriptScope& scope);
bool EvaluateCondition(const std::wstring& text, ScriptScope& scope);

}  // namespace standin
