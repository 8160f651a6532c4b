// Lines to the standard streams, written through at once: the installer reads
// them from a pipe while the script still runs.
#pragma once

#include <string>

namespace standin {

// UTF-8 without a byte-order mark, CR LF after each line (UTF-16 on a console).
void WriteOutputLine(const std::wstring& line);
void WriteErrorLine(const std::wstring& line);

}  // namespace standin
