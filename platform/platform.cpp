#include "platform.h"
#include "standin/standin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <vector>

namespace Platform
{

bool isProcessRunning(const QString& configuredName)
{
    return matchesRunningProcess(runningProcesses(), nativeProcessName(configuredName),
                                 currentProcessId(), pathCaseSensitivity() == Qt::CaseInsensitive);
}

std::string procExeName(const std::string& exeLinkTarget, const std::string& cmdline)
{
    std::string path = exeLinkTarget;
    if (path.empty()) {
        // The command line's words are NUL-separated; the first is the program.
        path = cmdline.substr(0, cmdline.find('\0'));
    } else {
        static const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
    }
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

QVector<FileIdentity> loadedImageFiles()
{
    QVector<FileIdentity> files;
    for (const LoadedImage& image : loadedImages())
        files.append(image.identity);
    return files;
}

int architectureFromCpuName(const QString& cpuArchitecture)
{
    if (cpuArchitecture == QLatin1String("x86_64"))
        return 9;
    if (cpuArchitecture == QLatin1String("ia64"))
        return 6;
    if (cpuArchitecture == QLatin1String("arm64"))
        return 12;
    return 0;
}

namespace
{

bool readNothing(QIODevice&, QSettings::SettingsMap&)
{
    return true;
}

bool writeNothing(QIODevice&, const QSettings::SettingsMap&)
{
    return false;
}

} // namespace

std::unique_ptr<QSettings> keyThatIsNoEntry()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("not-an-entry"), readNothing, writeNothing);
    // A file that is never made: the refused write leaves nothing.
    return std::make_unique<QSettings>(QDir::tempPath() + QStringLiteral("/not-an-entry"), format);
}

QString standinRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1String("/appinstaller/windows");
}

QString standinIniPath(const QString& root, const QString& keyPath)
{
    QString relative = keyPath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return root + QLatin1Char('/') + relative + QLatin1String(".ini");
}

QString standinWindowsPath(const QString& root, const QString& windowsPath)
{
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // "C:/…" becomes "C/…": the drive is a folder of the stand-in.
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter())
        path.remove(1, 1);
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return root + QLatin1Char('/') + path;
}

QString homeFrom(const QString& environmentHome, const QString& databaseHome)
{
    for (const QString& home : {environmentHome, databaseHome}) {
        if (home.startsWith(QLatin1Char('/')))
            return QDir::cleanPath(home);
    }
    return QString();
}

namespace
{

QString slashed(QString path)
{
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString parentOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QString();
}

// Each of the paths, followed by each name inside it.
QStringList inside(const QStringList& paths, std::initializer_list<const char*> names)
{
    QStringList result;
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        for (const char* name : names)
            result << path + QLatin1Char('/') + QLatin1String(name);
    }
    return result;
}

} // namespace

FolderLists windowsFolderLists(const QString& home,
                               const std::function<QString(const char*)>& environment)
{
    // Each variable that is set, then the usual place: a process may have been
    // started with a stripped environment.
    const auto folders = [&](std::initializer_list<const char*> variables, const char* usual) {
        QStringList result;
        for (const char* variable : variables) {
            const QString value = environment(variable);
            if (!value.isEmpty())
                result << slashed(value);
        }
        if (usual)
            result << QLatin1String(usual);
        return result;
    };
    const QStringList windows = folders({"SystemRoot", "windir"}, "C:/Windows");
    const QStringList programFiles =
        folders({"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}, "C:/Program Files")
        << QStringLiteral("C:/Program Files (x86)");
    const QStringList programData = folders({"ProgramData", "ALLUSERSPROFILE"}, "C:/ProgramData");
    const QStringList drive = folders({"SystemDrive"}, "C:");
    const QStringList publicProfile = folders({"PUBLIC"}, "C:/Users/Public");
    const QString userHome = slashed(home);

    FolderLists lists;
    lists.folders << windows << programFiles << programData << drive << publicProfile
                  << QStringLiteral("C:/Users");
    lists.folders << inside(programFiles, {"Common Files", "WindowsApps"})
                  << folders(
                         {"CommonProgramFiles", "CommonProgramFiles(x86)", "CommonProgramW6432"},
                         nullptr);
    // The all-users start menu lives in ProgramData/Microsoft.
    lists.folders << inside(programData, {"Microsoft"});
    lists.folders << inside(drive, {"$Recycle.Bin", "System Volume Information", "Recovery"});
    // The user's own that no standard location names.
    lists.folders << inside({userHome},
                            {".ssh", ".gnupg", "AppData/LocalLow", "AppData/Local/Microsoft",
                             "AppData/Roaming/Microsoft", "Favorites", "OneDrive"})
                  << inside(folders({"APPDATA", "LOCALAPPDATA"}, nullptr), {"Microsoft"})
                  << folders({"OneDrive", "OneDriveCommercial", "OneDriveConsumer"}, nullptr);
    lists.folders << inside({userHome}, {"AppData/Local/Programs"});
    // Shared by the system or every program: nothing inside them is ever a
    // product's own install folder.
    lists.sealed = windows;
    lists.sealed << inside(programData, {"Microsoft"})
                 << inside(programFiles, {"Common Files", "WindowsApps"})
                 << folders({"CommonProgramFiles", "CommonProgramFiles(x86)", "CommonProgramW6432"},
                            nullptr)
                 << inside(drive, {"Windows.old", "Boot", "EFI", "Recovery"})
                 << inside({userHome}, {".ssh", ".gnupg", "AppData/Local/Microsoft",
                                        "AppData/Roaming/Microsoft", "AppData/LocalLow/Microsoft",
                                        "AppData/Local/Packages", "Saved Games", "Contacts",
                                        "Links", "Searches", "3D Objects", "Favorites"})
                 << inside(folders({"APPDATA", "LOCALAPPDATA"}, nullptr), {"Microsoft"});
    lists.profileParents << QStringLiteral("C:/Users");
    const QStringList profiles = QStringList{userHome} << publicProfile;
    for (const QString& profile : profiles) {
        const QString parent = parentOf(profile);
        if (!parent.isEmpty())
            lists.profileParents << parent; // the Users folder of this machine
    }
    lists.folders << lists.profileParents;
    return lists;
}

FolderLists posixFolderLists(const QString& home)
{
    const auto list = [](std::initializer_list<const char*> folders) {
        QStringList result;
        for (const char* folder : folders)
            result << QLatin1String(folder);
        return result;
    };
    FolderLists lists;
    // The system's own folders, and the kernel's and the mount points' roots
    // beside them.
    lists.folders =
        list({"/",        "/usr",       "/etc",       "/var",       "/opt",       "/home",
              "/root",    "/boot",      "/bin",       "/lib",       "/sbin",      "/srv",
              "/tmp",     "/dev",       "/proc",      "/sys",       "/run",       "/mnt",
              "/media",   "/lib32",     "/lib64",     "/usr/local", "/var/tmp",   "/var/lib",
              "/var/log", "/var/cache", "/var/spool", "/snap",      "/lost+found"});
    // The user's own that no standard location names.
    lists.folders << inside({home}, {".ssh", ".gnupg", ".local/bin", ".local/state"});
    // Nothing of a product is ever inside these.
    lists.sealed = list(
        {"/proc",      "/sys",           "/dev",           "/run",       "/boot",    "/etc",
         "/bin",       "/sbin",          "/lib",           "/lib32",     "/lib64",   "/usr",
         "/efi",       "/var/lib",       "/var/mail",      "/var/www",   "/var/log", "/var/spool",
         "/var/cache", "/tmp/.X11-unix", "/tmp/.ICE-unix", "/lost+found"});
    lists.sealed << inside({home}, {".ssh", ".gnupg", ".password-store", ".local/share/keyrings",
                                    ".local/share/Trash", "Public", "Templates"});
    lists.sealed << inside({home}, {".config/autostart"});
    lists.profileParents = list({"/home"});
    return lists;
}

PathParts splitAbsolutePath(const QString& path, bool drivePaths)
{
    // A '\\' is a separator only under Windows' rules; elsewhere it is part
    // of a name.
    const QString text = drivePaths ? slashed(path) : path;
    PathParts parts;
    QString rest;
    const auto isDrive = [](QChar letter) {
        return (letter >= QLatin1Char('A') && letter <= QLatin1Char('Z')) ||
               (letter >= QLatin1Char('a') && letter <= QLatin1Char('z'));
    };
    if (!drivePaths) {
        if (!text.startsWith(QLatin1Char('/')))
            return PathParts();
        parts.root = QStringLiteral("/");
        rest = text.mid(1);
    } else if (text.size() >= 3 && isDrive(text.at(0)) && text.at(1) == QLatin1Char(':') &&
               text.at(2) == QLatin1Char('/')) {
        parts.root = text.left(3);
        rest = text.mid(3);
    } else if (text.startsWith(QLatin1String("//"))) {
        // "//server/share/…"; "//?/" and "//./" name devices and verbatim
        // paths, not a share.
        const QStringList head = text.mid(2).split(QLatin1Char('/'));
        if (head.size() < 2 || head.at(0).isEmpty() || head.at(1).isEmpty() ||
            head.at(0) == QLatin1String("?") || head.at(0) == QLatin1String("."))
            return PathParts();
        parts.root = QStringLiteral("//%1/%2/").arg(head.at(0), head.at(1));
        rest = head.mid(2).join(QLatin1Char('/'));
    } else {
        return PathParts();
    }
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            // Above the root is the root.
            if (!parts.names.isEmpty())
                parts.names.removeLast();
            continue;
        }
        parts.names << name;
    }
    return parts;
}

} // namespace Platform
