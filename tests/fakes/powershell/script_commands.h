// The cmdlets a script line may start with.
#pragma once

#include <functional>
#include <string>

#include "fakes/powershell/script_expressions.h"

namespace standin {

// Receives every line a script prints, in order.
using OutputSink = std::function<void(const std::wstring& line)>;

bool IsScriptCommand(const std::wstring& name);

// Reads the command at the cursor (its name first) with the reader's mode and,
// when the reader evaluates, carries it out. Errors are thrown as
// ScriptRuntimeError unless the command was told -ErrorAction SilentlyContinue.
void RunScriptCommand(TokenCursor& cursor, ExpressionReader& reader, const OutputSink& output);

}  // namespace standin
