#pragma once

namespace appinstaller
{

// Everything main() does once the application object exists: the style
// sheet, the window, then the three gates (client running, not installed,
// not confirmed), each of which ends with a warning and -1. When all pass,
// the window starts the removal and the event loop's result is returned.
int runUninstaller();

} // namespace appinstaller
