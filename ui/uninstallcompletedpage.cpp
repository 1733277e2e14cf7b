#include "uninstallcompletedpage.h"

#include "shownnames.h"
#include "ui_LeftoverDetailsUI.h"
#include "ui_UnInstallCompletedUI.h"

#include "config/appconfigmanager.h"

#include <QClipboard>
#include <QCollator>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <algorithm>
#include <climits>

namespace appinstaller
{

namespace
{

// At most this many paths of one reason are named; the rest are counted.
constexpr int kNamedPaths = 5;
// Paths are shortened down to this width at most, however little room.
constexpr int kMinPathWidth = 80;
const QString kDetailsLink = QStringLiteral("#details");
// Between two characters: no line break there, and nothing drawn.
constexpr QChar kWordJoiner(0x2060);
constexpr QChar kEllipsis(0x2026);

// text as one word for the line breaker: no break at its spaces, after its
// separators or between its Chinese characters.
QString oneLine(const QString& text)
{
    QString joined;
    joined.reserve(2 * text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (i > 0 && !text.at(i).isLowSurrogate())
            joined += kWordJoiner;
        joined += text.at(i) == QLatin1Char(' ') ? QChar(QChar::Nbsp) : text.at(i);
    }
    return joined;
}

// The separator path is written with.
QChar separatorOf(const QString& path)
{
    if (path.contains(QLatin1Char('\\')))
        return QLatin1Char('\\');
    return path.contains(QLatin1Char('/')) ? QLatin1Char('/') : QDir::separator();
}

// Whether a comes before b as a person counts: the numbers in names by
// their value ("file 2" before "file 10"), the rest by the system's
// collation without regard to case. QCollator's numeric mode alone does not
// do it where Qt collates without ICU.
bool naturallyBefore(const QString& a, const QString& b)
{
    static const QRegularExpression chunk(QStringLiteral("\\d+|\\D+"));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto left = chunk.globalMatch(a);
    auto right = chunk.globalMatch(b);
    while (left.hasNext() && right.hasNext()) {
        const QString x = left.next().captured();
        const QString y = right.next().captured();
        const bool bNumbers = x.at(0).isDigit() && y.at(0).isDigit();
        if (bNumbers) {
            const QString xs = x.mid(x.indexOf(QRegularExpression(QStringLiteral("[^0]|0$"))));
            const QString ys = y.mid(y.indexOf(QRegularExpression(QStringLiteral("[^0]|0$"))));
            if (xs.size() != ys.size())
                return xs.size() < ys.size();
            if (xs != ys)
                return xs < ys;
            continue;
        }
        const int iOrder = collator.compare(x, y);
        if (iOrder != 0)
            return iOrder < 0;
    }
    if (left.hasNext() != right.hasNext())
        return right.hasNext();
    return a < b;
}

} // namespace

UnInstallCompletedPage::UnInstallCompletedPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::UnInstallCompletedUI>())
{
    m_ui->setupUi(this);
    // An image, not a control: never in the tab order.
    m_ui->m_pIconToolBtn->setFocusPolicy(Qt::NoFocus);
    m_ui->m_pInstallInfoLabel->setAccessibleName(tr("Result"));
    m_strCompleted = m_ui->m_pInstallInfoLabel->text();
    // The note of what stayed lies outside the form's layouts, left of the
    // button (placeNote()); hidden while there is nothing to report. The
    // system's font and size: a user who made text bigger gets it here.
    m_pNote = new QLabel(m_ui->m_pBottomWidget);
    QLabel* pNote = m_pNote;
    pNote->setObjectName(QStringLiteral("m_pLeftoverLabel"));
    pNote->setStyleSheet(QStringLiteral("color: rgba(0,0,0,0.65);"));
    pNote->setTextFormat(Qt::RichText);
    pNote->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    pNote->setWordWrap(true);
    pNote->setTextInteractionFlags(Qt::LinksAccessibleByKeyboard | Qt::LinksAccessibleByMouse);
    pNote->hide();
    pNote->setAccessibleName(tr("Items not removed"));
    connect(pNote, &QLabel::linkActivated, this, &UnInstallCompletedPage::showDetails);

    connect(m_ui->m_pUpperWidget, &UpperWidget::signalClose, this,
            &UnInstallCompletedPage::signalClose);
    connect(m_ui->m_pCompletedBtn, &QAbstractButton::clicked, this,
            &UnInstallCompletedPage::onCompletedBtnClicked);
}

UnInstallCompletedPage::~UnInstallCompletedPage() = default;

void UnInstallCompletedPage::showLeftovers(const QVector<LeftoverItem>& leftovers)
{
    groupLeftovers(leftovers);
    const Outcome outcome(leftovers);
    showHeadline(outcome.incomplete());
    QLabel* pNote = m_pNote;
    QStringList all;
    for (const Group& group : qAsConst(m_groups))
        all << group.paths;
    pNote->setToolTip(all.join(QLatin1Char('\n')));
    pNote->clear();
    // A trial run's note also says what would go and where its log is.
    const bool bNote = !leftovers.isEmpty() || m_bTrialRun;
    pNote->setVisible(bNote);
    if (!bNote)
        return;
    // The form's geometry, also on a page not shown yet: the note is fitted
    // to the room it gets there.
    for (QLayout* pLayout : {m_ui->gridLayout_2, m_ui->gridLayout, m_ui->gridLayout_3}) {
        pLayout->invalidate();
        pLayout->activate();
    }
    placeNote();

    // Screen readers get every sentence with every path, whatever is shown.
    pNote->ensurePolished();
    const QFontMetrics metrics = pNote->fontMetrics();
    bool bComplete = true;
    QStringList full;
    for (const Group& group : qAsConst(m_groups))
        full << describe(group, group.paths.size(), {metrics, QWIDGETSIZE_MAX, false}, bComplete);
    pNote->setAccessibleDescription(full.join(QLatin1Char(' ')));
    m_strLead.clear();
    m_strTail.clear();
    if (m_bTrialRun) {
        const int iEntries = int(qMin<quint64>(m_wouldGo.entries, INT_MAX));
        m_strLead = (iEntries == 0 ? tr("Nothing would be removed from the install folder.")
                                   : tr("Would remove %n item(s) (%1).", "", iEntries)
                                         .arg(QLocale().formattedDataSize(qint64(m_wouldGo.bytes))))
                        .toHtmlEscaped();
        bool bComplete = true;
        if (!m_strLogPath.isEmpty())
            m_strTail = QLatin1Char(' ') +
                        tr("Log: %1.", "where the trial run's log is")
                            .arg(shown(QDir::toNativeSeparators(m_strLogPath),
                                       {metrics, pNote->width() * 2 / 3, true}, bComplete))
                            .toHtmlEscaped();
        pNote->setAccessibleDescription(m_strLead + QLatin1Char(' ') +
                                        pNote->accessibleDescription() + m_strTail);
        if (leftovers.isEmpty()) {
            fits(m_strLead + m_strTail);
            return;
        }
    }

    // In the product's red, a shade darker than its buttons, not the system's link blue.
    const QString strLink = QStringLiteral(" <a href=\"%1\" style=\"color:#C8262D;\">%2</a>")
                                .arg(kDetailsLink, tr("Details", "opens the list of what stayed"));
    if (!fittedNote(strLink).isEmpty())
        return;
    // Without the log's path, which the details give too, rather than
    // without the reasons.
    if (!m_strTail.isEmpty()) {
        m_strTail.clear();
        if (!fittedNote(strLink).isEmpty())
            return;
    }
    // Too little room for even one reason: a count of everything.
    const QString strCount =
        m_bTrialRun            ? tr("%n item(s) would stay.", "", m_iItems)
        : outcome.incomplete() ? tr("%n item(s) could not be removed.", "", m_iItems)
        : outcome.restartNeeded()
            ? tr("%n item(s) will be removed when Windows restarts.", "", m_iItems)
            : tr("%n item(s) kept.", "", m_iItems);
    const QString strLead = m_strLead.isEmpty() ? QString() : m_strLead + QLatin1Char(' ');
    if (!fits(strLead + strCount.toHtmlEscaped() + strLink + m_strTail) &&
        !fits(strLead + strCount.toHtmlEscaped() + strLink))
        fits(strLink.trimmed());
}

void UnInstallCompletedPage::groupLeftovers(const QVector<LeftoverItem>& leftovers)
{
    // Grouped by why they stayed, in the order the reasons are first met.
    m_groups.clear();
    m_iItems = leftovers.size();
    m_bLaterRunMayFinish = Outcome(leftovers).laterRunMayFinish();
    for (const LeftoverItem& item : leftovers) {
        const int iKey = item.bScheduled ? -1 : static_cast<int>(item.reason);
        auto group = std::find_if(m_groups.begin(), m_groups.end(),
                                  [iKey](const Group& g) { return g.iKey == iKey; });
        if (group == m_groups.end()) {
            m_groups.append({iKey, QStringList(), QDir::toNativeSeparators(item.strFolder),
                             QStringList(), QStringList(), QStringList(), false});
            group = m_groups.end() - 1;
        }
        group->paths << QDir::toNativeSeparators(item.strPath);
        group->holders << item.holders;
        for (const SharingProduct& product : item.sharedWith) {
            const QString strKey = product.key.isEmpty() ? product.entry : product.key;
            if (product.earlierEntry && !group->earlierKeys.contains(strKey))
                group->earlierKeys << strKey;
            else if (!product.earlierEntry && !product.shown().isEmpty() &&
                     !group->products.contains(product.shown()))
                group->products << product.shown();
        }
        group->bUnproved = group->bUnproved || item.bUnproved;
    }
}

void UnInstallCompletedPage::showHeadline(bool bIncomplete)
{
    m_ui->m_pInstallInfoLabel->setText(m_bTrialRun   ? tr("Trial run: nothing was removed")
                                       : bIncomplete ? tr("Uninstall incomplete")
                                                     : m_strCompleted);
    m_ui->m_pInstallInfoLabel->setStyleSheet(bIncomplete ? QStringLiteral("color: #D46B08;")
                                                         : QString());
    // The page's own sheet wins over the application's for this one button.
    m_ui->m_pIconToolBtn->setStyleSheet(
        bIncomplete
            ? QStringLiteral("border-image:url(:/Uninstall/Images/common_feedback_warning_lg.svg);")
            : QString());
}

QString UnInstallCompletedPage::fittedNote(const QString& strLink)
{
    // The most that fits in whole lines, reason by reason in their order:
    // each sentence with as many of its paths as fit, shortened in their
    // folders before any is left out; a reason that no longer fits ends the
    // note with a count of the rest. Whatever is not shown in full is a
    // click away.
    const QFontMetrics metrics = m_pNote->fontMetrics();
    QString strShown = m_strLead; // a trial run's: what would go
    bool bShownComplete = true;
    int iRest = m_iItems; // the items of the reasons after the last shown
    const auto ending = [&](bool bComplete) -> QString {
        QString strEnd;
        if (iRest > 0)
            strEnd = QLatin1Char(' ') + (m_bTrialRun ? tr("%n more item(s) would stay.", "", iRest)
                                                     : tr("%n more item(s) stayed.", "", iRest))
                                            .toHtmlEscaped();
        return (bComplete && iRest == 0 ? strEnd : strEnd + strLink) + m_strTail;
    };
    for (const Group& group : qAsConst(m_groups)) {
        iRest -= group.paths.size();
        QString strNext;
        for (int iNames = qMin(group.paths.size(), kNamedPaths); iNames >= 0 && strNext.isEmpty();
             --iNames) {
            for (int iWidth = m_pNote->width();; iWidth = iWidth * 3 / 4) {
                bool bComplete = bShownComplete;
                const QString strSentence =
                    describe(group, iNames, {metrics, iWidth, true}, bComplete).toHtmlEscaped();
                const QString strText =
                    strShown.isEmpty() ? strSentence : strShown + QLatin1Char(' ') + strSentence;
                if (fits(strText + ending(bComplete))) {
                    strNext = strText;
                    bShownComplete = bComplete;
                    break;
                }
                if (iWidth <= kMinPathWidth)
                    break;
            }
        }
        if (strNext.isEmpty()) {
            iRest += group.paths.size();
            break;
        }
        strShown = strNext;
    }
    if (strShown == m_strLead)
        return QString(); // not even one reason
    fits(strShown + ending(bShownComplete));
    return strShown;
}

void UnInstallCompletedPage::placeNote()
{
    // From the form's left margin to the button, less twice the form's
    // spacing; from the result line's foot to a spacing below the button's:
    // four lines of the system's font, Chinese included.
    const QGridLayout* pGrid = m_ui->gridLayout_3;
    const int iSpacing = pGrid->spacing();
    const QRect button = m_ui->m_pCompletedBtn->geometry();
    const QRect result = m_ui->horizontalLayout_6->geometry();
    m_pNote->setGeometry(
        QRect(QPoint(pGrid->contentsMargins().left(), result.bottom() + 1),
              QPoint(button.left() - 1 - 2 * iSpacing, button.bottom() + iSpacing)));
}

bool UnInstallCompletedPage::fits(const QString& strText) const
{
    QLabel* pNote = m_pNote;
    pNote->setText(strText);
    return pNote->heightForWidth(pNote->width()) <= pNote->height();
}

void UnInstallCompletedPage::showDetails()
{
    if (!m_pDetailsDialog) {
        // A card of its own, as the program's other dialogs.
        m_pDetailsDialog = new QDialog(this, Qt::Dialog | Qt::FramelessWindowHint);
        auto* form = new Ui::LeftoverDetailsUI;
        form->setupUi(m_pDetailsDialog);
        m_pDetailsDialog->setObjectName(QStringLiteral("m_pLeftoverDetails"));
        m_pDetailsDialog->setStyleSheet(QStringLiteral(
            "QDialog#m_pLeftoverDetails { background: #FFFFFF; }"
            "#m_pCard { background: #FFFFFF; border: 1px solid #BFBFBF; border-radius: 4px; }"
            "#m_pTitle { background: transparent; border: none; }"
            "QLabel#m_pIntroLabel { color: rgba(0, 0, 0, 0.85); font-size: 14px; "
            "font-weight: bold; }"
            "QPlainTextEdit#m_pListEdit { background: #FAFAFA; color: rgba(0, 0, 0, 0.85); "
            "border: none; border-radius: 4px; }"));
        form->m_pCloseBtn->setIcon(QIcon(QStringLiteral(":/Ulmora/Image/close.svg")));
        form->m_pCloseBtn->setIconSize(QSize(12, 12));
        form->m_pCloseBtn->setAccessibleName(tr("Close"));
        // Long paths wrap, anywhere if they must: no scroll bar across.
        form->m_pListEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_pDetailsDialog->setFixedSize(m_pDetailsDialog->size());
        // Rounded corners without translucency, which needs a compositor.
        QPainterPath corners;
        corners.addRoundedRect(QRectF(m_pDetailsDialog->rect()), 4, 4);
        m_pDetailsDialog->setMask(QRegion(corners.toFillPolygon().toPolygon()));
        connect(m_pDetailsDialog, &QObject::destroyed, [form] { delete form; });
        connect(form->m_pCopyBtn, &QAbstractButton::clicked, form->m_pListEdit, [form] {
            QGuiApplication::clipboard()->setText(
                withoutIsolation(form->m_pListEdit->toPlainText()));
        });
    }
    QStringList lines;
    const QFontMetrics metrics = fontMetrics();
    const PathStyle whole{metrics, QWIDGETSIZE_MAX, false};
    for (const Group& group : qAsConst(m_groups)) {
        bool bComplete = true;
        if (!lines.isEmpty())
            lines << QString();
        QStringList paths = group.paths;
        std::sort(paths.begin(), paths.end(), naturallyBefore);
        lines << describe(group, 0, whole, bComplete) << paths;
        for (const QString& strHolder : group.holders)
            lines << heldSentence(strHolder, whole, bComplete);
    }
    if (m_bTrialRun && !m_strLogPath.isEmpty())
        lines << QString()
              << tr("Log: %1.", "where the trial run's log is")
                     .arg(QDir::toNativeSeparators(m_strLogPath));
    const QString strHeading = detailsHeading();
    m_pDetailsDialog->setWindowTitle(strHeading);
    m_pDetailsDialog->findChild<QLabel*>(QStringLiteral("m_pIntroLabel"))->setText(strHeading);
    m_pDetailsDialog->findChild<QPlainTextEdit*>()->setPlainText(lines.join(QLatin1Char('\n')));
    m_pDetailsDialog->open();
}

QString UnInstallCompletedPage::detailsHeading() const
{
    if (m_bTrialRun)
        return tr("What a real uninstall would leave, and why:");
    const auto all = [this](std::initializer_list<int> keys) {
        return std::all_of(m_groups.begin(), m_groups.end(), [keys](const Group& group) {
            return std::find(keys.begin(), keys.end(), group.iKey) != keys.end();
        });
    };
    if (all({static_cast<int>(LeftoverReason::NotListed)}))
        return tr("Your files, which %1 did not install, were kept:")
            .arg(isolatedName(
                QString::fromStdString(AppConfigManager::getInstance()->getSoftwareNameEN())));
    if (all({-1}))
        return tr("These items will be removed when Windows restarts:");
    return tr("What stayed, and why:");
}

QString UnInstallCompletedPage::shortened(const QString& path, const QFontMetrics& metrics,
                                          int iWidth)
{
    if (metrics.horizontalAdvance(path) <= iWidth)
        return path;
    // Whole folders give way in the middle, from the last before the tail
    // up; the first part (the drive, the root) stays.
    const QChar separator = separatorOf(path);
    const QStringList parts = path.split(separator);
    const int iTail = parts.size() - 2;
    if (iTail <= 0)
        return path;
    const QString strTail = parts.mid(iTail).join(separator);
    const QString strGap = separator + QString(kEllipsis) + separator;
    for (int iHead = iTail - 1; iHead >= 1; --iHead) {
        const QString strShort = parts.mid(0, iHead).join(separator) + strGap + strTail;
        if (metrics.horizontalAdvance(strShort) <= iWidth)
            return strShort;
    }
    // Too narrow for any head: the tail alone, its names whole even where
    // that is wider.
    return QString(kEllipsis) + separator + strTail;
}

QString UnInstallCompletedPage::shown(const QString& path, const PathStyle& style, bool& bComplete)
{
    const QString strShort = shortened(path, style.metrics, qMax(style.iWidth, kMinPathWidth));
    bComplete = bComplete && strShort == path;
    return isolatedName(style.bOneLine ? oneLine(strShort) : strShort);
}

QString UnInstallCompletedPage::describe(const Group& group, int iNames, const PathStyle& style,
                                         bool& bComplete) const
{
    // These name no path: the entry, or a location that was blank.
    if (group.iKey == static_cast<int>(LeftoverReason::EntryKept) ||
        group.paths.join(QString()).isEmpty())
        return sentence(group.iKey, QString());
    QStringList named;
    for (const QString& path : group.paths.mid(0, iNames))
        named << shown(path, style, bComplete);
    const int iRest = group.paths.size() - named.size();
    bComplete = bComplete && iRest == 0;
    QString strList = named.join(tr(", ", "between the paths of a list"));
    if (named.isEmpty())
        strList = tr("%n item(s)", "", iRest);
    else if (iRest > 0)
        strList = tr("%1 and %2 more").arg(strList, QString::number(iRest));
    QString strText;
    if (group.iKey == static_cast<int>(LeftoverReason::NotListed)) {
        // One name for the product on every page and dialog: the one the
        // title, the question and the warnings give it in both languages.
        const QString strProduct = isolatedName(
            QString::fromStdString(AppConfigManager::getInstance()->getSoftwareNameEN()));
        strText = (m_bTrialRun ? tr("Would keep %n file(s) %1 did not install, in %2: %3.", "",
                                    group.paths.size())
                               : tr("Kept %n file(s) %1 did not install, in %2: %3.", "",
                                    group.paths.size()))
                      .arg(strProduct, shown(group.folder, style, bComplete), strList);
    } else if (group.iKey == static_cast<int>(LeftoverReason::Shared) &&
               (!group.products.isEmpty() || !group.earlierKeys.isEmpty())) {
        // Named, and what to do; running this uninstaller again helps only
        // where the folder proves to be the product's once the others went.
        const QString strBetween = tr(", ", "between the paths of a list");
        QStringList others;
        for (const QString& product : group.products)
            others << isolatedName(product);
        const QString strOthers = others.join(strBetween);
        QStringList sentences;
        if (!group.products.isEmpty() && m_bTrialRun)
            sentences
                << tr("Would stay because %1 is installed in it too: %2.").arg(strOthers, strList);
        else if (!group.products.isEmpty())
            sentences << (group.bUnproved
                              ? tr("Left because %1 is installed in it too: %2.")
                              : tr("Left because %1 is installed in it too: %2. Uninstall %1 "
                                   "first, then run this uninstaller again."))
                             .arg(strOthers, strList);
        // An entry of this product's own name that an earlier installation
        // left: uninstalling "it" first would lead back to this uninstaller.
        // The note names the entry by its own name (its GUID), whose full
        // key path is wider than the note: that path is a click away.
        QStringList keys;
        for (const QString& strKey : group.earlierKeys) {
            const QString strName = strKey.section(QLatin1Char('\\'), -1);
            if (!style.bOneLine || strName == strKey)
                keys << shown(strKey, style, bComplete);
            else
                keys << oneLine(QString(kEllipsis) + QLatin1Char('\\') + strName);
            bComplete = bComplete && (!style.bOneLine || strName == strKey);
        }
        if (!keys.isEmpty())
            sentences << (group.bUnproved
                              ? tr("An old entry of this program keeps %1. Delete its registry "
                                   "key by hand: %2.")
                              : tr("An old entry of this program keeps %1. Delete its registry "
                                   "key and run this uninstaller again: %2."))
                             .arg(strList, keys.join(strBetween));
        strText = sentences.join(QLatin1Char(' '));
    } else if (group.iKey == static_cast<int>(LeftoverReason::ManifestLineRefused)) {
        strText = tr("Lines of %1 that cannot be used: %2.")
                      .arg(shown(group.folder, style, bComplete), strList);
    } else {
        strText = sentence(group.iKey, strList);
    }
    // Who holds its files, for as many as it names paths.
    for (const QString& strHolder : group.holders.mid(0, iNames))
        strText += QLatin1Char(' ') + heldSentence(strHolder, style, bComplete);
    bComplete = bComplete && group.holders.size() <= iNames;
    return strText;
}

QString UnInstallCompletedPage::heldSentence(const QString& strHolder, const PathStyle& style,
                                             bool& bComplete) const
{
    // "docs/file1.dat: notepad.exe (process 4312), ...", as the removal
    // words it, told in the page's language.
    const int iColon = strHolder.indexOf(QLatin1String(": "));
    const QString strFile =
        QDir::toNativeSeparators(iColon < 0 ? strHolder : strHolder.left(iColon));
    static const QRegularExpression program(QStringLiteral("(.+?) \\(process (\\d+)\\)(?:, |$)"));
    QStringList programs;
    for (auto it = program.globalMatch(iColon < 0 ? QString() : strHolder.mid(iColon + 2));
         it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        programs << tr("%1 (process %2)", "a program holding a file open")
                        .arg(isolatedName(match.captured(1)), match.captured(2));
    }
    if (programs.isEmpty())
        return tr("%1 is open in another program.").arg(shown(strFile, style, bComplete));
    return tr("%1 is open in %2.")
        .arg(shown(strFile, style, bComplete),
             programs.join(tr(", ", "between the paths of a list")));
}

QString UnInstallCompletedPage::sentence(int iKey, const QString& strList) const
{
    if (m_bTrialRun) {
        const QString strTrial = trialSentence(iKey, strList);
        if (!strTrial.isEmpty())
            return strTrial;
    }
    switch (iKey) {
    case -1:
        return tr("Some items will be removed when Windows restarts: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::Refused):
        return tr("Left because you or Windows need the folder: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotProducts):
        return tr("Nothing was removed from %1: the product's program is not at its top, and no "
                  "list of installed files says what in it is the product's.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::NotOwnFolder):
        return tr("Nothing was removed from %1: it is not the product's own folder, and no "
                  "list of installed files tells the product's files from yours. Remove them by "
                  "hand.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::Shared):
        return tr("Left because it is shared with another program: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::OtherFileSystem):
        return tr("Left because another disk is attached there: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotOnlyShortcuts):
        return tr("Only the shortcuts were removed from %1: it holds other files.").arg(strList);
    case static_cast<int>(LeftoverReason::SharedFolder):
        return tr("Left because other programs share it: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotFound):
        return strList.isEmpty()
                   ? tr("The product's uninstall entry names no folder: its files were not "
                        "found.")
                   : tr("The product's files were not found where its uninstall entry says: %1.")
                         .arg(strList);
    case static_cast<int>(LeftoverReason::EntryKept):
        return m_bLaterRunMayFinish
                   ? tr("The product stays listed as installed, so that running the uninstaller "
                        "again can finish.")
                   : tr("The product stays listed as installed. Running the uninstaller again "
                        "changes nothing until what is named here is dealt with.");
    case static_cast<int>(LeftoverReason::ManifestNotUsed):
        return tr("Nothing was removed: the list of installed files cannot be used: %1.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::ManifestOtherProduct):
        return tr("Nothing was removed: the list of installed files names another product: %1.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::Lookalike):
        return tr("The product's program was found in %1, not where its uninstall entry says.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::ManifestNotFound):
        return tr("Nothing was removed: the product's files were not found where the list of "
                  "installed files says: %1.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::StillThere):
        return tr("Still there after the removal, though they are the product's: %1.").arg(strList);
    default:
        return tr("Some items could not be removed: %1.").arg(strList);
    }
}

// What a real run would leave, in the conditional: a trial run removed
// nothing, so nothing "was left".
QString UnInstallCompletedPage::trialSentence(int iKey, const QString& strList) const
{
    switch (iKey) {
    case -1:
        return tr("Some items would be removed only when Windows restarts: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::Refused):
        return tr("Would stay because you or Windows need the folder: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotProducts):
        return tr("Nothing would be removed from %1: the product's program is not at its top, "
                  "and no list of installed files says what in it is the product's.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::NotOwnFolder):
        return tr("Nothing would be removed from %1: it is not the product's own folder, and no "
                  "list of installed files tells the product's files from yours.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::Shared):
        return tr("Would stay because it is shared with another program: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::OtherFileSystem):
        return tr("Would stay because another disk is attached there: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotOnlyShortcuts):
        return tr("Only the shortcuts would be removed from %1: it holds other files.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::SharedFolder):
        return tr("Would stay because other programs share it: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::EntryKept):
        return tr("The product would stay listed as installed.");
    case static_cast<int>(LeftoverReason::ManifestNotUsed):
        return tr("Nothing would be removed: the list of installed files cannot be used: %1.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::ManifestOtherProduct):
        return tr("Nothing would be removed: the list of installed files names another "
                  "product: %1.")
            .arg(strList);
    case static_cast<int>(LeftoverReason::NotFound):
    case static_cast<int>(LeftoverReason::Lookalike):
        return QString(); // facts, in the present either way
    default:
        return tr("Would stay, as the system would refuse to remove it: %1.").arg(strList);
    }
}

void UnInstallCompletedPage::onCompletedBtnClicked()
{
    emit signalClose();
}

} // namespace appinstaller
