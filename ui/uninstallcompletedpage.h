#pragma once

// The page shown once the removal has ended: the result, what could not be
// removed if anything, and a button that closes the program. The note of
// what stayed shows what fits below the button in whole lines, whatever the
// font; the full list opens from its "Details" link.

#include "engine/installprocessmgr.h"

#include <QVector>
#include <QWidget>

#include <memory>

class QDialog;
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
    // that note when nothing was left. With anything left that is not
    // waiting for a restart, the headline says the uninstall is incomplete.
    void showLeftovers(const QVector<LeftoverItem>& leftovers);

    // Opens the full list of what stayed, one path a line under its reason.
    void showDetails();

signals:
    void signalClose();

private slots:
    void onCompletedBtnClicked();

private:
    // Items left for one reason (-1: scheduled for the next restart).
    struct Group {
        int iKey;
        QStringList paths; // as the system writes them
        QString folder;    // what the paths are relative to, for some reasons
    };

    // The sentence for one group, naming its first iNames paths (at most a
    // few), each shortened to at most iPathWidth pixels, and counting the
    // rest. bComplete turns false when a path is left out or shortened.
    QString describe(const Group& group, int iNames, const QFontMetrics& metrics, int iPathWidth,
                     bool& bComplete) const;
    // The group's sentence with strList for its items.
    QString sentence(int iKey, const QString& strList) const;
    // Whether the note's label holds strText in its height.
    bool fits(const QString& strText) const;
    // path within iWidth pixels: its last name whole, the folders before it
    // shortened in their middle.
    static QString shortened(const QString& path, const QFontMetrics& metrics, int iWidth);

    std::unique_ptr<Ui::UnInstallCompletedUI> m_ui;
    QLabel* m_pLeftoverLabel = nullptr;
    QDialog* m_pDetailsDialog = nullptr;
    bool m_bLaterRunMayFinish = true;
    QVector<Group> m_groups; // what stayed, for the details
    int m_iFormBottomMargin = 0;
    QString m_strCompleted; // the form's headline for a complete removal
};

} // namespace appinstaller
