#include "shownnames.h"

namespace appinstaller
{

namespace
{

constexpr QChar kFirstStrongIsolate(0x2068);
constexpr QChar kPopDirectionalIsolate(0x2069);

bool isBidiControl(QChar c)
{
    return (c.unicode() >= 0x202A && c.unicode() <= 0x202E) ||
           (c.unicode() >= 0x2066 && c.unicode() <= 0x2069);
}

} // namespace

QString isolatedName(const QString& name)
{
    QString shown;
    shown.reserve(name.size() + 2);
    shown += kFirstStrongIsolate;
    for (const QChar c : name) {
        if (isBidiControl(c))
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    shown += kPopDirectionalIsolate;
    return shown;
}

QString withoutIsolation(QString text)
{
    return text.remove(kFirstStrongIsolate).remove(kPopDirectionalIsolate);
}

} // namespace appinstaller
