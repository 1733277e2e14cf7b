#pragma once

// Resource loading and the program's base folder.

#include <QString>

namespace Ulmora
{

// Registers the binary resource file at strRccPath and reads the
// application-wide style sheet from it into strStyleSheet. With bAppend the
// sheet is added to what strStyleSheet holds, otherwise it replaces it.
// Returns false (and leaves strStyleSheet alone) when the file cannot be
// registered or holds no sheet.
bool InitResource(const QString& strRccPath, QString& strStyleSheet, bool bAppend);

// The folder of the running program, with a final '/'.
QString GetTargetPath();

} // namespace Ulmora
