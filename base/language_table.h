// The language keyboards of the product and the one this Setup installs.
#pragma once

#include <array>
#include <string>

struct LanguageEntry {
  const wchar_t* code;         // as in InstalledLanguages and the script argument
  const char* shortTag;        // release manifest keys
  const wchar_t* englishName;  // versioned Setup file names
  const wchar_t* koreanName;   // every text that names the language
  const wchar_t* description;  // header subtitle
};

// Row 0 describes the whole product and never matches a code.
const std::array<LanguageEntry, 4>& LanguageTable();

// The row this build installs (Japanese).
const LanguageEntry& TargetLanguage();

// The target's Korean name followed by one space, for texts that put another
// word after it.
std::wstring TargetLanguageLabel();
