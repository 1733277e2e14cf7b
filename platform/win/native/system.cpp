// The system's error codes and words, and a message box.

#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace Platform
{
namespace Win32
{

unsigned long lastError()
{
    return ::GetLastError();
}

std::wstring errorText(unsigned long error)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

void showInformation(const std::wstring& title, const std::wstring& text)
{
    ::MessageBoxW(nullptr, text.c_str(), title.c_str(),
                  MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

} // namespace Win32
} // namespace Platform
