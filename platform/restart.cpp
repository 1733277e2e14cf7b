#include "restart.h"

namespace Platform
{

QVector<FileIdentity> loadedImageFiles()
{
    QVector<FileIdentity> files;
    for (const LoadedImage& image : loadedImages())
        files.append(image.identity);
    return files;
}

} // namespace Platform
