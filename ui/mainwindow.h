#pragma once

// The uninstaller's window. For now it is an empty 720 x 480 window: the
// start-up sequence shows it and calls onUninstall() once the user has
// confirmed; the pages and the removal come next.

#include <QWidget>

#include <memory>

namespace Ui
{
class MainWindowUI;
}

namespace appinstaller
{

class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    // Starts the removal. Nothing to start yet.
    void onUninstall();

private:
    std::unique_ptr<Ui::MainWindowUI> m_ui;
};

} // namespace appinstaller
