#include "selfupdate/self_update.h"

// Self-update is not built yet: both steps leave start-up to go on as a normal
// start, which is exactly what they do when there is nothing to update.

bool ApplySelfUpdate(const std::wstring&, const std::wstring&, std::uint32_t, const std::wstring&,
                     std::wstring*) {
  return false;
}

bool OfferSelfUpdate(HWND, bool, const std::wstring&, std::wstring*) { return false; }
