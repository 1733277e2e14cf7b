#pragma once

// The log of one run: a UTF-8 text file, appended to, one line for each
// thing decided or done, each with its time (UTC). It records what the
// program read and did, never the contents of any file.

#include "engine/removalreport.h"

#include <QFile>
#include <QMutex>
#include <QString>

namespace appinstaller
{

class UninstallLog : public RemovalReport
{
public:
    // Why path cannot be the log, in words for the user; empty when it can.
    // installLocation: the product's install folder as recorded (may be
    // empty). A log inside it would be removed with it, or keep it from
    // being removed; one that is a link or no plain file would write
    // where the path does not say.
    static QString refusal(const QString& path, const QString& installLocation);
    // Only the last of those: path inside the install folder.
    static QString insideRefusal(const QString& path, const QString& installLocation);

    // Opens path (refusal() passed) for appending; error gets the system's words.
    bool open(const QString& path, QString* error);
    // A new file of its own in folder (the temporary folder), never one
    // that was there before.
    bool openNew(const QString& folder, QString* error);

    bool isOpen() const;
    QString path() const;
    // False once a line could not be written.
    bool intact() const;

    void write(const QString& text);
    void removalEvent(const RemovalEvent& event) override;

    // "gone", "in use", ..., for the record; public for the tests.
    static QString reasonText(LeftoverReason reason);
    static QString verdictText(Engine::LocationVerdict verdict);

private:
    void describeLocation(const QString& location, const QString& source);
    void describeSharing(const QString& location);

    mutable QMutex m_mutex;
    QFile m_file;
    bool m_intact = true;
    Engine::LocationVerdict m_verdict = Engine::LocationVerdict::Empty;
    QString m_location; // as recorded
};

} // namespace appinstaller
