// The thin XML layer of the designer's files (project, template libraries,
// profiles, form-mailer list): parse, find, iterate, read and write text,
// append, delete, and write the whole tree safely to a file.
#pragma once

#include "common/safe_file.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QString>

namespace vq {

// Elements nested deeper than this are no file of this system; such bytes do not parse.
inline constexpr int kMaxXmlDepth = 1000;

class XmlDocument
{
public:
    XmlDocument();

    // A new document with an XML declaration and a root element of that name.
    static XmlDocument withRoot(const QString &rootName);

    // Parses a file or bytes; on failure the document is empty and *error says
    // why (file, line and column for XML that is not well-formed or nests
    // deeper than kMaxXmlDepth).
    bool loadFile(const QString &path, QString *error);
    bool parse(const QByteArray &bytes, QString *error);

    // Writes the tree as indented UTF-8 to a temporary file that replaces
    // path only when everything was written; the old file survives a failure.
    bool saveFile(const QString &path, QString *error,
                  FileAccess access = FileAccess::Shared) const;
    QByteArray toByteArray() const;

    QDomElement root() const { return m_dom.documentElement(); }
    QDomDocument &dom() { return m_dom; }

private:
    QDomDocument m_dom;
};

// Direct child elements of an element, in document order.
QList<QDomElement> childElements(const QDomElement &parent);

// The first direct child element of that name (case-sensitive), or a null element.
inline QDomElement findChild(const QDomElement &parent, const QString &name)
{
    return parent.firstChildElement(name);
}

// Text of an element. Line breaks come back as LF, whatever was written.
QString elementText(const QDomElement &element);

// Appends a child element holding a text. CR LF and lone CR are written as
// plain line breaks; characters XML cannot hold (control characters other
// than tab and line breaks, unpaired surrogates) are left out.
QDomElement appendTextElement(QDomElement parent, const QString &name, const QString &text);

QDomElement appendElement(QDomElement parent, const QString &name);

// A text as the XML files store it: line breaks as LF, characters XML cannot
// hold left out.
QString storableXmlText(const QString &text);

} // namespace vq
