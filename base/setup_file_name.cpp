#include "base/setup_file_name.h"

#include "base/text_helpers.h"

bool HasVersionedSetupName(const std::wstring& name) {
  return StartsWithIgnoringCase(name, L"OrlinthSetup-") || StartsWithIgnoringCase(name, L"Orlinth-Setup-");
}

bool IsSetupFileName(const std::wstring& name) {
  constexpr std::wstring_view kExtension = L".exe";
  if (EqualsIgnoringCase(name, L"Setup.exe")) return true;
  return HasVersionedSetupName(name) && name.size() >= kExtension.size() &&
         EqualsIgnoringCase(std::wstring_view(name).substr(name.size() - kExtension.size()), kExtension);
}
