#include "ulmora.h"

#include <QCoreApplication>
#include <QFile>
#include <QResource>

namespace Ulmora
{

namespace
{
const QString kStyleSheetPath = QStringLiteral(":/Ulmora/Qss/Ulmora.qss");
}

bool InitResource(const QString& strRccPath, QString& strStyleSheet, bool bAppend)
{
    if (!QResource::registerResource(strRccPath))
        return false;

    QFile file(kStyleSheetPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString strSheet = QString::fromUtf8(file.readAll());
    if (strSheet.isEmpty())
        return false;

    if (!bAppend) {
        strStyleSheet = strSheet;
        return true;
    }
    // Two sheets glued without a line break could merge a trailing comment
    // or rule into the first selector of the next.
    if (!strStyleSheet.isEmpty() && !strStyleSheet.endsWith(QLatin1Char('\n')))
        strStyleSheet += QLatin1Char('\n');
    strStyleSheet += strSheet;
    return true;
}

QString GetTargetPath()
{
    QString strPath = QCoreApplication::applicationDirPath();
    if (!strPath.endsWith(QLatin1Char('/')))
        strPath += QLatin1Char('/');
    return strPath;
}

} // namespace Ulmora
