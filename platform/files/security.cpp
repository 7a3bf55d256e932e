// Security descriptors as far as the libraries set them: a descriptor without
// an access list (or with a null one) lets every user read and write the file
// or folder, which here are the permission bits a+rw (folders a+rwx).
#include <sys/stat.h>

#include <cerrno>

#include "platform/base/error.h"
#include "platform/files/file_object.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"

namespace platform {

bool GrantsEveryone(const SECURITY_DESCRIPTOR* descriptor) {
  if (descriptor == nullptr || descriptor->revision != SECURITY_DESCRIPTOR_REVISION) return false;
  return descriptor->daclPresent == 0 || descriptor->dacl == nullptr;
}

bool GrantsEveryone(const SECURITY_ATTRIBUTES* security) {
  if (security == nullptr) return false;
  return GrantsEveryone(static_cast<const SECURITY_DESCRIPTOR*>(security->lpSecurityDescriptor));
}

bool GrantEveryone(const std::string& native) {
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno, native));
    return false;
  }
  mode_t mode = (st.st_mode & 07777) | (S_ISDIR(st.st_mode) ? 0777 : 0666);
  if (mode != (st.st_mode & 07777) && chmod(native.c_str(), mode) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

}  // namespace platform

QXAPI BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision) {
  if (descriptor == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  *descriptor = SECURITY_DESCRIPTOR{};
  descriptor->revision = static_cast<BYTE>(revision);
  return TRUE;
}

QXAPI BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL daclPresent, void* dacl,
                                     BOOL daclDefaulted) {
  if (descriptor == nullptr || descriptor->revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  descriptor->daclPresent = daclPresent ? 1 : 0;
  descriptor->dacl = daclPresent ? dacl : nullptr;
  descriptor->daclDefaulted = daclPresent && daclDefaulted ? 1 : 0;
  return TRUE;
}

// Access lists with entries are not modelled: such a descriptor leaves the
// file's permissions as they are.
QXAPI BOOL SetFileSecurityW(LPCWSTR fileName, DWORD securityInformation,
                            SECURITY_DESCRIPTOR* descriptor) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (descriptor == nullptr || descriptor->revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  std::string native = platform::NativePath(fileName);
  struct stat st;
  if (native.empty() || stat(native.c_str(), &st) != 0) {
    SetLastError(native.empty() ? ERROR_PATH_NOT_FOUND : platform::ErrorFromErrno(errno, native));
    return FALSE;
  }
  if ((securityInformation & DACL_SECURITY_INFORMATION) == 0) return TRUE;
  if (!platform::GrantsEveryone(descriptor)) return TRUE;
  return platform::GrantEveryone(native) ? TRUE : FALSE;
}
