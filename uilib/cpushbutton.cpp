#include "cpushbutton.h"

#include <QEvent>
#include <QFocusEvent>
#include <QStyle>
#include <QVariant>

namespace Ulmora
{

CPushButton::CPushButton(QWidget* parent) : QPushButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setProperty("hovered", false);
    setProperty("keyboardFocus", false);
}

bool CPushButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Hide:
    case QEvent::EnabledChange:
        if (!isVisible() || !isEnabled())
            setHovered(false);
        break;
    default:
        break;
    }
    return QPushButton::event(event);
}

bool CPushButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pWatchedWindow) {
        switch (event->type()) {
        case QEvent::WindowBlocked:
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            setHovered(false);
            break;
        default:
            break;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

void CPushButton::enterEvent(QEvent* event)
{
    if (isEnabled())
        setHovered(true);
    QPushButton::enterEvent(event);
}

void CPushButton::leaveEvent(QEvent* event)
{
    setHovered(false);
    QPushButton::leaveEvent(event);
}

void CPushButton::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    setStateProperty("keyboardFocus", reason == Qt::TabFocusReason ||
                                          reason == Qt::BacktabFocusReason ||
                                          reason == Qt::ShortcutFocusReason);
    QPushButton::focusInEvent(event);
}

void CPushButton::focusOutEvent(QFocusEvent* event)
{
    setStateProperty("keyboardFocus", false);
    QPushButton::focusOutEvent(event);
}

void CPushButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
}

void CPushButton::setHovered(bool bHovered)
{
    if (m_bHovered == bHovered)
        return;
    m_bHovered = bHovered;
    setStateProperty("hovered", bHovered);

    if (m_pWatchedWindow)
        m_pWatchedWindow->removeEventFilter(this);
    m_pWatchedWindow = nullptr;
    if (bHovered && window() != this) {
        m_pWatchedWindow = window();
        m_pWatchedWindow->installEventFilter(this);
    }
}

void CPushButton::setStateProperty(const char* name, bool bOn)
{
    if (property(name).toBool() == bOn)
        return;
    setProperty(name, bOn);
    // Style sheets read dynamic properties only when polishing.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

CCommandButton::CCommandButton(QWidget* parent) : CPushButton(parent) {}

CSecondCommandButton::CSecondCommandButton(QWidget* parent) : CPushButton(parent) {}

} // namespace Ulmora
