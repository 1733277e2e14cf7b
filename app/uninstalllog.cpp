#include "uninstalllog.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <algorithm>

// The log's lines: its first, and each event as text or JSON. Where it may
// be and how it is opened: logfile.cpp; the events of a removal: logevents.cpp.

namespace appinstaller
{

UninstallLog::UninstallLog(Format format)
    : m_format(format), m_runId(QStringLiteral("run-%1").arg(QRandomGenerator::global()->generate(),
                                                             8, 16, QLatin1Char('0')))
{
}

QString UninstallLog::headerLine(Format format)
{
    // Never changed: earlier logs are known by it. A JSON log's is JSON too,
    // so that every line of it parses.
    return format == Format::Json
               ? QStringLiteral("{\"log\":\"uninstaller\",\"format\":\"json-lines\",\"version\":1}")
               : QStringLiteral(
                     "# uninstaller log: UTF-8, each line below begins with its time (UTC)");
}

bool UninstallLog::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_file.isOpen();
}

QString UninstallLog::path() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

bool UninstallLog::intact() const
{
    QMutexLocker lock(&m_mutex);
    return m_intact;
}

namespace
{

// A character no line of the text log holds as it is: a control character,
// a line break, a bidirectional control, half of a surrogate pair.
bool needsEscape(ushort c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f ||
           (c >= 0x2028 && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069) || QChar::isSurrogate(c);
}

} // namespace

QString UninstallLog::escaped(const QString& text)
{
    // Nearly every line holds none: it is returned as it is.
    const auto first =
        std::find_if(text.cbegin(), text.cend(), [](QChar c) { return needsEscape(c.unicode()); });
    if (first == text.cend())
        return text;
    QString result = text.left(int(first - text.cbegin()));
    for (int i = result.size(); i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        const bool pair = i + 1 < text.size() && QChar::isHighSurrogate(c) &&
                          QChar::isLowSurrogate(text.at(i + 1).unicode());
        if (pair) {
            result += text.at(i);
            result += text.at(++i);
            continue;
        }
        if (!needsEscape(c)) {
            result += text.at(i);
            continue;
        }
        switch (c) {
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        default:
            result += c < 0x100 ? QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'))
                                : QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0'));
        }
    }
    return result;
}

void UninstallLog::write(const QString& text)
{
    writeEvent(QStringLiteral("note"), QJsonObject{{QStringLiteral("text"), text}}, {text});
}

void UninstallLog::writeEvent(const QString& code, const QJsonObject& fields,
                              const QStringList& text)
{
    QMutexLocker lock(&m_mutex);
    if (!m_file.isOpen() && !m_holding)
        return;
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QByteArray lines;
    if (m_format == Format::Json) {
        QJsonObject object{{QStringLiteral("time"), time},
                           {QStringLiteral("run"), m_runId},
                           {QStringLiteral("event"), code}};
        if (m_trial)
            object.insert(QStringLiteral("trial"), true);
        for (auto it = fields.begin(); it != fields.end(); ++it)
            object.insert(it.key(), it.value());
        lines = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    } else {
        for (const QString& line : text)
            lines += (time + QLatin1String("  ") + m_runId + QLatin1String("  ") +
                      (m_trial ? QLatin1String("trial: ") : QLatin1String()) + escaped(line) +
                      QLatin1Char('\n'))
                         .toUtf8();
    }
    if (m_file.isOpen())
        writeLines(lines);
    else
        m_held += lines;
}

void UninstallLog::writeLines(const QByteArray& lines)
{
    // Flushed event by event: a run that is killed keeps its record so far.
    if (!lines.isEmpty() && (m_file.write(lines) != lines.size() || !m_file.flush()))
        m_intact = false;
}

void UninstallLog::holdUntilOpen()
{
    QMutexLocker lock(&m_mutex);
    m_holding = !m_file.isOpen();
}

bool UninstallLog::holding() const
{
    QMutexLocker lock(&m_mutex);
    return m_holding;
}

} // namespace appinstaller
