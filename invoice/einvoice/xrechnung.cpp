#include "invoice/einvoice/xrechnung.h"
#include "invoice/records/invoice_numbers.h"

#include "common/buyer_ids.h"
#include "invoice/money/payment_terms.h"

#include <QRegularExpression>

#include <QHash>
#include <QSet>
#include <QXmlStreamWriter>

#include <cmath>

namespace vq::invoice {

namespace {

const QString RSM = QStringLiteral("urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100");
const QString RAM = QStringLiteral(
    "urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100");
const QString UDT = QStringLiteral("urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100");
const QString QDT = QStringLiteral("urn:un:unece:uncefact:data:standard:QualifiedDataType:100");

QString cents(qint64 value)
{
    return centsText(value);
}

// A decimal with up to six places and no trailing zeros ("19", "5.5", "3.361345").
QString decimal(double value)
{
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == u"-0" ? QStringLiteral("0") : text;
}

QString joined(const QString &a, const QString &b)
{
    return (a.trimmed() + u' ' + b.trimmed()).trimmed();
}

QString date102(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

class Writer
{
public:
    explicit Writer(QByteArray *out)
        : w(out)
    {
        w.setAutoFormatting(true);
        w.setAutoFormattingIndent(1);
    }
    void open(const QString &ns, const QString &name) { w.writeStartElement(ns, name); }
    void close() { w.writeEndElement(); }
    void text(const QString &ns, const QString &name, const QString &value)
    {
        w.writeTextElement(ns, name, value);
    }
    void ram(const QString &name, const QString &value) { text(RAM, name, value); }
    void ramIf(const QString &name, const QString &value)
    {
        if (!value.trimmed().isEmpty())
            ram(name, value.trimmed());
    }
    void withAttribute(const QString &name, const QString &attribute, const QString &attributeValue,
                       const QString &value)
    {
        w.writeStartElement(RAM, name);
        w.writeAttribute(attribute, attributeValue);
        w.writeCharacters(value);
        w.writeEndElement();
    }
    void dateTime(const QString &name, const QDate &date)
    {
        open(RAM, name);
        w.writeStartElement(UDT, QStringLiteral("DateTimeString"));
        w.writeAttribute(QStringLiteral("format"), QStringLiteral("102"));
        w.writeCharacters(date102(date));
        w.writeEndElement();
        close();
    }
    QXmlStreamWriter w;
};

struct Address
{
    QString street, postcode, city, country;
};

void writeAddress(Writer &x, const Address &a)
{
    x.open(RAM, QStringLiteral("PostalTradeAddress"));
    x.ramIf(QStringLiteral("PostcodeCode"), a.postcode);
    x.ramIf(QStringLiteral("LineOne"), a.street);
    x.ramIf(QStringLiteral("CityName"), a.city);
    x.ram(QStringLiteral("CountryID"), a.country);
    x.close();
}

void writeElectronicAddress(Writer &x, const QString &email)
{
    x.open(RAM, QStringLiteral("URIUniversalCommunication"));
    x.withAttribute(QStringLiteral("URIID"), QStringLiteral("schemeID"), QStringLiteral("EM"),
                    email.trimmed());
    x.close();
}

// What is wrong with a VAT identification number that fails its check.
QString vatIdFault(const QString &vatId)
{
    const QString compact = compactVatId(vatId);
    if (compact.startsWith(u"GR"))
        return QStringLiteral("griechische USt-IdNrn. beginnen mit \"EL\"");
    if (vatIdProblem(vatId) == QStringView(kVatIdCheckDigitMessage))
        return QStringLiteral("die Prüfziffer stimmt nicht");
    return QStringLiteral("die Form stimmt nicht");
}

// When the goods were delivered: as set, else on the order date, else on the
// invoice date.
QDate deliveryDate(const TBestellung &order)
{
    if (order.lieferdatum.isValid())
        return order.lieferdatum;
    return order.zeit.isValid() ? order.zeit.date() : order.rechnungsdatum;
}

// The VAT category of a rate under the invoice's tax case (UNTDID 5305).
QString categoryOf(TaxCase taxCase, double rate)
{
    switch (taxCase) {
    case TaxCase::Domestic:
        // A German zero rate is a rate, not an exemption.
        return rate > 0 ? QStringLiteral("S") : QStringLiteral("Z");
    case TaxCase::SmallBusiness:
        return QStringLiteral("E");
    case TaxCase::IntraCommunity:
        return QStringLiteral("K");
    case TaxCase::ReverseCharge:
        return QStringLiteral("AE");
    case TaxCase::Export:
        return QStringLiteral("G");
    }
    return QStringLiteral("S");
}

// Why no VAT is charged (BT-120, BT-121); none for a domestic invoice.
std::optional<std::pair<QString, QString>> exemptionOf(TaxCase taxCase)
{
    switch (taxCase) {
    case TaxCase::Domestic:
        return std::nullopt;
    case TaxCase::SmallBusiness:
        return std::pair{QStringLiteral("Umsatzsteuerbefreit: Kleinunternehmer gemäß § 19 UStG"),
                         QString()};
    case TaxCase::IntraCommunity:
        return std::pair{QStringLiteral("Steuerfreie innergemeinschaftliche Lieferung"),
                         QStringLiteral("VATEX-EU-IC")};
    case TaxCase::ReverseCharge:
        return std::pair{QStringLiteral("Steuerschuldnerschaft des Leistungsempfängers"),
                         QStringLiteral("VATEX-EU-AE")};
    case TaxCase::Export:
        return std::pair{QStringLiteral("Steuerfreie Ausfuhrlieferung"),
                         QStringLiteral("VATEX-EU-G")};
    }
    return std::nullopt;
}

// The member states of the EU by the codes VAT identification numbers begin
// with, and Northern Ireland (XI), to which goods go as within the EU.
bool inEu(const QString &country)
{
    static const QSet<QString> states = {
        QStringLiteral("AT"), QStringLiteral("BE"), QStringLiteral("BG"), QStringLiteral("CY"),
        QStringLiteral("CZ"), QStringLiteral("DE"), QStringLiteral("DK"), QStringLiteral("EE"),
        QStringLiteral("GR"), QStringLiteral("EL"), QStringLiteral("ES"), QStringLiteral("FI"),
        QStringLiteral("FR"), QStringLiteral("HR"), QStringLiteral("HU"), QStringLiteral("IE"),
        QStringLiteral("IT"), QStringLiteral("LT"), QStringLiteral("LU"), QStringLiteral("LV"),
        QStringLiteral("MT"), QStringLiteral("NL"), QStringLiteral("PL"), QStringLiteral("PT"),
        QStringLiteral("RO"), QStringLiteral("SE"), QStringLiteral("SI"), QStringLiteral("SK"),
        QStringLiteral("XI")};
    return states.contains(country);
}

// The parts of a line's price: what the piece costs before its discounts,
// and the discounts (negative surcharges), both as priced.
struct LinePriceParts
{
    double before = 0; // unit price + positive surcharges
    bool discounted = false;
};

LinePriceParts priceParts(const TArtikel &line)
{
    LinePriceParts parts{line.preis, false};
    for (const TOption &option : line.optionen) {
        const double price = option.preis.value_or(0.0);
        if (price > 0)
            parts.before += price;
        else if (price < 0)
            parts.discounted = true;
    }
    return parts;
}

} // namespace

QString precheckText(const QStringList &problems)
{
    if (problems.isEmpty())
        return QStringLiteral("Die Vorprüfung der E-Rechnung hat nichts zu beanstanden.");
    return QStringLiteral("Die Vorprüfung der E-Rechnung fand fehlende oder falsche Angaben:\n- ")
           + problems.join(QStringLiteral("\n- "));
}

QString EInvoiceResult::message() const
{
    if (missing.isEmpty())
        return {};
    return precheckText(missing) + QStringLiteral("\nEs wurde keine Datei geschrieben.");
}

QString currencyCode(const QString &waehrung)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("€"), QStringLiteral("EUR")},
        {QStringLiteral("eur"), QStringLiteral("EUR")},
        {QStringLiteral("euro"), QStringLiteral("EUR")},
        {QStringLiteral("chf"), QStringLiteral("CHF")},
        {QStringLiteral("fr."), QStringLiteral("CHF")},
        {QStringLiteral("sfr."), QStringLiteral("CHF")},
        {QStringLiteral("$"), QStringLiteral("USD")},
        {QStringLiteral("usd"), QStringLiteral("USD")},
        {QStringLiteral("£"), QStringLiteral("GBP")},
        {QStringLiteral("gbp"), QStringLiteral("GBP")},
        {QStringLiteral("dkk"), QStringLiteral("DKK")},
        {QStringLiteral("sek"), QStringLiteral("SEK")},
        {QStringLiteral("pln"), QStringLiteral("PLN")},
        {QStringLiteral("czk"), QStringLiteral("CZK")},
        {QStringLiteral("nok"), QStringLiteral("NOK")},
        {QStringLiteral("huf"), QStringLiteral("HUF")},
    };
    const QString key = waehrung.trimmed().toLower();
    if (key.isEmpty())
        return QStringLiteral("EUR");
    return names.value(key);
}

QString countryCode(const QString &land)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("deutschland"), QStringLiteral("DE")},
        {QStringLiteral("germany"), QStringLiteral("DE")},
        {QStringLiteral("österreich"), QStringLiteral("AT")},
        {QStringLiteral("austria"), QStringLiteral("AT")},
        {QStringLiteral("schweiz"), QStringLiteral("CH")},
        {QStringLiteral("switzerland"), QStringLiteral("CH")},
        {QStringLiteral("liechtenstein"), QStringLiteral("LI")},
        {QStringLiteral("luxemburg"), QStringLiteral("LU")},
        {QStringLiteral("frankreich"), QStringLiteral("FR")},
        {QStringLiteral("niederlande"), QStringLiteral("NL")},
        {QStringLiteral("belgien"), QStringLiteral("BE")},
        {QStringLiteral("dänemark"), QStringLiteral("DK")},
        {QStringLiteral("polen"), QStringLiteral("PL")},
        {QStringLiteral("tschechien"), QStringLiteral("CZ")},
        {QStringLiteral("italien"), QStringLiteral("IT")},
        {QStringLiteral("spanien"), QStringLiteral("ES")},
        {QStringLiteral("schweden"), QStringLiteral("SE")},
        {QStringLiteral("norwegen"), QStringLiteral("NO")},
        {QStringLiteral("vereinigtes königreich"), QStringLiteral("GB")},
        {QStringLiteral("großbritannien"), QStringLiteral("GB")},
        {QStringLiteral("ungarn"), QStringLiteral("HU")},
        {QStringLiteral("portugal"), QStringLiteral("PT")},
        {QStringLiteral("finnland"), QStringLiteral("FI")},
        {QStringLiteral("irland"), QStringLiteral("IE")},
        {QStringLiteral("griechenland"), QStringLiteral("GR")},
        {QStringLiteral("slowakei"), QStringLiteral("SK")},
        {QStringLiteral("slowenien"), QStringLiteral("SI")},
        {QStringLiteral("kroatien"), QStringLiteral("HR")},
        {QStringLiteral("rumänien"), QStringLiteral("RO")},
        {QStringLiteral("bulgarien"), QStringLiteral("BG")},
        {QStringLiteral("estland"), QStringLiteral("EE")},
        {QStringLiteral("lettland"), QStringLiteral("LV")},
        {QStringLiteral("litauen"), QStringLiteral("LT")},
        {QStringLiteral("malta"), QStringLiteral("MT")},
        {QStringLiteral("zypern"), QStringLiteral("CY")},
        {QStringLiteral("island"), QStringLiteral("IS")},
        {QStringLiteral("türkei"), QStringLiteral("TR")},
        {QStringLiteral("vereinigte staaten"), QStringLiteral("US")},
        {QStringLiteral("usa"), QStringLiteral("US")},
        {QStringLiteral("kanada"), QStringLiteral("CA")},
        {QStringLiteral("netherlands"), QStringLiteral("NL")},
        {QStringLiteral("france"), QStringLiteral("FR")},
        {QStringLiteral("belgium"), QStringLiteral("BE")},
        {QStringLiteral("italy"), QStringLiteral("IT")},
        {QStringLiteral("spain"), QStringLiteral("ES")},
    };
    // ISO 3166-1 alpha-2, and XI (Northern Ireland) that VAT uses.
    static const QSet<QString> isoCodes = [] {
        const QString all =
            QStringLiteral("AD AE AF AG AI AL AM AO AQ AR AS AT AU AW AX AZ BA BB BD BE "
                           "BF BG BH BI BJ BL BM BN BO BQ BR BS BT BV BW BY BZ CA CC CD "
                           "CF CG CH CI CK CL CM CN CO CR CU CV CW CX CY CZ DE DJ DK DM "
                           "DO DZ EC EE EG EH ER ES ET FI FJ FK FM FO FR GA GB GD GE GF "
                           "GG GH GI GL GM GN GP GQ GR GS GT GU GW GY HK HM HN HR HT HU "
                           "ID IE IL IM IN IO IQ IR IS IT JE JM JO JP KE KG KH KI KM KN "
                           "KP KR KW KY KZ LA LB LC LI LK LR LS LT LU LV LY MA MC MD ME "
                           "MF MG MH MK ML MM MN MO MP MQ MR MS MT MU MV MW MX MY MZ NA "
                           "NC NE NF NG NI NL NO NP NR NU NZ OM PA PE PF PG PH PK PL PM "
                           "PN PR PS PT PW PY QA RE RO RS RU RW SA SB SC SD SE SG SH SI "
                           "SJ SK SL SM SN SO SR SS ST SV SX SY SZ TC TD TF TG TH TJ TK "
                           "TL TM TN TO TR TT TV TW TZ UA UG UM US UY UZ VA VC VE VG VI "
                           "VN VU WF WS YE YT ZA ZM ZW "
                           "XI");
        const QStringList list = all.split(u' ', Qt::SkipEmptyParts);
        return QSet<QString>(list.begin(), list.end());
    }();
    const QString text = land.trimmed();
    if (text.isEmpty())
        return QStringLiteral("DE");
    if (text.size() == 2)
        return isoCodes.contains(text.toUpper()) ? text.toUpper() : QString();
    return names.value(text.toLower());
}

QString compactIban(const QString &iban)
{
    QString compact;
    for (const QChar c : iban) {
        if (!c.isSpace())
            compact += c.toUpper();
    }
    return compact;
}

bool ibanValid(const QString &iban)
{
    const QString compact = compactIban(iban);
    if (compact.size() < 15 || compact.size() > 34)
        return false;
    for (int i = 0; i < compact.size(); ++i) {
        const QChar c = compact.at(i);
        const bool letter = c >= u'A' && c <= u'Z';
        const bool digit = c >= u'0' && c <= u'9';
        if ((i < 2 && !letter) || (i >= 2 && i < 4 && !digit) || (!letter && !digit))
            return false;
    }
    const QString rearranged = compact.mid(4) + compact.left(4);
    int remainder = 0;
    for (const QChar c : rearranged) {
        const int value = c.isDigit() ? c.digitValue() : c.unicode() - u'A' + 10;
        remainder = value >= 10 ? (remainder * 100 + value) % 97 : (remainder * 10 + value) % 97;
    }
    return remainder == 1;
}

QStringList eInvoiceProblems(const InvoiceData &input)
{
    const TMandant &seller = input.client;
    const TBestellung &order = input.order;
    QStringList missing;
    const QString sellerName = seller.firma.trimmed().isEmpty()
                                   ? joined(seller.vorname, seller.name)
                                   : seller.firma.trimmed();
    const QString buyerName = order.firma.trimmed().isEmpty() ? joined(order.name, order.nachname)
                                                              : order.firma.trimmed();
    const QString currency = currencyCode(seller.waehrung);
    const QString sellerCountry = countryCode(seller.land);
    const QString buyerCountry = countryCode(order.land);
    const TaxCase taxCase = input.taxCase;
    const bool sellerVatId = !seller.ustIdNr.trimmed().isEmpty();
    const bool buyerVatId = !order.ustIdNr.trimmed().isEmpty();

    if (sellerName.isEmpty())
        missing << QStringLiteral("Firma oder Name des Mandanten");
    if (seller.strasse.trimmed().isEmpty())
        missing << QStringLiteral("Straße des Mandanten");
    if (seller.plz.trimmed().isEmpty())
        missing << QStringLiteral("PLZ des Mandanten");
    if (seller.ort.trimmed().isEmpty())
        missing << QStringLiteral("Ort des Mandanten");
    if (sellerCountry.isEmpty())
        missing << QStringLiteral(
                       "Land des Mandanten als Ländername oder ISO-Code (\"%1\" ist unbekannt)")
                       .arg(seller.land.trimmed());
    if (seller.email.trimmed().isEmpty())
        missing << QStringLiteral("E-Mail-Adresse des Mandanten");
    if (seller.telefon.trimmed().isEmpty())
        missing << QStringLiteral("Telefonnummer des Mandanten");
    if (!sellerVatId && seller.steuernummer.trimmed().isEmpty())
        missing << QStringLiteral("USt-IdNr. oder Steuernummer des Mandanten");
    if (sellerVatId && !vatIdFormValid(seller.ustIdNr))
        missing << QStringLiteral("eine gültige USt-IdNr. des Mandanten (\"%1\": %2)")
                       .arg(seller.ustIdNr.trimmed().left(40), vatIdFault(seller.ustIdNr));
    if (!seller.iban.trimmed().isEmpty() && !ibanValid(seller.iban))
        missing << QStringLiteral("eine gültige IBAN des Mandanten (die Prüfziffer stimmt nicht)");
    if (currency.isEmpty())
        missing << QStringLiteral(
                       "Währung des Mandanten als ISO-Code wie EUR (\"%1\" ist unbekannt)")
                       .arg(seller.waehrung.trimmed());
    if (buyerName.isEmpty())
        missing << QStringLiteral("Firma oder Name des Käufers");
    if (order.plz.trimmed().isEmpty() || order.ort.trimmed().isEmpty())
        missing << QStringLiteral("Anschrift des Käufers (PLZ und Ort)");
    if (buyerCountry.isEmpty())
        missing << QStringLiteral(
                       "Land des Käufers als Ländername oder ISO-Code (\"%1\" ist unbekannt)")
                       .arg(order.land.trimmed());
    if (order.email.trimmed().isEmpty() && order.emailERechnung.trimmed().isEmpty())
        missing << QStringLiteral("E-Mail-Adresse des Käufers");
    static const QRegularExpression mailForm(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    if (!order.emailERechnung.trimmed().isEmpty()
        && !mailForm.match(order.emailERechnung.trimmed()).hasMatch())
        missing << QStringLiteral("eine gültige E-Mail-Adresse für E-Rechnungen des Käufers "
                                  "(\"%1\" ist keine)")
                       .arg(order.emailERechnung.trimmed().left(100));
    if (buyerVatId && !vatIdFormValid(order.ustIdNr))
        missing << QStringLiteral("eine gültige USt-IdNr. des Käufers (\"%1\": %2)")
                       .arg(order.ustIdNr.trimmed().left(40), vatIdFault(order.ustIdNr));
    // A reference that begins like a Leitweg-ID is one: a public buyer's
    // portal refuses an invoice whose ID is wrong.
    const QString reference = order.kaeuferreferenz.trimmed();
    static const QRegularExpression leitwegStart(QStringLiteral("^[0-9]{2,12}-"));
    if (leitwegStart.match(reference).hasMatch() && !leitwegIdValid(reference))
        missing << QStringLiteral("eine gültige Leitweg-ID als Käuferreferenz (\"%1\": %2)")
                       .arg(reference.left(60),
                            leitwegIdProblem(reference) == QStringView(kLeitwegIdCheckDigitMessage)
                                ? QStringLiteral("die Prüfziffern stimmen nicht")
                                : QStringLiteral("die Form stimmt nicht"));
    if (!taxCaseFromText(order.steuerfall))
        missing << QStringLiteral("ein bekannter Steuerfall (\"%1\" ist keiner)")
                       .arg(order.steuerfall.trimmed().left(40));
    switch (taxCase) {
    case TaxCase::IntraCommunity:
        if (!sellerVatId)
            missing << QStringLiteral("USt-IdNr. des Mandanten (für eine innergemeinschaftliche "
                                      "Lieferung)");
        if (!buyerVatId)
            missing << QStringLiteral("USt-IdNr. des Käufers (für eine innergemeinschaftliche "
                                      "Lieferung)");
        if (!buyerCountry.isEmpty() && (!inEu(buyerCountry) || buyerCountry == sellerCountry))
            missing << QStringLiteral("ein Land des Käufers in einem anderen EU-Staat (für eine "
                                      "innergemeinschaftliche Lieferung; \"%1\" ist keines)")
                           .arg(buyerCountry);
        break;
    case TaxCase::ReverseCharge:
        if (!buyerVatId)
            missing << QStringLiteral("USt-IdNr. des Käufers (für die Steuerschuldnerschaft des "
                                      "Leistungsempfängers)");
        break;
    case TaxCase::Export:
        if (!sellerVatId)
            missing << QStringLiteral("USt-IdNr. des Mandanten (für eine Ausfuhrlieferung)");
        if (!buyerCountry.isEmpty() && inEu(buyerCountry))
            missing << QStringLiteral("ein Land des Käufers außerhalb der EU (für eine "
                                      "Ausfuhrlieferung; \"%1\" liegt in der EU)")
                           .arg(buyerCountry);
        break;
    case TaxCase::Domestic:
    case TaxCase::SmallBusiness:
        break;
    }
    if (invoiceNumberText(order).isEmpty())
        missing << QStringLiteral("Rechnungsnummer der Bestellung");
    if (input.lines.isEmpty())
        missing << QStringLiteral("mindestens eine Position in der Bestellung");
    for (const TArtikel &line : input.lines) {
        if (line.anzahl <= 0 || line.mwst < 0 || line.mwst > 100) {
            missing << QStringLiteral("gültige Menge und Mehrwertsteuer der Position \"%1\"")
                           .arg(line.name);
            break;
        }
    }
    if (!order.rechnungsdatum.isValid())
        missing << QStringLiteral("Rechnungsdatum");
    if (!order.lieferdatum.isValid() && !order.zeit.isValid())
        missing << QStringLiteral("Liefer-/Leistungsdatum (Lieferdatum oder Bestelldatum)");
    if (input.amounts.lines.size() != input.lines.size())
        missing << QStringLiteral("die Beträge der Positionen");
    return missing;
}

bool businessBuyer(const InvoiceData &data)
{
    const TBestellung &order = data.order;
    return !order.ustIdNr.trimmed().isEmpty() || !order.kaeuferreferenz.trimmed().isEmpty()
           || !order.emailERechnung.trimmed().isEmpty() || data.taxCase == TaxCase::IntraCommunity
           || data.taxCase == TaxCase::ReverseCharge;
}

EInvoiceResult buildXRechnung(const InvoiceData &input, EInvoiceProfile profile)
{
    const TMandant &seller = input.client;
    const TBestellung &order = input.order;
    const QDate invoiceDate = order.rechnungsdatum;
    EInvoiceResult result;
    result.missing = eInvoiceProblems(input);
    if (!result.missing.isEmpty())
        return result;

    const QString sellerName = seller.firma.trimmed().isEmpty()
                                   ? joined(seller.vorname, seller.name)
                                   : seller.firma.trimmed();
    const QString contactName = joined(seller.vorname, seller.name).isEmpty()
                                    ? sellerName
                                    : joined(seller.vorname, seller.name);
    const QString buyerName = order.firma.trimmed().isEmpty() ? joined(order.name, order.nachname)
                                                              : order.firma.trimmed();
    const QString currency = currencyCode(seller.waehrung);
    const QString sellerCountry = countryCode(seller.land);
    const QString buyerCountry = countryCode(order.land);
    const TaxCase taxCase = input.taxCase;

    const OrderAmounts &amounts = input.amounts;
    const QString vatWords =
        amounts.net ? QStringLiteral("zzgl. MwSt.") : QStringLiteral("inkl. MwSt.");
    const QString invoiceNumber = invoiceNumberText(order);

    Writer x(&result.xml);
    x.w.writeStartDocument();
    x.w.writeNamespace(RSM, QStringLiteral("rsm"));
    x.w.writeNamespace(RAM, QStringLiteral("ram"));
    x.w.writeNamespace(QDT, QStringLiteral("qdt"));
    x.w.writeNamespace(UDT, QStringLiteral("udt"));
    x.open(RSM, QStringLiteral("CrossIndustryInvoice"));

    x.open(RSM, QStringLiteral("ExchangedDocumentContext"));
    x.open(RAM, QStringLiteral("BusinessProcessSpecifiedDocumentContextParameter"));
    x.ram(QStringLiteral("ID"), QStringLiteral("urn:fdc:peppol.eu:2017:poacc:billing:01:1.0"));
    x.close();
    x.open(RAM, QStringLiteral("GuidelineSpecifiedDocumentContextParameter"));
    x.ram(QStringLiteral("ID"),
          QString::fromLatin1(profile == EInvoiceProfile::XRechnung ? kXRechnungGuideline
                                                                    : kEN16931Guideline));
    x.close();
    x.close();

    x.open(RSM, QStringLiteral("ExchangedDocument"));
    x.ram(QStringLiteral("ID"), invoiceNumber);
    // A cancellation is a credit note (its amounts as the cancelled invoice's).
    x.ram(QStringLiteral("TypeCode"),
          input.preceding ? QStringLiteral("381") : QStringLiteral("380"));
    x.dateTime(QStringLiteral("IssueDateTime"), invoiceDate);
    x.close();

    x.open(RSM, QStringLiteral("SupplyChainTradeTransaction"));
    for (int i = 0; i < input.lines.size(); ++i) {
        const TArtikel &line = input.lines[i];
        const OrderLineAmounts &a = amounts.lines[i];
        x.open(RAM, QStringLiteral("IncludedSupplyChainTradeLineItem"));
        x.open(RAM, QStringLiteral("AssociatedDocumentLineDocument"));
        x.ram(QStringLiteral("LineID"), QString::number(i + 1));
        x.close();
        x.open(RAM, QStringLiteral("SpecifiedTradeProduct"));
        x.ramIf(QStringLiteral("SellerAssignedID"), line.nr);
        x.ram(QStringLiteral("Name"),
              line.name.trimmed().isEmpty() ? QStringLiteral("Artikel") : line.name.trimmed());
        for (const TOption &option : line.optionen) {
            x.open(RAM, QStringLiteral("ApplicableProductCharacteristic"));
            x.ram(QStringLiteral("Description"), option.name.trimmed().isEmpty()
                                                     ? QStringLiteral("Option")
                                                     : option.name.trimmed());
            QString value = option.wert;
            if (option.preis && *option.preis != 0)
                value += QStringLiteral(" (Aufpreis %1 %2 %3)")
                             .arg(decimal(*option.preis), currency, vatWords);
            x.ram(QStringLiteral("Value"),
                  value.trimmed().isEmpty() ? QStringLiteral("-") : value.trimmed());
            x.close();
        }
        x.close();
        x.open(RAM, QStringLiteral("SpecifiedLineTradeAgreement"));
        x.open(RAM, QStringLiteral("NetPriceProductTradePrice"));
        // Without VAT the net price is the customer's own; with VAT it is the
        // line's net share per piece. Discounts (negative surcharges) are the
        // line's allowance: the price is the piece's before them.
        const LinePriceParts parts = priceParts(line);
        double netPrice = double(a.netCents) / 100.0 / line.anzahl;
        if (amounts.net) {
            netPrice = line.preis;
            for (const TOption &option : line.optionen)
                netPrice += option.preis.value_or(0.0);
        }
        qint64 allowanceCents = 0;
        if (parts.discounted) {
            qint64 before = amountCents(line.anzahl, parts.before).value_or(a.totalCents);
            if (!amounts.net)
                before -= vatOfCents(before, line.mwst, false);
            netPrice = amounts.net ? parts.before : double(before) / 100.0 / line.anzahl;
            allowanceCents = before - a.netCents;
        }
        x.ram(QStringLiteral("ChargeAmount"), decimal(netPrice));
        x.close();
        x.close();
        x.open(RAM, QStringLiteral("SpecifiedLineTradeDelivery"));
        x.withAttribute(QStringLiteral("BilledQuantity"), QStringLiteral("unitCode"),
                        QStringLiteral("H87"), QString::number(line.anzahl));
        x.close();
        x.open(RAM, QStringLiteral("SpecifiedLineTradeSettlement"));
        x.open(RAM, QStringLiteral("ApplicableTradeTax"));
        x.ram(QStringLiteral("TypeCode"), QStringLiteral("VAT"));
        x.ram(QStringLiteral("CategoryCode"), categoryOf(taxCase, line.mwst));
        x.ram(QStringLiteral("RateApplicablePercent"), decimal(line.mwst));
        x.close();
        if (allowanceCents > 0) {
            QStringList reasons;
            for (const TOption &option : line.optionen) {
                if (option.preis.value_or(0.0) < 0)
                    reasons << joined(option.name, option.wert);
            }
            x.open(RAM, QStringLiteral("SpecifiedTradeAllowanceCharge"));
            x.open(RAM, QStringLiteral("ChargeIndicator"));
            x.text(UDT, QStringLiteral("Indicator"), QStringLiteral("false"));
            x.close();
            x.ram(QStringLiteral("ActualAmount"), cents(allowanceCents));
            x.ram(QStringLiteral("Reason"),
                  QStringLiteral("Rabatt: %1").arg(reasons.join(QStringLiteral(", "))).trimmed());
            x.close();
        }
        x.open(RAM, QStringLiteral("SpecifiedTradeSettlementLineMonetarySummation"));
        x.ram(QStringLiteral("LineTotalAmount"), cents(a.netCents));
        x.close();
        x.close();
        x.close();
    }

    x.open(RAM, QStringLiteral("ApplicableHeaderTradeAgreement"));
    x.ram(QStringLiteral("BuyerReference"), order.kaeuferreferenz.trimmed().isEmpty()
                                                ? invoiceNumber
                                                : order.kaeuferreferenz.trimmed());
    x.open(RAM, QStringLiteral("SellerTradeParty"));
    // Without a VAT identifier the buyer identifies the seller by its tax number.
    if (seller.ustIdNr.trimmed().isEmpty())
        x.ram(QStringLiteral("ID"), seller.steuernummer.trimmed());
    x.ram(QStringLiteral("Name"), sellerName);
    x.open(RAM, QStringLiteral("DefinedTradeContact"));
    x.ram(QStringLiteral("PersonName"), contactName);
    x.open(RAM, QStringLiteral("TelephoneUniversalCommunication"));
    x.ram(QStringLiteral("CompleteNumber"), seller.telefon.trimmed());
    x.close();
    x.open(RAM, QStringLiteral("EmailURIUniversalCommunication"));
    x.ram(QStringLiteral("URIID"), seller.email.trimmed());
    x.close();
    x.close();
    writeAddress(x, {seller.strasse, seller.plz, seller.ort, sellerCountry});
    writeElectronicAddress(x, seller.email);
    if (!seller.ustIdNr.trimmed().isEmpty()) {
        x.open(RAM, QStringLiteral("SpecifiedTaxRegistration"));
        x.withAttribute(QStringLiteral("ID"), QStringLiteral("schemeID"), QStringLiteral("VA"),
                        seller.ustIdNr.trimmed());
        x.close();
    }
    if (!seller.steuernummer.trimmed().isEmpty()) {
        x.open(RAM, QStringLiteral("SpecifiedTaxRegistration"));
        x.withAttribute(QStringLiteral("ID"), QStringLiteral("schemeID"), QStringLiteral("FC"),
                        seller.steuernummer.trimmed());
        x.close();
    }
    x.close();
    x.open(RAM, QStringLiteral("BuyerTradeParty"));
    x.ram(QStringLiteral("Name"), buyerName);
    if (!order.firma.trimmed().isEmpty() && !joined(order.name, order.nachname).isEmpty()) {
        x.open(RAM, QStringLiteral("DefinedTradeContact"));
        x.ram(QStringLiteral("PersonName"), joined(order.name, order.nachname));
        x.close();
    }
    writeAddress(x, {order.strasse, order.plz, order.ort, buyerCountry});
    // Where the buyer receives e-invoices, when it named an address for them.
    writeElectronicAddress(x, order.emailERechnung.trimmed().isEmpty() ? order.email
                                                                       : order.emailERechnung);
    if (!order.ustIdNr.trimmed().isEmpty()) {
        x.open(RAM, QStringLiteral("SpecifiedTaxRegistration"));
        x.withAttribute(QStringLiteral("ID"), QStringLiteral("schemeID"), QStringLiteral("VA"),
                        compactVatId(order.ustIdNr));
        x.close();
    }
    x.close();
    x.close();

    x.open(RAM, QStringLiteral("ApplicableHeaderTradeDelivery"));
    if (taxCase == TaxCase::IntraCommunity) {
        // A delivery to another member state names where the goods went.
        x.open(RAM, QStringLiteral("ShipToTradeParty"));
        x.ram(QStringLiteral("Name"), buyerName);
        writeAddress(x, {order.strasse, order.plz, order.ort, buyerCountry});
        x.close();
    }
    x.open(RAM, QStringLiteral("ActualDeliverySupplyChainEvent"));
    // The delivery date as the printed invoice says: as set, else the order date.
    x.dateTime(QStringLiteral("OccurrenceDateTime"), deliveryDate(order));
    x.close();
    x.close();

    x.open(RAM, QStringLiteral("ApplicableHeaderTradeSettlement"));
    x.ram(QStringLiteral("InvoiceCurrencyCode"), currency);
    x.open(RAM, QStringLiteral("SpecifiedTradeSettlementPaymentMeans"));
    if (!seller.iban.trimmed().isEmpty()) {
        x.ram(QStringLiteral("TypeCode"), QStringLiteral("58"));
        x.open(RAM, QStringLiteral("PayeePartyCreditorFinancialAccount"));
        x.ram(QStringLiteral("IBANID"), compactIban(seller.iban));
        x.ramIf(QStringLiteral("AccountName"), sellerName);
        x.close();
        if (!seller.bic.trimmed().isEmpty()) {
            x.open(RAM, QStringLiteral("PayeeSpecifiedCreditorFinancialInstitution"));
            x.ram(QStringLiteral("BICID"), QString(seller.bic).remove(u' ').toUpper());
            x.close();
        }
    } else {
        // No account given: the way of payment is agreed otherwise.
        x.ram(QStringLiteral("TypeCode"), QStringLiteral("ZZZ"));
    }
    x.close();
    for (const VatRateAmounts &group : amounts.rates) {
        x.open(RAM, QStringLiteral("ApplicableTradeTax"));
        x.ram(QStringLiteral("CalculatedAmount"), cents(group.vatCents));
        x.ram(QStringLiteral("TypeCode"), QStringLiteral("VAT"));
        const auto exemption = exemptionOf(taxCase);
        if (exemption)
            x.ram(QStringLiteral("ExemptionReason"), exemption->first);
        x.ram(QStringLiteral("BasisAmount"), cents(group.netCents));
        x.ram(QStringLiteral("CategoryCode"), categoryOf(taxCase, group.rate));
        if (exemption && !exemption->second.isEmpty())
            x.ram(QStringLiteral("ExemptionReasonCode"), exemption->second);
        x.ram(QStringLiteral("RateApplicablePercent"), decimal(group.rate));
        x.close();
    }
    // The due date and the cash discount the printed invoice names, from the
    // same rule; the discount also in the line the German rules read.
    const PaymentTerms terms = paymentTerms(seller, invoiceDate, amounts.grossCents);
    x.open(RAM, QStringLiteral("SpecifiedTradePaymentTerms"));
    const QString termsText =
        terms.text.isEmpty() ? QStringLiteral("Zahlbar ohne Abzug.") : terms.text;
    const QString discountLine = cashDiscountLine(terms);
    x.ram(QStringLiteral("Description"),
          discountLine.isEmpty() ? termsText : termsText + u'\n' + discountLine);
    if (terms.dueDate)
        x.dateTime(QStringLiteral("DueDateDateTime"), *terms.dueDate);
    x.close();
    x.open(RAM, QStringLiteral("SpecifiedTradeSettlementHeaderMonetarySummation"));
    x.ram(QStringLiteral("LineTotalAmount"), cents(amounts.netCents));
    x.ram(QStringLiteral("TaxBasisTotalAmount"), cents(amounts.netCents));
    x.withAttribute(QStringLiteral("TaxTotalAmount"), QStringLiteral("currencyID"), currency,
                    cents(amounts.vatCents));
    x.ram(QStringLiteral("GrandTotalAmount"), cents(amounts.grossCents));
    x.ram(QStringLiteral("DuePayableAmount"), cents(amounts.grossCents));
    x.close();
    if (input.preceding) {
        // The invoice this one cancels: its number and date.
        x.open(RAM, QStringLiteral("InvoiceReferencedDocument"));
        x.ram(QStringLiteral("IssuerAssignedID"), input.preceding->number);
        x.open(RAM, QStringLiteral("FormattedIssueDateTime"));
        x.w.writeStartElement(QDT, QStringLiteral("DateTimeString"));
        x.w.writeAttribute(QStringLiteral("format"), QStringLiteral("102"));
        x.w.writeCharacters(date102(input.preceding->date));
        x.w.writeEndElement();
        x.close();
        x.close();
    }
    x.close();

    x.close(); // SupplyChainTradeTransaction
    x.close(); // CrossIndustryInvoice
    x.w.writeEndDocument();
    return result;
}

} // namespace vq::invoice
