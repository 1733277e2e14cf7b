#pragma once

// The log of one run: a UTF-8 text file, appended to, one line for each
// thing decided or done, each with its time (UTC). It records what the
// program read and did, never the contents of any file.

#include "engine/removalreport.h"

#include <QFile>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace appinstaller
{

class UninstallLog : public RemovalReport
{
public:
    // Text: a line of English for each thing. Json (/LOGFORMAT=json): one
    // JSON object a line, each with its time, the run's id and a stable
    // event code (README, "The log").
    enum class Format { Text, Json };

    explicit UninstallLog(Format format = Format::Text);
    Format format() const { return m_format; }

    // This run's id, on each of its lines: a log appended to by many runs
    // (on a share, by many machines) can be read one run at a time.
    QString runId() const { return m_runId; }
    // A trial run's log: every line says so ("trial: " before its text, a
    // "trial" field in JSON), for nothing it tells was done.
    void setTrialRun(bool trial) { m_trial = trial; }
    bool trialRun() const { return m_trial; }

    // The first line of every log, written before anything else into a file
    // that is new or empty. A file that is not empty gets lines appended
    // only when it begins with it: the program's own earlier log.
    static QString headerLine(Format format = Format::Text);

    // Why path cannot be the log, in words for the user; empty when it can.
    // installLocation: the product's install folder as recorded (may be
    // empty). A log inside it would be removed with it, or keep it from
    // being removed, whether the path reaches it as written, through a
    // link or as a second path to the same folder (a bind mount, a subst
    // drive). One that is a link or lies beyond one, or is no plain file,
    // would write where the path does not say; one that does not begin
    // with headerLine() is another program's file.
    static QString refusal(const QString& path, const QString& installLocation,
                           Format format = Format::Text);
    // Only the first of those: path inside the install folder.
    static QString insideRefusal(const QString& path, const QString& installLocation);

    // Opens path for appending, never through a link on the way, and only
    // a plain file that is empty, new or begins with headerLine(); error
    // gets why not, in words for the user. refusal() says the same before
    // anything is opened; this holds when the path changes in between.
    bool open(const QString& path, QString* error);
    // A new file of its own in folder (the temporary folder), never one
    // that was there before.
    bool openNew(const QString& folder, QString* error);
    // Where a log goes that no /LOG names: %SystemRoot%\Temp, then the
    // user's temporary folder.
    static QStringList defaultFolders();

    // Until the log is opened, its lines are kept and then written after its
    // first line, with the times they were written at: a run that may not
    // yet look where its log may go (a clicked run, before the client
    // program's gate) still records everything. Nothing is kept for a log
    // that is never opened.
    void holdUntilOpen();
    bool holding() const;

    bool isOpen() const;
    QString path() const;
    // False once a line could not be written.
    bool intact() const;

    // text with what no line of the text log may hold written as escapes:
    // control characters and line breaks (\n, \r, \t, \x1b, \u0085,
    // \u2028), the bidirectional controls that reorder what follows
    // (\u202e, \u2066 ...) and halves of surrogate pairs standing alone.
    // Names are data: none can write a line of the log's own, or turn the
    // words after it around.
    static QString escaped(const QString& text);

    // A line of text; in a JSON log a "note" event holding it.
    void write(const QString& text);
    // An event: its lines of text, or in a JSON log one object with the
    // event's code and fields besides the time and the run's id.
    void writeEvent(const QString& code, const QJsonObject& fields, const QStringList& text);
    void removalEvent(const RemovalEvent& event) override;

    // "gone", "in use", ..., for the record; public for the tests.
    static QString reasonText(LeftoverReason reason);
    static QString verdictText(Engine::LocationVerdict verdict);

private:
    void describeLocation(const QString& location, const QString& source);
    void verdictEvent(const RemovalEvent& event);
    void removedEvent(const RemovalEvent& event);
    void writeLines(const QByteArray& lines); // m_mutex held, the file open

    const Format m_format;
    const QString m_runId;
    mutable QMutex m_mutex;
    QFile m_file;
    QString m_path; // as opened, absolute
    bool m_intact = true;
    bool m_trial = false;
    bool m_holding = false;
    QByteArray m_held; // written while holding
    Engine::LocationVerdict m_verdict = Engine::LocationVerdict::Empty;
    QString m_location; // as recorded
};

} // namespace appinstaller
