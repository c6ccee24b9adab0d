// Where the writers of fields, articles and the project put their elements:
// into a DOM element (template libraries) or straight into a stream (project
// files, which are large and written whole). Both give the same elements.
#pragma once

#include <QByteArray>
#include <QDomElement>
#include <QString>
#include <functional>

class QXmlStreamWriter;

namespace vq {

class XmlOut
{
public:
    virtual ~XmlOut() = default;
    // A child element holding a text (same rules as appendTextElement).
    virtual void text(const QString &name, const QString &value) = 0;
    // A child element whose own children fill() writes.
    virtual void element(const QString &name, const std::function<void(XmlOut &)> &fill) = 0;
};

// Appends to a DOM element.
class DomXmlOut : public XmlOut
{
public:
    explicit DomXmlOut(QDomElement parent)
        : m_parent(std::move(parent))
    {
    }
    void text(const QString &name, const QString &value) override;
    void element(const QString &name, const std::function<void(XmlOut &)> &fill) override;

private:
    QDomElement m_parent;
};

// Writes a whole document: XML declaration, root element `rootName` filled
// by fill(), indented by two blanks, UTF-8.
QByteArray writeXmlDocument(const QString &rootName, const std::function<void(XmlOut &)> &fill);

} // namespace vq
