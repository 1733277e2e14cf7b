// Windows: the native process snapshot, architecture, registry and folders.

#include "platform.h"
#include "win32native.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace Platform
{

std::vector<ProcessRecord> runningProcesses()
{
    return Win32::snapshotProcesses();
}

NativeName nativeProcessName(const QString& name)
{
    return name.toStdWString();
}

unsigned long long currentProcessId()
{
    return Win32::currentProcessId();
}

int nativeArchitecture()
{
    return Win32::nativeArchitecture();
}

std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath)
{
    if (Win32::isRegistryLink(keyPath.toStdWString())) {
        return keyThatIsNoEntry();
    }
    return std::make_unique<QSettings>(keyPath, QSettings::NativeFormat);
}

QString expandedRegistryString(const QString& value)
{
    // QSettings hands a REG_EXPAND_SZ value back as stored.
    if (!value.contains(QLatin1Char('%')))
        return value;
    return QString::fromStdWString(Win32::expandEnvironmentStrings(value.toStdWString()));
}

std::vector<UninstallEntry> uninstallEntries()
{
    // Not through QSettings: it swaps '/' and '\\' in key names, so an entry
    // named with a '/' could not be read.
    std::vector<UninstallEntry> entries;
    for (const Win32::UninstallValues& values : Win32::uninstallEntries()) {
        QStringList commands;
        for (const std::wstring& command :
             {values.uninstallString, values.quietUninstallString, values.displayIcon})
            commands << QString::fromStdWString(command);
        entries.push_back({QString::fromStdWString(values.name),
                           QString::fromStdWString(values.installLocation),
                           QString::fromStdWString(values.installSource), commands});
    }
    return entries;
}

QStringList installerComponentPaths()
{
    QStringList paths;
    for (const std::wstring& path : Win32::installerComponentPaths())
        paths << QString::fromStdWString(path);
    return paths;
}

namespace
{

QString knownFolder(Win32::KnownFolder folder, const QString& fallback)
{
    const std::wstring path = Win32::knownFolderPath(folder);
    if (path.empty())
        return fallback;
    return QDir::fromNativeSeparators(QString::fromStdWString(path));
}

} // namespace

QString allUsersDesktop()
{
    QString folder =
        knownFolder(Win32::KnownFolder::PublicDesktop, QStringLiteral("C:/Users/Public/Desktop"));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString allUsersStartMenu()
{
    QString folder =
        knownFolder(Win32::KnownFolder::CommonPrograms,
                    QStringLiteral("C:/ProgramData/Microsoft/Windows/Start Menu/Programs"));
    while (folder.size() > 3 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString homeFolder()
{
    return QDir::homePath();
}

namespace
{

FolderLists folderLists()
{
    return windowsFolderLists(homeFolder(),
                              [](const char* variable) { return qEnvironmentVariable(variable); });
}

} // namespace

QStringList systemFolders()
{
    return folderLists().folders;
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseInsensitive;
}

namespace
{

std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path)).toStdWString();
}

} // namespace

bool isLinkOrJunction(const QString& path)
{
    return Win32::isLinkEntry(nativePath(path).c_str());
}

bool isLinkOrJunction(const QFileInfo& entry)
{
    // Not QFileInfo::isSymLink(): it is true for .lnk shortcut files and false
    // for junctions, the opposite of what removal needs.
    return isLinkOrJunction(entry.filePath());
}

bool entryExists(const QString& path)
{
    return Win32::entryExists(nativePath(path).c_str());
}

bool removeLink(const QString& path)
{
    return Win32::removeLinkEntry(nativePath(path).c_str());
}

bool isRemotePath(const QString& path)
{
    const QString slashed = QDir::fromNativeSeparators(path);
    if (slashed.startsWith(QLatin1String("//")))
        return true;
    if (slashed.size() < 2 || slashed.at(1) != QLatin1Char(':'))
        return false;
    const QString root = slashed.left(2) + QLatin1Char('\\');
    return Win32::isRemoteDrive(root.toStdWString().c_str());
}

QString resolvedPath(const QString& path)
{
    // GetFinalPathNameByHandle follows junctions and short names too, which
    // QFileInfo::canonicalFilePath() does not.
    const std::wstring resolved = Win32::finalPath(nativePath(path).c_str());
    if (!resolved.empty())
        return QDir::fromNativeSeparators(QString::fromStdWString(resolved));
    return QFileInfo(path).canonicalFilePath();
}

bool usesDrivePaths()
{
    return true;
}

QStringList sealedSystemFolders()
{
    return folderLists().sealed;
}

QStringList userProfileParents()
{
    return folderLists().profileParents;
}

bool scheduleRemovalOnRestart(const QString& path)
{
    return Win32::scheduleRemovalAtRestart(nativePath(path).c_str());
}

int lastSystemError()
{
    return static_cast<int>(Win32::lastError());
}

QString systemErrorText(int error)
{
    return QString::fromStdWString(Win32::errorText(static_cast<unsigned long>(error)));
}

void showText(const QString& title, const QString& text)
{
    // A program of the GUI subsystem has no console to write to.
    Win32::showInformation(title.toStdWString(), text.toStdWString());
}

bool lowerThreadPriority()
{
    return Win32::lowerCurrentThreadPriority();
}

namespace
{

QStringList qtPaths(const std::vector<std::wstring>& paths)
{
    QStringList result;
    for (const std::wstring& path : paths)
        result << QDir::fromNativeSeparators(QString::fromStdWString(path));
    return result;
}

} // namespace

namespace
{

Win32::Identity win32Identity(const FileIdentity& identity)
{
    Win32::Identity result;
    result.volume = identity.device;
    result.file = identity.file;
    result.valid = identity.valid;
    return result;
}

} // namespace

FolderRemoval removeFolderContents(const QString& folder, const QStringList& removeLast,
                                   const FileIdentity& expected, const EntryFilter* filter,
                                   const QVector<FileIdentity>& sealed)
{
    std::vector<std::wstring> last;
    for (const QString& name : removeLast)
        last.push_back(QDir::toNativeSeparators(name).toStdWString());
    Win32::Identity identity;
    identity.volume = expected.device;
    identity.file = expected.file;
    identity.valid = expected.valid;
    Win32::EntryDecider decide;
    if (filter) {
        decide = [filter](const std::wstring& relative, bool isFolder) {
            switch (filter->decide(QDir::fromNativeSeparators(QString::fromStdWString(relative)),
                                   isFolder)) {
            case EntryFilter::Decision::Keep:
                return Win32::EntryDecision::Keep;
            case EntryFilter::Decision::Enter:
                return Win32::EntryDecision::Enter;
            case EntryFilter::Decision::Remove:
                break;
            }
            return Win32::EntryDecision::Remove;
        };
    }
    std::vector<Win32::Identity> sealedIds;
    for (const FileIdentity& id : sealed)
        sealedIds.push_back(win32Identity(id));
    const Win32::ContentsRemoval removal =
        Win32::removeFolderContents(nativePath(folder).c_str(), last, identity, decide, sealedIds);
    FolderRemoval result;
    result.complete = removal.complete;
    result.otherFileSystems = qtPaths(removal.otherFileSystems);
    result.otherProducts = qtPaths(removal.otherProducts);
    result.inUse = qtPaths(removal.inUse);
    for (const auto& [path, error] : removal.failed)
        result.failed.append(
            {QDir::fromNativeSeparators(QString::fromStdWString(path)), static_cast<int>(error)});
    // The second pass over what went last may meet a kept entry again.
    result.kept = qtPaths(removal.kept);
    result.kept.sort();
    result.kept.removeDuplicates();
    return result;
}

QVector<LoadedImage> loadedImages()
{
    QVector<LoadedImage> result;
    for (const Win32::LoadedImage& image : Win32::loadedImages())
        result.append({QDir::fromNativeSeparators(QString::fromStdWString(image.path)),
                       {image.identity.volume, image.identity.file, image.identity.valid}});
    return result;
}

QString makeHoldingFolder(const QString& path)
{
    return QDir::fromNativeSeparators(
        QString::fromStdWString(Win32::makeHoldingFolder(nativePath(path).c_str())));
}

QString moveIntoHolding(const QString& path, const QVector<FileIdentity>& own,
                        const QString& holding)
{
    std::vector<Win32::Identity> identities;
    for (const FileIdentity& identity : own)
        identities.push_back(win32Identity(identity));
    return QDir::fromNativeSeparators(QString::fromStdWString(
        Win32::moveIntoHolding(nativePath(path).c_str(), identities, nativePath(holding).c_str())));
}

bool removeEmptyFolder(const QString& path, const FileIdentity& expected)
{
    return Win32::removeEmptyFolder(nativePath(path).c_str(), win32Identity(expected));
}

qint64 changeTime(const QString& path)
{
    return Win32::changeTime(nativePath(path).c_str());
}

FileIdentity fileIdentity(const QString& path)
{
    const Win32::Identity identity = Win32::fileIdentity(nativePath(path).c_str());
    FileIdentity result;
    result.device = identity.volume;
    result.file = identity.file;
    result.valid = identity.valid;
    return result;
}

bool isMountPoint(const QString& path)
{
    return Win32::isMountPoint(nativePath(path).c_str());
}

AppendFile openForAppending(const QString& path)
{
    AppendFile result;
    const PathParts parts = splitAbsolutePath(path, true);
    if (!parts.root.isEmpty() && parts.names.isEmpty()) {
        result.outcome = AppendFile::Outcome::NotAFile;
        return result;
    }
    std::vector<std::wstring> names;
    for (const QString& name : parts.names)
        names.push_back(name.toStdWString());
    // An empty root is refused there, with Windows' own error code.
    const Win32::AppendFile opened =
        Win32::openForAppending(QDir::toNativeSeparators(parts.root).toStdWString(), names);
    switch (opened.outcome) {
    case Win32::AppendOutcome::Opened:
        result.outcome = AppendFile::Outcome::Opened;
        result.descriptor = opened.descriptor;
        break;
    case Win32::AppendOutcome::ThroughLink:
        result.outcome = AppendFile::Outcome::ThroughLink;
        result.at = parts.root + parts.names.mid(0, int(opened.linkDepth)).join(QLatin1Char('/'));
        break;
    case Win32::AppendOutcome::NotAFile:
        result.outcome = AppendFile::Outcome::NotAFile;
        break;
    case Win32::AppendOutcome::Failed:
        result.error = int(opened.error);
        break;
    }
    return result;
}

} // namespace Platform
