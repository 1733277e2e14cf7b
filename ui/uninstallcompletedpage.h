#pragma once

// The page shown once the removal has ended: the result, what could not be
// removed if anything, and a button that closes the program.

#include "engine/installprocessmgr.h"

#include <QVector>
#include <QWidget>

#include <memory>

class QFontMetrics;
class QLabel;

namespace Ui
{
class UnInstallCompletedUI;
}

namespace appinstaller
{

class UnInstallCompletedPage : public QWidget
{
    Q_OBJECT

public:
    explicit UnInstallCompletedPage(QWidget* parent);
    ~UnInstallCompletedPage() override;

    // Names what the removal left behind below the result; hides that line
    // when nothing was left.
    void showLeftovers(const QVector<LeftoverItem>& leftovers);

signals:
    void signalClose();

private slots:
    void onCompletedBtnClicked();

private:
    // The sentences for what could not be removed and what waits for a
    // restart, each path shortened to at most iPathWidth pixels.
    QString describe(const QStringList& failed, const QStringList& scheduled,
                     const QFontMetrics& metrics, int iPathWidth) const;

    std::unique_ptr<Ui::UnInstallCompletedUI> m_ui;
    QLabel* m_pLeftoverLabel = nullptr;
};

} // namespace appinstaller
