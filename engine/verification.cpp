#include "verification.h"

#include "removalguard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Engine
{

namespace
{

// A full path as compared here: clean, folded where the system folds names.
QString keyOf(const QString& path)
{
    return manifestKey(QDir::cleanPath(path), Platform::pathCaseSensitivity());
}

bool isRunningUninstaller(const QString& program)
{
    if (!QCoreApplication::instance())
        return false;
    return Platform::fileIdentity(QCoreApplication::applicationFilePath()) ==
           Platform::fileIdentity(removalPath(program));
}

} // namespace

NamedEntries namedEntries(const appinstaller::EntryRecord& entry, const QString& clientName,
                          const QString& folder, bool folderWhole, const InstallManifest& manifest)
{
    using appinstaller::UninstallRegistry;
    NamedEntries named;
    named.folder = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    named.folderWhole = folderWhole && !named.folder.isEmpty();
    named.manifest = manifest.used() && !named.folder.isEmpty() ? &manifest : nullptr;
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    const auto add = [&named, cs](const QString& path) {
        const QString clean = QDir::cleanPath(path);
        if (!clean.isEmpty() && !named.programs.contains(clean, cs))
            named.programs << clean;
    };
    const QString clientFile = QFileInfo(clientName).fileName();
    // The icon is the client program's only when it is named like it.
    const QString icon = removalPath(UninstallRegistry::commandProgram(entry.displayIcon));
    if (QDir::isAbsolutePath(icon) && !clientFile.isEmpty() &&
        QFileInfo(icon).fileName().compare(clientFile, cs) == 0)
        add(icon);
    for (const QString& command : entry.uninstallCommands) {
        const QString program = removalPath(UninstallRegistry::commandProgram(command));
        if (QDir::isAbsolutePath(program) && !isRunningUninstaller(program))
            add(program);
    }
    if (!named.folder.isEmpty() && isUsableProductName(clientFile))
        add(named.folder + QLatin1Char('/') + clientName);
    return named;
}

Remaining stillThere(const NamedEntries& named, const LeftByDesign& allowed,
                     const Presence& present)
{
    QSet<QString> scheduled;
    for (const QString& path : allowed.scheduled)
        scheduled.insert(keyOf(path));
    const QString top = keyOf(named.folder);
    // The folders holding what was kept as the user's, the install folder
    // included: they stay for those files.
    QSet<QString> holding;
    for (const QString& path : allowed.kept) {
        QString folder = keyOf(path);
        while (!top.isEmpty() && folder.size() > top.size()) {
            folder.truncate(folder.lastIndexOf(QLatin1Char('/')));
            if (holding.contains(folder))
                break;
            holding.insert(folder);
        }
    }
    Remaining remaining;
    const auto check = [&](const QString& path, const QString& key, bool mayHold) {
        if (scheduled.contains(key) || (mayHold && holding.contains(key)) || !present(path))
            return;
        if (remaining.count++ < kMaxRemainingListed)
            remaining.paths << path;
    };
    QSet<QString> programs;
    for (const QString& program : named.programs) {
        programs.insert(keyOf(program));
        check(program, keyOf(program), false);
    }
    if (named.folder.isEmpty() || !present(named.folder))
        return remaining; // nothing inside is there either
    if (named.folderWhole)
        check(named.folder, top, true);
    if (!named.manifest)
        return remaining;
    // Keys are relative to the folder and already folded: one look-up each.
    for (const QSet<QString>* keys : {&named.manifest->files, &named.manifest->folders})
        for (const QString& key : *keys) {
            const QString folded = top + QLatin1Char('/') + key;
            if (!programs.contains(folded))
                check(named.folder + QLatin1Char('/') + key, folded, true);
        }
    return remaining;
}

bool listsAnythingIn(const QString& folder, const InstallManifest& manifest)
{
    const QString top = QDir::cleanPath(folder) + QLatin1Char('/');
    for (const QSet<QString>* keys : {&manifest.files, &manifest.folders})
        for (const QString& key : *keys)
            if (Platform::entryExists(top + key))
                return true;
    return false;
}

} // namespace Engine
