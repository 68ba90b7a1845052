#include "platform/SharedLibrary.h"

#include <windows.h>

#include "platform/TextConversion.h"

namespace Platform {
namespace {

// The system's text for an error code, in UTF-8 and without its line break.
std::string ErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return (text.empty() ? std::string("error") : WideToUtf8(text)) + " (" + std::to_string(code) + ")";
}

// Wide text in a code page of the system; characters it lacks become its default character.
std::string WideToCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return std::string();
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(codePage, 0, text.data(), units, out.data(), size, nullptr, nullptr);
  return out;
}

void* Checked(HMODULE module, std::string* error) {
  if (module == nullptr && error != nullptr) *error = ErrorText(GetLastError());
  return reinterpret_cast<void*>(module);
}

}  // namespace

const wchar_t* const kLogBackendFile = L"NLogC.dll";

// Narrow names are UTF-8 inside Ostrel; LoadLibraryA takes the system code page.
void* OpenLibrary(const char* path, std::string* error) {
  const std::string name = WideToCodePage(Utf8ToWide(path != nullptr ? path : ""), CP_ACP);
  return Checked(LoadLibraryA(name.c_str()), error);
}

void* OpenLibrary(const wchar_t* path, std::string* error) {
  return Checked(LoadLibraryW(path != nullptr ? path : L""), error);
}

void* FindSymbol(void* module, const char* name) {
  if (module == nullptr || name == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

std::string SiblingPath(const void* address, const char* fileName) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const wchar_t*>(address), &module)) {
    return std::string();
  }
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()))) ==
             path.size() &&
         path.size() < 32768) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  const std::size_t slash = path.find_last_of(L"\\/");
  if (length == 0 || slash == std::wstring::npos) {
    return std::string();
  }
  return WideToUtf8(path.substr(0, slash + 1)) + fileName;
}

}  // namespace Platform
