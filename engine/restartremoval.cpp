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

bool scheduleFolderRemovalOnRestart(const QString& folder)
{
    const QStringList order = restartRemovalOrder(folder);
    bool all = !order.isEmpty();
    for (const QString& path : order)
        all = Platform::scheduleRemovalOnRestart(path) && all;
    return all;
}

} // namespace Engine
