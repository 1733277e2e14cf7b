// The folders removal leaves alone, of Windows and of Linux, from their
// inputs alone: either system's lists are checked on the other.

#include "folders.h"

#include <QDir>

#include <initializer_list>

namespace Platform
{

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

// Where Windows' user profiles lie: "C:/Users", and the folders holding the
// given profiles.
QStringList profileParents(const QStringList& profiles)
{
    QStringList parents{QStringLiteral("C:/Users")};
    for (const QString& profile : profiles) {
        const QString parent = parentOf(profile);
        if (!parent.isEmpty())
            parents << parent; // the Users folder of this machine
    }
    return parents;
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
    lists.profileParents = profileParents(QStringList{userHome} << publicProfile);
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

} // namespace Platform
