#pragma once

// The product's configuration, read once from AppConfig.xml beside the
// executable into a record that never changes afterwards.

#include "config/singleton.h"

#include <QPair>
#include <QString>
#include <QVector>

#include <string>

namespace appinstaller
{

// What is wrong with a configuration file that cannot drive an uninstall.
enum class ConfigFault {
    None,
    Missing,    // no file there
    Unreadable, // not a plain file, or it cannot be opened
    NotXml,     // no XML element in it
    // The product's GUID is the one <GUID> directly under the root element,
    // white space around it trimmed; a <GUID> further down names a part of
    // the product, never the product.
    NoGuid,   // no GUID there (or an empty one): no uninstall entry to find
    BadGuid,  // not a GUID in braces, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} in hexadecimal
    TwoGuids, // more than one <GUID> there: which entry is the product's is not clear
    NoClient, // no client program (ProgramName): the running-client check would pass blind
};

class AppConfigManager : public Base::CSingleton<AppConfigManager>
{
    friend class Base::CSingleton<AppConfigManager>;

public:
    // Reads the given file instead of the one beside the executable; for
    // tools and tests that need a record of their own.
    explicit AppConfigManager(const QString& strConfigFile);

    // "<application dir><native separator>AppConfig.xml"
    static QString configFilePath();

    // Why the file read cannot drive an uninstall; None when it can.
    ConfigFault fault() const { return m_fault; }
    // What exactly is wrong, in English for the log ("\"{8E4B}\" is not a
    // GUID in braces ..."); empty when nothing is or the fault says it all.
    QString faultDetail() const { return m_strFaultDetail; }
    // The file read.
    QString filePath() const { return m_strFile; }

    std::string getProgramName() const { return m_strProgramName; }
    // The client program's file name: ProgramName after its last '/' or '\\'
    // (the configuration may give it a folder).
    QString clientFileName() const { return lastName(QString::fromStdString(m_strProgramName)); }
    static QString lastName(QString path);
    // The product's GUID as read, trimmed; usable only when fault() is None.
    std::string getGuid() const { return m_strGuid; }
    std::string getSoftwareNameEN() const { return m_strSoftwareNameEN; }
    // In the local 8-bit encoding (QString::fromLocal8Bit reads it back).
    std::string getSoftwareNameCH() const { return m_strSoftwareNameCH; }
    // The same name as read from the file: the local encoding of an English
    // Windows has no Chinese characters and turns them into '?'.
    QString getSoftwareNameCHText() const { return m_strSoftwareNameCHText; }

    // Read by nothing in the program today; kept with the record.
    std::string getVersion() const { return m_strVersion; }
    std::string getCompanyName() const { return m_strCompanyName; }
    int getTranslator() const { return m_iTranslator; }
    int getVersionType() const { return m_iVersionType; }
    std::string getLegalCopyright() const { return m_strLegalCopyright; }
    QVector<QPair<QString, QString>> getComponents() const { return m_vecComponents; }
    std::string getInstallPath() const { return m_strInstallPath; }
    std::string getSettingFile() const { return m_strSettingFile; }

private:
    AppConfigManager();
    void readConfig();
    void readConfigFile(const QString& strConfigFile);

    ConfigFault m_fault = ConfigFault::None;
    QString m_strFaultDetail;
    QString m_strFile;
    std::string m_strGuid;
    std::string m_strVersion;
    std::string m_strCompanyName;
    int m_iTranslator = 0;
    int m_iVersionType = 0;
    std::string m_strSoftwareNameEN;
    std::string m_strSoftwareNameCH;
    QString m_strSoftwareNameCHText;
    std::string m_strLegalCopyright;
    QVector<QPair<QString, QString>> m_vecComponents;
    std::string m_strInstallPath;
    std::string m_strProgramName;
    std::string m_strSettingFile;
};

} // namespace appinstaller
