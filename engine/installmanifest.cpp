#include "installmanifest.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

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

// Names Windows keeps for devices, with or without an extension.
bool isDeviceName(const QStringRef& name)
{
    QStringRef base = name.left(name.indexOf(QLatin1Char('.')));
    while (base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    if (base.size() == 3) {
        for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
            if (base.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    return base.size() == 4 &&
           (base.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0 ||
            base.left(3).compare(QLatin1String("LPT"), Qt::CaseInsensitive) == 0) &&
           base.at(3) >= QLatin1Char('1') && base.at(3) <= QLatin1Char('9');
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
            isDeviceName(name)) {
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
    if (data.count('\n') >= kManifestMaxLines)
        return failed(ManifestState::TooManyLines);
    QTextCodec::ConverterState decoding(QTextCodec::ConvertInvalidToNull);
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &decoding);
    if (decoding.invalidChars > 0 || decoding.remainingChars > 0 || data.contains('\0'))
        return failed(ManifestState::NotUtf8);

    bool header = false;
    bool product = false;
    QString key;
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QStringRef line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line = line.mid(1);
        if (!header) {
            if (line != kHeader)
                return failed(ManifestState::NotManifest);
            header = true;
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!product) {
            if (!line.startsWith(kProductKey))
                return failed(ManifestState::NotManifest);
            if (line.mid(kProductKey.size())
                        .trimmed()
                        .compare(guid.trimmed(), Qt::CaseInsensitive) != 0 ||
                guid.trimmed().isEmpty())
                return failed(ManifestState::OtherProduct);
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
    if (!product)
        return failed(ManifestState::NotManifest);
    if (manifest.files.isEmpty() && manifest.folders.isEmpty()) {
        // Nothing to remove would leave the product and still clear its
        // entry: without a usable line the list is no list.
        const QVector<RefusedLine> refused = manifest.refused;
        const int count = manifest.refusedCount;
        failed(ManifestState::NoEntries);
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
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        manifest.path = path;
        return manifest;
    }
    // A plain file only: a pipe or device would keep the read waiting.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        manifest.state = ManifestState::Unreadable;
    } else if (file.size() > kManifestMaxBytes) {
        manifest.state = ManifestState::TooLarge;
    } else {
        const QByteArray data = file.read(kManifestMaxBytes + 1);
        if (file.error() != QFileDevice::NoError)
            manifest.state = ManifestState::Unreadable;
        else
            manifest = parseInstallManifest(data, guid, paths);
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
        return QStringLiteral("not used: it cannot be read");
    case ManifestState::TooLarge:
        return QStringLiteral("not used: larger than %1 bytes").arg(kManifestMaxBytes);
    case ManifestState::TooManyLines:
        return QStringLiteral("not used: more than %1 lines").arg(kManifestMaxLines);
    case ManifestState::NotUtf8:
        return QStringLiteral("not used: not UTF-8 text");
    case ManifestState::NotManifest:
        return QStringLiteral("not used: no \"%1\" header followed by a Product line").arg(kHeader);
    case ManifestState::OtherProduct:
        return QStringLiteral("not used: it names another product");
    case ManifestState::NoEntries:
        return QStringLiteral("not used: it lists nothing that can be used");
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
