#pragma once

// A configuration record as text, field by field, for tests that compare
// what the reader made of a file.

#include "config/appconfigmanager.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

namespace TestConfig
{

// Every field of a record as text, components as "name=path;name=path".
using Record = QMap<QString, QString>;

inline Record recordOf(const appinstaller::AppConfigManager& config)
{
    QStringList components;
    for (const QPair<QString, QString>& component : config.getComponents())
        components << component.first + QLatin1Char('=') + component.second;
    return Record{
        {QStringLiteral("guid"), QString::fromStdString(config.getGuid())},
        {QStringLiteral("translator"), QString::number(config.getTranslator())},
        {QStringLiteral("versionType"), QString::number(config.getVersionType())},
        {QStringLiteral("nameEN"), QString::fromStdString(config.getSoftwareNameEN())},
        {QStringLiteral("nameCH"), config.getSoftwareNameCHText()},
        {QStringLiteral("settingFile"), QString::fromStdString(config.getSettingFile())},
        {QStringLiteral("version"), QString::fromStdString(config.getVersion())},
        {QStringLiteral("company"), QString::fromStdString(config.getCompanyName())},
        {QStringLiteral("copyright"), QString::fromStdString(config.getLegalCopyright())},
        {QStringLiteral("installPath"), QString::fromStdString(config.getInstallPath())},
        {QStringLiteral("program"), QString::fromStdString(config.getProgramName())},
        {QStringLiteral("components"), components.join(QLatin1Char(';'))},
    };
}

// Whether the 8-bit Chinese name is the local encoding of the name as read,
// on any code page ('?' where it has no such character).
inline bool localNameMatches(const appinstaller::AppConfigManager& config)
{
    return QByteArray::fromStdString(config.getSoftwareNameCH()) ==
           config.getSoftwareNameCHText().toLocal8Bit();
}

// base with the given "field=value" entries replaced.

} // namespace TestConfig
