// Reads the names of the DLLs an executable imports, from the file itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct PeImports {
  std::vector<std::string> imported;     // import directory
  std::vector<std::string> delayLoaded;  // delay-load directory
};

// Nothing when the bytes are not a well-formed 64-bit PE image.
std::optional<PeImports> ReadPeImports(const std::string& image);
