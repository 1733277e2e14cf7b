#pragma once

// The page shown once the removal has ended: the result, what could not be
// removed if anything, and a button that closes the program. The note of
// what stayed sits beside the button, in the room the form gives it, and
// shows what fits there in whole lines, whatever the font; the full list
// opens from its "Details" link.

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

    // A trial run's page: the headline says nothing was removed, the note
    // what would go (entries and bytes of the install folder), what would
    // stay and why, and where the log is (logPath, when there is one).
    void setTrialRun(bool bTrialRun) { m_bTrialRun = bTrialRun; }
    struct WouldGo {
        quint64 entries = 0;
        quint64 bytes = 0;
    };
    void setWouldGo(const WouldGo& wouldGo) { m_wouldGo = wouldGo; }
    void setLogPath(const QString& logPath) { m_strLogPath = logPath; }

    // Names what the removal left behind beside the button, and why; hides
    // that note when nothing was left. With anything left that is not
    // waiting for a restart, the headline says the uninstall is incomplete.
    void showLeftovers(const QVector<LeftoverItem>& leftovers);

    // Opens the full list of what stayed, one path a line under its reason,
    // in natural order (file 2 before file 10), headed by what it lists.
    void showDetails();

signals:
    void signalClose();

private slots:
    void onCompletedBtnClicked();

private:
    // Items left for one reason (-1: scheduled for the next restart).
    struct Group {
        int iKey;
        QStringList paths;       // as the system writes them
        QString folder;          // what the paths are relative to, for some reasons
        QStringList holders;     // "docs/file1.dat: notepad.exe (process 4312)"
        QStringList products;    // the other products installed in it, by name
        QStringList earlierKeys; // entries of this product's name left behind, by key path
        bool bUnproved = false;  // not the product's folder even once they are gone
    };
    // How the paths of a sentence are shown: shortened to iWidth pixels, and
    // for the note kept on one line.
    struct PathStyle {
        const QFontMetrics& metrics;
        int iWidth;
        bool bOneLine;
    };

    void groupLeftovers(const QVector<LeftoverItem>& leftovers);
    void showHeadline(bool bIncomplete);
    // The most of the note that fits, reason by reason; empty when not even
    // the first reason fits.
    QString fittedNote(const QString& strLink);
    // The sentences for one group, naming its first iNames paths (at most a
    // few) and the programs holding its files, and counting the rest.
    // bComplete turns false when a path is left out or shortened.
    QString describe(const Group& group, int iNames, const PathStyle& style, bool& bComplete) const;
    // The group's sentence with strList for its items.
    QString sentence(int iKey, const QString& strList) const;
    // In a trial run, the same in the conditional; empty where the plain
    // sentence says a fact that holds either way.
    QString trialSentence(int iKey, const QString& strList) const;
    // "docs\file1.dat is open in notepad.exe (process 4312)."
    QString heldSentence(const QString& strHolder, const PathStyle& style, bool& bComplete) const;
    // path within iWidth pixels of metrics: the last folder and the name
    // whole, whole folders before them left out in the middle
    // ("C:\Games\…\saves\slot1.sav"); never shorter than "…\saves\slot1.sav".
    static QString shortened(const QString& path, const QFontMetrics& metrics, int iWidth);
    // path as style shows it; bComplete turns false when it is shortened.
    static QString shown(const QString& path, const PathStyle& style, bool& bComplete);
    QString detailsHeading() const;
    // The note's place: left of the button, under the result line.
    void placeNote();
    // Whether the note's label holds strText in its height.
    bool fits(const QString& strText) const;

    std::unique_ptr<Ui::UnInstallCompletedUI> m_ui;
    QLabel* m_pNote = nullptr; // what stayed, beside the button
    QDialog* m_pDetailsDialog = nullptr;
    bool m_bLaterRunMayFinish = true;
    QVector<Group> m_groups; // what stayed, for the details
    int m_iItems = 0;        // how many items stayed
    bool m_bTrialRun = false;
    WouldGo m_wouldGo;
    QString m_strLogPath;
    QString m_strLead;      // rich text before the reasons (a trial run's)
    QString m_strTail;      // and after them
    QString m_strCompleted; // the form's headline for a complete removal
};

} // namespace appinstaller
