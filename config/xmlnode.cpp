#include "xmlnode.h"

#include <QByteArray>
#include <QDomDocumentType>
#include <QDomNode>
#include <QDomNodeList>
#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>
#include <QXmlStreamReader>

namespace appinstaller
{

namespace
{

// An element deeper than this ends the document, as a parse error there
// would. QDomDocument::setContent() recursed once per level and overflowed
// the main thread's stack between 20,000 and 50,000 levels on Linux (8 MiB)
// and between 3,000 and 5,000 with Windows' 1 MiB. Freeing a tree still
// recurses: 10,000 levels fit in 1 MiB, 20,000 did not.
const int kMaxDepth = 10000;

// The file's text by the XML rules: a byte-order mark, else the encoding
// declaration, else UTF-8. Bytes that are not valid in the encoding become
// U+FFFD, as they did with QDomDocument::setContent(): one bad byte does not
// cost the rest of the file.
QString decodeDocument(const QByteArray& bytes)
{
    QTextCodec* codec = QTextCodec::codecForUtfText(bytes, nullptr);
    if (!codec && bytes.startsWith(QByteArray("<\0?\0", 4)))
        codec = QTextCodec::codecForMib(1014); // UTF-16LE
    else if (!codec && bytes.startsWith(QByteArray("\0<\0?", 4)))
        codec = QTextCodec::codecForMib(1013); // UTF-16BE
    if (!codec) {
        static const QRegularExpression declaration(
            QStringLiteral("^<\\?xml[^>]*\\sencoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
        const QRegularExpressionMatch match =
            declaration.match(QString::fromLatin1(bytes.left(200)));
        if (match.hasMatch())
            codec = QTextCodec::codecForName(match.captured(1).toLatin1());
        // These bytes read as 8-bit text: a 16- or 32-bit encoding would
        // have shown a mark or a "<" with zero bytes around it.
        if (codec && codec->mibEnum() >= 1013 && codec->mibEnum() <= 1019)
            codec = nullptr;
    }
    if (!codec)
        codec = QTextCodec::codecForMib(106); // UTF-8
    return codec->toUnicode(bytes);
}

// The document as far as it is well-formed: elements, their text, CDATA
// sections and unresolved entity references; white-space-only text is
// dropped, as QDomDocument::setContent() drops it. Built without recursion
// by a parser that has none: the file decides how deep it goes.
QDomDocument parseDocument(const QString& text)
{
    // Not a null document: that one ignores every node added to it.
    QDomDocument document{QDomDocumentType()};
    // Given text, the reader ignores the encoding declaration.
    QXmlStreamReader reader(text);
    reader.setNamespaceProcessing(false);
    QDomNode current = document;
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (depth == kMaxDepth)
                return document;
            current =
                current.appendChild(document.createElement(reader.qualifiedName().toString()));
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            current = current.parentNode();
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 0 || reader.isWhitespace())
                break;
            if (reader.isCDATA())
                current.appendChild(document.createCDATASection(reader.text().toString()));
            else
                current.appendChild(document.createTextNode(reader.text().toString()));
            break;
        case QXmlStreamReader::EntityReference:
            // An external entity: never fetched, so it has no text.
            if (depth > 0)
                current.appendChild(document.createEntityReference(reader.name().toString()));
            break;
        default:
            break;
        }
    }
    return document;
}

} // namespace

XmlNode::XmlNode(const QDomElement& found, const QDomDocument& owner)
    : element(found), document(owner)
{
}

bool XmlNode::loadFile(const QString& path)
{
    if (path.isNull())
        return false;
    QFile file(path);
    // Not in text mode: that drops every 0x0D byte, which in UTF-16 is half
    // of a character (U+4E0D, or a line's CR). XML ends lines by itself.
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A parse error is not a failure here: whatever was read is used, and a
    // file that is no XML at all simply has no root element.
    document = parseDocument(decodeDocument(file.readAll()));
    file.close();
    element = document.documentElement();
    return true;
}

XmlNode XmlNode::findElement(const QString& tag) const
{
    if (element.hasChildNodes()) {
        const QDomNodeList found = element.elementsByTagName(tag);
        if (!found.isEmpty())
            return XmlNode(found.item(0).toElement(), document);
    }
    return XmlNode();
}

int XmlNode::elementCount() const
{
    if (element.isNull() || !element.hasChildNodes())
        return 0;
    int count = 0;
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isElement())
            ++count;
    }
    return count;
}

QVector<XmlNode> XmlNode::elements() const
{
    QVector<XmlNode> children;
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isElement())
            children.append(XmlNode(child.toElement(), document));
    }
    return children;
}

QVector<XmlNode> XmlNode::elements(const QString& tag) const
{
    QVector<XmlNode> children;
    for (QDomElement child = element.firstChildElement(tag); !child.isNull();
         child = child.nextSiblingElement(tag))
        children.append(XmlNode(child, document));
    return children;
}

XmlNode XmlNode::elementAt(int index) const
{
    if (element.isNull())
        return XmlNode();
    int count = 0;
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement())
            continue;
        if (count == index)
            return XmlNode(child.toElement(), document);
        ++count;
    }
    return XmlNode();
}

QString XmlNode::text() const
{
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText())
            return child.toText().data();
    }
    return QString();
}

} // namespace appinstaller
