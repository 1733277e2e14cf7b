#include "uninstallregistry.h"

#include "config/appconfigmanager.h"
#include "platform/platform.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <memory>

namespace appinstaller
{

namespace
{

// The PROCESSOR_ARCHITECTURE_* codes whose 32-bit programs see the
// Wow6432Node view of SOFTWARE.
const int kArchitectureAmd64 = 9;
const int kArchitectureIa64 = 6;

std::string configuredGuid()
{
    return AppConfigManager::getInstance()->getGuid();
}

} // namespace

std::string UninstallRegistry::uninstallKeyBaseFor(int iArchitecture)
{
    if (iArchitecture == kArchitectureAmd64 || iArchitecture == kArchitectureIa64)
        return "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
}

std::string UninstallRegistry::uninstallKeyBase() const
{
    return uninstallKeyBaseFor(Platform::nativeArchitecture());
}

bool UninstallRegistry::isUsableGuid(const std::string& guid)
{
    return !guid.empty() && guid != "." && guid != ".." &&
           guid.find_first_of("\\/") == std::string::npos;
}

QString UninstallRegistry::entryKeyPath(const std::string& base, const std::string& guid)
{
    return QString::fromStdString("HKEY_LOCAL_MACHINE\\" + base + guid);
}

bool UninstallRegistry::hasEntry(const std::string& guid) const
{
    // An unusable GUID would name the Uninstall key every product shares.
    if (!isUsableGuid(guid))
        return false;
    const std::unique_ptr<QSettings> key =
        Platform::openRegistryKey(entryKeyPath(uninstallKeyBase(), guid));
    return !key->allKeys().isEmpty();
}

bool UninstallRegistry::isInstalled() const
{
    return hasEntry(configuredGuid());
}

std::string UninstallRegistry::readValue(const std::string& name, const std::string& guid) const
{
    // An unusable GUID would name the Uninstall key every product shares.
    if (!isUsableGuid(guid))
        return std::string();
    const std::unique_ptr<QSettings> key =
        Platform::openRegistryKey(entryKeyPath(uninstallKeyBase(), guid));
    const QVariant value = key->value(QString::fromStdString(name), QVariant());
    return value.isValid() ? value.toString().toStdString() : std::string();
}

std::string UninstallRegistry::installLocation() const
{
    const std::string guid = configuredGuid();
    if (!hasEntry(guid))
        return std::string();
    return unquotedLocation(readValue("InstallLocation", guid));
}

std::string UninstallRegistry::unquotedLocation(const std::string& value)
{
    // Installers write the location as they would a command line argument;
    // the quotes are no part of the folder's name.
    std::string location = value;
    if (location.size() >= 2 && location.front() == '"' && location.back() == '"')
        location = location.substr(1, location.size() - 2);
    return Platform::expandedRegistryString(QString::fromStdString(location)).toStdString();
}

QString UninstallRegistry::commandFolder(const QString& command)
{
    const QString program = commandProgram(command);
    const int slash =
        std::max(program.lastIndexOf(QLatin1Char('\\')), program.lastIndexOf(QLatin1Char('/')));
    return slash > 0 ? program.left(slash) : QString();
}

QString UninstallRegistry::commandProgram(const QString& command)
{
    QString program = command.trimmed();
    if (program.startsWith(QLatin1Char('"'))) {
        program = program.mid(1).section(QLatin1Char('"'), 0, 0);
    } else {
        // Unquoted, the program ends with its ".exe", else before an icon's
        // index, else before the first switch.
        static const QRegularExpression ends[] = {
            QRegularExpression(QStringLiteral("(?<=\\.exe)(?=[\\s,]|$)"),
                               QRegularExpression::CaseInsensitiveOption),
            QRegularExpression(QStringLiteral(",")), QRegularExpression(QStringLiteral("\\s[/-]"))};
        for (const QRegularExpression& end : ends) {
            const QRegularExpressionMatch match = end.match(program);
            if (match.hasMatch()) {
                program.truncate(match.capturedStart());
                break;
            }
        }
    }
    program = Platform::expandedRegistryString(program.trimmed());
    const int slash =
        std::max(program.lastIndexOf(QLatin1Char('\\')), program.lastIndexOf(QLatin1Char('/')));
    return slash > 0 ? program : QString();
}

bool UninstallRegistry::isWindowsInstallerCommand(const QString& command)
{
    static const QRegularExpression msiexec(
        QStringLiteral("^\\s*\"?([^\"]*[\\\\/])?msiexec(\\.exe)?\"?(\\s|$)"),
        QRegularExpression::CaseInsensitiveOption);
    return msiexec.match(command).hasMatch();
}

QString UninstallRegistry::displayName(const QString& value)
{
    constexpr int kLongest = 128;
    QString shown;
    for (const QChar c : value) {
        // Control and format characters (a line break would forge a log
        // line, a direction override reorder the page) and separators.
        const QChar::Category category = c.category();
        const bool blank = c.isSpace() || category == QChar::Other_Control ||
                           category == QChar::Other_Format || category == QChar::Separator_Line ||
                           category == QChar::Separator_Paragraph;
        if (!blank)
            shown += c;
        else if (!shown.isEmpty() && !shown.endsWith(QLatin1Char(' ')))
            shown += QLatin1Char(' ');
    }
    shown = shown.trimmed();
    if (shown.size() > kLongest) {
        // Never half of a surrogate pair.
        const int cut = shown.at(kLongest - 1).isHighSurrogate() ? kLongest - 1 : kLongest;
        shown = shown.left(cut) + QStringLiteral("...");
    }
    return shown;
}

EntryRecord UninstallRegistry::entryRecord() const
{
    EntryRecord record;
    const std::string guid = configuredGuid();
    if (!hasEntry(guid))
        return record;
    record.installLocation =
        QString::fromStdString(unquotedLocation(readValue("InstallLocation", guid)));
    record.displayIcon = QString::fromStdString(readValue("DisplayIcon", guid));
    for (const char* name : {"UninstallString", "QuietUninstallString"}) {
        const QString command = QString::fromStdString(readValue(name, guid));
        if (command.trimmed().isEmpty())
            continue;
        record.uninstallCommands << command;
        record.windowsInstaller = record.windowsInstaller || isWindowsInstallerCommand(command);
    }
    // The flag alone makes it Windows Installer's, whatever its commands
    // say: a DWORD (read as its number) or text of one, "1", "0x1", in any
    // base; never "0" or text that is no number.
    bool number = false;
    const QString flag = QString::fromStdString(readValue("WindowsInstaller", guid)).trimmed();
    const qulonglong value = flag.toULongLong(&number, 0);
    record.windowsInstaller = record.windowsInstaller || (number && value != 0);
    return record;
}

QStringList UninstallRegistry::otherProductFolders() const
{
    QStringList folders;
    for (const OtherFolder& other : otherProductFolderOwners())
        folders << other.folder;
    folders.removeDuplicates();
    return folders;
}

QVector<UninstallRegistry::OtherFolder> UninstallRegistry::otherProductFolderOwners() const
{
    const QString own = QString::fromStdString(configuredGuid());
    QVector<OtherFolder> folders;
    QString name;
    QString key;
    const auto add = [&folders, &name, &key](const QString& owner, const QString& value,
                                             const QString& folder) {
        for (const OtherFolder& known : folders)
            if (known.owner == owner && known.folder == folder)
                return;
        folders.append({owner, name, value, folder, key});
    };
    for (const Platform::UninstallEntry& entry : Platform::uninstallEntries()) {
        // Both registry views and HKEY_CURRENT_USER may list our own GUID.
        if (entry.name.compare(own, Qt::CaseInsensitive) == 0)
            continue;
        name = displayName(entry.displayName);
        key = entry.keyPath;
        if (!entry.installLocation.trimmed().isEmpty())
            add(entry.name, QStringLiteral("InstallLocation"),
                QString::fromStdString(unquotedLocation(entry.installLocation.toStdString())));
        if (!entry.installSource.trimmed().isEmpty())
            add(entry.name, QStringLiteral("InstallSource"),
                QString::fromStdString(unquotedLocation(entry.installSource.toStdString())));
        for (const QString& command : entry.commands) {
            const QString folder = commandFolder(command);
            if (!folder.isEmpty())
                add(entry.name, QStringLiteral("a program its uninstall command or icon names"),
                    folder);
        }
    }
    return folders;
}

bool UninstallRegistry::removeEntry(const std::string& guid) const
{
    // Else clear() would wipe the Uninstall key and every product's entry in it.
    if (!isUsableGuid(guid))
        return true;
    const std::unique_ptr<QSettings> key =
        Platform::openRegistryKey(entryKeyPath(uninstallKeyBase(), guid));
    key->clear();
    // The stand-in writes its file here; the registry needs nothing.
    key->sync();
    // The settings object may keep the cleared state in memory even when the
    // file or key could not be written: only the status tells.
    return key->status() == QSettings::NoError;
}

} // namespace appinstaller
