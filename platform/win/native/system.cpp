// The system's error codes and words, and a message box.

#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <io.h>

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

namespace
{

// A standard handle the process was given: a console, a pipe or a file.
bool handleGiven(DWORD which)
{
    const HANDLE handle = ::GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// stream written to the console this process is attached to, and the
// standard handle with it, for whatever asks the system rather than the C
// runtime.
void toConsole(FILE* stream, DWORD which)
{
    if (!std::freopen("CONOUT$", "w", stream))
        return;
    std::setvbuf(stream, nullptr, _IONBF, 0);
    const intptr_t handle = ::_get_osfhandle(::_fileno(stream));
    if (handle != -1)
        ::SetStdHandle(which, reinterpret_cast<HANDLE>(handle));
}

} // namespace

void attachParentConsole()
{
    const bool output = handleGiven(STD_OUTPUT_HANDLE);
    const bool error = handleGiven(STD_ERROR_HANDLE);
    // Redirected, or started with a console of its own: nothing to do.
    if (output && error)
        return;
    // Fails when the parent has no console (Explorer, a service, a
    // deployment agent): nothing changes then.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output)
        toConsole(stdout, STD_OUTPUT_HANDLE);
    if (!error)
        toConsole(stderr, STD_ERROR_HANDLE);
}

} // namespace Win32
} // namespace Platform
