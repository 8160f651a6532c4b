#include "base/folder_security.h"

#include <aclapi.h>
#include <sddl.h>

#include "base/path_helpers.h"
#include "base/product_paths.h"

namespace {

// Rights that would let somebody change the folder or what is in it.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                        FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL;

bool IsAdministratorsOrSystem(PSID sid) {
  return sid != nullptr && ::IsValidSid(sid) &&
         (::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || ::IsWellKnownSid(sid, WinLocalSystemSid));
}

// An allowing entry that hands changing rights to anybody but SYSTEM or the
// Administrators. Entries of the object kinds name their trustee elsewhere;
// they are judged by their rights alone.
bool GrantsOthersChange(const ACE_HEADER* header) {
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
      const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
      return (ace->Mask & kChangingRights) != 0 && !IsAdministratorsOrSystem(const_cast<DWORD*>(&ace->SidStart));
    }
    case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
      return (reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask & kChangingRights) != 0;
    default:
      return false;  // denying, auditing and label entries grant nothing
  }
}

}  // namespace

UniqueLocalMemory AdminOnlyFolderDescriptor() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlyFolderSddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
    return UniqueLocalMemory();
  }
  return UniqueLocalMemory(descriptor);
}

bool IsAdminOnlyDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  if (descriptor == nullptr || !::GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) ||
      !IsAdministratorsOrSystem(owner)) {
    return false;
  }
  BOOL present = FALSE;
  BOOL daclDefaulted = FALSE;
  PACL dacl = nullptr;
  // No DACL at all lets everybody do everything.
  if (!::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &daclDefaulted) || !present || dacl == nullptr) {
    return false;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!::GetAce(dacl, index, &ace) || GrantsOthersChange(static_cast<const ACE_HEADER*>(ace))) return false;
  }
  return true;
}

bool HasAdminOnlySecurity(HANDLE object) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  UniqueLocalMemory owned(descriptor);
  return IsAdminOnlyDescriptor(descriptor);
}

bool FolderOwnersAreKept(const std::wstring& parent) {
  UniqueLocalMemory descriptor = AdminOnlyFolderDescriptor();
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.get(), FALSE};
  const std::wstring probe =
      JoinPath(parent, std::wstring(kSetupFolderName) + L".owner-check-" + std::to_wstring(::GetCurrentProcessId()) +
                           L"-" + std::to_wstring(::GetTickCount64()));
  if (!descriptor || !::CreateDirectoryW(probe.c_str(), &attributes)) return true;
  bool kept = true;
  {
    UniqueHandle folder(::CreateFileW(probe.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR read = nullptr;
    if (folder && ::GetSecurityInfo(folder.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                    nullptr, &read) == ERROR_SUCCESS) {
      UniqueLocalMemory owned(read);
      kept = ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) != FALSE;
    }
  }
  ::RemoveDirectoryW(probe.c_str());
  return kept;
}
