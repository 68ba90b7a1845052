#include "platform/FileSystem.h"

#include <windows.h>

#include "platform/TextConversion.h"

namespace Platform {

// The final path of the open file: links resolved, the folder names spelled as stored.
std::string CanonicalPath(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return path;
  }
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  CloseHandle(file);
  if (length == 0 || length >= final.size()) {
    return path;
  }
  final.resize(length);
  if (final.rfind(L"\\\\?\\", 0) == 0) final.erase(0, 4);
  return WideToUtf8(final);
}

std::FILE* OpenFileForReading(const wchar_t* path) { return _wfopen(path, L"rb"); }

}  // namespace Platform
