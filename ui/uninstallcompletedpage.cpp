#include "uninstallcompletedpage.h"

#include "ui_UnInstallCompletedUI.h"

#include <QDir>
#include <QFontMetrics>
#include <QPair>

#include <algorithm>

namespace appinstaller
{

namespace
{

constexpr int kNamedPaths = 5;
// Paths are shortened down to this width at most, however little room.
constexpr int kMinPathWidth = 80;
// While the note shows, the form's bottom margin shrinks to this, so that
// three lines fit below the button whatever the system's font and its line
// spacing (Windows' 11 px fonts need 15 px a line).
constexpr int kNoteBottomMargin = 6;

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
    m_pLeftoverLabel->setStyleSheet(QStringLiteral("font-size: 11px; color: rgba(0,0,0,0.55);"));
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
    QVector<QPair<int, QStringList>> groups;
    bool bIncomplete = false;
    QStringList all;
    for (const LeftoverItem& item : leftovers) {
        bIncomplete = bIncomplete || !item.bScheduled;
        const int iKey = item.bScheduled ? -1 : static_cast<int>(item.reason);
        auto group =
            std::find_if(groups.begin(), groups.end(),
                         [iKey](const QPair<int, QStringList>& g) { return g.first == iKey; });
        if (group == groups.end()) {
            groups.append({iKey, QStringList()});
            group = groups.end() - 1;
        }
        const QString strPath = QDir::toNativeSeparators(item.strPath);
        group->second << strPath;
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

    // Long paths are shortened in their folders until the text fits the label.
    m_pLeftoverLabel->ensurePolished();
    const QFontMetrics metrics = m_pLeftoverLabel->fontMetrics();
    const QRect box(QPoint(0, 0), m_pLeftoverLabel->size());
    QString strText;
    for (int iPathWidth = box.width();; iPathWidth = iPathWidth * 3 / 4) {
        QStringList sentences;
        for (const auto& group : groups)
            sentences << describe(group.first, group.second, metrics, iPathWidth);
        strText = sentences.join(QLatin1Char(' '));
        if (iPathWidth <= kMinPathWidth ||
            metrics.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, strText).height() <=
                box.height())
            break;
    }
    m_pLeftoverLabel->setText(strText);
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

QString UnInstallCompletedPage::describe(int iReason, const QStringList& paths,
                                         const QFontMetrics& metrics, int iPathWidth) const
{
    QStringList named;
    for (const QString& path : paths.mid(0, kNamedPaths))
        named << shortened(path, metrics, qMax(iPathWidth, kMinPathWidth));
    QString strList = named.join(tr(", ", "between the paths of a list"));
    if (paths.size() > kNamedPaths)
        strList = tr("%1 and %2 more").arg(strList, QString::number(paths.size() - kNamedPaths));
    switch (iReason) {
    case -1:
        return tr("Some items will be removed when Windows restarts: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::Refused):
        return tr("Left because you or Windows need the folder: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotProducts):
        return tr("Left because it is not this product's folder: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::Shared):
        return tr("Left because it is shared with another program: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::OtherFileSystem):
        return tr("Left because another disk is attached there: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotOnlyShortcuts):
        return tr("Only the shortcuts were removed from %1: it holds other files.").arg(strList);
    case static_cast<int>(LeftoverReason::SharedFolder):
        return tr("Left because other programs share it: %1.").arg(strList);
    case static_cast<int>(LeftoverReason::NotFound):
        return paths.join(QString()).isEmpty()
                   ? tr("The product's uninstall entry names no folder: its files were not "
                        "found.")
                   : tr("The product's files were not found where its uninstall entry says: %1.")
                         .arg(strList);
    case static_cast<int>(LeftoverReason::EntryKept):
        return tr("The product stays listed as installed, so that running the uninstaller again "
                  "can finish.");
    default:
        return tr("Some items could not be removed: %1.").arg(strList);
    }
}

void UnInstallCompletedPage::onCompletedBtnClicked()
{
    emit signalClose();
}

} // namespace appinstaller
