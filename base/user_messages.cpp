#include "base/user_messages.h"

#include <atomic>

#include "base/product_paths.h"
#include "base/run_log.h"

namespace {

std::atomic<HWND> g_owner{nullptr};
std::atomic<bool> g_unattended{false};

// Boxes before the main window exists have no owner; unattended, none at all.
int ShowBox(const std::wstring& text, UINT flags) {
  return ::MessageBoxW(g_owner.load(std::memory_order_acquire), text.c_str(), kSetupCaption, flags);
}

}  // namespace

void SetMessageOwner(HWND owner) { g_owner.store(owner, std::memory_order_release); }

void SetUnattendedMessages(bool unattended) { g_unattended.store(unattended, std::memory_order_release); }

void ShowMessage(const std::wstring& text, UINT icon) {
  if (g_unattended.load(std::memory_order_acquire)) {
    WriteRunLog(text);
    return;
  }
  ShowBox(text, icon);
}

bool AskYesNo(const std::wstring& question, UINT flags) {
  if (g_unattended.load(std::memory_order_acquire)) {
    WriteRunLog(question);
    return false;
  }
  return ShowBox(question, flags) == IDYES;
}
