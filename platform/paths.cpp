#include "files.h"

namespace Platform
{

namespace
{

QString slashed(QString path)
{
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace

PathParts splitAbsolutePath(const QString& path, bool drivePaths)
{
    // A '\\' is a separator only under Windows' rules; elsewhere it is part
    // of a name.
    const QString text = drivePaths ? slashed(path) : path;
    PathParts parts;
    QString rest;
    const auto isDrive = [](QChar letter) {
        return (letter >= QLatin1Char('A') && letter <= QLatin1Char('Z')) ||
               (letter >= QLatin1Char('a') && letter <= QLatin1Char('z'));
    };
    if (!drivePaths) {
        if (!text.startsWith(QLatin1Char('/')))
            return PathParts();
        parts.root = QStringLiteral("/");
        rest = text.mid(1);
    } else if (text.size() >= 3 && isDrive(text.at(0)) && text.at(1) == QLatin1Char(':') &&
               text.at(2) == QLatin1Char('/')) {
        parts.root = text.left(3);
        rest = text.mid(3);
    } else if (text.startsWith(QLatin1String("//"))) {
        // "//server/share/…"; "//?/" and "//./" name devices and verbatim
        // paths, not a share.
        const QStringList head = text.mid(2).split(QLatin1Char('/'));
        if (head.size() < 2 || head.at(0).isEmpty() || head.at(1).isEmpty() ||
            head.at(0) == QLatin1String("?") || head.at(0) == QLatin1String("."))
            return PathParts();
        parts.root = QStringLiteral("//%1/%2/").arg(head.at(0), head.at(1));
        rest = head.mid(2).join(QLatin1Char('/'));
    } else {
        return PathParts();
    }
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            // Above the root is the root.
            if (!parts.names.isEmpty())
                parts.names.removeLast();
            continue;
        }
        parts.names << name;
    }
    return parts;
}

} // namespace Platform
