#include "uninstallcompletedpage.h"

#include "ui_UnInstallCompletedUI.h"

#include <QDir>
#include <QFontMetrics>

namespace appinstaller
{

namespace
{

constexpr int kNamedPaths = 5;
// Paths are shortened down to this width at most, however little room.
constexpr int kMinPathWidth = 80;

} // namespace

UnInstallCompletedPage::UnInstallCompletedPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::UnInstallCompletedUI>())
{
    m_ui->setupUi(this);
    m_ui->m_pInstallInfoLabel->setAccessibleName(tr("Result"));

    // A row of its own under the form's two, hidden (and so taking no room)
    // while there is nothing to report. It gets the height that the form
    // leaves below the finish button, so that nothing is squeezed.
    m_pLeftoverLabel = new QLabel(m_ui->m_pBottomWidget);
    m_pLeftoverLabel->setObjectName(QStringLiteral("m_pLeftoverLabel"));
    m_pLeftoverLabel->setAlignment(Qt::AlignCenter);
    m_pLeftoverLabel->setWordWrap(true);
    m_pLeftoverLabel->setStyleSheet(QStringLiteral("font-size: 11px; color: rgba(0,0,0,0.55);"));
    m_pLeftoverLabel->setAccessibleName(tr("Items not removed"));
    const QMargins margins = m_ui->gridLayout_3->contentsMargins();
    const int iRoom = m_ui->m_pBottomWidget->minimumHeight() - margins.top() - margins.bottom() -
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
    QStringList failed;
    QStringList scheduled;
    for (const LeftoverItem& item : leftovers)
        (item.bScheduled ? scheduled : failed) << QDir::toNativeSeparators(item.strPath);
    m_pLeftoverLabel->setToolTip((failed + scheduled).join(QLatin1Char('\n')));
    m_pLeftoverLabel->setVisible(!leftovers.isEmpty());

    // Long paths are shortened in their middle until the text fits the label.
    m_pLeftoverLabel->ensurePolished();
    const QFontMetrics metrics = m_pLeftoverLabel->fontMetrics();
    const QRect box(QPoint(0, 0), m_pLeftoverLabel->size());
    QString strText;
    for (int iPathWidth = box.width();; iPathWidth = iPathWidth * 3 / 4) {
        strText = describe(failed, scheduled, metrics, iPathWidth);
        if (iPathWidth <= kMinPathWidth ||
            metrics.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, strText).height() <=
                box.height())
            break;
    }
    m_pLeftoverLabel->setText(strText);
}

QString UnInstallCompletedPage::describe(const QStringList& failed, const QStringList& scheduled,
                                         const QFontMetrics& metrics, int iPathWidth) const
{
    const auto list = [&](const QStringList& paths) {
        QStringList named;
        for (const QString& path : paths.mid(0, kNamedPaths))
            named << metrics.elidedText(path, Qt::ElideMiddle, qMax(iPathWidth, kMinPathWidth));
        const QString strNamed = named.join(tr(", ", "between the paths of a list"));
        if (paths.size() <= kNamedPaths)
            return strNamed;
        return tr("%1 and %2 more").arg(strNamed, QString::number(paths.size() - kNamedPaths));
    };
    QStringList sentences;
    if (!failed.isEmpty())
        sentences << tr("Some items could not be removed: %1.").arg(list(failed));
    if (!scheduled.isEmpty())
        sentences
            << tr("Some items will be removed when Windows restarts: %1.").arg(list(scheduled));
    return sentences.join(QLatin1Char(' '));
}

void UnInstallCompletedPage::onCompletedBtnClicked()
{
    emit signalClose();
}

} // namespace appinstaller
