// The removal guards as pure decisions. Real system folders ("/", the real
// home) appear here only as strings; nothing in this file touches a disk.

#include "engine/folderremoval.h"
#include "engine/installfolder.h"
#include "engine/removalguard.h"
#include "platform/platform.h"

#include <QtTest>

using Engine::LocationVerdict;
Q_DECLARE_METATYPE(Engine::LocationVerdict)
Q_DECLARE_METATYPE(Engine::LocationFacts)
Q_DECLARE_METATYPE(Engine::FolderSource)

class TestRemovalGuard : public QObject
{
    Q_OBJECT

private slots:
    void normalizedPath_data();
    void normalizedPath();
    void rootPath_data();
    void rootPath();
    void absoluteLocation_data();
    void absoluteLocation();
    void unusualSpelling_data();
    void unusualSpelling();
    void installLocation_data();
    void installLocation();
    void productName_data();
    void productName();
    void sharedStartMenuFolder_data();
    void sharedStartMenuFolder();
    void ownership_data();
    void ownership();
    void recordedFolder_data();
    void recordedFolder();
    void folderName_data();
    void folderName();
    void finalSeparators_data();
    void finalSeparators();
    void homeFolder_data();
    void homeFolder();
    void protectedFoldersOfThisMachine();
};

void TestRemovalGuard::normalizedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("final slash") << "/opt/app/"
                                 << "/opt/app";
    QTest::newRow("dot dot") << "/opt/app/../x/./y"
                             << "/opt/x/y";
    QTest::newRow("backslashes") << "C:\\Program Files\\Ferrovane\\"
                                 << "C:/Program Files/Ferrovane";
    QTest::newRow("drive") << "C:"
                           << "C:/";
    QTest::newRow("drive slash") << "C:\\"
                                 << "C:/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("double slash") << "/opt//app"
                                  << "/opt/app";
}

void TestRemovalGuard::normalizedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, normalized);
    QCOMPARE(Engine::normalizedPath(path, Engine::PathRules()), normalized);
}

void TestRemovalGuard::rootPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("root");
    QTest::newRow("slash") << "/" << true;
    QTest::newRow("drive") << "C:/" << true;
    QTest::newRow("lower-case drive") << "d:" << true;
    QTest::newRow("server") << "//server" << true;
    QTest::newRow("share") << "//server/share" << true;
    QTest::newRow("folder on share") << "//server/share/app" << false;
    QTest::newRow("folder") << "/opt" << false;
    QTest::newRow("drive folder") << "C:/Ferrovane" << false;
}

void TestRemovalGuard::rootPath()
{
    QFETCH(QString, path);
    QFETCH(bool, root);
    QCOMPARE(Engine::isRootPath(path), root);
}

void TestRemovalGuard::absoluteLocation_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<bool>("absolute");
    QTest::newRow("posix absolute") << "/opt/app" << false << true;
    QTest::newRow("posix relative") << "opt/app" << false << false;
    QTest::newRow("posix: drive path is relative") << "C:/app" << false << false;
    QTest::newRow("windows drive path") << "C:/app" << true << true;
    QTest::newRow("windows: drive-relative") << "C:app" << true << false;
    QTest::newRow("windows: current drive's root") << "/Users" << true << false;
    QTest::newRow("windows network path") << "//server/share/app" << true << true;
    QTest::newRow("windows relative") << "app" << true << false;
}

void TestRemovalGuard::absoluteLocation()
{
    QFETCH(QString, path);
    QFETCH(bool, windows);
    QFETCH(bool, absolute);
    Engine::PathRules rules;
    rules.windows = windows;
    QCOMPARE(Engine::isAbsoluteLocation(path, rules), absolute);
}

void TestRemovalGuard::unusualSpelling_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("unusual");
    QTest::addColumn<bool>("windows");
    QTest::newRow("plain") << "C:\\Program Files\\Ferrovane" << false << true;
    QTest::newRow("dots inside names") << "C:\\Apps\\Ferrovane.v2\\bin" << false << true;
    QTest::newRow("dot dot component") << "C:\\Apps\\..\\Ferrovane" << true << true;
    QTest::newRow("final dot dot") << "/opt/Tools/Ferrovane/.." << true << false;
    QTest::newRow("short name, posix rules") << "/opt/PROGRA~1" << false << false;
    QTest::newRow("longer name with a tilde") << "D:\\Games\\Ferrovane~2" << false << true;
    QTest::newRow("short name with extension") << "C:\\FERROV~2.EXE" << true << true;
    QTest::newRow("tilde without digit") << "/opt/~ferro" << false << true;
    QTest::newRow("verbatim prefix") << "\\\\?\\C:\\Users" << true << true;
    QTest::newRow("device prefix") << "\\\\.\\C:\\Users" << true << true;
    QTest::newRow("network path") << "\\\\localhost\\C$\\Users" << true << true;
    QTest::newRow("stream") << "C:\\Users::$INDEX_ALLOCATION" << true << true;
    QTest::newRow("named stream") << "C:\\Apps\\x:stream" << true << true;
    QTest::newRow("trailing dot") << "C:\\Users." << true << true;
    QTest::newRow("trailing blank") << "C:\\Users \\bob" << true << true;
    QTest::newRow("short name") << "C:\\PROGRA~1" << true << true;
    QTest::newRow("short name deeper") << "C:\\Users\\bob\\DOCUME~1" << true << true;
}

void TestRemovalGuard::unusualSpelling()
{
    QFETCH(QString, path);
    QFETCH(bool, unusual);
    QFETCH(bool, windows);
    Engine::PathRules rules;
    rules.windows = windows;
    QCOMPARE(Engine::isUnusualSpelling(path, rules), unusual);
}

void TestRemovalGuard::installLocation_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("resolved");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<LocationVerdict>("verdict");

    // POSIX rules
    QTest::newRow("product folder") << "/opt/Ferrovane"
                                    << "/opt/Ferrovane" << false << LocationVerdict::Remove;
    QTest::newRow("product folder in home") << "/home/user/Ferrovane"
                                            << "" << false << LocationVerdict::Remove;
    QTest::newRow("empty") << ""
                           << "" << false << LocationVerdict::Empty;
    QTest::newRow("blank") << "   "
                           << "" << false << LocationVerdict::Empty;
    QTest::newRow("relative") << "Ferrovane"
                              << "" << false << LocationVerdict::NotAbsolute;
    QTest::newRow("dot") << "."
                         << "" << false << LocationVerdict::NotAbsolute;
    QTest::newRow("dot dot") << "../.."
                             << "" << false << LocationVerdict::Unusual;
    QTest::newRow("root") << "/"
                          << "/" << false << LocationVerdict::Root;
    QTest::newRow("root through dot dot") << "/opt/.."
                                          << "" << false << LocationVerdict::Unusual;
    QTest::newRow("home") << "/home/user"
                          << "" << false << LocationVerdict::Protected;
    QTest::newRow("home with final slash") << "/home/user/"
                                           << "" << false << LocationVerdict::Protected;
    QTest::newRow("home's parent") << "/home"
                                   << "" << false << LocationVerdict::Protected;
    QTest::newRow("another user's home") << "/home/other"
                                         << "" << false << LocationVerdict::Protected;
    QTest::newRow("desktop") << "/home/user/Desktop"
                             << "" << false << LocationVerdict::Protected;
    QTest::newRow("ancestor of start menu") << "/home/user/.local/share/applications/.."
                                            << "" << false << LocationVerdict::Unusual;
    QTest::newRow("usr") << "/usr"
                         << "" << false << LocationVerdict::Protected;
    QTest::newRow("inside a sealed folder") << "/usr/lib/x"
                                            << "" << false << LocationVerdict::Protected;
    QTest::newRow("inside a protected folder") << "/srv/Ferrovane"
                                               << "" << false << LocationVerdict::Remove;
    QTest::newRow("link to home") << "/opt/innocent"
                                  << "/home/user" << false << LocationVerdict::Protected;
    QTest::newRow("link into a sealed folder")
        << "/opt/innocent"
        << "/usr/share" << false << LocationVerdict::Protected;
    QTest::newRow("link to root") << "/opt/innocent"
                                  << "/" << false << LocationVerdict::Root;
    QTest::newRow("link to a product folder")
        << "/opt/innocent"
        << "/srv/app/Ferrovane" << false << LocationVerdict::Remove;
    QTest::newRow("similar prefix is no ancestor") << "/home/user/Desk"
                                                   << "" << false << LocationVerdict::Remove;
    QTest::newRow("other case under posix rules") << "/HOME2/USER"
                                                  << "" << false << LocationVerdict::Remove;
    QTest::newRow("trailing dot") << "/opt/Ferrovane."
                                  << "" << false << LocationVerdict::Unusual;
    QTest::newRow("backslashes are names under posix rules")
        << "\\opt\\Ferrovane"
        << "" << false << LocationVerdict::NotAbsolute;
    QTest::newRow("inside another user's home") << "/home/other/.ssh"
                                                << "" << false << LocationVerdict::Protected;
    QTest::newRow("ssh keys") << "/home/user/.ssh"
                              << "" << false << LocationVerdict::Protected;
    QTest::newRow("user's programs") << "/home/user/.local/bin"
                                     << "" << false << LocationVerdict::Protected;
    QTest::newRow("product folder in .local") << "/home/user/.local/Ferrovane"
                                              << "" << false << LocationVerdict::Remove;
    QTest::newRow("var lib") << "/var/lib"
                             << "" << false << LocationVerdict::Protected;
    QTest::newRow("lost+found") << "/lost+found"
                                << "" << false << LocationVerdict::Protected;
    // Windows rules: drive letters, case-insensitive
    QTest::newRow("win: product folder") << "C:\\Program Files\\Ferrovane"
                                         << "" << true << LocationVerdict::Remove;
    QTest::newRow("win: product folder in the profile") << "c:\\users\\user\\AppData\\Ferrovane"
                                                        << "" << true << LocationVerdict::Remove;
    QTest::newRow("win: drive root") << "C:\\"
                                     << "" << true << LocationVerdict::Root;
    QTest::newRow("win: bare drive") << "C:"
                                     << "" << true << LocationVerdict::Root;
    QTest::newRow("win: drive-relative") << "C:Users"
                                         << "" << true << LocationVerdict::NotAbsolute;
    QTest::newRow("win: current drive's folder") << "\\Users"
                                                 << "" << true << LocationVerdict::NotAbsolute;
    QTest::newRow("win: program files") << "C:\\Program Files"
                                        << "" << true << LocationVerdict::Protected;
    // The environment below has no ProgramFiles(x86): the usual place stands in.
    QTest::newRow("win: 32-bit program files, variable unset")
        << "C:\\Program Files (x86)"
        << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: 32-bit common files, variable unset")
        << "c:\\program files (x86)\\Common Files"
        << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: users folder, other case") << "c:\\users"
                                                   << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: another profile") << "C:\\Users\\alice"
                                          << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: inside the Windows folder") << "C:\\WINDOWS\\System32"
                                                    << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: junction into the profile")
        << "C:\\ProgramData\\Ferrovane\\j\\user"
        << "C:/Users/user" << true << LocationVerdict::Protected;
    QTest::newRow("win: short name") << "C:\\PROGRA~1"
                                     << "" << true << LocationVerdict::Unusual;
    QTest::newRow("win: verbatim prefix") << "\\\\?\\C:\\Users"
                                          << "" << true << LocationVerdict::Unusual;
    QTest::newRow("win: admin share") << "\\\\localhost\\C$\\Users"
                                      << "" << true << LocationVerdict::Unusual;
    QTest::newRow("win: stream") << "C:\\Users::$INDEX_ALLOCATION"
                                 << "" << true << LocationVerdict::Unusual;
    QTest::newRow("win: the uninstaller's own folder") << "C:\\Program Files\\Ferrovane Desk"
                                                       << "" << true << LocationVerdict::Remove;
    QTest::newRow("win: per-user programs")
        << "C:\\Users\\user\\AppData\\Local\\Programs\\Ferrovane"
        << "" << true << LocationVerdict::Remove;
    QTest::newRow("win: another drive") << "D:\\Ferrovane"
                                        << "" << true << LocationVerdict::Remove;
    QTest::newRow("win: link to a network share")
        << "C:\\ProgramData\\Ferrovane\\link"
        << "\\\\server\\share" << true << LocationVerdict::Root;
    QTest::newRow("win: inside another profile") << "C:\\Users\\other\\Documents"
                                                 << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: public documents") << "C:\\Users\\Public\\Documents"
                                           << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: default profile's data") << "C:\\Users\\Default\\AppData"
                                                 << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: ssh keys") << "C:\\Users\\user\\.ssh"
                                   << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: LocalLow") << "C:\\Users\\user\\AppData\\LocalLow"
                                   << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: Microsoft's roaming data") << "C:\\Users\\user\\AppData\\Roaming\\Microsoft"
                                                   << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: OneDrive") << "C:\\Users\\user\\OneDrive"
                                   << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: common files") << "C:\\Program Files\\Common Files"
                                       << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: all-users start menu's parent") << "C:\\ProgramData\\Microsoft"
                                                        << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: recycle bin") << "C:\\$Recycle.Bin"
                                      << "" << true << LocationVerdict::Protected;
    // Shared by many programs, or the system's own subtrees, on any drive.
    const char* const windowsShared[] = {
        "D:\\Games",
        "D:\\Program Files",
        "D:\\Program Files (x86)",
        "E:\\SteamLibrary\\steamapps\\common",
        "C:\\Users\\user\\AppData\\Local\\Programs",
        "C:\\Program Files\\Common Files\\Vendor",
        "C:\\Program Files\\WindowsApps\\App_1.0",
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
        "C:\\ProgramData\\Microsoft\\Crypto",
        "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Protect",
        "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Credentials",
        "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
        "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent",
        "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\SendTo",
        "C:\\Users\\user\\AppData\\Local\\Packages\\App",
        "C:\\Users\\user\\Saved Games\\Game",
        "C:\\Users\\user\\Contacts\\x",
        "C:\\Users\\user\\Links\\x",
        "C:\\Users\\user\\Searches\\x",
        "C:\\Users\\user\\3D Objects\\x",
        "D:\\$RECYCLE.BIN\\S-1-5",
        "D:\\System Volume Information\\x",
        "C:\\Windows.old\\Users",
        "C:\\Boot\\x",
        "C:\\EFI\\Microsoft"};
    for (const char* path : windowsShared)
        QTest::newRow(qPrintable(QStringLiteral("win: ") + QLatin1String(path)))
            << path << "" << true << LocationVerdict::Protected;
    QTest::newRow("win: a product on a games drive") << "D:\\Games\\Ferrovane"
                                                     << "" << true << LocationVerdict::Remove;
    QTest::newRow("win: a game in a steam library")
        << "E:\\SteamLibrary\\steamapps\\common\\Ferrovane"
        << "" << true << LocationVerdict::Remove;
    const char* const posixSealed[] = {"/home/user/.gnupg/private-keys-v1.d",
                                       "/home/user/Public/x",
                                       "/home/user/.local/share/keyrings/x",
                                       "/home/user/.local/share/Trash/files",
                                       "/home/user/Templates/x",
                                       "/home/user/.password-store/x",
                                       "/home/user/.config/autostart/x",
                                       "/var/lib/dpkg",
                                       "/var/mail/user",
                                       "/var/www/site",
                                       "/efi/EFI",
                                       "/tmp/.X11-unix/X0"};
    for (const char* path : posixSealed)
        QTest::newRow(path) << path << "" << false << LocationVerdict::Protected;
}

void TestRemovalGuard::installLocation()
{
    QFETCH(QString, written);
    QFETCH(QString, resolved);
    QFETCH(bool, windows);
    QFETCH(LocationVerdict, verdict);

    // The system's lists as the platform layer gives them, with a few of the
    // user's standard locations.
    Engine::PathRules rules;
    rules.windows = windows;
    Platform::FolderLists lists;
    QString home;
    if (windows) {
        rules.caseSensitivity = Qt::CaseInsensitive;
        home = QStringLiteral("C:/Users/user");
        const QHash<QString, QString> environment{
            {QStringLiteral("SystemRoot"), QStringLiteral("C:\\WINDOWS")},
            {QStringLiteral("ProgramFiles"), QStringLiteral("C:\\Program Files")},
            {QStringLiteral("ProgramData"), QStringLiteral("C:\\ProgramData")},
            {QStringLiteral("PUBLIC"), QStringLiteral("C:\\Users\\Public")},
            {QStringLiteral("SystemDrive"), QStringLiteral("C:")}};
        lists = Platform::windowsFolderLists(
            home, [&](const char* name) { return environment.value(QLatin1String(name)); });
        lists.folders << home + QStringLiteral("/Desktop");
        // What Qt 5.15 on Windows lists for the data locations of a program in
        // "C:/Program Files/Ferrovane Desk".
        const QString program = QStringLiteral("C:/Program Files/Ferrovane Desk");
        const QStringList listed{home + QStringLiteral("/AppData/Roaming/uninstaller"),
                                 QStringLiteral("C:/ProgramData/uninstaller"),
                                 home + QStringLiteral("/AppData/Local"),
                                 QStringLiteral("C:/ProgramData"),
                                 program,
                                 program + QStringLiteral("/data"),
                                 program + QStringLiteral("/data/uninstaller")};
        lists.folders << Engine::locationsToProtect(listed, program, rules);
    } else {
        home = QStringLiteral("/home/user");
        lists = Platform::posixFolderLists(home);
        lists.folders << home + QStringLiteral("/Desktop")
                      << home + QStringLiteral("/.local/share/applications");
    }
    Engine::ProtectedFolders protectedFolders;
    protectedFolders.folders = lists.folders;
    protectedFolders.sealed = lists.sealed;
    protectedFolders.profileParents = lists.profileParents;
    protectedFolders.home = QStringList{home};
    QCOMPARE(Engine::judgeInstallLocation(written, resolved, protectedFolders, rules), verdict);
}

void TestRemovalGuard::productName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("english") << "Ferrovane" << true;
    QTest::newRow("chinese") << QStringLiteral("铁风") << true;
    QTest::newRow("with blank") << "Ferrovane Client" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("parent by slash") << "../x" << false;
    // What Windows would not take as a file name, or would read otherwise.
    for (const char* name : {"x:y", "*", "a?", "a<b", "a|b", "\"q\"", "Ferrovane.", "Ferrovane ",
                             " ", ".. ", "Accessories.", "CON", "nul", "com1", "LPT9.txt", "a\tb"})
        QTest::newRow(name) << QString::fromUtf8(name) << false;
    QTest::newRow("device name inside a name") << "CONSOLE" << true;
}

void TestRemovalGuard::sharedStartMenuFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("shared");
    QTest::newRow("product") << "Ferrovane" << false;
    QTest::newRow("accessories") << "Accessories" << true;
    QTest::newRow("other case") << "startup" << true;
    QTest::newRow("final dot and blank") << "Programs. " << true;
    QTest::newRow("administrative tools") << "Windows Administrative Tools" << true;
}

void TestRemovalGuard::sharedStartMenuFolder()
{
    QFETCH(QString, name);
    QFETCH(bool, shared);
    QCOMPARE(Engine::isSharedStartMenuFolder(name), shared);
}

void TestRemovalGuard::ownership_data()
{
    using Platform::FileIdentity;
    QTest::addColumn<QString>("location");
    QTest::addColumn<Engine::LocationFacts>("facts");
    QTest::addColumn<LocationVerdict>("verdict");

    const FileIdentity product{1, 10, true}, parent{1, 2, true}, home{1, 3, true},
        sealed{1, 4, true};
    Engine::LocationFacts owned;
    owned.clientAtTop = true;
    owned.ownName = true;
    owned.identities = {product, parent};
    QTest::newRow("holds the client") << "/opt/Ferrovane" << owned << LocationVerdict::Remove;
    // Proved, but a folder of the user's the product was installed into:
    // never removed whole, with the client or the uninstaller at its top.
    Engine::LocationFacts facts = owned;
    facts.ownName = false;
    QTest::newRow("holds the client, not named after the product")
        << "/opt/Tools" << facts << LocationVerdict::NotOwnFolder;
    facts.clientAtTop = false;
    facts.uninstallerAtTop = true;
    QTest::newRow("holds the uninstaller the entry names, not named after the product")
        << "/opt/Tools" << facts << LocationVerdict::NotOwnFolder;
    facts = owned;
    facts.clientAtTop = false;
    QTest::newRow("holds nothing of ours")
        << "/opt/Ferrovane" << facts << LocationVerdict::NotOwned;
    facts.uninstallerAtTop = true;
    QTest::newRow("holds the uninstaller the entry names")
        << "/opt/Ferrovane" << facts << LocationVerdict::Remove;
    // Files one folder down prove nothing, not even that folder: a copy can
    // lie anywhere ("bin", a backup, a second installation).
    facts.uninstallerAtTop = false;
    facts.lookalikes = QStringList{QStringLiteral("/opt/Tools/Ferrovane Desk"),
                                   QStringLiteral("/opt/Tools/Backup")};
    QTest::newRow("the client only in folders inside")
        << "/opt/Tools" << facts << LocationVerdict::NotOwned;
    facts = owned;
    facts.otherEntries = QStringList{QStringLiteral("/opt/Ferrovane/plugins/Other/")};
    QTest::newRow("another product inside") << "/opt/Ferrovane" << facts << LocationVerdict::Shared;
    facts.otherEntries = QStringList{QStringLiteral("/opt/Ferrovane")};
    QTest::newRow("another product's folder")
        << "/opt/Ferrovane" << facts << LocationVerdict::Shared;
    facts.otherEntries = QStringList{QStringLiteral("/opt"), QStringLiteral("/opt/Ferrovane2"),
                                     QStringLiteral("relative/Ferrovane")};
    QTest::newRow("a suite above, a neighbour")
        << "/opt/Ferrovane" << facts << LocationVerdict::Remove;
    facts = owned;
    facts.otherIds = {FileIdentity{1, 11, true}, product, parent};
    QTest::newRow("another product inside, under another path")
        << "/opt/Ferrovane" << facts << LocationVerdict::Shared;
    facts.otherIds = {parent};
    QTest::newRow("a suite above, under another path")
        << "/opt/Ferrovane" << facts << LocationVerdict::Remove;
    facts = owned;
    facts.mountPoint = true;
    QTest::newRow("a mount point") << "/opt/Ferrovane" << facts << LocationVerdict::OtherFileSystem;
    facts = owned;
    facts.identities = {home, parent};
    QTest::newRow("home under another path") << "/mnt/alias" << facts << LocationVerdict::Protected;
    facts.identities = {product, sealed, parent};
    QTest::newRow("inside a sealed folder under another path")
        << "/mnt/alias/Ferrovane" << facts << LocationVerdict::Protected;
}

void TestRemovalGuard::ownership()
{
    QFETCH(QString, location);
    QFETCH(Engine::LocationFacts, facts);
    QFETCH(LocationVerdict, verdict);
    Engine::ProtectedFolders folders;
    folders.folderIds = {Platform::FileIdentity{1, 3, true}, Platform::FileIdentity{1, 1, true}};
    folders.sealedIds = {Platform::FileIdentity{1, 4, true}};
    QCOMPARE(Engine::judgeOwnership(location, facts, folders, Engine::PathRules()), verdict);
}

void TestRemovalGuard::recordedFolder_data()
{
    using Engine::FolderSource;
    QTest::addColumn<QString>("installLocation");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QStringList>("commands"); // UninstallString, QuietUninstallString
    QTest::addColumn<QStringList>("clientAt"); // folders with the client program at their top
    QTest::addColumn<FolderSource>("source");
    QTest::addColumn<QString>("location");

    // The running uninstaller is C:/P/Ferrovane/uninstall/un.exe or C:/P/Ferrovane/un.exe.
    const QStringList top{QStringLiteral("C:/P/Ferrovane")};
    const QStringList atTop{QStringLiteral("\"C:/P/Ferrovane/un.exe\" /S")};
    const QStringList below{QStringLiteral("C:/P/Ferrovane/uninstall/un.exe")};
    QTest::newRow("InstallLocation first") << "D:/Games/Ferrovane"
                                           << "C:/P/Ferrovane/Ferrovane.exe,0" << atTop << top
                                           << FolderSource::InstallLocation << "D:/Games/Ferrovane";
    QTest::newRow("the client's icon") << " "
                                       << "\"C:/P/Ferrovane/Ferrovane.exe\",0" << QStringList()
                                       << top << FolderSource::ClientIcon << "C:/P/Ferrovane";
    // Both named: the deepest folder holding both, never only one of them.
    QTest::newRow("the client's icon beside the uninstaller")
        << " "
        << "\"C:/P/Ferrovane/Ferrovane.exe\",0" << atTop << top << FolderSource::Holding
        << "C:/P/Ferrovane";
    QTest::newRow("the client in bin, the uninstaller at the top")
        << ""
        << "C:\\P\\Ferrovane\\bin\\Ferrovane.exe" << atTop << QStringList() << FolderSource::Holding
        << "C:/P/Ferrovane";
    QTest::newRow("the client in bin, the uninstaller in uninstall")
        << ""
        << "c:/p/ferrovane/bin/FERROVANE.EXE,0" << below << QStringList() << FolderSource::Holding
        << "c:/p/ferrovane";
    QTest::newRow("sharing only the drive: its root, for the guards to refuse")
        << ""
        << "C:/P/Ferrovane/bin/Ferrovane.exe" << QStringList{QStringLiteral("C:/uninstall/un.exe")}
        << QStringList() << FolderSource::Holding << "C:/";
    QTest::newRow("a dot dot in the icon: as written, for the guards to refuse")
        << ""
        << "C:/P/Ferrovane/bin/../Ferrovane.exe" << atTop << QStringList() << FolderSource::Holding
        << "C:/P/Ferrovane/bin/..";
    QTest::newRow("an icon of another program") << ""
                                                << "C:/P/Ferrovane/setup.ico" << atTop << top
                                                << FolderSource::Uninstaller << "C:/P/Ferrovane";
    QTest::newRow("the running uninstaller at the top")
        << ""
        << "" << atTop << QStringList() << FolderSource::Uninstaller << "C:/P/Ferrovane";
    QTest::newRow("by its quiet command only")
        << ""
        << "" << QStringList{QStringLiteral("MsiExec.exe /X{1}")} + atTop << QStringList()
        << FolderSource::Uninstaller << "C:/P/Ferrovane";
    QTest::newRow("in uninstall, the client above")
        << ""
        << "" << below << top << FolderSource::UninstallerParent << "C:/P/Ferrovane";
    QTest::newRow("in uninstall, the client beside it")
        << ""
        << "" << below << (QStringList(top) << QStringLiteral("C:/P/Ferrovane/uninstall"))
        << FolderSource::Uninstaller << "C:/P/Ferrovane/uninstall";
    QTest::newRow("in uninstall, no client above")
        << ""
        << "" << below << QStringList() << FolderSource::Uninstaller << "C:/P/Ferrovane/uninstall";
    // The command names another file than the one running (a copy runs
    // from the user's folder beside a file named like the client): neither
    // folder is a candidate.
    QTest::newRow("the running uninstaller is a copy")
        << ""
        << "" << QStringList{QStringLiteral("C:/Old/Ferrovane/un.exe")}
        << QStringList{QStringLiteral("C:/Old/Ferrovane"), QStringLiteral("C:/Users/a/Downloads")}
        << FolderSource::None << "";
    QTest::newRow("Windows Installer's command")
        << ""
        << "" << QStringList{QStringLiteral("MsiExec.exe /X{8E4B6C1A}")} << top
        << FolderSource::None << "";
    QTest::newRow("never a drive's root above")
        << ""
        << "" << QStringList{QStringLiteral("C:/uninstall/un.exe")}
        << QStringList{QStringLiteral("C:")} << FolderSource::Uninstaller << "C:/uninstall";
    QTest::newRow("nothing recorded") << ""
                                      << "" << QStringList() << top << FolderSource::None << "";
}

void TestRemovalGuard::recordedFolder()
{
    QFETCH(QString, installLocation);
    QFETCH(QString, icon);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, clientAt);
    QFETCH(Engine::FolderSource, source);
    QFETCH(QString, location);
    appinstaller::EntryRecord entry;
    entry.installLocation = installLocation;
    entry.displayIcon = icon;
    entry.uninstallCommands = commands;
    Engine::RecordedFolderProbe probe;
    probe.isRunningUninstaller = [](const QString& program) {
        return program == QLatin1String("C:/P/Ferrovane/uninstall/un.exe") ||
               program == QLatin1String("C:/P/Ferrovane/un.exe") ||
               program == QLatin1String("C:/uninstall/un.exe");
    };
    probe.holdsClientAtTop = [&clientAt](const QString& folder) {
        return clientAt.contains(folder);
    };
    Engine::PathRules rules;
    rules.windows = true;
    rules.caseSensitivity = Qt::CaseInsensitive;
    const Engine::RecordedFolder recorded =
        Engine::recordedInstallFolder(entry, QStringLiteral("Ferrovane.exe"), rules, probe);
    QCOMPARE(recorded.source, source);
    QCOMPARE(recorded.location, location);
}

void TestRemovalGuard::folderName_data()
{
    QTest::addColumn<QString>("folder"); // its own name
    QTest::addColumn<bool>("named");
    // The product "Ferrovane Desk" / "铁羽办公", its client Ferrovane.exe.
    for (const char* name :
         {"Ferrovane Desk", "FerrovaneDesk", "Ferrovane", "铁羽办公", "Ferrovane Desk 2",
          "ferrovane-desk", "FERROVANE_DESK", "Ferrovane v2.1", "Ｆｅｒｒｏｖａｎｅ", "铁羽办公 2"})
        QTest::newRow(name) << QString::fromUtf8(name) << true;
    // The user's own folders, or a name the product's only begins.
    for (const char* name : {"Tools", "Apps", "Desk", "Documents", "", "Ferro", "Ferrovane Tools",
                             "Ferrovane Desk Backup", "Ferrovane Desktop", "My Ferrovane", "铁羽",
                             "Ferrovane v", "Ferrovane (old)"})
        QTest::newRow(name[0] ? name : "empty") << QString::fromUtf8(name) << false;
}

void TestRemovalGuard::folderName()
{
    QFETCH(QString, folder);
    QFETCH(bool, named);
    const QStringList names{QStringLiteral("Ferrovane Desk"), QString::fromUtf8("铁羽办公"),
                            QStringLiteral("Ferrovane")};
    QCOMPARE(Engine::namesProduct(folder, names), named);
}

void TestRemovalGuard::productName()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QCOMPARE(Engine::isUsableProductName(name), usable);
}

void TestRemovalGuard::finalSeparators_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("folder") << "/opt/link/"
                            << "/opt/link";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("drive root") << "C:/"
                                << "C:/";
}

void TestRemovalGuard::finalSeparators()
{
    QFETCH(QString, path);
    QFETCH(QString, stripped);
    QCOMPARE(Engine::withoutFinalSeparators(path), stripped);
}

void TestRemovalGuard::homeFolder_data()
{
    QTest::addColumn<QString>("environmentHome");
    QTest::addColumn<QString>("databaseHome");
    QTest::addColumn<QString>("home");
    QTest::newRow("HOME") << "/home/a/"
                          << "/home/b"
                          << "/home/a";
    QTest::newRow("HOME unset") << ""
                                << "/home/b"
                                << "/home/b";
    QTest::newRow("HOME relative") << "a"
                                   << "/home/b"
                                   << "/home/b";
}

void TestRemovalGuard::homeFolder()
{
    QFETCH(QString, environmentHome);
    QFETCH(QString, databaseHome);
    QFETCH(QString, home);
    QCOMPARE(Platform::homeFrom(environmentHome, databaseHome), home);
}

void TestRemovalGuard::protectedFoldersOfThisMachine()
{
    const Engine::ProtectedFolders protectedFolders = Engine::protectedFolders();
    const QStringList& folders = protectedFolders.folders;
    const Engine::PathRules rules = Engine::hostPathRules();
    QVERIFY(folders.contains(Engine::normalizedPath(QDir::homePath(), rules)));
    for (const auto type : {QStandardPaths::DesktopLocation, QStandardPaths::ApplicationsLocation,
                            QStandardPaths::DocumentsLocation, QStandardPaths::TempLocation}) {
        const QString location = QStandardPaths::writableLocation(type);
        QVERIFY2(folders.contains(Engine::normalizedPath(location, rules)), qPrintable(location));
    }
    QVERIFY(folders.contains(Engine::normalizedPath(Platform::allUsersDesktop(), rules)));
    for (const QString& system : Platform::systemFolders())
        QVERIFY2(folders.contains(Engine::normalizedPath(system, rules)), qPrintable(system));
    for (const QString& sealed : Platform::sealedSystemFolders())
        QVERIFY2(protectedFolders.sealed.contains(Engine::normalizedPath(sealed, rules)),
                 qPrintable(sealed));
    QVERIFY(!protectedFolders.profileParents.isEmpty());
    // The real home and root are refused without being touched.
    QCOMPARE(Engine::checkInstallLocation(Engine::readInstallLocation(QDir::homePath()), QString(),
                                          false),
             LocationVerdict::Protected);
    QCOMPARE(Engine::checkInstallLocation(Engine::readInstallLocation(QDir::rootPath()), QString(),
                                          false),
             LocationVerdict::Root);
}

QTEST_GUILESS_MAIN(TestRemovalGuard)
#include "tst_removalguard.moc"
