#pragma once

// The component library's application-wide sheet, as the program loads it.

#include "uilib/ulmora.h"

#include <QCoreApplication>
#include <QString>

inline QString librarySheet()
{
    QString sheet;
    Ulmora::InitResource(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/../bin/rcc/guiresource.rcc"),
                         sheet, false);
    return sheet;
}
