#include "xmlnode.h"

#include <QDomNode>
#include <QDomNodeList>
#include <QFile>

namespace appinstaller
{

XmlNode::XmlNode(const QDomElement& found, const QDomDocument& owner)
    : element(found), document(owner)
{
}

bool XmlNode::loadFile(const QString& path)
{
    if (path.isNull())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // A parse error is not a failure here: whatever was read is used, and a
    // file that is no XML at all simply has no root element.
    document.setContent(&file);
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
