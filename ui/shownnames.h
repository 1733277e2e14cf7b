#pragma once

// Names (paths, products, programs) put into the window's own sentences.

#include <QString>

namespace appinstaller
{

// name isolated from the sentence around it (between U+2068 FIRST STRONG
// ISOLATE and U+2069 POP DIRECTIONAL ISOLATE), so that it shows in its own
// direction and nothing in it can reorder the words after it. The bidi
// embedding, override and isolate controls inside it (U+202A-U+202E,
// U+2066-U+2069), which could end the isolation early or leak past it, show
// as "<U+202E>".
QString isolatedName(const QString& name);

// text without the isolation marks isolatedName() adds, for the clipboard.
QString withoutIsolation(QString text);

} // namespace appinstaller
