#include "restartremoval.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Engine
{

QStringList restartRemovalOrder(const QString& folder)
{
    const QFileInfo top(folder);
    if (!top.exists() && !top.isSymLink())
        return {};
    if (Platform::isLinkOrJunction(top) || !top.isDir())
        return {top.absoluteFilePath()};

    QStringList files;
    QStringList folders{top.absoluteFilePath()};
    // Breadth first: a folder is listed after its parent, so reversing the
    // folder list puts the deepest first. An explicit list, not recursion.
    for (int i = 0; i < folders.size(); ++i) {
        const QFileInfoList entries = QDir(folders.at(i))
                                          .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot,
                                                         QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (entry.isDir() && !Platform::isLinkOrJunction(entry))
                folders << entry.absoluteFilePath();
            else
                files << entry.absoluteFilePath();
        }
    }
    std::reverse(folders.begin(), folders.end());
    return files + folders;
}

namespace
{

int depthOf(const QString& path)
{
    return path.count(QLatin1Char('/'));
}

QString cleanTop(const QString& top)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(top));
}

} // namespace

QStringList inUseRestartOrder(const QString& top, const QStringList& inUse)
{
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    const QString root = cleanTop(top);
    if (root.isEmpty())
        return {};
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    QStringList order;
    const auto add = [&order, cs](const QString& path) {
        if (!order.contains(path, cs))
            order << path;
    };
    for (const QString& entry : inUse) {
        QString path = QDir::cleanPath(QDir::fromNativeSeparators(entry));
        if (!path.startsWith(prefix, cs) || path.size() == prefix.size())
            continue;
        // The entry, then each folder above it up to top.
        while (path.size() > root.size()) {
            add(path);
            path.truncate(path.lastIndexOf(QLatin1Char('/')));
        }
        add(root);
    }
    // A folder is shallower than everything in it, so the deepest first puts
    // each folder after its contents.
    std::stable_sort(order.begin(), order.end(),
                     [](const QString& a, const QString& b) { return depthOf(a) > depthOf(b); });
    return order;
}

bool scheduleInUseOnRestart(const QString& top, const QStringList& inUse)
{
    const QStringList order = inUseRestartOrder(top, inUse);
    const QString root = cleanTop(top);
    bool all = true;
    for (const QString& path : order) {
        // Each folder on the way down from top, and the entry, must be no
        // link: checked now, as close to scheduling as it can be.
        bool plain = !Platform::isLinkOrJunction(root);
        for (int slash = path.indexOf(QLatin1Char('/'), root.size() + 1); plain && slash > 0;
             slash = path.indexOf(QLatin1Char('/'), slash + 1))
            plain = !Platform::isLinkOrJunction(path.left(slash));
        plain = plain && !Platform::isLinkOrJunction(path);
        all = plain && Platform::scheduleRemovalOnRestart(path) && all;
    }
    return all;
}

bool scheduleLeftOnRestart(const QString& top, const QStringList& inUse)
{
    if (inUse.isEmpty())
        return false;
    // Whatever else stays (no rights, ...) would keep the folder after the
    // restart as well: then nothing is handed on.
    const QStringList scheduled = inUseRestartOrder(top, inUse); // clean paths
    for (const QString& left : restartRemovalOrder(top))
        if (!scheduled.contains(QDir::cleanPath(left), Platform::pathCaseSensitivity()))
            return false;
    return scheduleInUseOnRestart(top, inUse);
}

} // namespace Engine
