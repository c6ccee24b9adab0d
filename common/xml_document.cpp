#include "common/xml_document.h"

#include "common/safe_file.h"

#include <QFile>
#include <QXmlStreamReader>

#include <optional>
#include <utility>

namespace vq {

namespace {

// Where the elements nest deeper than maxDepth: the line and column of the
// first element too deep; nothing when they do not (or the bytes are no XML,
// which the DOM parser then reports).
std::optional<std::pair<qint64, qint64>> tooDeep(const QByteArray &bytes, int maxDepth)
{
    QXmlStreamReader xml(bytes);
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > maxDepth)
            return std::pair(xml.lineNumber(), xml.columnNumber());
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return std::nullopt;
}

} // namespace

XmlDocument::XmlDocument() = default;

XmlDocument XmlDocument::withRoot(const QString &rootName)
{
    XmlDocument doc;
    doc.m_dom.appendChild(doc.m_dom.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    doc.m_dom.appendChild(doc.m_dom.createElement(rootName));
    return doc;
}

bool XmlDocument::loadFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dom.clear();
        if (error)
            *error = QStringLiteral("Datei \"%1\" kann nicht geöffnet werden: %2")
                         .arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_dom.clear();
        if (error)
            *error = QStringLiteral("Datei \"%1\" kann nicht gelesen werden: %2")
                         .arg(path, file.errorString());
        return false;
    }
    QString parseError;
    if (!parse(bytes, &parseError)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, parseError);
        return false;
    }
    return true;
}

bool XmlDocument::parse(const QByteArray &bytes, QString *error)
{
    m_dom.clear();
    // The DOM parser takes time growing with the square of the nesting depth:
    // a damaged file of unclosed elements would hang the program for minutes.
    if (const auto where = tooDeep(bytes, kMaxXmlDepth)) {
        if (error)
            *error = QStringLiteral("kein gültiges XML (Zeile %1, Spalte %2): mehr als %3 Ebenen "
                                    "ineinander")
                         .arg(where->first)
                         .arg(where->second)
                         .arg(kMaxXmlDepth);
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!m_dom.setContent(bytes, false, &message, &line, &column)) {
        m_dom.clear();
        if (error)
            *error = QStringLiteral("kein gültiges XML (Zeile %1, Spalte %2): %3")
                         .arg(line)
                         .arg(column)
                         .arg(message);
        return false;
    }
    if (m_dom.documentElement().isNull()) {
        if (error)
            *error = QStringLiteral("kein gültiges XML: kein Wurzelelement");
        return false;
    }
    return true;
}

QByteArray XmlDocument::toByteArray() const
{
    // The bytes are always UTF-8, so a declaration read from a file that named
    // another encoding ("windows-1252" in older libraries) must say so too, or
    // every umlaut is garbled on the next read.
    const QDomNode first = m_dom.firstChild();
    if (first.isProcessingInstruction()
        && first.toProcessingInstruction().target().compare(u"xml", Qt::CaseInsensitive) == 0) {
        QDomProcessingInstruction declaration = first.toProcessingInstruction();
        const QString utf8Declaration = QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"");
        if (declaration.data() != utf8Declaration) {
            QDomDocument copy = m_dom.cloneNode(true).toDocument();
            copy.firstChild().toProcessingInstruction().setData(utf8Declaration);
            return copy.toByteArray(2);
        }
    }
    return m_dom.toByteArray(2);
}

bool XmlDocument::saveFile(const QString &path, QString *error, FileAccess access) const
{
    return writeFileSafely(path, toByteArray(), error, access);
}

QList<QDomElement> childElements(const QDomElement &parent)
{
    QList<QDomElement> result;
    for (QDomElement child = parent.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        result.append(child);
    return result;
}

QString elementText(const QDomElement &element)
{
    QString text = element.text();
    // A CR that reached the tree as a character reference still reads as LF.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString storableXmlText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u == u'\r') {
            result.append(u'\n');
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else if (u < 0x20 && u != u'\t' && u != u'\n') {
            continue;
        } else if (u == 0xFFFE || u == 0xFFFF) {
            continue;
        } else if (c.isHighSurrogate()) {
            if (i + 1 < n && text[i + 1].isLowSurrogate()) {
                result.append(c);
                result.append(text[++i]);
            }
        } else if (c.isLowSurrogate()) {
            continue;
        } else {
            result.append(c);
        }
    }
    return result;
}

QDomElement appendTextElement(QDomElement parent, const QString &name, const QString &text)
{
    QDomDocument doc = parent.ownerDocument();
    QDomElement element = doc.createElement(name);
    const QString value = storableXmlText(text);
    if (!value.isEmpty()) {
        // The parser drops text made only of white space; a CDATA section keeps it.
        if (value.trimmed().isEmpty())
            element.appendChild(doc.createCDATASection(value));
        else
            element.appendChild(doc.createTextNode(value));
    }
    parent.appendChild(element);
    return element;
}

QDomElement appendElement(QDomElement parent, const QString &name)
{
    QDomElement element = parent.ownerDocument().createElement(name);
    parent.appendChild(element);
    return element;
}

} // namespace vq
