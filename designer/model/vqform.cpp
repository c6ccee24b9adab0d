#include "designer/model/vqform.h"

#include "common/xml_document.h"
#include "common/xml_values.h"
#include "designer/model/xml_read.h"

namespace vq {

namespace {

void add(XmlOut &e, const char *name, const QString &text)
{
    e.text(QString::fromLatin1(name), text);
}
void add(XmlOut &e, const char *name, bool value)
{
    e.text(QString::fromLatin1(name), boolText(value));
}
void add(XmlOut &e, const char *name, int value)
{
    e.text(QString::fromLatin1(name), QString::number(value));
}
QString req(const QDomElement &e, const char *name)
{
    return requiredText(e, QString::fromLatin1(name));
}
bool reqBool(const QDomElement &e, const char *name)
{
    return requiredBool(e, QString::fromLatin1(name));
}
QString optText(const QDomElement &e, const char *name)
{
    return optionalText(e, QString::fromLatin1(name)).value_or(QString());
}
bool optBool(const QDomElement &e, const char *name)
{
    return optionalBool(e, QString::fromLatin1(name)).value_or(false);
}
int optInt(const QDomElement &e, const char *name)
{
    return optionalInt(e, QString::fromLatin1(name)).value_or(0);
}

template <typename T> const T &as(const TFormField &field)
{
    return static_cast<const T &>(field);
}

} // namespace

QString formatCheckWord(FormatCheck check)
{
    switch (check) {
    case FormatCheck::VatId:
        return QStringLiteral("ustidnr");
    case FormatCheck::LeitwegId:
        return QStringLiteral("leitwegid");
    case FormatCheck::EInvoiceAddress:
        return QStringLiteral("erechnungemail");
    case FormatCheck::None:
        break;
    }
    return {};
}

FormatCheck formatCheckFromWord(const QString &word)
{
    for (FormatCheck check :
         {FormatCheck::VatId, FormatCheck::LeitwegId, FormatCheck::EInvoiceAddress})
        if (word == formatCheckWord(check))
            return check;
    return FormatCheck::None;
}

void TFormField::SetXMLNode(QDomElement &element) const
{
    DomXmlOut out(element);
    writeXml(out);
}

bool TFormField::equals(const TFormField &other) const
{
    return kind() == other.kind() && Name == other.Name && Beschriftung == other.Beschriftung
           && BeschriftungNach == other.BeschriftungNach && Pflicht == other.Pflicht
           && Meldung == other.Meldung;
}

// ---- TEinzField

void TEinzField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "beschriftungnach", BeschriftungNach);
    add(e, "vorgabewert", Vorgabewert);
    add(e, "groesse", Groesse);
    add(e, "maxLaenge", maxLaenge);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
    add(e, "vorgabeloeschen", VorgabeLoeschen);
    add(e, "pflichttyp", PflichtFeldTyp);
    add(e, "mindestLaenge", MinPflichtLaenge);
    // Only when set, so a file without format checks stays as older versions wrote it.
    if (formatCheck != FormatCheck::None)
        add(e, "formatpruefung", formatCheckWord(formatCheck));
}

void TEinzField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Vorgabewert = req(e, "vorgabewert");
    Groesse = req(e, "groesse");
    Pflicht = reqBool(e, "pflicht");
    maxLaenge = req(e, "maxLaenge");
    Meldung = req(e, "meldung");
    BeschriftungNach = optText(e, "beschriftungnach");
    VorgabeLoeschen = optBool(e, "vorgabeloeschen");
    PflichtFeldTyp = optInt(e, "pflichttyp");
    MinPflichtLaenge = optInt(e, "mindestLaenge");
    formatCheck = formatCheckFromWord(optText(e, "formatpruefung"));
}

bool TEinzField::equals(const TFormField &other) const
{
    if (!TFormField::equals(other))
        return false;
    const auto &o = as<TEinzField>(other);
    return Vorgabewert == o.Vorgabewert && Groesse == o.Groesse && maxLaenge == o.maxLaenge
           && VorgabeLoeschen == o.VorgabeLoeschen && PflichtFeldTyp == o.PflichtFeldTyp
           && MinPflichtLaenge == o.MinPflichtLaenge && formatCheck == o.formatCheck;
}

// ---- TMehrzField

void TMehrzField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "beschriftungnach", BeschriftungNach);
    add(e, "vorgabewert", Vorgabewert);
    add(e, "hoehe", Hoehe);
    add(e, "breite", Breite);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
    add(e, "maxLaenge", maxLaenge);
    add(e, "zeichenAnzeige", zeichenAnzeige);
    add(e, "zeichenAnzeigeText", zeichenAnzeigeText);
    add(e, "vorgabeloeschen", VorgabeLoeschen);
}

void TMehrzField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Vorgabewert = req(e, "vorgabewert");
    Hoehe = req(e, "hoehe");
    Breite = req(e, "breite");
    Pflicht = reqBool(e, "pflicht");
    Meldung = req(e, "meldung");
    BeschriftungNach = optText(e, "beschriftungnach");
    maxLaenge = optText(e, "maxLaenge");
    zeichenAnzeige = optBool(e, "zeichenAnzeige");
    zeichenAnzeigeText = optText(e, "zeichenAnzeigeText");
    VorgabeLoeschen = optBool(e, "vorgabeloeschen");
}

bool TMehrzField::equals(const TFormField &other) const
{
    if (!TFormField::equals(other))
        return false;
    const auto &o = as<TMehrzField>(other);
    return Vorgabewert == o.Vorgabewert && Hoehe == o.Hoehe && Breite == o.Breite
           && maxLaenge == o.maxLaenge && VorgabeLoeschen == o.VorgabeLoeschen
           && zeichenAnzeige == o.zeichenAnzeige && zeichenAnzeigeText == o.zeichenAnzeigeText;
}

// ---- TPassField

void TPassField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "beschriftungnach", BeschriftungNach);
    add(e, "vorgabewert", Vorgabewert);
    add(e, "groesse", Groesse);
    add(e, "maxLaenge", maxLaenge);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
    add(e, "vorgabeloeschen", VorgabeLoeschen);
}

void TPassField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Vorgabewert = req(e, "vorgabewert");
    Groesse = req(e, "groesse");
    Pflicht = reqBool(e, "pflicht");
    maxLaenge = req(e, "maxLaenge");
    Meldung = req(e, "meldung");
    BeschriftungNach = optText(e, "beschriftungnach");
    VorgabeLoeschen = optBool(e, "vorgabeloeschen");
}

bool TPassField::equals(const TFormField &other) const
{
    if (!TFormField::equals(other))
        return false;
    const auto &o = as<TPassField>(other);
    return Vorgabewert == o.Vorgabewert && Groesse == o.Groesse && maxLaenge == o.maxLaenge
           && VorgabeLoeschen == o.VorgabeLoeschen;
}

// ---- TZwField

void TZwField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "beschriftung", Beschriftung);
}

void TZwField::GetXMLNode(const QDomElement &e)
{
    Beschriftung = req(e, "beschriftung");
}

// ---- TDropDownField

void TDropDownField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "beschriftungnach", BeschriftungNach);
    add(e, "vorgabewert", Vorgabewert);
    add(e, "felder", Felder);
    add(e, "groesse", Groesse);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
}

void TDropDownField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Vorgabewert = req(e, "vorgabewert");
    Felder = req(e, "felder");
    Groesse = req(e, "groesse");
    Pflicht = reqBool(e, "pflicht");
    Meldung = req(e, "meldung");
    BeschriftungNach = optText(e, "beschriftungnach");
}

bool TDropDownField::equals(const TFormField &other) const
{
    if (!TFormField::equals(other))
        return false;
    const auto &o = as<TDropDownField>(other);
    return Vorgabewert == o.Vorgabewert && Felder == o.Felder && Groesse == o.Groesse;
}

// ---- TCheckBoxField

void TCheckBoxField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "beschriftungnach", BeschriftungNach);
    add(e, "vorgabewert", Vorgabewert);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
}

void TCheckBoxField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Vorgabewert = req(e, "vorgabewert");
    Pflicht = reqBool(e, "pflicht");
    Meldung = req(e, "meldung");
    BeschriftungNach = optText(e, "beschriftungnach");
}

bool TCheckBoxField::equals(const TFormField &other) const
{
    return TFormField::equals(other) && Vorgabewert == as<TCheckBoxField>(other).Vorgabewert;
}

// ---- TRadioField

void TRadioField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "vorgabewert", Vorgabewert);
    add(e, "felder", Felder);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
}

void TRadioField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Vorgabewert = req(e, "vorgabewert");
    Felder = req(e, "felder");
    Pflicht = reqBool(e, "pflicht");
    Meldung = req(e, "meldung");
}

bool TRadioField::equals(const TFormField &other) const
{
    if (!TFormField::equals(other))
        return false;
    const auto &o = as<TRadioField>(other);
    return Vorgabewert == o.Vorgabewert && Felder == o.Felder;
}

// ---- TFileField

void TFileField::writeXml(XmlOut &e) const
{
    add(e, "typ", typeWord());
    add(e, "name", Name);
    add(e, "beschriftung", Beschriftung);
    add(e, "beschriftungnach", BeschriftungNach);
    add(e, "groesse", Groesse);
    add(e, "pflicht", Pflicht);
    add(e, "meldung", Meldung);
}

void TFileField::GetXMLNode(const QDomElement &e)
{
    Name = req(e, "name");
    Beschriftung = req(e, "beschriftung");
    Groesse = req(e, "groesse");
    Pflicht = reqBool(e, "pflicht");
    Meldung = req(e, "meldung");
    BeschriftungNach = optText(e, "beschriftungnach");
}

bool TFileField::equals(const TFormField &other) const
{
    if (!TFormField::equals(other))
        return false;
    const auto &o = as<TFileField>(other);
    return Vorgabewert == o.Vorgabewert && Groesse == o.Groesse;
}

// ---- creation

std::unique_ptr<TFormField> createFieldOfType(const QString &typeWord)
{
    if (typeWord == QLatin1String("TEinzField"))
        return std::make_unique<TEinzField>();
    if (typeWord == QLatin1String("TPassField"))
        return std::make_unique<TPassField>();
    if (typeWord == QLatin1String("TMehrzField"))
        return std::make_unique<TMehrzField>();
    if (typeWord == QLatin1String("TZwField"))
        return std::make_unique<TZwField>();
    if (typeWord == QLatin1String("TCheckBoxField"))
        return std::make_unique<TCheckBoxField>();
    if (typeWord == QLatin1String("TDropDownField"))
        return std::make_unique<TDropDownField>();
    if (typeWord == QLatin1String("TRadioField"))
        return std::make_unique<TRadioField>();
    if (typeWord == QLatin1String("TFileField"))
        return std::make_unique<TFileField>();
    return nullptr;
}

std::unique_ptr<TFormField> CreateFieldFromXML(const QDomElement &element)
{
    const QString typeWord = requiredText(element, QStringLiteral("typ"));
    auto field = createFieldOfType(typeWord);
    if (!field)
        throw ModelError(QStringLiteral("Exception"),
                         QStringLiteral("Unbekannter Feldtyp \"%1\"").arg(typeWord));
    field->GetXMLNode(element);
    return field;
}

int GetFieldNr(const FieldList &fields, const QString &name)
{
    for (int i = static_cast<int>(fields.size()) - 1; i >= 0; --i)
        if (fields[static_cast<size_t>(i)]->Name == name)
            return i;
    return -1;
}

} // namespace vq
