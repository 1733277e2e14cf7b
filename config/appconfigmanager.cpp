#include "appconfigmanager.h"

#include "xmlnode.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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

// text as the log can show it: characters that show nothing or move the
// line (controls, blanks other than the space, format characters) as
// <U+XXXX>, and cut after 80 characters.
QString visible(const QString& text)
{
    QString shown;
    for (const QChar c : text.left(80)) {
        const QChar::Category category = c.category();
        const bool hidden = (c.isSpace() && c != QLatin1Char(' ')) ||
                            category == QChar::Other_Control || category == QChar::Other_Format ||
                            category == QChar::Other_Surrogate ||
                            category == QChar::Other_NotAssigned;
        shown += hidden ? QStringLiteral("<U+%1>").arg(QString::number(c.unicode(), 16).toUpper(),
                                                       4, QLatin1Char('0'))
                        : QString(c);
    }
    return text.size() > 80 ? shown + QStringLiteral("...") : shown;
}

// The product's GUID: the one <GUID> directly under the root, white space
// around it trimmed (layout, and blanks copied along with it: what is left
// must be a whole GUID all the same, so nothing else can be read into it),
// written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} in hexadecimal digits of
// either case, as Windows names uninstall entries.
ConfigFault guidFault(const XmlNode& config, QString& detail)
{
    const QVector<XmlNode> guids = config.elements(QStringLiteral("GUID"));
    if (guids.size() > 1) {
        detail = QStringLiteral("%1 <GUID> elements directly under the root element: which names "
                                "the product is not clear")
                     .arg(guids.size());
        return ConfigFault::TwoGuids;
    }
    if (guids.isEmpty()) {
        if (!config.findElement(QStringLiteral("GUID")).isNull())
            detail = QStringLiteral("no <GUID> directly under the root element; the one inside "
                                    "another element names a part of the product, not the product");
        return ConfigFault::NoGuid;
    }
    const QString guid = guids.first().text().trimmed();
    if (guid.isEmpty()) {
        detail = QStringLiteral("the <GUID> element is empty");
        return ConfigFault::NoGuid;
    }
    static const QRegularExpression braced(QStringLiteral(
        "^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}$"));
    if (!braced.match(guid).hasMatch()) {
        detail = QStringLiteral("\"%1\" is not a GUID in braces "
                                "({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, hexadecimal digits)")
                     .arg(visible(guid));
        return ConfigFault::BadGuid;
    }
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

    const QVector<XmlNode> guids = config.elements(QStringLiteral("GUID"));
    m_strGuid = guids.isEmpty() ? std::string() : toUtf8(guids.first().text().trimmed());
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
    m_strFaultDetail.clear();
    if (config.isNull())
        m_fault = ConfigFault::NotXml;
    else if ((m_fault = guidFault(config, m_strFaultDetail)) == ConfigFault::None &&
             lastName(text("ProgramName")).trimmed().isEmpty())
        m_fault = ConfigFault::NoClient;

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
