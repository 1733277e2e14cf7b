#include "cwidgetsizefactory.h"

#include <QWidget>

namespace Ulmora
{

CWidgetSizeFactory::CWidgetSizeFactory(const QSize& designSize) : m_designSize(designSize) {}

void CWidgetSizeFactory::setDesignSize(const QSize& designSize)
{
    m_designSize = designSize;
}

QSize CWidgetSizeFactory::designSize() const
{
    return m_designSize;
}

QSize CWidgetSizeFactory::scaledSize(const QWidget* widget) const
{
    const qreal factor = widget ? widget->logicalDpiY() / 96.0 : 1.0;
    return factor > 1.0 ? m_designSize * factor : m_designSize;
}

} // namespace Ulmora
