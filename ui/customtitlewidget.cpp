#include "customtitlewidget.h"

#include "embeddedresources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace appinstaller
{

CustomTitleWidget::CustomTitleWidget(QWidget* parent) : Ulmora::CFancyTitle(parent)
{
    ensureEmbeddedResources();

    m_pIconLabel = new QLabel(this);
    m_pTitleLabel = new QLabel(this);
    m_pCloseBtn = new QPushButton(this);
    m_pTitleLayout = new QHBoxLayout(this);

    m_pIconLabel->setFixedSize(32, 32);
    const QPixmap icon(QStringLiteral(":/Uninstall/Images/icon.ico"));
    m_pIconLabel->setPixmap(icon.scaled(32, 32, Qt::KeepAspectRatio, Qt::FastTransformation));

    m_pCloseBtn->setFixedSize(24, 24);
    m_pCloseBtn->setStyleSheet(
        QStringLiteral("background:transparent; border:none; "
                       "border-image:url(:/Uninstall/Images/common_close.svg);"));
    // Closed by the mouse, and never focused (so no dotted focus rectangle
    // on the image): the keyboard has the page's own button and Esc.
    m_pCloseBtn->setFocusPolicy(Qt::NoFocus);
    // The button shows only an image: give screen readers a name for it.
    m_pCloseBtn->setAccessibleName(tr("Close"));

    m_pTitleLabel->setText(tr("Ferrovane"));
    m_pTitleLabel->setStyleSheet(QStringLiteral(
        "font-size: 16px; color: #FFFFFF; letter-spacing: -0.39px; font-weight: bold "));

    connect(m_pCloseBtn, &QAbstractButton::clicked, this, &CustomTitleWidget::signalClose);

    m_pTitleLayout->addWidget(m_pIconLabel);
    m_pTitleLayout->addWidget(m_pTitleLabel);
    m_pTitleLayout->addWidget(m_pCloseBtn);
    m_pTitleLayout->setContentsMargins(20, 16, 16, 0);

    m_pIconLabel->hide();
}

} // namespace appinstaller
