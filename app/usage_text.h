// What "/?" shows: the switches and the exit codes, as the README lists them.
#pragma once

#include <string>

std::wstring UsageText();
