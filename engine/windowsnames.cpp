#include "windowsnames.h"

#include <QStringList>

namespace Engine
{

bool isUsableProductName(const QString& name)
{
    if (name.isEmpty() || name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"/\\|?*").contains(c))
            return false;
    }
    return !isWindowsDeviceName(QStringView(name).trimmed());
}

bool isWindowsDeviceName(QStringView name)
{
    QStringView base = name.left(name.indexOf(QLatin1Char('.')));
    while (base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    if (base.size() == 3) {
        for (const char* device : {"CON", "PRN", "AUX", "NUL"})
            if (base.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
    if (base.size() != 4 || (base.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) != 0 &&
                             base.left(3).compare(QLatin1String("LPT"), Qt::CaseInsensitive) != 0))
        return false;
    const QChar digit = base.at(3);
    return (digit >= QLatin1Char('0') && digit <= QLatin1Char('9')) || digit == QChar(0xB9) ||
           digit == QChar(0xB2) || digit == QChar(0xB3);
}

bool isSharedStartMenuFolder(const QString& name)
{
    QString bare = name;
    while (bare.endsWith(QLatin1Char('.')) || bare.endsWith(QLatin1Char(' ')))
        bare.chop(1);
    static const char* const shared[] = {"Accessories",
                                         "Accessibility",
                                         "Administrative Tools",
                                         "Ease of Access",
                                         "Maintenance",
                                         "Programs",
                                         "Start Menu",
                                         "Startup",
                                         "System Tools",
                                         "Windows Accessories",
                                         "Windows Administrative Tools",
                                         "Windows Ease of Access",
                                         "Windows PowerShell",
                                         "Windows System",
                                         "Windows Tools",
                                         "Games",
                                         "Tablet PC",
                                         "Chrome Apps",
                                         "Microsoft Office Tools",
                                         "Desktop"};
    for (const char* folder : shared)
        if (bare.compare(QLatin1String(folder), Qt::CaseInsensitive) == 0)
            return true;
    return bare.isEmpty();
}

} // namespace Engine
