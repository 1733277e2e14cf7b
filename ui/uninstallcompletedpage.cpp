#include "uninstallcompletedpage.h"

#include "ui_LeftoverDetailsUI.h"
#include "ui_UnInstallCompletedUI.h"

#include "config/appconfigmanager.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QPlainTextEdit>

#include <algorithm>

namespace appinstaller
{

namespace
{

// At most this many paths of one reason are named; the rest are counted.
constexpr int kNamedPaths = 5;
// Paths are shortened down to this width at most, however little room.
constexpr int kMinPathWidth = 80;
// While the note shows, the form's bottom margin shrinks to this, to leave
// the note as many lines as can be had below the button.
constexpr int kNoteBottomMargin = 6;
const QString kDetailsLink = QStringLiteral("#details");

} // namespace

UnInstallCompletedPage::UnInstallCompletedPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::UnInstallCompletedUI>())
{
    m_ui->setupUi(this);
    m_ui->m_pInstallInfoLabel->setAccessibleName(tr("Result"));
    m_strCompleted = m_ui->m_pInstallInfoLabel->text();

    // A row of its own under the form's two, hidden (and so taking no room)
    // while there is nothing to report. It gets the height that the form
    // leaves below the finish button and most of the bottom margin, so that
    // nothing is squeezed.
    m_pLeftoverLabel = new QLabel(m_ui->m_pBottomWidget);
    m_pLeftoverLabel->setObjectName(QStringLiteral("m_pLeftoverLabel"));
    m_pLeftoverLabel->setAlignment(Qt::AlignCenter);
    m_pLeftoverLabel->setWordWrap(true);
    // The system's font and size: a user who made text bigger gets it here.
    m_pLeftoverLabel->setStyleSheet(QStringLiteral("color: rgba(0,0,0,0.55);"));
    m_pLeftoverLabel->setTextFormat(Qt::RichText);
    m_pLeftoverLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                              Qt::LinksAccessibleByKeyboard);
    connect(m_pLeftoverLabel, &QLabel::linkActivated, this, &UnInstallCompletedPage::showDetails);
    m_pLeftoverLabel->setAccessibleName(tr("Items not removed"));
    const QMargins margins = m_ui->gridLayout_3->contentsMargins();
    m_iFormBottomMargin = margins.bottom();
    const int iRoom = m_ui->m_pBottomWidget->minimumHeight() - margins.top() - kNoteBottomMargin -
                      m_ui->m_pIconToolBtn->minimumHeight() -
                      m_ui->m_pCompletedBtn->minimumHeight() -
                      2 * m_ui->gridLayout_3->verticalSpacing();
    m_pLeftoverLabel->setFixedSize(width() - margins.left() - margins.right(), iRoom);
    m_pLeftoverLabel->hide();
    m_ui->gridLayout_3->addWidget(m_pLeftoverLabel, 2, 0);

    connect(m_ui->m_pUpperWidget, &UpperWidget::signalClose, this,
            &UnInstallCompletedPage::signalClose);
    connect(m_ui->m_pCompletedBtn, &QAbstractButton::clicked, this,
            &UnInstallCompletedPage::onCompletedBtnClicked);
}

UnInstallCompletedPage::~UnInstallCompletedPage() = default;

void UnInstallCompletedPage::showLeftovers(const QVector<LeftoverItem>& leftovers)
{
    // Grouped by why they stayed, in the order the reasons are first met.
    m_groups.clear();
    const Outcome outcome(leftovers);
    m_bLaterRunMayFinish = outcome.laterRunMayFinish();
    const bool bIncomplete = outcome.incomplete();
    const bool bScheduled = outcome.restartNeeded();
    QStringList all;
    for (const LeftoverItem& item : leftovers) {
        const int iKey = item.bScheduled ? -1 : static_cast<int>(item.reason);
        auto group = std::find_if(m_groups.begin(), m_groups.end(),
                                  [iKey](const Group& g) { return g.iKey == iKey; });
        if (group == m_groups.end()) {
            m_groups.append({iKey, QStringList(), QDir::toNativeSeparators(item.strFolder)});
            group = m_groups.end() - 1;
        }
        const QString strPath = QDir::toNativeSeparators(item.strPath);
        group->paths << strPath;
        all << strPath;
    }
    m_ui->m_pInstallInfoLabel->setText(bIncomplete ? tr("Uninstall incomplete") : m_strCompleted);
    m_ui->m_pInstallInfoLabel->setStyleSheet(bIncomplete ? QStringLiteral("color: #D46B08;")
                                                         : QString());
    // The page's own sheet wins over the application's for this one button.
    m_ui->m_pIconToolBtn->setStyleSheet(
        bIncomplete
            ? QStringLiteral("border-image:url(:/Uninstall/Images/common_feedback_warning_lg.svg);")
            : QString());
    m_pLeftoverLabel->setToolTip(all.join(QLatin1Char('\n')));
    m_pLeftoverLabel->setVisible(!leftovers.isEmpty());
    QMargins margins = m_ui->gridLayout_3->contentsMargins();
    margins.setBottom(leftovers.isEmpty() ? m_iFormBottomMargin : kNoteBottomMargin);
    m_ui->gridLayout_3->setContentsMargins(margins);
    if (leftovers.isEmpty()) {
        m_pLeftoverLabel->clear();
        return;
    }

    // Screen readers get every sentence with every path, whatever is shown.
    m_pLeftoverLabel->ensurePolished();
    const QFontMetrics metrics = m_pLeftoverLabel->fontMetrics();
    bool bComplete = true;
    QStringList full;
    for (const Group& group : m_groups)
        full << describe(group, group.paths.size(), metrics, QWIDGETSIZE_MAX, bComplete);
    m_pLeftoverLabel->setAccessibleDescription(full.join(QLatin1Char(' ')));

    // The most that fits in whole lines, reason by reason in their order:
    // each sentence with as many of its paths as fit, shortened in their
    // folders before any is left out; a reason that no longer fits ends the
    // note with a count of the rest. Whatever is not shown in full is a
    // click away.
    // In the product's red, a shade darker than its buttons, not the system's link blue.
    const QString strLink = QStringLiteral(" <a href=\"%1\" style=\"color:#C8262D;\">%2</a>")
                                .arg(kDetailsLink, tr("Details", "opens the list of what stayed"));
    QString strShown;
    bool bShownComplete = true;
    int iRest = leftovers.size(); // the items of the reasons after the last shown
    const auto ending = [&](bool bComplete) {
        QString strEnd;
        if (iRest > 0)
            strEnd = QLatin1Char(' ') + tr("%n more item(s) stayed.", "", iRest).toHtmlEscaped();
        return bComplete && iRest == 0 ? strEnd : strEnd + strLink;
    };
    for (const Group& group : m_groups) {
        iRest -= group.paths.size();
        QString strNext;
        for (int iNames = qMin(group.paths.size(), kNamedPaths); iNames >= 0 && strNext.isEmpty();
             --iNames) {
            for (int iPathWidth = m_pLeftoverLabel->width();; iPathWidth = iPathWidth * 3 / 4) {
                bool bComplete = bShownComplete;
                const QString strSentence =
                    describe(group, iNames, metrics, iPathWidth, bComplete).toHtmlEscaped();
                const QString strText =
                    strShown.isEmpty() ? strSentence : strShown + QLatin1Char(' ') + strSentence;
                if (fits(strText + ending(bComplete))) {
                    strNext = strText;
                    bShownComplete = bComplete;
                    break;
                }
                if (iPathWidth <= kMinPathWidth)
                    break;
            }
        }
        if (strNext.isEmpty()) {
            iRest += group.paths.size();
            break;
        }
        strShown = strNext;
    }
    if (!strShown.isEmpty()) {
        fits(strShown + ending(bShownComplete));
        return;
    }
    // Too little room for even one reason: a count of everything.
    const QString strCount =
        bIncomplete  ? tr("%n item(s) could not be removed.", "", leftovers.size())
        : bScheduled ? tr("%n item(s) will be removed when Windows restarts.", "", leftovers.size())
                     : tr("%n item(s) kept.", "", leftovers.size());
    if (!fits(strCount.toHtmlEscaped() + strLink))
        fits(strLink.trimmed());
}

bool UnInstallCompletedPage::fits(const QString& strText) const
{
    m_pLeftoverLabel->setText(strText);
    return m_pLeftoverLabel->heightForWidth(m_pLeftoverLabel->width()) <=
           m_pLeftoverLabel->height();
}

void UnInstallCompletedPage::showDetails()
{
    if (!m_pDetailsDialog) {
        m_pDetailsDialog = new QDialog(this);
        auto* form = new Ui::LeftoverDetailsUI;
        form->setupUi(m_pDetailsDialog);
        m_pDetailsDialog->setObjectName(QStringLiteral("m_pLeftoverDetails"));
        connect(m_pDetailsDialog, &QObject::destroyed, [form] { delete form; });
        connect(form->m_pCopyBtn, &QAbstractButton::clicked, form->m_pListEdit, [form] {
            QGuiApplication::clipboard()->setText(form->m_pListEdit->toPlainText());
        });
    }
    QStringList lines;
    const QFontMetrics metrics = fontMetrics();
    for (const Group& group : m_groups) {
        bool bComplete = true;
        if (!lines.isEmpty())
            lines << QString();
        lines << describe(group, 0, metrics, QWIDGETSIZE_MAX, bComplete) << group.paths;
    }
    m_pDetailsDialog->findChild<QPlainTextEdit*>()->setPlainText(lines.join(QLatin1Char('\n')));
    m_pDetailsDialog->open();
}

QString UnInstallCompletedPage::shortened(const QString& path, const QFontMetrics& metrics,
                                          int iWidth)
{
    // The last name stays whole; only the folders before it give way.
    const int iSlash =
        qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (metrics.horizontalAdvance(path) <= iWidth || iSlash < 0)
        return path;
    const QString strName = path.mid(iSlash);
    const int iRoom = qMax(iWidth - metrics.horizontalAdvance(strName),
                           metrics.horizontalAdvance(QStringLiteral("W…")));
    return metrics.elidedText(path.left(iSlash), Qt::ElideMiddle, iRoom) + strName;
}

QString UnInstallCompletedPage::describe(const Group& group, int iNames,
                                         const QFontMetrics& metrics, int iPathWidth,
                                         bool& bComplete) const
{
    // These name no path: the entry, or a location that was blank.
    if (group.iKey == static_cast<int>(LeftoverReason::EntryKept) ||
        group.paths.join(QString()).isEmpty())
        return sentence(group.iKey, QString());
    QStringList named;
    for (const QString& path : group.paths.mid(0, iNames)) {
        named << shortened(path, metrics, qMax(iPathWidth, kMinPathWidth));
        bComplete = bComplete && named.last() == path;
    }
    const int iRest = group.paths.size() - named.size();
    bComplete = bComplete && iRest == 0;
    QString strList = named.join(tr(", ", "between the paths of a list"));
    if (named.isEmpty())
        strList = tr("%n item(s)", "", iRest);
    else if (iRest > 0)
        strList = tr("%1 and %2 more").arg(strList, QString::number(iRest));
    if (group.iKey == static_cast<int>(LeftoverReason::NotListed) ||
        group.iKey == static_cast<int>(LeftoverReason::PreInstall)) {
        // One name for the product on every page and dialog: the one the
        // title, the question and the warnings give it in both languages.
        const QString strProduct =
            QString::fromStdString(AppConfigManager::getInstance()->getSoftwareNameEN());
        const QString strFolder = shortened(group.folder, metrics, qMax(iPathWidth, kMinPathWidth));
        bComplete = bComplete && strFolder == group.folder;
        return tr("Kept %n file(s) %1 did not install, in %2: %3.", "", group.paths.size())
            .arg(strProduct, strFolder, strList);
    }
    if (group.iKey == static_cast<int>(LeftoverReason::ManifestLineRefused))
        return tr("Lines of %1 that cannot be used: %2.")
            .arg(shortened(group.folder, metrics, qMax(iPathWidth, kMinPathWidth)), strList);
    return sentence(group.iKey, strList);
}

QString UnInstallCompletedPage::sentence(int iKey, const QString& strList) const
{
    switch (iKey) {
    case -1:
        return tr("Some items will be removed when Windows restarts: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::Refused):
        return tr("Left because you or Windows need the folder: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotProducts):
        return tr("Nothing was removed from %1: the product's program is not at its top, and no "
                  "list of installed files says what in it is the product's.")
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
    default:
        return tr("Some items could not be removed: %1.").arg(strList);
    }
}

void UnInstallCompletedPage::onCompletedBtnClicked()
{
    emit signalClose();
}

} // namespace appinstaller
