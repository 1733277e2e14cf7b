#include "uninstalllog.h"

#include "config/appconfigmanager.h"
#include "engine/removalguard.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <algorithm>

namespace appinstaller
{

namespace
{

// Stable names for the JSON log (README, "The log"): never changed.
QString itemCode(RemovalEvent::Item item)
{
    switch (item) {
    case RemovalEvent::Item::InstallFolder:
        return QStringLiteral("install-folder");
    case RemovalEvent::Item::InFolder:
        return QStringLiteral("in-install-folder");
    case RemovalEvent::Item::Shortcut:
        return QStringLiteral("shortcut");
    case RemovalEvent::Item::StartMenuFolder:
        return QStringLiteral("start-menu-folder");
    case RemovalEvent::Item::Entry:
        return QStringLiteral("uninstall-entry");
    }
    return QString();
}

QString reasonCode(LeftoverReason reason)
{
    switch (reason) {
    case LeftoverReason::NotRemoved:
        return QStringLiteral("refused-by-system");
    case LeftoverReason::Refused:
        return QStringLiteral("protected-location");
    case LeftoverReason::NotProducts:
        return QStringLiteral("not-proved");
    case LeftoverReason::Shared:
        return QStringLiteral("another-product");
    case LeftoverReason::OtherFileSystem:
        return QStringLiteral("other-file-system");
    case LeftoverReason::NotOnlyShortcuts:
        return QStringLiteral("holds-user-files");
    case LeftoverReason::SharedFolder:
        return QStringLiteral("shared-start-menu-folder");
    case LeftoverReason::EntryKept:
        return QStringLiteral("entry-kept");
    case LeftoverReason::NotFound:
        return QStringLiteral("not-found");
    case LeftoverReason::ManifestNotUsed:
        return QStringLiteral("manifest-untrusted");
    case LeftoverReason::ManifestOtherProduct:
        return QStringLiteral("manifest-other-product");
    case LeftoverReason::ManifestLineRefused:
        return QStringLiteral("manifest-line-refused");
    case LeftoverReason::NotListed:
        return QStringLiteral("not-in-manifest");
    case LeftoverReason::PreInstall:
        return QStringLiteral("there-before-install");
    case LeftoverReason::Lookalike:
        return QStringLiteral("looks-like-product");
    }
    return QString();
}

QString verdictCode(Engine::LocationVerdict verdict)
{
    using Engine::LocationVerdict;
    switch (verdict) {
    case LocationVerdict::Remove:
        return QStringLiteral("remove");
    case LocationVerdict::Empty:
        return QStringLiteral("empty");
    case LocationVerdict::NotAbsolute:
        return QStringLiteral("not-absolute");
    case LocationVerdict::Root:
        return QStringLiteral("root");
    case LocationVerdict::Protected:
        return QStringLiteral("protected");
    case LocationVerdict::Unusual:
        return QStringLiteral("unusual-spelling");
    case LocationVerdict::NotOwned:
        return QStringLiteral("not-proved");
    case LocationVerdict::Shared:
        return QStringLiteral("shared");
    case LocationVerdict::OtherFileSystem:
        return QStringLiteral("other-file-system");
    case LocationVerdict::NotFound:
        return QStringLiteral("not-found");
    }
    return QString();
}

QString itemText(RemovalEvent::Item item)
{
    switch (item) {
    case RemovalEvent::Item::InstallFolder:
        return QStringLiteral("install folder");
    case RemovalEvent::Item::InFolder:
        return QStringLiteral("in the install folder");
    case RemovalEvent::Item::Shortcut:
        return QStringLiteral("shortcut");
    case RemovalEvent::Item::StartMenuFolder:
        return QStringLiteral("start-menu folder");
    case RemovalEvent::Item::Entry:
        return QStringLiteral("uninstall entry");
    }
    return QString();
}

QString errorText(int error)
{
    return error == 0 ? QString()
                      : QStringLiteral(" (system error %1: %2)")
                            .arg(error)
                            .arg(Platform::systemErrorText(error));
}

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

UninstallLog::UninstallLog(Format format)
    : m_format(format), m_runId(QStringLiteral("run-%1").arg(QRandomGenerator::global()->generate(),
                                                             8, 16, QLatin1Char('0')))
{
}

QString UninstallLog::headerLine(Format format)
{
    // Never changed: earlier logs are known by it. A JSON log's is JSON too,
    // so that every line of it parses.
    return format == Format::Json
               ? QStringLiteral("{\"log\":\"uninstaller\",\"format\":\"json-lines\",\"version\":1}")
               : QStringLiteral(
                     "# uninstaller log: UTF-8, each line below begins with its time (UTC)");
}

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
        return true;
    }
    const QByteArray header = (headerLine(m_format) + QLatin1Char('\n')).toUtf8();
    if (m_file.write(header) != header.size()) {
        const QString reason = m_file.errorString();
        m_file.close();
        return fail(QObject::tr("LogPathNotWritable").arg(shown, reason));
    }
    return true;
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

bool UninstallLog::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_file.isOpen();
}

QString UninstallLog::path() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

bool UninstallLog::intact() const
{
    QMutexLocker lock(&m_mutex);
    return m_intact;
}

void UninstallLog::write(const QString& text)
{
    writeEvent(QStringLiteral("note"), QJsonObject{{QStringLiteral("text"), text}}, {text});
}

void UninstallLog::writeEvent(const QString& code, const QJsonObject& fields,
                              const QStringList& text)
{
    QMutexLocker lock(&m_mutex);
    if (!m_file.isOpen())
        return;
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QByteArray lines;
    if (m_format == Format::Json) {
        QJsonObject object{{QStringLiteral("time"), time},
                           {QStringLiteral("run"), m_runId},
                           {QStringLiteral("event"), code}};
        if (m_trial)
            object.insert(QStringLiteral("trial"), true);
        for (auto it = fields.begin(); it != fields.end(); ++it)
            object.insert(it.key(), it.value());
        lines = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    } else {
        for (const QString& line : text)
            lines +=
                (time + QLatin1String("  ") + m_runId + QLatin1String("  ") +
                 (m_trial ? QLatin1String("trial: ") : QLatin1String()) + line + QLatin1Char('\n'))
                    .toUtf8();
    }
    // Flushed event by event: a run that is killed keeps its record so far.
    if (m_file.write(lines) != lines.size() || !m_file.flush())
        m_intact = false;
}

QString UninstallLog::reasonText(LeftoverReason reason)
{
    switch (reason) {
    case LeftoverReason::NotRemoved:
        return QStringLiteral("the system refused to remove it");
    case LeftoverReason::Refused:
        return QStringLiteral("a folder the user or the system needs, or a location that names "
                              "none safely");
    case LeftoverReason::NotProducts:
        return QStringLiteral("nothing in it proves it is the product's folder");
    case LeftoverReason::Shared:
        return QStringLiteral("another program's uninstall entry names it or a folder in it");
    case LeftoverReason::OtherFileSystem:
        return QStringLiteral("another disk or file system is mounted there");
    case LeftoverReason::NotOnlyShortcuts:
        return QStringLiteral("it holds more than the product's shortcuts");
    case LeftoverReason::SharedFolder:
        return QStringLiteral("a start-menu folder that Windows or many programs share");
    case LeftoverReason::EntryKept:
        return QStringLiteral("kept while anything of the product stays");
    case LeftoverReason::NotFound:
        return QStringLiteral("the product's files are not where the entry says");
    case LeftoverReason::NotListed:
        return QStringLiteral("not in the install manifest: not the product's");
    case LeftoverReason::PreInstall:
        return QStringLiteral("there, unchanged, before the product was installed: the user's");
    case LeftoverReason::ManifestNotUsed:
    case LeftoverReason::ManifestOtherProduct:
        return QStringLiteral("the install manifest cannot be trusted: nothing of the install "
                              "folder goes");
    case LeftoverReason::ManifestLineRefused:
        return QStringLiteral("a line of the install manifest cannot be used");
    case LeftoverReason::Lookalike:
        return QStringLiteral("it holds the client program and looks like the product's folder, "
                              "but the uninstall entry does not record it: never removed");
    }
    return QString();
}

QString UninstallLog::verdictText(Engine::LocationVerdict verdict)
{
    using Engine::LocationVerdict;
    switch (verdict) {
    case LocationVerdict::Remove:
        return QStringLiteral("remove: it proves to be the product's folder");
    case LocationVerdict::Empty:
        return QStringLiteral("nothing to remove: no location recorded");
    case LocationVerdict::NotAbsolute:
        return QStringLiteral("refused: not an absolute path");
    case LocationVerdict::Root:
        return QStringLiteral("refused: a file-system or drive root");
    case LocationVerdict::Protected:
        return QStringLiteral("refused: a folder the user or the system needs, or a parent of one");
    case LocationVerdict::Unusual:
        return QStringLiteral("refused: a spelling Windows reads otherwise than it is written");
    case LocationVerdict::NotOwned:
        return QStringLiteral("not proved: the client program is not at its top, nor is this "
                              "uninstaller as the uninstall entry names it");
    case LocationVerdict::Shared:
        return QStringLiteral("refused: another product's uninstall entry names it or a folder "
                              "in it");
    case LocationVerdict::OtherFileSystem:
        return QStringLiteral("refused: a mount point, or on another file system than the "
                              "folder holding it");
    case LocationVerdict::NotFound:
        return QStringLiteral("refused: nothing there, or nothing that can be reached");
    }
    return QString();
}

void UninstallLog::removalEvent(const RemovalEvent& event)
{
    if (!isOpen())
        return; // nothing to look up for a log that is not written
    const QString path = QDir::toNativeSeparators(event.path);
    const QString item = itemCode(event.item);
    switch (event.kind) {
    case RemovalEvent::Kind::Location: {
        QMutexLocker lock(&m_mutex);
        m_location = event.path;
    }
        describeLocation(event.path, event.detail);
        return;
    case RemovalEvent::Kind::Verdict: {
        {
            QMutexLocker lock(&m_mutex);
            m_verdict = event.verdict;
        }
        const QStringList grounds = event.detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        writeEvent(QStringLiteral("verdict"),
                   {{QStringLiteral("path"), path},
                    {QStringLiteral("verdict"), verdictCode(event.verdict)},
                    {QStringLiteral("grounds"), QJsonArray::fromStringList(grounds)}},
                   QStringList{QStringLiteral("ownership of the install folder: ") +
                               verdictText(event.verdict)} +
                       grounds);
        return;
    }
    case RemovalEvent::Kind::Removed: {
        QMutexLocker lock(&m_mutex);
        const bool nothingThere = event.item == RemovalEvent::Item::InstallFolder &&
                                  m_verdict != Engine::LocationVerdict::Remove;
        lock.unlock();
        writeEvent(nothingThere ? QStringLiteral("nothing-there") : QStringLiteral("removed"),
                   {{QStringLiteral("item"), item}, {QStringLiteral("path"), path}},
                   {nothingThere
                        ? QStringLiteral("install folder: nothing there to remove")
                        : QStringLiteral("removed %1: %2").arg(itemText(event.item), path)});
        return;
    }
    case RemovalEvent::Kind::Kept:
        writeEvent(
            QStringLiteral("kept"),
            {{QStringLiteral("item"), item},
             {QStringLiteral("path"), path},
             {QStringLiteral("reason"), reasonCode(event.reason)},
             {QStringLiteral("error"), event.error},
             {QStringLiteral("holders"), event.detail}},
            {QStringLiteral("kept %1: %2: %3%4%5")
                 .arg(itemText(event.item), path, reasonText(event.reason), errorText(event.error),
                      event.detail.isEmpty() ? QString() : QStringLiteral("; ") + event.detail)});
        return;
    case RemovalEvent::Kind::Scheduled:
        writeEvent(QStringLiteral("scheduled"),
                   {{QStringLiteral("item"), item},
                    {QStringLiteral("path"), path},
                    {QStringLiteral("holders"), event.detail}},
                   {QStringLiteral("scheduled for removal at the next restart: ") + path +
                    (event.detail.isEmpty() ? QString() : QStringLiteral("; ") + event.detail)});
        return;
    case RemovalEvent::Kind::Note:
        writeEvent(QStringLiteral("note"),
                   {{QStringLiteral("path"), path}, {QStringLiteral("text"), event.detail}},
                   {event.detail});
        return;
    case RemovalEvent::Kind::Manifest:
    case RemovalEvent::Kind::ManifestLine:
        writeEvent(event.kind == RemovalEvent::Kind::Manifest ? QStringLiteral("manifest")
                                                              : QStringLiteral("manifest-line"),
                   {{QStringLiteral("path"), path}, {QStringLiteral("detail"), event.detail}},
                   {QStringLiteral("install manifest %1: %2").arg(path, event.detail)});
        return;
    }
}

void UninstallLog::describeLocation(const QString& location, const QString& source)
{
    const QString resolved = location.trimmed().isEmpty()
                                 ? QString()
                                 : Platform::resolvedPath(Engine::removalPath(location));
    QStringList text{
        QStringLiteral("install location as recorded: \"%1\" (%2)").arg(location, source)};
    if (!location.trimmed().isEmpty())
        text << (resolved.isEmpty() ? QStringLiteral("install location as resolved: nothing there")
                                    : QStringLiteral("install location as resolved: ") +
                                          QDir::toNativeSeparators(resolved));
    writeEvent(QStringLiteral("location"),
               {{QStringLiteral("recorded"), location},
                {QStringLiteral("source"), source},
                {QStringLiteral("resolved"), QDir::toNativeSeparators(resolved)}},
               text);
}

} // namespace appinstaller
