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

class AppConfigManager : public Base::CSingleton<AppConfigManager>
{
    friend class Base::CSingleton<AppConfigManager>;

public:
    // Reads the given file instead of the one beside the executable; for
    // tools and tests that need a record of their own.
    explicit AppConfigManager(const QString& strConfigFile);

    // "<application dir><native separator>AppConfig.xml"
    static QString configFilePath();

    std::string getProgramName() const { return m_strProgramName; }
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
