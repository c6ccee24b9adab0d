// The form fields: the eight field kinds of a form project and their XML form,
// shared by the project file and the field template library.
#pragma once

#include "common/xml_out.h"
#include "designer/model/model_error.h"

#include <QDomElement>
#include <QString>
#include <memory>
#include <vector>

namespace vq {

enum class FieldKind { Einz, Mehrz, Pass, Zw, DropDown, CheckBox, Radio, File };

// A check of a single-line field's form beside the mandatory check: it runs
// whenever the field is not empty, mandatory or not. Stored as the element
// "formatpruefung" (only when set) with the words below.
enum class FormatCheck { None, VatId, LeitwegId, EInvoiceAddress };

// "ustidnr", "leitwegid", "erechnungemail"; empty for None.
QString formatCheckWord(FormatCheck check);
// None for an empty or unknown word.
FormatCheck formatCheckFromWord(const QString &word);

class TFormField
{
public:
    virtual ~TFormField() = default;

    QString Name;
    QString Beschriftung;
    QString BeschriftungNach;
    bool Pflicht = false;
    QString Meldung;

    virtual FieldKind kind() const = 0;
    // The class name, which is also the type word "typ" in the XML.
    virtual QString typeWord() const = 0;
    // Text of the "Typ" column of the field list.
    virtual QString kindCaption() const = 0;

    // Appends the field's property elements to element, "typ" first.
    void SetXMLNode(QDomElement &element) const;
    // The same elements into any XML output.
    virtual void writeXml(XmlOut &out) const = 0;
    // Fills the properties from the element's children; throws ModelError
    // when a required child is missing or unreadable.
    virtual void GetXMLNode(const QDomElement &element) = 0;

    virtual std::unique_ptr<TFormField> clone() const = 0;
    virtual bool equals(const TFormField &other) const;

protected:
    TFormField() = default;
    TFormField(const TFormField &) = default;
    TFormField &operator=(const TFormField &) = default;
};

class TEinzField : public TFormField
{
public:
    QString Vorgabewert;
    QString Groesse;
    QString maxLaenge;
    bool VorgabeLoeschen = false;
    int PflichtFeldTyp = 0; // 0 Eingabe, 1 E-Mail, 2 Zahl, 3 Mindestlänge
    int MinPflichtLaenge = 0;
    FormatCheck formatCheck = FormatCheck::None;

    FieldKind kind() const override { return FieldKind::Einz; }
    QString typeWord() const override { return QStringLiteral("TEinzField"); }
    QString kindCaption() const override { return QStringLiteral("Einzeiliges Textfeld"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TEinzField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

class TMehrzField : public TFormField
{
public:
    QString Vorgabewert;
    QString Hoehe;
    QString Breite;
    QString maxLaenge;
    bool VorgabeLoeschen = false;
    bool zeichenAnzeige = false;
    QString zeichenAnzeigeText;

    FieldKind kind() const override { return FieldKind::Mehrz; }
    QString typeWord() const override { return QStringLiteral("TMehrzField"); }
    QString kindCaption() const override { return QStringLiteral("Mehrzeiliges Textfeld"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TMehrzField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

class TPassField : public TFormField
{
public:
    QString Vorgabewert;
    QString Groesse;
    QString maxLaenge;
    bool VorgabeLoeschen = false;

    FieldKind kind() const override { return FieldKind::Pass; }
    QString typeWord() const override { return QStringLiteral("TPassField"); }
    QString kindCaption() const override { return QStringLiteral("Passwortfeld"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TPassField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

// Intermediate text row: only Beschriftung, which is the whole row's text.
class TZwField : public TFormField
{
public:
    FieldKind kind() const override { return FieldKind::Zw; }
    QString typeWord() const override { return QStringLiteral("TZwField"); }
    QString kindCaption() const override { return QStringLiteral("Zwischenfeld"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override { return std::make_unique<TZwField>(*this); }
};

class TDropDownField : public TFormField
{
public:
    QString Vorgabewert;
    QString Felder;  // choice list
    QString Groesse; // "0"/"1": drop-down list, larger: list box rows

    FieldKind kind() const override { return FieldKind::DropDown; }
    QString typeWord() const override { return QStringLiteral("TDropDownField"); }
    QString kindCaption() const override { return QStringLiteral("Liste / Dropdown"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TDropDownField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

class TCheckBoxField : public TFormField
{
public:
    QString Vorgabewert; // the value sent when ticked

    FieldKind kind() const override { return FieldKind::CheckBox; }
    QString typeWord() const override { return QStringLiteral("TCheckBoxField"); }
    QString kindCaption() const override { return QStringLiteral("Checkbox"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TCheckBoxField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

// Radio buttons have no text after the control: BeschriftungNach is neither
// stored nor read.
class TRadioField : public TFormField
{
public:
    QString Vorgabewert;
    QString Felder; // choice list

    FieldKind kind() const override { return FieldKind::Radio; }
    QString typeWord() const override { return QStringLiteral("TRadioField"); }
    QString kindCaption() const override { return QStringLiteral("Radio Button(s)"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TRadioField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

// Upload field: its Vorgabewert is neither stored nor read.
class TFileField : public TFormField
{
public:
    QString Vorgabewert;
    QString Groesse;

    FieldKind kind() const override { return FieldKind::File; }
    QString typeWord() const override { return QStringLiteral("TFileField"); }
    QString kindCaption() const override { return QStringLiteral("Datei-Upload Feld"); }
    void writeXml(XmlOut &out) const override;
    void GetXMLNode(const QDomElement &element) override;
    std::unique_ptr<TFormField> clone() const override
    {
        return std::make_unique<TFileField>(*this);
    }
    bool equals(const TFormField &other) const override;
};

using FieldList = std::vector<std::unique_ptr<TFormField>>;

// A new empty field of the kind its "typ" child names, filled by GetXMLNode.
// Throws ModelError for a missing or unknown type word or a failing read.
std::unique_ptr<TFormField> CreateFieldFromXML(const QDomElement &element);

// An empty field of a kind named by its type word, or nullptr.
std::unique_ptr<TFormField> createFieldOfType(const QString &typeWord);

// Position of the field with that name (exact comparison; the last one when
// several share it), or -1.
int GetFieldNr(const FieldList &fields, const QString &name);

} // namespace vq
