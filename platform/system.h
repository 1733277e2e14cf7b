#pragma once

// The system's error codes and words, and a text shown without a window.

#include <QString>

namespace Platform
{

// The calling thread's last error code from the system (errno; Windows'
// GetLastError()), read right after the call that failed.
int lastSystemError();

// The system's own words for an error code, in its language.
QString systemErrorText(int error);

// Shows a text to whoever started the program without any window of Qt's:
// a message box on Windows, where a program with windows has no console;
// standard output elsewhere.
void showText(const QString& title, const QString& text);

// Whether a window can be shown at all: on Windows always; elsewhere when a
// display is named (DISPLAY, or a platform plug-in chosen with
// QT_QPA_PLATFORM) and, for X, answers. Asked before the application object
// exists, which would end the process without one.
bool windowsCanBeShown();

// Makes standard output and standard error reach the console of the process
// that started this one, where they lead nowhere: a Windows program with
// windows gets no console of its own, so a command prompt or a script that
// starts it would not see what it prints. Handles given to it (a pipe, a
// file) are kept. Elsewhere, and without such a console, nothing changes.
void attachParentConsole();

// Whether the windowing system composes a translucent window over what is
// behind it: Windows does, Wine does not (its windows on X show black where
// they are transparent); X11 when a compositing manager runs.
bool composesTranslucentWindows();

} // namespace Platform
