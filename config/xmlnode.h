#pragma once

// A position in a parsed XML file: one element and the document it belongs
// to. A lookup that finds nothing gives a node with a null element; asking
// such a node anything gives nothing again, so lookups can be chained.

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QVector>

namespace appinstaller
{

class XmlNode
{
public:
    XmlNode() = default;

    // Parses the file and points at its root element. False only when the
    // file cannot be opened: a file that is not XML leaves a null root, and
    // one that goes wrong part-way (bad syntax, an element nested over
    // 10,000 deep) keeps what came before.
    bool loadFile(const QString& path);

    // The first element named tag below this one, at any depth.
    XmlNode findElement(const QString& tag) const;

    // The element children of this element, text and comments skipped.
    int elementCount() const;
    XmlNode elementAt(int index) const;
    // All of them in one walk; elementAt() walks from the first each time.
    QVector<XmlNode> elements() const;
    // Those named tag, in their order.
    QVector<XmlNode> elements(const QString& tag) const;

    // The element's own first text; a null string when it has none.
    QString text() const;

    // No element: a file that held no XML at all.
    bool isNull() const { return element.isNull(); }

private:
    XmlNode(const QDomElement& found, const QDomDocument& owner);

    QDomElement element;
    QDomDocument document;
};

} // namespace appinstaller
