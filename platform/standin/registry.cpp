// The stand-in's registry: a key is an INI file under standinRoot(), its
// subkeys the files in the folder of its name.

#include "platform/registry.h"
#include "standin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileInfoList>
#include <QSettings>

#include <algorithm>
#include <cctype>

namespace Platform
{

namespace
{

// The key's file, found as Windows finds keys: without regard to case
// ("{8e4b…}" opens the entry written as "{8E4B…}"). The path as written
// when no file answers to it: a key that is made is made under that name.
QString keyFile(const QString& root, const QString& keyPath)
{
    const QString written = standinIniPath(root, keyPath);
    if (QFileInfo::exists(written) || QFileInfo(written).isSymLink())
        return written;
    QString found = root;
    const QStringList names = written.mid(root.size() + 1).split(QLatin1Char('/'));
    for (const QString& name : names) {
        const QStringList entries = QDir(found).entryList(QDir::AllEntries | QDir::Hidden |
                                                          QDir::System | QDir::NoDotAndDotDot);
        const auto same =
            std::find_if(entries.begin(), entries.end(), [&name](const QString& entry) {
                return entry.compare(name, Qt::CaseInsensitive) == 0;
            });
        if (same == entries.end())
            return written;
        found += QLatin1Char('/') + *same;
    }
    return found;
}

} // namespace

std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath)
{
    const QString path = keyFile(standinRoot(), keyPath);
    if (QFileInfo(path).isSymLink()) {
        return keyThatIsNoEntry();
    }
    auto key = std::make_unique<QSettings>(path, QSettings::IniFormat);
    key->setIniCodec("UTF-8");
    return key;
}

QString expandedRegistryString(const QString& value)
{
    return value;
}

std::vector<UninstallEntry> uninstallEntries()
{
    std::vector<UninstallEntry> entries;
    const QString root = standinRoot();
    for (const char* key :
         {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\"
          "CurrentVersion\\Uninstall",
          "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
        QString folder = standinIniPath(root, QLatin1String(key));
        folder.chop(4); // ".ini": the key's subkeys are the files in its folder
        const QFileInfoList files =
            QDir(folder).entryInfoList({QStringLiteral("*.ini")}, QDir::Files | QDir::Hidden);
        for (const QFileInfo& file : files) {
            // Read only: an entry file that is a link tells where another
            // product lives, and nothing is ever written through it.
            QSettings entry(file.filePath(), QSettings::IniFormat);
            entry.setIniCodec("UTF-8");
            QStringList commands;
            for (const char* name : {"UninstallString", "QuietUninstallString", "DisplayIcon"})
                commands << entry.value(QLatin1String(name)).toString();
            entries.push_back({file.completeBaseName(),
                               entry.value(QStringLiteral("DisplayName")).toString(),
                               entry.value(QStringLiteral("InstallLocation")).toString(),
                               entry.value(QStringLiteral("InstallSource")).toString(), commands,
                               QLatin1String(key) + QLatin1Char('\\') + file.completeBaseName()});
        }
    }
    return entries;
}

QStringList installerComponentPaths()
{
    QString userData = standinIniPath(
        standinRoot(), QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                      "CurrentVersion\\Installer\\UserData"));
    userData.chop(4); // ".ini": its subkeys are the folders and files in its folder
    QStringList paths;
    for (const QString& user : QDir(userData).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // Read by hand: QSettings takes seconds over tens of thousands of
        // groups, and only the values are wanted.
        QFile file(userData + QLatin1Char('/') + user + QStringLiteral("/Components.ini"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const int equals = line.indexOf('=');
            if (equals <= 0 || line.startsWith('[') || line.startsWith(';'))
                continue;
            QByteArray value = line.mid(equals + 1).trimmed();
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            // "C:\\X\\a.dll" or "/x/a.dll"; "01:\\SOFTWARE\\..." is a registry key.
            if (value.startsWith('/') || (value.size() > 2 && value.at(1) == ':' &&
                                          (value.at(2) == '\\' || value.at(2) == '/') &&
                                          !std::isdigit(static_cast<unsigned char>(value.at(0)))))
                paths << QString::fromUtf8(value);
        }
    }
    return paths;
}

} // namespace Platform
