#pragma once

// The list of what the product installed, written by its packaging beside
// the uninstaller (InstallManifest.txt), and the filter that lets the walk
// remove only that. UTF-8 text:
//
//   FerrovaneInstallManifest 1
//   Product {8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}
//   # a comment; blank lines are skipped
//   Ferrovane.exe
//   data\maps\harbour.map
//   logs/
//
// Paths are relative to the install folder, with '/' or '\' between names;
// a final separator marks a folder owned whole (everything in it goes).
// UTF-8, or UTF-8 or UTF-16 with a byte-order mark; CRLF or LF; comments and
// blank lines anywhere; the GUID with or without braces, in any case.
// A manifest is used whole or not at all: one line that could reach outside
// the folder or names what no file name may hold, a file that cannot be read
// whole, is too large, has another header or lists nothing, and it cannot be
// trusted; then nothing of the install folder is removed.

#include "platform/platform.h"

#include <QSet>
#include <QString>
#include <QVector>

namespace Engine
{

constexpr auto kManifestFileName = "InstallManifest.txt";
constexpr qint64 kManifestMaxBytes = 16 * 1024 * 1024;
constexpr int kManifestMaxLines = 400000;
constexpr int kManifestMaxLineLength = 4096;
// Refused lines named one by one; the rest are counted.
constexpr int kManifestListedRefusals = 100;

enum class ManifestState {
    Absent,       // no file: the removal goes as without one
    Used,         // read, and it narrows the removal
    Unreadable,   // there but not a file that can be read
    TooLarge,     // more than kManifestMaxBytes
    TooManyLines, // more than kManifestMaxLines
    NotUtf8,      // bytes that are no UTF-8
    NotManifest,  // no "FerrovaneInstallManifest 1" header with a product line
    OtherProduct, // the header names another product's GUID
    NoEntries,    // it lists nothing
    LineRefused,  // a line of it cannot be used (see refused)
};

enum class ManifestLineProblem {
    Parent,        // a ".." name
    Absolute,      // "/x", "\x", "C:x", "\\server\share"
    BadCharacter,  // a control character or one of <>:"|?*
    BadName,       // a name Windows cannot keep: CON, NUL, COM1, a final '.' or ' '
    TooLong,       // longer than kManifestMaxLineLength
    InstallFolder, // names the install folder itself
};

struct RefusedLine {
    int number = 0; // from 1
    QString text;   // shortened when long
    ManifestLineProblem problem = ManifestLineProblem::Parent;
};

struct InstallManifest {
    ManifestState state = ManifestState::Absent;
    QString path;
    // Keys (manifestKey) of the files listed and of the folders owned whole.
    QSet<QString> files;
    QSet<QString> folders;
    QVector<RefusedLine> refused; // the first kManifestListedRefusals
    int refusedCount = 0;         // all of them

    bool used() const { return state == ManifestState::Used; }
    // Absent or used: anything else means the install folder cannot be
    // told apart from the user's files, and nothing of it goes.
    bool trusted() const { return state == ManifestState::Absent || used(); }
};

// The manifest beside the uninstaller, for the product with this GUID. A
// file that is there but cannot be opened or read (another program holds
// it) is tried again a few times over about a second.
InstallManifest readInstallManifest(const QString& path, const QString& guid,
                                    Qt::CaseSensitivity paths = Platform::pathCaseSensitivity());
// The same from the file's bytes.
InstallManifest parseInstallManifest(const QByteArray& data, const QString& guid,
                                     Qt::CaseSensitivity paths = Platform::pathCaseSensitivity());

// A relative path with '/' between its names as the walk gives it, made
// into the form the manifest's sets hold.
QString manifestKey(const QString& relative, Qt::CaseSensitivity paths);

// English words for the record.
QString manifestStateText(ManifestState state);
QString manifestProblemText(ManifestLineProblem problem);

// What a removal with a manifest takes: the files it lists and the folders
// it owns whole; every other folder is entered, every other file or link
// kept. Entries that must go in any case (the client program, which proves
// the folder is the product's) are given as alsoRemove.
class ManifestFilter : public Platform::EntryFilter
{
public:
    ManifestFilter(const InstallManifest& manifest, const QStringList& alsoRemove,
                   Qt::CaseSensitivity paths = Platform::pathCaseSensitivity());
    Decision decide(const QString& relativePath, bool isFolder) const override;

private:
    const InstallManifest& m_manifest;
    QSet<QString> m_alsoRemove;
    Qt::CaseSensitivity m_paths;
};

} // namespace Engine
