// libFuzzer target: the configuration reader on a file of the fuzzer's bytes.
// AppConfigManager does every reading step the program does; then XmlNode is
// walked over the whole tree, which the reader alone never does.

#include "config/appconfigmanager.h"
#include "config/xmlnode.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>

using appinstaller::AppConfigManager;
using appinstaller::XmlNode;

namespace
{

// Every value, so that a broken string reaches the sanitizers.
std::size_t touch(const std::string& value)
{
    std::size_t sum = value.size();
    for (const char c : value)
        sum += static_cast<unsigned char>(c);
    return sum;
}

// Each element once, without recursion: the tree's depth is the input's.
std::size_t walk(const XmlNode& root)
{
    std::size_t sum = 0;
    QVector<XmlNode> pending{root};
    while (!pending.isEmpty()) {
        const XmlNode node = pending.takeLast();
        sum += static_cast<std::size_t>(node.text().size());
        const int count = node.elementCount();
        // elementAt() on the first few and one past the end; elements() on all.
        for (int i = 0; i <= count && i < 3; ++i)
            sum += static_cast<std::size_t>(node.elementAt(i).text().size());
        pending += node.elements();
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("AppConfig.xml"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    const AppConfigManager config(path);
    volatile std::size_t sink = 0;
    for (const std::string& value :
         {config.getGuid(), config.getVersion(), config.getCompanyName(),
          config.getSoftwareNameEN(), config.getSoftwareNameCH(), config.getLegalCopyright(),
          config.getInstallPath(), config.getProgramName(), config.getSettingFile()})
        sink = sink + touch(value);
    for (const QPair<QString, QString>& component : config.getComponents())
        sink = sink + static_cast<std::size_t>(component.first.size() + component.second.size());

    XmlNode root;
    if (root.loadFile(path))
        sink = sink + walk(root);
    return 0;
}
