// The error the model's readers raise; LoadProject and the template operations
// catch it and hand its class name and message to their caller.
#pragma once

#include <QString>
#include <stdexcept>

namespace vq {

class ModelError : public std::runtime_error
{
public:
    // className names the kind of failure as the load messages show it:
    // "Exception" for a rule of the file format, "EConvertError" for a value
    // that does not read, "EXMLError" for a file that does not parse.
    ModelError(QString className, QString message)
        : std::runtime_error(message.toStdString())
        , m_className(std::move(className))
        , m_message(std::move(message))
    {
    }
    const QString &className() const { return m_className; }
    const QString &message() const { return m_message; }

private:
    QString m_className;
    QString m_message;
};

} // namespace vq
