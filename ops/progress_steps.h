// Known script output lines, turned into a step caption and a progress value.
#pragma once

#include <string>

#include "ops/operation_kind.h"

struct ProgressStep {
  const wchar_t* marker;
  const wchar_t* caption;
  int percent;
};

// Case-insensitive substring test; an empty marker never matches.
bool MatchesMarker(const std::wstring& line, const wchar_t* marker);

// The first row of the kind's group that the line matches, or null.
const ProgressStep* FindProgressStep(OperationKind kind, const std::wstring& line);
