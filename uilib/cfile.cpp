#include "cfile.h"

#include <QFile>

namespace Ulmora
{

QString CFile::ReadAll(const QStringList& files, const QString& dir)
{
    QString strText;
    for (const QString& strName : files) {
        QFile file(dir + strName);
        if (file.open(QIODevice::ReadOnly))
            strText += QString::fromUtf8(file.readAll());
    }
    return strText;
}

} // namespace Ulmora
