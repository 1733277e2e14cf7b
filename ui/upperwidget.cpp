#include "upperwidget.h"

#include "ui_UpperWidgeUI.h"

namespace appinstaller
{

UpperWidget::UpperWidget(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::UpperWidgeUI>())
{
    m_ui->setupUi(this);
    connect(m_ui->m_pTopTitleWidget, &CustomTitleWidget::signalClose, this,
            &UpperWidget::signalClose);
}

UpperWidget::~UpperWidget() = default;

} // namespace appinstaller
