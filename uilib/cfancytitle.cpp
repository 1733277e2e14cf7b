#include "cfancytitle.h"

#include <QMouseEvent>

namespace Ulmora
{

CFancyTitle::CFancyTitle(QWidget* parent) : CFrame(parent), CWidgetSizeFactory(QSize(0, 32))
{
    setFixedHeight(scaledSize(this).height());
}

void CFancyTitle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        CFrame::mousePressEvent(event);
        return;
    }
    m_bDragging = true;
    m_dragOffset = event->globalPos() - window()->pos();
    event->accept();
}

void CFancyTitle::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_bDragging = false;
    CFrame::mouseReleaseEvent(event);
}

void CFancyTitle::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Taken here so that it does not reach the window: a double click on the
    // title neither maximizes nor restores.
    event->accept();
}

void CFancyTitle::mouseMoveEvent(QMouseEvent* event)
{
    // The release may have happened outside the window, where we never saw it.
    if (!(event->buttons() & Qt::LeftButton))
        m_bDragging = false;
    if (!m_bDragging) {
        CFrame::mouseMoveEvent(event);
        return;
    }
    window()->move(event->globalPos() - m_dragOffset);
    event->accept();
}

void CFancyTitle::resizeEvent(QResizeEvent* event)
{
    CFrame::resizeEvent(event);
}

} // namespace Ulmora
