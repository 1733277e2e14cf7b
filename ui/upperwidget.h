#pragma once

// The upper part of each page: the background image with the title bar on
// top of it.

#include <QWidget>

#include <memory>

namespace Ui
{
class UpperWidgeUI;
}

namespace appinstaller
{

class UpperWidget : public QWidget
{
    Q_OBJECT

public:
    explicit UpperWidget(QWidget* parent);
    ~UpperWidget() override;

signals:
    // The title bar's close button was clicked.
    void signalClose();

private:
    std::unique_ptr<Ui::UpperWidgeUI> m_ui;
};

} // namespace appinstaller
