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

    // Names what the removal left behind below the result, and why; hides
    // that line when nothing was left. With anything left that is not
    // waiting for a restart, the headline says the uninstall is incomplete.
    void showLeftovers(const QVector<LeftoverItem>& leftovers);

signals:
    void signalClose();

private slots:
    void onCompletedBtnClicked();

private:
    // The sentence for the items left for one reason (-1: scheduled for the
    // next restart), each path shortened to at most iPathWidth pixels.
    QString describe(int iReason, const QStringList& paths, const QFontMetrics& metrics,
                     int iPathWidth) const;
    // path within iWidth pixels: its last name whole, the folders before it
    // shortened in their middle.
    static QString shortened(const QString& path, const QFontMetrics& metrics, int iWidth);

    std::unique_ptr<Ui::UnInstallCompletedUI> m_ui;
    QLabel* m_pLeftoverLabel = nullptr;
    int m_iFormBottomMargin = 0;
    QString m_strCompleted; // the form's headline for a complete removal
};

} // namespace appinstaller
