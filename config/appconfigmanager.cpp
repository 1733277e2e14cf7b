#include "appconfigmanager.h"

#include "xmlnode.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace appinstaller
{

namespace
{

const char* const kConfigFileName = "AppConfig.xml";
const char* const kDefaultSoftwareName = "Ferrovane";

std::string toUtf8(const QString& text)
{
    return text.toStdString();
}

// A number that is not base 10 or does not fit reads as 0, like a missing one.
int toInt(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

std::string toLocal8Bit(const QString& text)
{
    // Up to the first zero byte, as a C string of that encoding would end.
    return std::string(text.toLocal8Bit().constData());
}

// A file that was read as XML: what of it cannot drive an uninstall.
ConfigFault faultOf(const QString& guid, const QString& program)
{
    if (guid.trimmed().isEmpty())
        return ConfigFault::NoGuid;
    const bool control =
        std::any_of(guid.begin(), guid.end(), [](QChar c) { return c.unicode() < 0x20; });
    if (guid == QLatin1String(".") || guid == QLatin1String("..") ||
        guid.contains(QLatin1Char('/')) || guid.contains(QLatin1Char('\\')) || control)
        return ConfigFault::BadGuid;
    if (AppConfigManager::lastName(program).trimmed().isEmpty())
        return ConfigFault::NoClient;
    return ConfigFault::None;
}

} // namespace

AppConfigManager::AppConfigManager()
{
    readConfig();
}

AppConfigManager::AppConfigManager(const QString& strConfigFile)
{
    readConfigFile(strConfigFile);
}

QString AppConfigManager::lastName(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString AppConfigManager::configFilePath()
{
    return QCoreApplication::applicationDirPath() + QDir::separator() +
           QLatin1String(kConfigFileName);
}

void AppConfigManager::readConfig()
{
    readConfigFile(configFilePath());
}

void AppConfigManager::readConfigFile(const QString& strConfigFile)
{
    m_strFile = strConfigFile;
    const QFileInfo info(strConfigFile);
    if (!info.exists() && !info.isSymLink()) {
        m_fault = ConfigFault::Missing;
        return;
    }
    XmlNode config;
    // A plain file only: a pipe or device would keep the read waiting.
    if (!info.isFile() || !config.loadFile(strConfigFile)) {
        m_fault = ConfigFault::Unreadable;
        return;
    }

    auto text = [&config](const char* key) {
        return config.findElement(QLatin1String(key)).text();
    };

    m_strGuid = toUtf8(text("GUID"));
    m_iTranslator = toInt(text("Translator"));
    m_iVersionType = toInt(text("VersionType"));
    const QString softwareNameEN = text("SoftwareNameEN");
    m_strSoftwareNameEN = toUtf8(softwareNameEN);
    m_strSoftwareNameCHText = text("SoftwareNameCH");
    m_strSoftwareNameCH = toLocal8Bit(m_strSoftwareNameCHText);
    m_strSettingFile = toUtf8(text("SettingFile"));
    if (softwareNameEN.isEmpty())
        m_strSoftwareNameEN = kDefaultSoftwareName;
    m_strVersion = toUtf8(text("Version"));
    m_strCompanyName = toUtf8(text("CompanyName"));
    m_strLegalCopyright = toUtf8(text("LegalCopyright"));
    // The configured folder is the parent; the product's own folder is named
    // after it, joined without a separator (the file ends the path with one).
    m_strInstallPath = toUtf8(text("InstallPath")) + m_strSoftwareNameEN;
    m_strProgramName = toUtf8(text("ProgramName"));
    // No XML at all reads as the defaults, but cannot drive an uninstall.
    m_fault = config.isNull() ? ConfigFault::NotXml : faultOf(text("GUID"), text("ProgramName"));

    m_vecComponents.clear();
    const XmlNode components = config.findElement(QStringLiteral("Components"));
    // One walk: elementAt(i) starts from the first child every time, which
    // made a file of a million components take hours.
    for (const XmlNode& component : components.elements()) {
        m_vecComponents.append(qMakePair(component.findElement(QStringLiteral("Name")).text(),
                                         component.findElement(QStringLiteral("FilePath")).text()));
    }
}

} // namespace appinstaller
