#include "uninstalllog.h"

#include "engine/removalguard.h"
#include "platform/platform.h"

#include <QDir>
#include <QJsonArray>
#include <QMutexLocker>

// The removal's events as lines of the log: their words in the text log,
// their stable codes in the JSON one.

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
    case LeftoverReason::NotOwnFolder:
        return QStringLiteral("not-own-folder");
    case LeftoverReason::Lookalike:
        return QStringLiteral("looks-like-product");
    case LeftoverReason::ManifestNotFound:
        return QStringLiteral("manifest-lists-nothing-here");
    case LeftoverReason::StillThere:
        return QStringLiteral("still-there");
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
    case LocationVerdict::NotOwnFolder:
        return QStringLiteral("not-own-folder");
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

} // namespace

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
    case LeftoverReason::NotOwnFolder:
        return QStringLiteral("the folder is not one of the product's own (its name does not name "
                              "the product): without its install manifest the uninstaller cannot "
                              "tell the product's files from the user's, so nothing of it goes");
    case LeftoverReason::ManifestNotUsed:
    case LeftoverReason::ManifestOtherProduct:
        return QStringLiteral("the install manifest cannot be trusted: nothing of the install "
                              "folder goes");
    case LeftoverReason::ManifestLineRefused:
        return QStringLiteral("a line of the install manifest cannot be used");
    case LeftoverReason::Lookalike:
        return QStringLiteral("it holds the client program and looks like the product's folder, "
                              "but the uninstall entry does not record it: never removed");
    case LeftoverReason::ManifestNotFound:
        return QStringLiteral("the product's files were not found where the install manifest "
                              "says: nothing it lists is in this folder, so nothing of it goes");
    case LeftoverReason::StillThere:
        return QStringLiteral("still there after the removal, though the uninstall entry, "
                              "AppConfig.xml or the install manifest names it as the product's");
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
    case LocationVerdict::NotOwnFolder:
        return QStringLiteral("not a folder of the product's own: the product is in it, but its "
                              "name does not name the product, so it may hold the user's things "
                              "too; only the install manifest can tell them apart");
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
    if (!isOpen() && !holding())
        return; // nothing to look up for a log that is not written
    const QString path = QDir::toNativeSeparators(event.path);
    const QString item = itemCode(event.item);
    const QString holders =
        event.detail.isEmpty() ? QString() : QStringLiteral("; ") + event.detail;
    switch (event.kind) {
    case RemovalEvent::Kind::Location: {
        QMutexLocker lock(&m_mutex);
        m_location = event.path;
    }
        describeLocation(event.path, event.detail);
        return;
    case RemovalEvent::Kind::Verdict:
        verdictEvent(event);
        return;
    case RemovalEvent::Kind::Removed:
        removedEvent(event);
        return;
    case RemovalEvent::Kind::Kept:
        // A trial run's lines say what would be, never what was: a search
        // for what a run removed or kept finds no trial run.
        writeEvent(QStringLiteral("kept"),
                   {{QStringLiteral("item"), item},
                    {QStringLiteral("path"), path},
                    {QStringLiteral("reason"), reasonCode(event.reason)},
                    {QStringLiteral("error"), event.error},
                    // Another product's folder: whose; else who holds it open.
                    {event.reason == LeftoverReason::Shared ? QStringLiteral("products")
                                                            : QStringLiteral("holders"),
                     event.detail}},
                   {QStringLiteral("%1 %2: %3: %4%5%6")
                        .arg(trialRun() ? QStringLiteral("would keep") : QStringLiteral("kept"),
                             itemText(event.item), path, reasonText(event.reason),
                             errorText(event.error), holders)});
        return;
    case RemovalEvent::Kind::Scheduled:
        writeEvent(
            QStringLiteral("scheduled"),
            {{QStringLiteral("item"), item},
             {QStringLiteral("path"), path},
             {QStringLiteral("holders"), event.detail}},
            {(trialRun() ? QStringLiteral("would be scheduled for removal at the next restart: ")
                         : QStringLiteral("scheduled for removal at the next restart: ")) +
             path + holders});
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

void UninstallLog::verdictEvent(const RemovalEvent& event)
{
    {
        QMutexLocker lock(&m_mutex);
        m_verdict = event.verdict;
    }
    const QStringList grounds = event.detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    writeEvent(QStringLiteral("verdict"),
               {{QStringLiteral("path"), QDir::toNativeSeparators(event.path)},
                {QStringLiteral("verdict"), verdictCode(event.verdict)},
                {QStringLiteral("grounds"), QJsonArray::fromStringList(grounds)}},
               QStringList{QStringLiteral("ownership of the install folder: ") +
                           verdictText(event.verdict)} +
                   grounds);
}

void UninstallLog::removedEvent(const RemovalEvent& event)
{
    QMutexLocker lock(&m_mutex);
    const bool nothingThere = event.item == RemovalEvent::Item::InstallFolder &&
                              m_verdict != Engine::LocationVerdict::Remove;
    lock.unlock();
    const QString path = QDir::toNativeSeparators(event.path);
    writeEvent(nothingThere ? QStringLiteral("nothing-there") : QStringLiteral("removed"),
               {{QStringLiteral("item"), itemCode(event.item)}, {QStringLiteral("path"), path}},
               {nothingThere ? QStringLiteral("install folder: nothing there to remove")
                : trialRun() ? QStringLiteral("would remove %1: %2").arg(itemText(event.item), path)
                             : QStringLiteral("removed %1: %2").arg(itemText(event.item), path)});
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
