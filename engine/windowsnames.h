#pragma once

// The names the uninstaller takes from its files (shortcut and start-menu
// names from AppConfig.xml, paths in the install manifest), judged by
// Windows' rules wherever it runs.

#include <QString>
#include <QStringView>

namespace Engine
{

// A name Windows keeps for a device, with or without an extension and with
// blanks before it: CON, PRN, AUX, NUL, COM0-9, LPT0-9, and COM and LPT with
// a superscript 1, 2 or 3 ("nul.txt", "COM1 .log", "lpt\u00B9"). One rule for
// every name the uninstaller takes from a file: shortcuts, the manifest.
bool isWindowsDeviceName(QStringView name);

// A shortcut or start-menu name that stays a single entry in its folder and
// that Windows would take as written: not empty, no separator, none of
// < > : " | ? * or a control character, no final dot or blank, not a device
// name (CON, NUL, COM1, ...), not only dots and blanks.
bool isUsableProductName(const QString& name);

// A folder of the start menu that Windows or many programs share
// ("Accessories", "Startup", ...), compared ignoring case and final dots and
// blanks: never removed as the product's.
bool isSharedStartMenuFolder(const QString& name);

} // namespace Engine
