#include "designer/model/uOptionField.h"

#include "common/regional_numbers.h"
#include "common/xml_document.h"
#include "designer/model/xml_read.h"

namespace vq {

void TOptionField::saveToXMLNode(QDomElement &element) const
{
    DomXmlOut out(element);
    writeXml(out);
}

void TOptionField::writeXml(XmlOut &out) const
{
    out.text(QStringLiteral("beschriftung"), beschriftung);
    out.text(QStringLiteral("defaultWert"), defaultWert);
    out.text(QStringLiteral("typ"), typeWord());
}

void TOptionField::loadFromXMLNode(const QDomElement &element)
{
    beschriftung = requiredText(element, QStringLiteral("beschriftung"));
    defaultWert = requiredText(element, QStringLiteral("defaultWert"));
}

bool TOptionField::equals(const TOptionField &other) const
{
    return kind() == other.kind() && beschriftung == other.beschriftung
           && defaultWert == other.defaultWert;
}

void TSelectPriceOption::writeXml(XmlOut &out) const
{
    TOptionField::writeXml(out);
    out.element(QStringLiteral("elements"), [this](XmlOut &list) {
        for (const TPriceOptionElement &value : elements) {
            list.element(QStringLiteral("element"), [&value](XmlOut &item) {
                item.text(QStringLiteral("name"), value.name);
                item.text(QStringLiteral("preis"), formatRegionalNumber(value.preis));
            });
        }
    });
}

void TSelectPriceOption::loadFromXMLNode(const QDomElement &element)
{
    TOptionField::loadFromXMLNode(element);
    elements.clear();
    const QDomElement list = findChild(element, QStringLiteral("elements"));
    for (const QDomElement &item : childElements(list)) {
        TPriceOptionElement value;
        value.name = requiredText(item, QStringLiteral("name"));
        value.preis = requiredNumber(item, QStringLiteral("preis"));
        elements.push_back(value);
    }
}

bool TSelectPriceOption::equals(const TOptionField &other) const
{
    return TOptionField::equals(other)
           && elements == static_cast<const TSelectPriceOption &>(other).elements;
}

std::unique_ptr<TOptionField> createOptionOfType(const QString &typeWord)
{
    if (typeWord == QLatin1String("Input"))
        return std::make_unique<TInputOption>();
    if (typeWord == QLatin1String("Select"))
        return std::make_unique<TSelectOption>();
    if (typeWord == QLatin1String("Price"))
        return std::make_unique<TSelectPriceOption>();
    return nullptr;
}

} // namespace vq
