// The two ways a script line can fail in the stand-in.
#pragma once

#include <string>

namespace standin {

// A terminating error, as every error is under $ErrorActionPreference='Stop':
// the message is printed and the wrapper ends with exit code 1.
struct ScriptRuntimeError {
  std::wstring message;
};

// A line outside the subset the stand-in understands (or not valid at all).
struct ScriptUnsupported {
  std::wstring reason;
};

}  // namespace standin
