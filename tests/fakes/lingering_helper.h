/* The names by which a test sees that the lingering helper still runs, and
   lets it end. */
#pragma once

#define kLingering L"Local\\orlinth-test-lingering-helper"
#define kReleased L"Local\\orlinth-test-lingering-helper-released"
