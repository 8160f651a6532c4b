// The installer's own version text, e.g. "1.0.19". Defined per executable
// (a build setting), so two builds can differ in it alone.
#pragma once

extern const wchar_t kSetupVersion[];
