// Linux's error codes and words, and a text on standard output.

#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

} // namespace Platform
