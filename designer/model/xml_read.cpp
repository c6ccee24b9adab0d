#include "designer/model/xml_read.h"

#include "common/regional_numbers.h"
#include "common/xml_document.h"
#include "common/xml_values.h"

namespace vq {

ModelError notABoolean(const QString &text)
{
    return ModelError(QStringLiteral("EConvertError"),
                      QStringLiteral("'%1' is not a valid boolean value").arg(text));
}

ModelError notAnInteger(const QString &text)
{
    return ModelError(QStringLiteral("EConvertError"),
                      QStringLiteral("'%1' is not a valid integer value").arg(text));
}

ModelError notANumber(const QString &text)
{
    return ModelError(QStringLiteral("EConvertError"),
                      QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

ModelError missingElement(const QString &name)
{
    return ModelError(QStringLiteral("Exception"),
                      QStringLiteral("Element \"%1\" fehlt").arg(name));
}

QString requiredText(const QDomElement &parent, const QString &name)
{
    const QDomElement child = findChild(parent, name);
    if (child.isNull())
        throw missingElement(name);
    return elementText(child);
}

bool requiredBool(const QDomElement &parent, const QString &name)
{
    const QString text = requiredText(parent, name);
    const auto value = readXmlBool(text);
    if (!value)
        throw notABoolean(text);
    return *value;
}

int requiredInt(const QDomElement &parent, const QString &name)
{
    const QString text = requiredText(parent, name);
    const auto value = readXmlInt(text);
    if (!value)
        throw notAnInteger(text);
    return *value;
}

double requiredNumber(const QDomElement &parent, const QString &name)
{
    const QString text = requiredText(parent, name);
    bool ok = false;
    const double value = parseFileNumber(text, &ok);
    if (!ok)
        throw notANumber(text);
    return value;
}

std::optional<QString> optionalText(const QDomElement &parent, const QString &name)
{
    const QDomElement child = findChild(parent, name);
    if (child.isNull())
        return std::nullopt;
    return elementText(child);
}

std::optional<bool> optionalBool(const QDomElement &parent, const QString &name)
{
    const auto text = optionalText(parent, name);
    if (!text)
        return std::nullopt;
    return readXmlBool(*text);
}

std::optional<int> optionalInt(const QDomElement &parent, const QString &name)
{
    const auto text = optionalText(parent, name);
    if (!text)
        return std::nullopt;
    return readXmlInt(*text);
}

} // namespace vq
