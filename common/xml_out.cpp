#include "common/xml_out.h"

#include "common/xml_document.h"

#include <QXmlStreamWriter>

namespace vq {

void DomXmlOut::text(const QString &name, const QString &value)
{
    appendTextElement(m_parent, name, value);
}

void DomXmlOut::element(const QString &name, const std::function<void(XmlOut &)> &fill)
{
    DomXmlOut child(appendElement(m_parent, name));
    fill(child);
}

namespace {

class StreamXmlOut : public XmlOut
{
public:
    explicit StreamXmlOut(QXmlStreamWriter &writer)
        : m_writer(writer)
    {
    }
    void text(const QString &name, const QString &value) override
    {
        const QString stored = storableXmlText(value);
        if (stored.isEmpty()) {
            m_writer.writeEmptyElement(name);
        } else if (stored.trimmed().isEmpty()) {
            // The parser drops text made only of white space; CDATA keeps it.
            m_writer.writeStartElement(name);
            m_writer.writeCDATA(stored);
            m_writer.writeEndElement();
        } else {
            m_writer.writeTextElement(name, stored);
        }
    }
    void element(const QString &name, const std::function<void(XmlOut &)> &fill) override
    {
        m_writer.writeStartElement(name);
        fill(*this);
        m_writer.writeEndElement();
    }

private:
    QXmlStreamWriter &m_writer;
};

} // namespace

QByteArray writeXmlDocument(const QString &rootName, const std::function<void(XmlOut &)> &fill)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    StreamXmlOut out(writer);
    out.element(rootName, fill);
    writer.writeEndDocument();
    return bytes;
}

} // namespace vq
