#include "selfupdate/self_update.h"

// Not built yet: both steps let start-up go on as a normal start, which is
// what they do when there is nothing to update.

bool ApplySelfUpdate(const std::wstring&, const std::wstring&, std::uint32_t, const std::wstring&,
                     std::wstring*) {
  return false;
}

bool OfferSelfUpdate(HWND, bool, const std::wstring&, std::wstring*) { return false; }
