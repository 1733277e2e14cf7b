#include "uninstalllog.h"

#include "engine/removalguard.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QTemporaryFile>

#include <algorithm>
#include <utility>

// Where the log may be and how it is opened: never inside the install
// folder, never through a link, never another program's file.

namespace appinstaller
{

namespace
{

// The folder that holds path, resolved through links where it exists.
QString resolvedFolderOf(const QString& absolutePath)
{
    const QString folder = QFileInfo(absolutePath).absolutePath();
    const QString resolved = Platform::resolvedPath(folder);
    return resolved.isEmpty() ? folder : resolved;
}

// folder (absolute) and each folder above it up to the root, deepest
// first, by its names as the system reads them.
QStringList selfAndAbove(const QString& folder)
{
    const Platform::PathParts parts =
        Platform::splitAbsolutePath(folder, Platform::usesDrivePaths());
    QStringList folders;
    for (int depth = parts.names.size(); depth >= 0 && !parts.root.isEmpty(); --depth)
        folders << parts.root + parts.names.mid(0, depth).join(QLatin1Char('/'));
    return folders;
}

// The first folder on the way to path (absolute) that is a link or
// junction, the one nearest the root first; empty when none is. What lies
// past a name that is not there is not there either.
QString firstLinkOnTheWay(const QString& absolutePath)
{
    QStringList folders = selfAndAbove(QFileInfo(absolutePath).absolutePath());
    if (!folders.isEmpty())
        folders.removeLast(); // the root
    std::reverse(folders.begin(), folders.end());
    for (const QString& folder : folders) {
        if (!Platform::entryExists(folder))
            break;
        if (Platform::isLinkOrJunction(folder))
            return folder;
    }
    return QString();
}

// Whether what device reads from where it stands begins with the log's
// first line, a whole line.
bool beginsAsLog(QIODevice& device, UninstallLog::Format format)
{
    const QByteArray header = UninstallLog::headerLine(format).toUtf8();
    QByteArray line = device.readLine(header.size() + 3);
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line == header;
}

QString linkRefusal(const QString& absolutePath, const QString& link)
{
    const QString shown = QDir::toNativeSeparators(absolutePath);
    return QDir::cleanPath(link) == QDir::cleanPath(absolutePath)
               ? QObject::tr("LogPathIsLink").arg(shown)
               : QObject::tr("LogPathThroughLink").arg(shown, QDir::toNativeSeparators(link));
}

} // namespace

QString UninstallLog::refusal(const QString& path, const QString& installLocation, Format format)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(absolute);
    // Windows' answer for a path that is not there is "a link" (failing
    // closed): only an entry that exists is asked.
    if (Platform::entryExists(absolute) && Platform::isLinkOrJunction(absolute))
        return QObject::tr("LogPathIsLink").arg(shown);
    const QFileInfo info(absolute);
    if (info.exists() && !info.isFile())
        return QObject::tr("LogPathNotAFile").arg(shown);
    // Inside the install folder first: through a link too, that is the
    // graver reason.
    const QString inside = insideRefusal(absolute, installLocation);
    if (!inside.isEmpty())
        return inside;
    const QString link = firstLinkOnTheWay(absolute);
    if (!link.isEmpty())
        return linkRefusal(absolute, link);
    if (info.exists() && info.size() > 0) {
        QFile existing(absolute);
        if (!existing.open(QIODevice::ReadOnly | QIODevice::Text))
            return QObject::tr("LogPathNotWritable").arg(shown, existing.errorString());
        if (!beginsAsLog(existing, format))
            return QObject::tr("LogPathNotALog").arg(shown);
    }
    return QString();
}

QString UninstallLog::insideRefusal(const QString& path, const QString& installLocation)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const Engine::PathRules rules = Engine::hostPathRules();
    const QString location = Engine::normalizedPath(installLocation.trimmed(), rules);
    if (!Engine::isAbsoluteLocation(location, rules))
        return QString(); // nothing there is removed
    const QString refused =
        QObject::tr("LogPathInsideInstallFolder")
            .arg(QDir::toNativeSeparators(absolute), QDir::toNativeSeparators(location));
    const QString resolvedLocation = Platform::resolvedPath(Engine::removalPath(location));
    const QStringList folders{Engine::normalizedPath(QFileInfo(absolute).absolutePath(), rules),
                              Engine::normalizedPath(resolvedFolderOf(absolute), rules)};
    for (const QString& folder : folders) {
        if (Engine::isSameOrAncestor(location, folder, rules.caseSensitivity) ||
            (!resolvedLocation.isEmpty() &&
             Engine::isSameOrAncestor(Engine::normalizedPath(resolvedLocation, rules), folder,
                                      rules.caseSensitivity)))
            return refused;
    }
    // The same folder under a second path (a bind mount; on Windows a
    // junction, a subst drive or a volume mounted in a folder as well as
    // at its drive) has other words but the same identity: the folders
    // holding the log, as written and as resolved, are compared by what
    // they are, each up to its root.
    const Platform::FileIdentity installFolder =
        Platform::fileIdentity(Engine::removalPath(location));
    if (!installFolder.valid)
        return QString(); // nothing there to be removed
    const QString logFolder = QFileInfo(absolute).absolutePath();
    const QString resolvedFolder = resolvedFolderOf(absolute);
    QStringList above = selfAndAbove(logFolder);
    if (resolvedFolder != logFolder)
        above << selfAndAbove(resolvedFolder);
    for (const QString& folder : above) {
        if (Platform::fileIdentity(folder) == installFolder)
            return refused;
    }
    return QString();
}

bool UninstallLog::open(const QString& path, QString* error)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(absolute);
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const Platform::AppendFile opened = Platform::openForAppending(absolute);
    switch (opened.outcome) {
    case Platform::AppendFile::Outcome::ThroughLink:
        return fail(linkRefusal(absolute, opened.at));
    case Platform::AppendFile::Outcome::NotAFile:
        return fail(QObject::tr("LogPathNotAFile").arg(shown));
    case Platform::AppendFile::Outcome::OtherOwner:
        // Refused rather than replaced: removing the file would take
        // another user's from them (an earlier log of a colleague's on a
        // share), and appending to it would hand them this run's record to
        // read and change. The run ends before anything is removed, so the
        // administrator chooses another path.
        return fail(QObject::tr("LogPathOtherUser").arg(shown));
    case Platform::AppendFile::Outcome::Failed:
        return fail(
            QObject::tr("LogPathNotWritable").arg(shown, Platform::systemErrorText(opened.error)));
    case Platform::AppendFile::Outcome::Opened:
        break;
    }
    QMutexLocker lock(&m_mutex);
    m_file.close();
    m_path = absolute;
    // Unbuffered: the first line is read where the file begins, then every
    // write goes to its end.
    if (!m_file.open(opened.descriptor,
                     QIODevice::ReadWrite | QIODevice::Text | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle))
        return fail(QObject::tr("LogPathNotWritable").arg(shown, m_file.errorString()));
    if (m_file.size() > 0) {
        // Read from the file opened, not by name again: what is appended
        // to is what was read.
        if (!m_file.seek(0) || !beginsAsLog(m_file, m_format)) {
            m_file.close();
            return fail(QObject::tr("LogPathNotALog").arg(shown));
        }
    } else {
        const QByteArray header = (headerLine(m_format) + QLatin1Char('\n')).toUtf8();
        if (m_file.write(header) != header.size()) {
            const QString reason = m_file.errorString();
            m_file.close();
            return fail(QObject::tr("LogPathNotWritable").arg(shown, reason));
        }
    }
    // What was written while it was held, in its order and with its times.
    m_holding = false;
    writeLines(std::exchange(m_held, QByteArray()));
    return true;
}

QStringList UninstallLog::defaultFolders()
{
    // Windows' own temporary folder first, as Inno Setup's logs go there:
    // an administrator finds every run's log in one place. Then the user's.
    QStringList folders;
    const QString systemRoot = qEnvironmentVariable("SystemRoot");
    if (!systemRoot.isEmpty())
        folders << QDir::fromNativeSeparators(systemRoot) + QStringLiteral("/Temp");
    // Empty when the folder TMPDIR names is not there: no log then, rather
    // than one at the root.
    const QString temp = QDir::tempPath();
    if (!temp.isEmpty())
        folders << temp;
    return folders;
}

bool UninstallLog::openNew(const QString& folder, QString* error)
{
    // The folder as resolved: a link in the temporary folder's path is the
    // system's or the administrator's, and the new file is reopened below
    // only where no link is on the way.
    const QString resolved = Platform::resolvedPath(folder);
    QTemporaryFile created(
        (resolved.isEmpty() ? folder : resolved) + QLatin1String("/uninstaller-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
        QLatin1String("-XXXXXX.log"));
    created.setAutoRemove(false);
    if (!created.open()) {
        if (error)
            *error =
                QObject::tr("LogPathNotWritable")
                    .arg(QDir::toNativeSeparators(created.fileTemplate()), created.errorString());
        return false;
    }
    const QString name = created.fileName();
    created.close();
    return open(name, error);
}

} // namespace appinstaller
