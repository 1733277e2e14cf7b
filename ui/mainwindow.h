#pragma once

// The uninstaller's only window: frameless and translucent, it shows a white
// 720 x 480 card with a soft shadow, holding the progress page and then the
// completion page. Where nothing composes a translucent window (Wine, X11
// without a compositing manager) it is the card alone, opaque, without the
// shadow and its margin. The start-up sequence shows it once the user has
// confirmed and calls onUninstall().

#include <QMargins>
#include <QPointer>
#include <QWidget>

#include <memory>

class QScreen;

namespace Ui
{
class MainWindowUI;
}

namespace appinstaller
{

class InstallingPage;
class UnInstallCompletedPage;

class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The first show applies the window's style sheet first: a window built
    // and never shown (a refused or declined run) never pays for it; and
    // places the window in the middle of its screen (setHomeScreen()).
    void setVisible(bool visible) override;

    // The screen the window first shows in the middle of: the one the
    // user's last dialog was on. Without one, the screen under the mouse
    // pointer, where a dialog would have shown.
    void setHomeScreen(QScreen* screen);

    // Where this run's log is, for the completion page of a trial run.
    void setLogPath(const QString& strLogPath);

    // The card in the 12-pixel margin of its shadow on a translucent window,
    // or alone on an opaque one; chosen by the constructor for the system,
    // and before the window is first shown.
    void setComposed(bool bComposed);

    // Returns once the removal, if one was started, has ended: the record of
    // what it left is complete then, however the window was closed.
    void waitForUninstall();

signals:
    // The completion page is shown: the removal has ended.
    void uninstallFinished();

public slots:
    // Shows the completion page.
    void onFinishedUnInstall();
    // Shows the progress page and starts the removal.
    void onUninstall();

private:
    std::unique_ptr<Ui::MainWindowUI> m_ui;
    InstallingPage* m_pInstallingPage = nullptr;
    UnInstallCompletedPage* m_pUnInstallCompletedPage = nullptr;
    bool m_bStyled = false;
    QPointer<QScreen> m_homeScreen;
    QMargins m_shadowMargins; // the form's margins, where the shadow is drawn
    QSize m_cardSize;         // the form's size within them
};

} // namespace appinstaller
