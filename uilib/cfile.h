#pragma once

// Small file helpers.

#include <QString>
#include <QStringList>

namespace Ulmora
{

class CFile
{
public:
    // The UTF-8 text of dir + name for each name, joined in list order.
    // Files that cannot be read add nothing.
    static QString ReadAll(const QStringList& files, const QString& dir);
};

} // namespace Ulmora
