// Linux's error codes and words, and a text on standard output.

#include "platform/system.h"

#include <QByteArray>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace Platform
{

int lastSystemError()
{
    return errno;
}

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void showText(const QString& title, const QString& text)
{
    Q_UNUSED(title) // a terminal shows no title
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool windowsCanBeShown()
{
    // A plug-in chosen by name is taken at its word (offscreen, wayland),
    // but for X, which is asked as below.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    if (qgetenv("DISPLAY").isEmpty())
        return false;
    // Xlib is looked up when asked, as below; without it Qt's X plug-in
    // decides.
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!xlib)
        return true;
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    const auto open = reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay"));
    const auto close = reinterpret_cast<CloseDisplay>(dlsym(xlib, "XCloseDisplay"));
    bool shown = true;
    if (open && close) {
        void* display = open(nullptr);
        shown = display != nullptr;
        if (display)
            close(display);
    }
    dlclose(xlib);
    return shown;
}

void attachParentConsole() {}

bool composesTranslucentWindows()
{
    // X11: a compositing manager owns the selection _NET_WM_CM_S<screen>.
    // Xlib is looked up when asked: the program links no X11 and runs
    // quietly without it. Without X nothing is shown that could be black.
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!xlib)
        return true;
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    using DefaultScreen = int (*)(void*);
    using InternAtom = unsigned long (*)(void*, const char*, int);
    using SelectionOwner = unsigned long (*)(void*, unsigned long);
    const auto open = reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay"));
    const auto close = reinterpret_cast<CloseDisplay>(dlsym(xlib, "XCloseDisplay"));
    const auto screen = reinterpret_cast<DefaultScreen>(dlsym(xlib, "XDefaultScreen"));
    const auto atom = reinterpret_cast<InternAtom>(dlsym(xlib, "XInternAtom"));
    const auto owner = reinterpret_cast<SelectionOwner>(dlsym(xlib, "XGetSelectionOwner"));
    bool composed = true;
    void* display = open && close && screen && atom && owner ? open(nullptr) : nullptr;
    if (display) {
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen(display));
        composed = owner(display, atom(display, name.constData(), 0)) != 0;
        close(display);
    }
    dlclose(xlib);
    return composed;
}

} // namespace Platform
