#include "designer/model/uArtikelField.h"

#include "common/regional_numbers.h"
#include "common/xml_document.h"
#include "common/xml_values.h"
#include "designer/model/xml_read.h"

namespace vq {

TArtikelField::TArtikelField(const TArtikelField &other)
    : artikelNummer(other.artikelNummer)
    , name(other.name)
    , beschreibung(other.beschreibung)
    , preis(other.preis)
    , mwst(other.mwst)
    , artikelTyp(other.artikelTyp)
    , linklabel(other.linklabel)
    , link(other.link)
    , optionenNebeneinander(other.optionenNebeneinander)
{
    for (const auto &option : other.listOptionen)
        listOptionen.push_back(option->clone());
}

TArtikelField &TArtikelField::operator=(const TArtikelField &other)
{
    if (this != &other) {
        TArtikelField copy(other);
        *this = std::move(copy);
    }
    return *this;
}

bool TArtikelField::equals(const TArtikelField &other) const
{
    if (artikelNummer != other.artikelNummer || name != other.name
        || beschreibung != other.beschreibung || preis != other.preis || mwst != other.mwst
        || artikelTyp != other.artikelTyp || linklabel != other.linklabel || link != other.link
        || optionenNebeneinander != other.optionenNebeneinander
        || listOptionen.size() != other.listOptionen.size())
        return false;
    for (size_t j = 0; j < listOptionen.size(); ++j)
        if (!listOptionen[j]->equals(*other.listOptionen[j]))
            return false;
    return true;
}

QString artikelTypCaption(int artikelTyp)
{
    switch (artikelTyp) {
    case 0:
        return QStringLiteral("Normaler Artikel");
    case 1:
        return QStringLiteral("Festpreis Artikel");
    case 2:
        return QStringLiteral("Auswahlfeld Artikel");
    default:
        return QString();
    }
}

void SaveArtikelToXML(const TArtikelField &artikel, QDomElement &element)
{
    DomXmlOut out(element);
    writeArtikelXml(artikel, out);
}

void writeArtikelXml(const TArtikelField &artikel, XmlOut &out)
{
    QString beschreibung = artikel.beschreibung;
    beschreibung.replace(QLatin1String("\r\n"), QLatin1String("#br#"));

    out.text(QStringLiteral("name"), artikel.name);
    out.text(QStringLiteral("artikelNummer"), artikel.artikelNummer);
    out.text(QStringLiteral("beschreibung"), beschreibung);
    out.text(QStringLiteral("mwst"), formatRegionalNumber(artikel.mwst));
    out.text(QStringLiteral("preis"), formatRegionalNumber(artikel.preis));
    out.text(QStringLiteral("artikelTyp"), QString::number(artikel.artikelTyp));
    out.text(QStringLiteral("link"), artikel.link);
    out.text(QStringLiteral("linklabel"), artikel.linklabel);
    out.text(QStringLiteral("optionenNebeneinander"), boolText(artikel.optionenNebeneinander));
    out.element(QStringLiteral("Options"), [&artikel](XmlOut &options) {
        for (const auto &option : artikel.listOptionen)
            options.element(QStringLiteral("option"),
                            [&option](XmlOut &child) { option->writeXml(child); });
    });
}

std::unique_ptr<TArtikelField> LoadArtikelFromXML(const QDomElement &element)
{
    auto artikel = std::make_unique<TArtikelField>();
    artikel->name = requiredText(element, QStringLiteral("name"));
    artikel->artikelNummer = requiredText(element, QStringLiteral("artikelNummer"));
    artikel->preis = requiredNumber(element, QStringLiteral("preis"));
    artikel->mwst = requiredNumber(element, QStringLiteral("mwst"));
    artikel->beschreibung = requiredText(element, QStringLiteral("beschreibung"));
    artikel->beschreibung.replace(QLatin1String("#br#"), QLatin1String("\r\n"));

    // Files of older versions mark fixed-price articles with "festpreis".
    artikel->artikelTyp =
        optionalBool(element, QStringLiteral("festpreis")).value_or(false) ? 1 : 0;
    if (auto typ = optionalInt(element, QStringLiteral("artikelTyp")))
        artikel->artikelTyp = *typ;

    if (auto label = optionalText(element, QStringLiteral("linklabel"))) {
        artikel->linklabel = *label;
        artikel->link = optionalText(element, QStringLiteral("link")).value_or(QString());
    }

    artikel->optionenNebeneinander =
        optionalBool(element, QStringLiteral("optionenNebeneinander")).value_or(false);

    const QDomElement options = findChild(element, QStringLiteral("Options"));
    for (const QDomElement &child : childElements(options)) {
        // The first option that does not read ends the option list; the
        // article itself still reads.
        try {
            auto option = createOptionOfType(requiredText(child, QStringLiteral("typ")));
            if (!option)
                break;
            option->loadFromXMLNode(child);
            artikel->listOptionen.push_back(std::move(option));
        } catch (const ModelError &) {
            break;
        }
    }
    return artikel;
}

} // namespace vq
