// Article options: free text, a choice, or a choice with surcharges, and their
// XML form inside an article element.
#pragma once

#include "common/xml_out.h"
#include "designer/model/uPriceOption.h"

#include <QDomElement>
#include <QString>
#include <memory>
#include <vector>

namespace vq {

enum class OptionKind { Input, Select, Price };

class TOptionField
{
public:
    virtual ~TOptionField() = default;

    QString beschriftung; // caption before the control, also sent as the option's name
    QString defaultWert;  // input: preset text; select: choice list; price: empty

    virtual OptionKind kind() const = 0;
    // "Input", "Select" or "Price".
    virtual QString typeWord() const = 0;
    // Name in the editor's option list.
    virtual QString kindCaption() const = 0;

    // Appends "beschriftung", "defaultWert", "typ" (and the price values).
    void saveToXMLNode(QDomElement &element) const;
    virtual void writeXml(XmlOut &out) const;
    // Reads the required "beschriftung" and "defaultWert"; throws ModelError.
    virtual void loadFromXMLNode(const QDomElement &element);

    virtual std::unique_ptr<TOptionField> clone() const = 0;
    virtual bool equals(const TOptionField &other) const;

protected:
    TOptionField() = default;
    TOptionField(const TOptionField &) = default;
    TOptionField &operator=(const TOptionField &) = default;
};

class TInputOption : public TOptionField
{
public:
    OptionKind kind() const override { return OptionKind::Input; }
    QString typeWord() const override { return QStringLiteral("Input"); }
    QString kindCaption() const override { return QStringLiteral("Eingabefeld"); }
    std::unique_ptr<TOptionField> clone() const override
    {
        return std::make_unique<TInputOption>(*this);
    }
};

class TSelectOption : public TOptionField
{
public:
    OptionKind kind() const override { return OptionKind::Select; }
    QString typeWord() const override { return QStringLiteral("Select"); }
    QString kindCaption() const override { return QStringLiteral("Auswahlfeld"); }
    std::unique_ptr<TOptionField> clone() const override
    {
        return std::make_unique<TSelectOption>(*this);
    }
};

class TSelectPriceOption : public TOptionField
{
public:
    std::vector<TPriceOptionElement> elements; // drop-down order; the first is preselected

    OptionKind kind() const override { return OptionKind::Price; }
    QString typeWord() const override { return QStringLiteral("Price"); }
    QString kindCaption() const override { return QStringLiteral("Auswahl/Preis"); }
    void writeXml(XmlOut &out) const override;
    void loadFromXMLNode(const QDomElement &element) override;
    std::unique_ptr<TOptionField> clone() const override
    {
        return std::make_unique<TSelectPriceOption>(*this);
    }
    bool equals(const TOptionField &other) const override;
};

using TOptionList = std::vector<std::unique_ptr<TOptionField>>;

// An empty option of the kind named by its XML type word (case-sensitive), or nullptr.
std::unique_ptr<TOptionField> createOptionOfType(const QString &typeWord);

} // namespace vq
