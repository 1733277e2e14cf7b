#include "embeddedresources.h"

#include <QtGlobal>

// The resource collections are compiled into this static library. Their
// objects register themselves before main() runs, but only if the linker
// keeps them, and it keeps an object of a static library only when something
// refers to it: this does. Q_INIT_RESOURCE must be used outside a namespace;
// a second registration of the same data is ignored.
static void initEmbeddedResources()
{
    Q_INIT_RESOURCE(uninstall_qss);
    Q_INIT_RESOURCE(uninstall_images);
}

namespace appinstaller
{

void ensureEmbeddedResources()
{
    initEmbeddedResources();
}

} // namespace appinstaller
