#include "outcome.h"

#include "removalguard.h"

#include <QRegularExpression>

#include <algorithm>

namespace appinstaller
{

bool isLeftOver(const LeftoverItem& item)
{
    switch (item.reason) {
    case LeftoverReason::NotListed:
    case LeftoverReason::NotOnlyShortcuts:
    case LeftoverReason::Lookalike:
        return false;
    default:
        return true;
    }
}

bool isEarlierEntry(const SharingProduct& product, const QString& nameEN, const QString& nameCH)
{
    // What may follow the name: a version, "v", an architecture.
    static const QRegularExpression suffix(
        QStringLiteral("^(?:\\d|v|ver|version|x64|x86|amd64|arm64|bit)*$"));
    const QString shown =
        Engine::comparableName(product.name.isEmpty() ? product.entry : product.name);
    for (const QString& name : {nameEN, nameCH}) {
        const QString own = Engine::comparableName(name);
        if (!own.isEmpty() && shown.startsWith(own) &&
            suffix.match(shown.mid(own.size())).hasMatch())
            return true;
    }
    return false;
}

bool Outcome::incomplete() const
{
    return std::any_of(m_items.begin(), m_items.end(), [](const LeftoverItem& item) {
        return !item.bScheduled && isLeftOver(item);
    });
}

namespace
{

// "remove 'Other Tool' first (its uninstall entry {…}), then run the
// uninstaller again", for each other product known by its entry; the run
// again only where it can remove the folder once the others are gone.
template <typename Add> void sharedSteps(const LeftoverItem& item, const Add& add)
{
    const QString then = item.bUnproved
                             ? QStringLiteral("; nothing proves the folder to be the product's "
                                              "either: remove its files by hand, then run the "
                                              "uninstaller again to clear its entry")
                             : QStringLiteral(", then run the uninstaller again");
    const QVector<SharingProduct> products =
        item.sharedWith.isEmpty() ? QVector<SharingProduct>{SharingProduct()} : item.sharedWith;
    for (const SharingProduct& product : products) {
        if (product.earlierEntry)
            add(QStringLiteral("the uninstall entry %1 carries this product's own name%2 and "
                               "records the same folder: an earlier installation left it behind, "
                               "it is no other program to remove first; delete that registry key "
                               "by hand")
                    .arg(product.key.isEmpty() ? product.entry : product.key,
                         product.name.isEmpty() ? QString()
                                                : QStringLiteral(" ('%1')").arg(product.name)) +
                then);
        else if (product.entry.isEmpty())
            add(QStringLiteral("remove the other product named above first (from its own "
                               "uninstall entry)") +
                then);
        else if (product.name.isEmpty())
            add(QStringLiteral("remove the product of the uninstall entry %1 first")
                    .arg(product.entry) +
                then);
        else
            add(QStringLiteral("remove '%1' first (its uninstall entry %2)")
                    .arg(product.name, product.entry) +
                then);
    }
}

} // namespace

bool Outcome::restartNeeded() const
{
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const LeftoverItem& item) { return item.bScheduled; });
}

QStringList Outcome::nextSteps() const
{
    QStringList steps;
    const auto add = [&steps](const QString& step) {
        if (!steps.contains(step))
            steps << step;
    };
    for (const LeftoverItem& item : m_items) {
        if (item.bScheduled || !isLeftOver(item))
            continue;
        switch (item.reason) {
        case LeftoverReason::NotRemoved:
            add(QStringLiteral("close the programs that hold what is named above (or restart "
                               "Windows), then run the uninstaller again"));
            break;
        case LeftoverReason::Shared:
            sharedSteps(item, add);
            break;
        case LeftoverReason::OtherFileSystem:
            add(QStringLiteral("detach the disk or share mounted inside the install folder, then "
                               "run the uninstaller again"));
            break;
        case LeftoverReason::NotProducts:
            add(QStringLiteral("the folder the uninstall entry names does not prove to be the "
                               "product's: ship the install manifest beside the uninstaller, or "
                               "remove the product's files by hand, then run the uninstaller "
                               "again to clear its entry"));
            break;
        case LeftoverReason::NotOwnFolder:
            add(QStringLiteral("the product was installed into a folder that is not one of its "
                               "own and may hold other things: put the product's install "
                               "manifest beside the uninstaller and run it again, or remove the "
                               "product's files from the folder by hand"));
            break;
        case LeftoverReason::Refused:
        case LeftoverReason::NotFound:
            add(QStringLiteral("the uninstall entry does not name the product's folder: find the "
                               "product's files by hand (a folder named above may hold them); "
                               "running the uninstaller again changes nothing"));
            break;
        case LeftoverReason::ManifestNotUsed:
        case LeftoverReason::ManifestOtherProduct:
        case LeftoverReason::ManifestLineRefused:
            add(QStringLiteral("correct or replace the install manifest named above, then run the "
                               "uninstaller again"));
            break;
        case LeftoverReason::ManifestNotFound:
            add(QStringLiteral("the uninstall entry records a folder in which nothing the install "
                               "manifest lists is found: correct the entry's InstallLocation to "
                               "the product's folder, or remove the product's files by hand, "
                               "then run the uninstaller again"));
            break;
        case LeftoverReason::StillThere:
            add(QStringLiteral("what is named above is still there although it was to go: remove "
                               "it by hand, then run the uninstaller again to clear its entry"));
            break;
        case LeftoverReason::SharedFolder:
            add(QStringLiteral("remove the product's shortcuts from the shared start-menu folder "
                               "named above by hand"));
            break;
        default:
            break;
        }
    }
    return steps;
}

bool Outcome::laterRunMayFinish() const
{
    return std::all_of(m_items.begin(), m_items.end(), [](const LeftoverItem& item) {
        return !isLeftOver(item) || item.reason == LeftoverReason::NotRemoved ||
               item.reason == LeftoverReason::EntryKept;
    });
}

} // namespace appinstaller
