#pragma once

// Where the product's shortcuts and start-menu folders are, as plain text so
// that the paths can be checked on any system.

#include <QString>
#include <QVector>

namespace Engine
{

struct ShortcutTarget {
    QString path;
    bool folder = false; // a start-menu folder, removed with all it holds
};

// The six places, in removal order: the user-desktop shortcut under each
// name, the all-users desktop shortcut under each name, the start-menu
// folder under each name. userDesktop and startMenuPrograms come without a
// final separator, publicDesktop with one. A name that would not stay a
// single entry in its folder (empty, ".", "..", with a separator) is left
// out of all three of its places: it could name the folder itself or one
// above it.
QVector<ShortcutTarget> shortcutTargets(const QString& userDesktop, const QString& publicDesktop,
                                        const QString& startMenuPrograms, const QString& nameEN,
                                        const QString& nameCH);

} // namespace Engine
