#pragma once

namespace appinstaller
{

// Makes sure the window's style sheet and images (":/Uninstall/...") are
// linked into the program; see embeddedresources.cpp.
void ensureEmbeddedResources();

} // namespace appinstaller
