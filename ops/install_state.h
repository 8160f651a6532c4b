// What is installed: the product, and which language keyboards it holds.
// Nothing is cached; every call probes the file system and registry anew.
#pragma once

#include <string>
#include <vector>

struct InstallState {
  bool installed = false;
  bool targetInstalled = false;              // never true when not installed
  std::vector<std::wstring> otherLanguages;  // lower-cased, in registry order
};

enum class InstallSituation {
  NotInstalled,
  OtherLanguagesOnly,  // installed without the target (the list may be empty)
  TargetOnly,
  TargetWithOthers,
};

// The product DLL in either Program Files folder, or a registered text
// service whose server file exists.
bool IsProductInstalled();

// The codes of InstalledLanguages; when the value cannot be read, "ja" for an
// installed product and nothing otherwise.
std::vector<std::wstring> ReadInstalledLanguages();

// The scanning rule for the value's text: items between commas, spaces
// dropped wherever they stand, lower-cased, empty items skipped.
std::vector<std::wstring> ParseInstalledLanguages(const wchar_t* text);

InstallState DetectInstallState();
InstallSituation SituationOf(const InstallState& state);

// Korean names of the codes (an unknown code as it is), joined with ", ".
std::wstring JoinLanguageNames(const std::vector<std::wstring>& codes);
