#include "base/folder_takeback.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "base/folder_removal.h"
#include "base/folder_security.h"
#include "base/win_handle.h"

namespace {

// Enables the privileges for its life and puts back what was there before.
class ScopedPrivileges {
 public:
  explicit ScopedPrivileges(std::initializer_list<const wchar_t*> names) {
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put())) return;
    std::vector<unsigned char> buffer(sizeof(TOKEN_PRIVILEGES) + names.size() * sizeof(LUID_AND_ATTRIBUTES));
    auto* wanted = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    for (const wchar_t* name : names) {
      LUID_AND_ATTRIBUTES& entry = wanted->Privileges[wanted->PrivilegeCount];
      if (!::LookupPrivilegeValueW(nullptr, name, &entry.Luid)) continue;
      entry.Attributes = SE_PRIVILEGE_ENABLED;
      ++wanted->PrivilegeCount;
    }
    previous_.resize(buffer.size());
    DWORD size = 0;
    adjusted_ = ::AdjustTokenPrivileges(token_.get(), FALSE, wanted, static_cast<DWORD>(previous_.size()),
                                        reinterpret_cast<TOKEN_PRIVILEGES*>(previous_.data()), &size) != FALSE;
  }
  ~ScopedPrivileges() {
    if (adjusted_) {
      ::AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(previous_.data()), 0, nullptr,
                              nullptr);
    }
  }
  ScopedPrivileges(const ScopedPrivileges&) = delete;
  ScopedPrivileges& operator=(const ScopedPrivileges&) = delete;

 private:
  UniqueHandle token_;
  std::vector<unsigned char> previous_;
  bool adjusted_ = false;
};

// Through a handle on the folder itself, never on what a link points to.
bool ResetOwnerAndDacl(const std::wstring& folder) {
  UniqueHandle held(::CreateFileW(folder.c_str(), WRITE_OWNER | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  UniqueLocalMemory descriptor = AdminOnlyFolderDescriptor();
  if (!held || !descriptor) return false;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE;
  BOOL present = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted) ||
      !::GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) {
    return false;
  }
  return ::SetSecurityInfo(held.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS &&
         ::SetSecurityInfo(held.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                           nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool TakeBackAndRemoveFolder(const std::wstring& folder) {
  const ScopedPrivileges privileges({SE_TAKE_OWNERSHIP_NAME, SE_BACKUP_NAME, SE_RESTORE_NAME});
  ResetOwnerAndDacl(folder);  // the removal below says whether it was enough
  return RemoveFolderTree(folder);
}
