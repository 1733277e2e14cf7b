#include "shortcuts.h"

#include "removalguard.h"

#include <QDir>

namespace Engine
{

QVector<ShortcutTarget> shortcutTargets(const QString& userDesktop, const QString& publicDesktop,
                                        const QString& startMenuPrograms, const QString& nameEN,
                                        const QString& nameCH)
{
    const QString names[] = {nameEN, nameCH};
    const bool usable[] = {isUsableProductName(nameEN), isUsableProductName(nameCH)};
    const QString lnk = QStringLiteral(".lnk");
    QVector<ShortcutTarget> targets;
    // Only the folder part takes native separators; the name is used as it is.
    const QString desktop = QDir::toNativeSeparators(userDesktop + QLatin1Char('/'));
    for (int i = 0; i < 2; ++i)
        if (usable[i])
            targets.append({desktop + names[i] + lnk, false});
    for (int i = 0; i < 2; ++i)
        if (usable[i])
            targets.append({publicDesktop + names[i] + lnk, false});
    for (int i = 0; i < 2; ++i)
        if (usable[i])
            targets.append(
                {startMenuPrograms + QLatin1Char('/') + names[i] + QLatin1Char('/'), true});
    return targets;
}

} // namespace Engine
