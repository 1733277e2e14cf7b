#pragma once

// Push buttons for style sheets: the hover state is kept in the dynamic
// property "hovered", so that a sheet can match [hovered="true"], and it is
// dropped when the window is blocked by a modal dialog or loses focus, where
// Qt sends no Leave and :hover would stick. Focus reached from the keyboard
// (Tab, Shift+Tab, a shortcut) sets "keyboardFocus", for a sheet to show it
// in the product's style instead of the system's dotted rectangle.

#include <QPointer>
#include <QPushButton>

namespace Ulmora
{

class CPushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CPushButton(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovered(bool bHovered);
    // Sets a dynamic property the sheet reads, and polishes again.
    void setStateProperty(const char* name, bool bOn);

    bool m_bHovered = false;
    QPointer<QWidget> m_pWatchedWindow; // watched only while hovered
};

// The primary action: filled in the product colour.
class CCommandButton : public CPushButton
{
    Q_OBJECT

public:
    explicit CCommandButton(QWidget* parent = nullptr);
};

// A secondary action: outlined.
class CSecondCommandButton : public CPushButton
{
    Q_OBJECT

public:
    explicit CSecondCommandButton(QWidget* parent = nullptr);
};

} // namespace Ulmora
