#include "restartremoval.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <utility>

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

namespace
{

// A clean path as a set of them holds it: compared as this system compares
// paths.
QString pathKey(const QString& path)
{
    return Platform::pathCaseSensitivity() == Qt::CaseInsensitive ? path.toCaseFolded() : path;
}

// The keys of the entries inside top and of every folder holding one, top
// included when any is inside.
QSet<QString> entriesAndHolders(const QString& top, const QStringList& entries)
{
    const QString root = cleanTop(top);
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    QSet<QString> keys;
    for (const QString& entry : entries) {
        QString path = QDir::cleanPath(QDir::fromNativeSeparators(entry));
        if (!path.startsWith(prefix, Platform::pathCaseSensitivity()))
            continue;
        while (path.size() > root.size() && !keys.contains(pathKey(path))) {
            keys.insert(pathKey(path));
            path.truncate(path.lastIndexOf(QLatin1Char('/')));
        }
        keys.insert(pathKey(root));
    }
    return keys;
}

// inUseRestartOrder(top, inUse + last) in two parts: what holds no entry
// of last, then the entries of last and the folders holding them.
std::pair<QStringList, QStringList> splitOrder(const QString& top, const QStringList& inUse,
                                               const QStringList& last)
{
    const QSet<QString> holdLast = entriesAndHolders(top, last);
    std::pair<QStringList, QStringList> parts;
    for (const QString& path : inUseRestartOrder(top, inUse + last))
        (holdLast.contains(pathKey(path)) ? parts.second : parts.first) << path;
    return parts;
}

// Each folder on the way down from root, and the entry, must be no link:
// checked now, as close to scheduling as it can be.
bool scheduleUnlinked(const QString& root, const QString& path, bool dryRun)
{
    bool plain = !Platform::isLinkOrJunction(root);
    for (int slash = path.indexOf(QLatin1Char('/'), root.size() + 1); plain && slash > 0;
         slash = path.indexOf(QLatin1Char('/'), slash + 1))
        plain = !Platform::isLinkOrJunction(path.left(slash));
    return plain && !Platform::isLinkOrJunction(path) &&
           (dryRun || Platform::scheduleRemovalOnRestart(path));
}

} // namespace

QStringList scheduleLeftOnRestart(const QString& top, const QStringList& inUse,
                                  const QStringList& last, bool* everything,
                                  const QStringList& kept, bool dryRun)
{
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    const QSet<QString> stay = entriesAndHolders(top, kept);
    QStringList lastThere;
    for (const QString& path : last)
        if (Platform::entryExists(path))
            lastThere << path;
    const auto parts = splitOrder(top, inUse, lastThere); // clean paths
    // All that is left of top, were it all handed on?
    bool covered = !parts.first.isEmpty() || !parts.second.isEmpty();
    // A trial run removed nothing: what its walk would have left is what it
    // listed, and the caller knows whether that is only inUse.
    for (const QString& left : dryRun ? QStringList() : restartRemovalOrder(top)) {
        const QString path = QDir::cleanPath(left);
        covered = covered && (parts.first.contains(path, cs) || parts.second.contains(path, cs) ||
                              stay.contains(pathKey(path)));
    }
    const QString root = cleanTop(top);
    QStringList scheduled;
    bool all = true;
    // parts.first holds neither the client nor a folder holding it.
    for (const QString& path : parts.first) {
        if (scheduleUnlinked(root, path, dryRun))
            scheduled << path;
        else
            all = false;
    }
    // The client goes last, and only when all else that stays goes with it
    // at the restart: otherwise it stays as the proof a later run needs.
    for (const QString& path : (covered && all) ? parts.second : QStringList()) {
        if (scheduleUnlinked(root, path, dryRun))
            scheduled << path;
        else
            all = false;
    }
    if (everything)
        *everything = covered && all;
    return scheduled;
}

MovedOut moveOwnFilesOut(const QString& top, const QStringList& inUse,
                         const QVector<Platform::FileIdentity>& own)
{
    MovedOut result;
    if (inUse.isEmpty() || own.isEmpty())
        return result;
    const QString holding = Platform::makeHoldingFolder(top);
    if (holding.isEmpty())
        return result;
    for (const QString& path : inUse) {
        const QString moved = Platform::moveIntoHolding(path, own, holding);
        if (moved.isEmpty())
            continue;
        result.moved << path;
        (Platform::scheduleRemovalOnRestart(moved) ? result.waiting : result.stranded) << moved;
    }
    // The folder after what it holds, or at once when nothing came.
    if (result.moved.isEmpty())
        Platform::removeEmptyFolder(holding);
    else
        (Platform::scheduleRemovalOnRestart(holding) ? result.waiting : result.stranded) << holding;
    return result;
}

} // namespace Engine
