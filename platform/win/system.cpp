// Windows' error codes and words, and a message box for a text.

#include "platform/system.h"
#include "native/win32native.h"

#include <windows.h>

namespace Platform
{

int lastSystemError()
{
    return static_cast<int>(Win32::lastError());
}

QString systemErrorText(int error)
{
    return QString::fromStdWString(Win32::errorText(static_cast<unsigned long>(error)));
}

void showText(const QString& title, const QString& text)
{
    // A program of the GUI subsystem has no console to write to.
    Win32::showInformation(title.toStdWString(), text.toStdWString());
}

bool windowsCanBeShown()
{
    return true; // every Windows session has a desktop
}

void attachParentConsole()
{
    Win32::attachParentConsole();
}

bool composesTranslucentWindows()
{
    // Wine's ntdll exports wine_get_version; Windows' does not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}

} // namespace Platform
