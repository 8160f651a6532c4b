#include "base/language_table.h"

namespace {

constexpr std::array<LanguageEntry, 4> kLanguageTable = {{
    {L"", "", L"", L"", L"일본어 · 아랍어 · 힌디어 입력기"},
    {L"ja", "Ja", L"Japanese", L"일본어", L"일본어 히라가나/가타카나 입력기"},
    {L"ar", "Ar", L"Arabic", L"아랍어", L"아랍어 입력기"},
    {L"hi", "Hi", L"Hindi", L"힌디어", L"힌디어(데바나가리) 입력기"},
}};

constexpr size_t kTargetRow = 1;

}  // namespace

const std::array<LanguageEntry, 4>& LanguageTable() { return kLanguageTable; }

const LanguageEntry& TargetLanguage() { return kLanguageTable[kTargetRow]; }

std::wstring TargetLanguageLabel() { return std::wstring(TargetLanguage().koreanName) + L" "; }
