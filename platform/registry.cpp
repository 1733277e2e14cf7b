#include "registry.h"

#include <QDir>
#include <QIODevice>
#include <QSettings>

namespace Platform
{

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

} // namespace Platform
