#pragma once

// A title row for frameless windows: dragging it with the left button moves
// the window it belongs to.

#include "cframe.h"
#include "cwidgetsizefactory.h"

#include <QPoint>

namespace Ulmora
{

class CFancyTitle : public CFrame, public CWidgetSizeFactory
{
    Q_OBJECT

public:
    explicit CFancyTitle(QWidget* parent);

protected:
    virtual void mousePressEvent(QMouseEvent* event) override;
    virtual void mouseReleaseEvent(QMouseEvent* event) override;
    virtual void mouseDoubleClickEvent(QMouseEvent* event) override;
    virtual void mouseMoveEvent(QMouseEvent* event) override;
    virtual void resizeEvent(QResizeEvent* event) override;

private:
    bool m_bDragging = false;
    QPoint m_dragOffset; // from the window's top left to the press point
};

} // namespace Ulmora
