#include "mainwindow.h"

#include "ui_MainWindowUI.h"

namespace appinstaller
{

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MainWindowUI>())
{
    m_ui->setupUi(this);
    setFixedSize(720, 480);
}

MainWindow::~MainWindow() = default;

void MainWindow::onUninstall() {}

} // namespace appinstaller
