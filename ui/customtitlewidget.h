#pragma once

// The title bar at the top of both pages: the product's name on the left, a
// close button on the right. Dragging it moves the frameless window (the
// base class does that).

#include "uilib/cfancytitle.h"

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace appinstaller
{

class CustomTitleWidget : public Ulmora::CFancyTitle
{
    Q_OBJECT

public:
    explicit CustomTitleWidget(QWidget* parent);

signals:
    void signalClose();

private:
    QLabel* m_pIconLabel = nullptr; // built but hidden
    QLabel* m_pTitleLabel = nullptr;
    QPushButton* m_pCloseBtn = nullptr;
    QHBoxLayout* m_pTitleLayout = nullptr;
};

} // namespace appinstaller
