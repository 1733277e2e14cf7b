#pragma once

// A widget's size as designed for a 96 DPI screen, and that size on the
// screen the widget is on.

#include <QSize>

class QWidget;

namespace Ulmora
{

class CWidgetSizeFactory
{
public:
    CWidgetSizeFactory() = default;
    explicit CWidgetSizeFactory(const QSize& designSize);
    virtual ~CWidgetSizeFactory() = default;

    void setDesignSize(const QSize& designSize);
    QSize designSize() const;

    // The design size scaled by the logical DPI of the widget's screen
    // (Qt's own high-DPI scaling already covers the device pixel ratio).
    QSize scaledSize(const QWidget* widget) const;

private:
    QSize m_designSize;
};

} // namespace Ulmora
