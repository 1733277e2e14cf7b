#include "installmanifest.h"

#include "removalguard.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QThread>

namespace Engine
{

namespace
{

const QLatin1String kHeader("FerrovaneInstallManifest 1");
const QLatin1String kProductKey("Product ");
constexpr int kShownLineLength = 200;

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

bool isForbidden(QChar c)
{
    switch (c.unicode()) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
    case 0x7f:
        return true;
    default:
        return c.unicode() < 0x20;
    }
}

// The key of one line ('/' between its names, "." and empty names dropped),
// or why it is refused; folder tells a final separator.
bool entryKey(const QStringRef& line, QString& key, bool& folder, ManifestLineProblem& problem)
{
    if (line.size() > kManifestMaxLineLength) {
        problem = ManifestLineProblem::TooLong;
        return false;
    }
    // "\\server", "/x", "\x" and "C:x" all lead away from the folder.
    if (isSeparator(line.at(0)) || (line.size() > 1 && line.at(1) == QLatin1Char(':'))) {
        problem = ManifestLineProblem::Absolute;
        return false;
    }
    for (const QChar c : line) {
        if (isForbidden(c)) {
            problem = ManifestLineProblem::BadCharacter;
            return false;
        }
    }
    folder = isSeparator(line.back());
    key.clear();
    key.reserve(line.size());
    int start = 0;
    for (int i = 0; i <= line.size(); ++i) {
        if (i < line.size() && !isSeparator(line.at(i)))
            continue;
        const QStringRef name = line.mid(start, i - start);
        start = i + 1;
        if (name.isEmpty() || name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            problem = ManifestLineProblem::Parent;
            return false;
        }
        // Windows drops a final dot or space, so "a." would be "a".
        if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')) ||
            isWindowsDeviceName(QStringView(name))) {
            problem = ManifestLineProblem::BadName;
            return false;
        }
        if (!key.isEmpty())
            key += QLatin1Char('/');
        key += name;
    }
    if (key.isEmpty()) {
        problem = ManifestLineProblem::InstallFolder;
        return false;
    }
    return true;
}

void refuse(InstallManifest& manifest, int number, const QString& line, ManifestLineProblem problem)
{
    ++manifest.refusedCount;
    if (manifest.refused.size() >= kManifestListedRefusals)
        return;
    QString shown = line.left(kShownLineLength);
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QChar(0xFFFD);
    }
    if (line.size() > kShownLineLength)
        shown += QChar(0x2026);
    manifest.refused.append({number, shown, problem});
}

// The text of the file: UTF-8, or UTF-8 or UTF-16 (either order) after a
// byte-order mark; false when the bytes are not such text.
bool decode(const QByteArray& data, QString& text)
{
    const char* name = "UTF-8";
    int skip = 0;
    if (data.startsWith("\xEF\xBB\xBF")) {
        skip = 3;
    } else if (data.startsWith("\xFF\xFE")) {
        name = "UTF-16LE";
        skip = 2;
    } else if (data.startsWith("\xFE\xFF")) {
        name = "UTF-16BE";
        skip = 2;
    }
    if (skip == 2 && data.size() % 2 != 0)
        return false;
    QTextCodec::ConverterState decoding(QTextCodec::ConvertInvalidToNull);
    text = QTextCodec::codecForName(name)->toUnicode(data.constData() + skip, data.size() - skip,
                                                     &decoding);
    return decoding.invalidChars == 0 && decoding.remainingChars == 0 && !text.contains(QChar(0));
}

// "{8E4B…}", "8e4b…" and " {8E4B…} " are one GUID.
QString bareGuid(QString guid)
{
    guid = guid.trimmed();
    if (guid.startsWith(QLatin1Char('{')) && guid.endsWith(QLatin1Char('}')))
        guid = guid.mid(1, guid.size() - 2).trimmed();
    return guid.toUpper();
}

} // namespace

QString manifestKey(const QString& relative, Qt::CaseSensitivity paths)
{
    if (paths == Qt::CaseSensitive)
        return relative;
    // As Windows compares names: each UTF-16 unit by its simple upper case
    // (the file system's upcase table), never folded: folding takes the
    // Kelvin sign for "k", which Windows keeps apart.
    QString key = relative;
    for (QChar& c : key)
        if (!c.isSurrogate())
            c = c.toUpper();
    return key;
}

namespace
{

// The lines of a manifest's text into manifest, a line that cannot be used
// among its refused ones: Used when it is a manifest of the product with
// guid, else why not.
ManifestState readLines(const QString& text, const QString& guid, Qt::CaseSensitivity paths,
                        InstallManifest& manifest)
{
    bool header = false;
    bool product = false;
    QString key;
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QStringRef line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!header) {
            if (line != kHeader)
                return ManifestState::NotManifest;
            header = true;
            continue;
        }
        if (!product) {
            if (!line.startsWith(kProductKey))
                return ManifestState::NotManifest;
            if (bareGuid(line.mid(kProductKey.size()).toString()) != bareGuid(guid) ||
                bareGuid(guid).isEmpty())
                return ManifestState::OtherProduct;
            product = true;
            continue;
        }
        bool folder = false;
        ManifestLineProblem problem = ManifestLineProblem::Parent;
        if (!entryKey(line, key, folder, problem)) {
            refuse(manifest, i + 1, line.toString(), problem);
            continue;
        }
        (folder ? manifest.folders : manifest.files).insert(manifestKey(key, paths));
    }
    return product ? ManifestState::Used : ManifestState::NotManifest;
}

} // namespace

InstallManifest parseInstallManifest(const QByteArray& data, const QString& guid,
                                     Qt::CaseSensitivity paths)
{
    InstallManifest manifest;
    const auto failed = [&manifest](ManifestState state) {
        manifest.state = state;
        manifest.files.clear();
        manifest.folders.clear();
        manifest.refused.clear();
        manifest.refusedCount = 0;
        return manifest;
    };
    if (data.size() > kManifestMaxBytes)
        return failed(ManifestState::TooLarge);
    QString text;
    if (!decode(data, text))
        return failed(ManifestState::NotUtf8);
    if (text.count(QLatin1Char('\n')) >= kManifestMaxLines)
        return failed(ManifestState::TooManyLines);
    const ManifestState read = readLines(text, guid, paths, manifest);
    if (read != ManifestState::Used)
        return failed(read);
    if (manifest.refusedCount > 0 || (manifest.files.isEmpty() && manifest.folders.isEmpty())) {
        // A list with a line it cannot keep is not the installer's whole
        // record, and an empty one would leave the product and still clear
        // its entry: neither tells the product's files from the user's.
        const QVector<RefusedLine> refused = manifest.refused;
        const int count = manifest.refusedCount;
        failed(count > 0 ? ManifestState::LineRefused : ManifestState::NoEntries);
        manifest.refused = refused;
        manifest.refusedCount = count;
        return manifest;
    }
    manifest.state = ManifestState::Used;
    return manifest;
}

InstallManifest readInstallManifest(const QString& path, const QString& guid,
                                    Qt::CaseSensitivity paths)
{
    InstallManifest manifest;
    // Only nothing at all by that name is no manifest: a dangling link, a
    // folder or a file that cannot be read is one that cannot be used.
    if (!Platform::entryExists(path)) {
        manifest.path = path;
        return manifest;
    }
    // A plain file only: a pipe or device would keep the read waiting.
    // Another program may hold it a moment (a scanner, an indexer).
    constexpr int kTries = 10;
    constexpr int kPauseMs = 100;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kPauseMs);
        QFile file(path);
        if (!QFileInfo(path).isFile()) {
            manifest.state = ManifestState::Unreadable;
            break;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            manifest.state = ManifestState::Unreadable;
            continue;
        }
        if (file.size() > kManifestMaxBytes) {
            manifest.state = ManifestState::TooLarge;
            break;
        }
        const QByteArray data = file.read(kManifestMaxBytes + 1);
        if (file.error() != QFileDevice::NoError) {
            manifest.state = ManifestState::Unreadable;
            continue;
        }
        manifest = parseInstallManifest(data, guid, paths);
        break;
    }
    manifest.path = path;
    return manifest;
}

QString manifestStateText(ManifestState state)
{
    switch (state) {
    case ManifestState::Absent:
        return QStringLiteral("none: everything in the install folder is the product's");
    case ManifestState::Used:
        return QStringLiteral("used: only what it lists goes, with the folders left empty");
    case ManifestState::Unreadable:
        return QStringLiteral("cannot be trusted: it cannot be read");
    case ManifestState::TooLarge:
        return QStringLiteral("cannot be trusted: larger than %1 bytes").arg(kManifestMaxBytes);
    case ManifestState::TooManyLines:
        return QStringLiteral("cannot be trusted: more than %1 lines").arg(kManifestMaxLines);
    case ManifestState::NotUtf8:
        return QStringLiteral("cannot be trusted: not UTF-8 or UTF-16 text");
    case ManifestState::NotManifest:
        return QStringLiteral("cannot be trusted: no \"%1\" header followed by a Product line")
            .arg(kHeader);
    case ManifestState::OtherProduct:
        return QStringLiteral("cannot be trusted: it names another product");
    case ManifestState::NoEntries:
        return QStringLiteral("cannot be trusted: it lists nothing");
    case ManifestState::LineRefused:
        return QStringLiteral("cannot be trusted: a line of it cannot be used");
    }
    return QString();
}

QString manifestProblemText(ManifestLineProblem problem)
{
    switch (problem) {
    case ManifestLineProblem::Parent:
        return QStringLiteral("a \"..\" leads out of the install folder");
    case ManifestLineProblem::Absolute:
        return QStringLiteral("not relative to the install folder");
    case ManifestLineProblem::BadCharacter:
        return QStringLiteral("a character no file name may hold");
    case ManifestLineProblem::BadName:
        return QStringLiteral("a name Windows cannot keep");
    case ManifestLineProblem::TooLong:
        return QStringLiteral("longer than %1 characters").arg(kManifestMaxLineLength);
    case ManifestLineProblem::InstallFolder:
        return QStringLiteral("it names the install folder itself");
    }
    return QString();
}

ManifestFilter::ManifestFilter(const InstallManifest& manifest, const QStringList& alsoRemove,
                               Qt::CaseSensitivity paths)
    : m_manifest(manifest), m_paths(paths)
{
    for (const QString& entry : alsoRemove)
        m_alsoRemove.insert(manifestKey(entry, paths));
}

Platform::EntryFilter::Decision ManifestFilter::decide(const QString& relativePath,
                                                       bool isFolder) const
{
    const QString key = manifestKey(relativePath, m_paths);
    if (isFolder)
        return m_manifest.folders.contains(key) ? Decision::Remove : Decision::Enter;
    // A link where a folder is listed was put there after the install (to
    // keep the data elsewhere): not what the product installed, so it stays.
    return m_manifest.files.contains(key) || m_alsoRemove.contains(key) ? Decision::Remove
                                                                        : Decision::Keep;
}

} // namespace Engine
