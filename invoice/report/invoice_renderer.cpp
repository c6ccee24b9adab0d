#include "invoice/report/invoice_renderer.h"
#include "invoice/records/invoice_numbers.h"

#include "common/GlobalFunctions.h"
#include "common/regional_numbers.h"
#include "common/safe_file.h"
#include "common/text_file.h"
#include "invoice/db/clients.h"
#include "invoice/einvoice/xrechnung.h"
#include "invoice/money/payment_terms.h"
#include "invoice/report/giro_code.h"
#include "invoice/report/rtf_text.h"

#include <kainjow/mustache.hpp>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>
#include <cmath>

namespace vq::invoice {

namespace mustache = kainjow::mustache;

namespace {

// The layout works in CSS pixels (96 per inch) whatever the screen is, so a
// template's sizes mean the same on every machine and in every output.
constexpr double kLayoutDpi = 96.0;
constexpr double kPxPerMm = kLayoutDpi / 25.4;
constexpr double kPageWidthMm = 210, kPageHeightMm = 297;
// DIN 5008: text from 25 mm on the left, at least 20 mm on the right.
constexpr double kLeftMm = 25, kRightMm = 20, kTopMm = 10, kBottomMm = 10;
// Space between the body and the page footer.
constexpr double kFooterGapMm = 6;

QPaintDevice *layoutDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kLayoutDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kLayoutDpi / 0.0254));
        return image;
    }();
    return &device;
}

QFont defaultFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10);
    return font;
}

std::string u8(const QString &text)
{
    return text.toStdString();
}

// Double braces give customer values HTML-escaped; a line break stays one.
std::string escapeHtml(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "<br>";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// No value of an order needs more; a hostile order mail with a name of a
// megabyte would otherwise keep the layout busy for minutes.
constexpr qsizetype kMaxValueLength = 4000;

// An empty text is left out, so that a section over it is skipped.
void put(mustache::data &object, const char *key, const QString &value)
{
    if (value.isEmpty())
        return;
    if (value.size() > kMaxValueLength)
        object.set(key, u8(value.left(kMaxValueLength) + QStringLiteral("…")));
    else
        object.set(key, u8(value));
}

// An e-mail address that a narrow column may break after its "@" and its
// dots (a zero-width space there), never in the middle of a word.
QString breakableAddress(const QString &address)
{
    QString result;
    result.reserve(address.size() + 8);
    for (const QChar c : address) {
        result += c;
        if (c == u'@' || c == u'.')
            result += QChar(0x200B);
    }
    return result;
}

// "DE89 3704 0044 0532 0130 00": the printed form, which breaks only between groups.
QString ibanInGroups(const QString &iban)
{
    const QString compact = compactIban(iban);
    QString grouped;
    for (qsizetype i = 0; i < compact.size(); i += 4)
        grouped += (i ? QStringLiteral(" ") : QString()) + compact.mid(i, 4);
    return grouped;
}

QString dateText(const QDate &date, const QLocale &locale)
{
    if (!date.isValid())
        return QString();
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return locale.toString(date, format);
}

mustache::data optionData(const TOption &o, const TArtikel &line, bool netPrices, bool showVat,
                          const QLocale &locale)
{
    mustache::data d{mustache::data::type::object};
    put(d, "Option_ID", QString::number(o.id));
    put(d, "Option_ArtikelID", QString::number(o.artikelId));
    put(d, "Option_Name", o.name);
    put(d, "Option_Wert", o.wert);
    if (showVat)
        put(d, "Artikel_Mwst", formatRate(line.mwst, locale));
    put(d, "Artikel_Anzahl", QString::number(line.anzahl));
    if (o.preis) {
        put(d, "Option_Preis", formatMoney(*o.preis, locale));
        // The surcharge for the whole line and its VAT, by the money rule.
        if (const auto total = amountCents(line.anzahl, *o.preis)) {
            put(d, "Gesamtpreis", formatCents(*total, locale));
            if (showVat)
                put(d, "Gesamtmwst", formatCents(vatOfCents(*total, line.mwst, netPrices), locale));
        }
    }
    return d;
}

mustache::data invoiceContext(const InvoiceData &data, const QLocale &locale, const QDate &today)
{
    const OrderAmounts &amounts = data.amounts;
    mustache::data root{mustache::data::type::object};
    // A small business's invoice shows no VAT anywhere.
    const bool showVat = data.taxCase != TaxCase::SmallBusiness;

    const TBestellung &b = data.order;
    mustache::data order{mustache::data::type::object};
    put(order, "Bestellung_ID", QString::number(b.id));
    put(order, "Bestellung_MandantID", QString::number(b.mandantId));
    put(order, "Bestellung_RechNr", invoiceNumberText(b));
    put(order, "Bestellung_UUID", b.uuid);
    put(order, "Bestellung_Zeit", dateText(b.zeit.date(), locale));
    // The date the invoice was first put out; until then today's.
    put(order, "Bestellung_Rechnungsdatum",
        dateText(b.rechnungsdatum.isValid() ? b.rechnungsdatum : today, locale));
    put(order, "Bestellung_Kaeuferreferenz", b.kaeuferreferenz);
    put(order, "Bestellung_UStIdNr", b.ustIdNr.trimmed());
    put(order, "Bestellung_EMailERechnung", b.emailERechnung.trimmed());
    // When the goods were delivered: as set, else on the order date.
    put(order, "Bestellung_Lieferdatum",
        dateText(b.lieferdatum.isValid() ? b.lieferdatum : b.zeit.date(), locale));
    put(order, "Bestellung_Firma", b.firma);
    put(order, "Bestellung_Name", b.name);
    put(order, "Bestellung_Nachname", b.nachname);
    put(order, "Bestellung_Strasse", b.strasse);
    put(order, "Bestellung_PLZ", b.plz);
    put(order, "Bestellung_Ort", b.ort);
    put(order, "Bestellung_Land", b.land);
    put(order, "Bestellung_Telefon", b.telefon);
    put(order, "Bestellung_EMail", breakableAddress(b.email));
    put(order, "Bestellung_Homepage", b.homepage);
    put(order, "Bestellung_IP", b.ip);
    put(order, "Bestellung_Status", QString::number(b.status));
    put(order, "Bestellung_Bemerkung", b.bemerkung);
    root.set("RvDataSetBestellung", order);

    // Every option of the order in the order they were added, each with its line.
    QList<std::pair<const TOption *, const TArtikel *>> options;
    for (const TArtikel &a : data.lines) {
        for (const TOption &o : a.optionen)
            options << std::pair{&o, &a};
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const auto &x, const auto &y) { return x.first->id < y.first->id; });
    mustache::data allOptions{mustache::data::type::list};
    for (const auto &[o, a] : options)
        allOptions.push_back(optionData(*o, *a, amounts.net, showVat, locale));
    mustache::data lines{mustache::data::type::list};
    for (qsizetype i = 0; i < data.lines.size(); ++i) {
        const TArtikel &a = data.lines[i];
        const OrderLineAmounts figures =
            i < amounts.lines.size() ? amounts.lines[i] : OrderLineAmounts{};
        mustache::data line{mustache::data::type::object};
        put(line, "Artikel_ID", QString::number(a.id));
        put(line, "Artikel_BestellungID", QString::number(a.bestellungId));
        put(line, "Artikel_Nr", a.nr);
        put(line, "Artikel_Name", a.name);
        put(line, "Artikel_Anzahl", QString::number(a.anzahl));
        put(line, "Artikel_Preis", formatMoney(a.preis, locale));
        if (showVat)
            put(line, "Artikel_Mwst", formatRate(a.mwst, locale));
        // The line's own part beside its options' parts, so that a column
        // showing both adds up to the line's total exactly; and the total.
        qint64 ownCents = figures.totalCents;
        for (const TOption &o : a.optionen) {
            if (o.preis)
                ownCents -= amountCents(a.anzahl, *o.preis).value_or(0);
        }
        put(line, "Artikel_Gesamtpreis", formatCents(ownCents, locale));
        put(line, "Artikel_Gesamtbetrag", formatCents(figures.totalCents, locale));
        if (showVat)
            put(line, "Artikel_GesamtMwst", formatCents(figures.vatCents, locale));
        put(line, "Artikel_GesamtNetto", formatCents(figures.netCents, locale));
        // The options of this line; inside a line the name stands for them.
        mustache::data own{mustache::data::type::list};
        for (const TOption &o : a.optionen)
            own.push_back(optionData(o, a, amounts.net, showVat, locale));
        line.set("RvDataSetOptionen", own);
        lines.push_back(line);
    }
    root.set("RvDataSetArtikel", lines);
    root.set("RvDataSetOptionen", allOptions);

    const TMandant &m = data.client;
    mustache::data client{mustache::data::type::object};
    put(client, "Mandant_ID", QString::number(m.id));
    put(client, "Mandant_Firma", m.firma);
    put(client, "Mandant_Name", m.name);
    put(client, "Mandant_Vorname", m.vorname);
    put(client, "Mandant_Strasse", m.strasse);
    put(client, "Mandant_PLZ", m.plz);
    put(client, "Mandant_Ort", m.ort);
    put(client, "Mandant_Land", m.land);
    put(client, "Mandant_EMail", breakableAddress(m.email));
    put(client, "Mandant_Waehrung", m.waehrung);
    // The mailbox password is not handed to a template: no invoice needs it,
    // and a template must not be able to print it by mistake.
    put(client, "Mandant_POP3", m.pop3);
    put(client, "Mandant_Username", m.username);
    put(client, "Mandant_Port", QString::number(m.port));
    put(client, "Mandant_Rechnungsfuss", rtfToHtml(readRtf(m.rechnungsfuss)));
    // What German law wants on every invoice beside the address: the VAT
    // identification number or the tax number, and how to pay.
    put(client, "Mandant_UStIdNr", m.ustIdNr.trimmed());
    put(client, "Mandant_Steuernummer", m.steuernummer.trimmed());
    put(client, "Mandant_IBAN", ibanInGroups(m.iban));
    put(client, "Mandant_BIC", QString(m.bic).remove(u' ').toUpper());
    put(client, "Mandant_Bank", m.bank.trimmed());
    put(client, "Mandant_Telefon", m.telefon.trimmed());
    root.set("RvDataSetMandant", client);

    // The figures of the money rule, the same the electronic invoice carries:
    // each rate's net and VAT add up to its gross, the rates to the totals.
    mustache::data vat{mustache::data::type::list};
    for (const VatRateAmounts &v : showVat ? amounts.rates : QList<VatRateAmounts>()) {
        mustache::data row{mustache::data::type::object};
        put(row, "Bestellung_ID", QString::number(b.id));
        put(row, "Artikel_Mwst", formatRate(v.rate, locale));
        put(row, "SummeGesamt", formatCents(v.grossCents, locale));
        put(row, "Mwst", formatCents(v.vatCents, locale));
        put(row, "SummeNetto", formatCents(v.netCents, locale));
        vat.push_back(row);
    }
    root.set("RvDataSetMwst", vat);
    put(root, "SummeGesamt", formatCents(amounts.grossCents, locale));
    if (showVat) {
        put(root, "SummeMwst", formatCents(amounts.vatCents, locale));
        put(root, "MitMwst", QStringLiteral("ja"));
    }
    put(root, "SummeNetto", formatCents(amounts.netCents, locale));
    // How the order was priced: line prices without VAT ("netto") or with it;
    // neither when the invoice charges no VAT: its tax note says why.
    put(root, "Preisberechnung", amounts.net ? QStringLiteral("netto") : QStringLiteral("brutto"));
    if (chargesVat(data.taxCase))
        put(root, amounts.net ? "Netto" : "Brutto", QStringLiteral("ja"));
    put(root, "Steuerfall", taxCaseLabel(data.taxCase));
    put(root, "Steuerhinweis", taxCaseNote(data.taxCase, data.client, data.order));

    // The due date from the client's payment period, counted from the
    // invoice date (today's on a draft).
    const PaymentTerms terms =
        paymentTerms(m, b.rechnungsdatum.isValid() ? b.rechnungsdatum : today, amounts.grossCents);
    put(root, "Zahlungsbedingung", terms.text);
    if (terms.dueDate)
        put(root, "Faelligkeitsdatum", dateText(*terms.dueDate, locale));
    if (terms.discount) {
        put(root, "Skontodatum", dateText(terms.discount->until, locale));
        put(root, "Skontobetrag", formatCents(terms.discount->cents, locale));
        put(root, "Skontoprozent", formatCents(terms.discount->hundredthsPercent, locale));
    }

    // The payment code of what is owed, as a picture; left out when the
    // invoice gets none. Set whole: a picture is longer than any typed value.
    const QString giroCode = giroCodeDataUrl(data);
    if (!giroCode.isEmpty())
        root.set("GiroCode", u8(giroCode));

    put(root, "Currency", m.waehrung);
    put(root, "Heute", dateText(today, locale));
    return root;
}

QString templateErrorText(const std::string &message, const std::string &source)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(Unclosed tag|Invalid set delimiter tag|Unopened section \"(.*)\"|Unclosed section "
        "\"(.*)\") at (\\d+)$"));
    const QString text = QString::fromStdString(message);
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return text;
    const size_t offset = std::min<size_t>(match.captured(4).toULongLong(), source.size());
    const int line =
        1 + int(std::count(source.begin(), source.begin() + std::ptrdiff_t(offset), '\n'));
    QString what;
    if (match.captured(1) == u"Unclosed tag")
        what = QStringLiteral("Ein Platzhalter wird nicht mit \"}}\" geschlossen.");
    else if (match.captured(1) == u"Invalid set delimiter tag")
        what = QStringLiteral("Die Angabe neuer Begrenzer ist ungültig.");
    else if (!match.captured(2).isEmpty())
        what = QStringLiteral("Der Abschnitt \"%1\" wird geschlossen, aber nicht geöffnet.")
                   .arg(match.captured(2));
    else
        what = QStringLiteral("Der Abschnitt \"%1\" wird nicht geschlossen ({{/%1}} fehlt).")
                   .arg(match.captured(3));
    return QStringLiteral("Zeile %1: %2").arg(line).arg(what);
}

} // namespace

QString formatMoney(double value, const QLocale &locale)
{
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0 || !std::isfinite(rounded))
        rounded = std::isfinite(rounded) ? 0.0 : rounded; // no "-0,00"
    return locale.toString(rounded, 'f', 2);
}

QString formatCents(qint64 cents, const QLocale &locale)
{
    // From the integer itself, so no amount is ever rounded again.
    const quint64 magnitude = cents < 0 ? quint64(0) - quint64(cents) : quint64(cents);
    QString text = locale.toString(qulonglong(magnitude / 100)) + locale.decimalPoint()
                   + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    if (cents < 0)
        text.prepend(locale.negativeSign());
    return text;
}

QString formatRate(double value, const QLocale &locale)
{
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0)
        rounded = 0.0;
    return vq::formatRegionalNumber(rounded, locale);
}

// Template ------------------------------------------------------------------

struct InvoiceTemplate::Parsed
{
    explicit Parsed(const std::string &text)
        : source(text)
        , engine(text)
    {
        engine.set_custom_escape(escapeHtml);
    }
    std::string source;
    mutable mustache::mustache engine;
};

std::optional<InvoiceTemplate> InvoiceTemplate::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists()) {
        if (error)
            *error = QStringLiteral("Die Rechnungsvorlage \"%1\" fehlt.")
                         .arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    // Templates are a few kilobytes; a huge file is not one.
    constexpr qint64 kMaxTemplateBytes = 16 * 1024 * 1024;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTemplateBytes) {
        if (error)
            *error = QStringLiteral("Die Rechnungsvorlage \"%1\" kann nicht gelesen werden: %2")
                         .arg(QDir::toNativeSeparators(path),
                              file.isOpen() ? QStringLiteral("Die Datei ist zu groß.")
                                            : file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0')) {
        if (error)
            *error = QStringLiteral("Die Rechnungsvorlage \"%1\" ist keine HTML-Datei.")
                         .arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    // Saved by an editor of another system, a template may be Windows-1252.
    const QString text = vq::fromUtf8OrWindows1252(bytes);
    auto parsed = fromText(text, path, error);
    if (parsed)
        parsed->m_folder = QFileInfo(path).absolutePath();
    return parsed;
}

std::optional<InvoiceTemplate> InvoiceTemplate::fromText(const QString &text, const QString &name,
                                                         QString *error)
{
    auto fail = [&](const QString &problem) {
        if (error)
            *error = QStringLiteral("Die Rechnungsvorlage \"%1\" enthält einen Fehler: %2")
                         .arg(QDir::toNativeSeparators(name), problem);
        return std::nullopt;
    };
    if (text.trimmed().isEmpty())
        return fail(QStringLiteral("Sie ist leer."));
    // Partials would render a value as a template of its own, and a customer's
    // value must never be read as one; changed delimiters would hide them.
    static const QRegularExpression unsupported(QStringLiteral("\\{\\{\\s*[>=]"));
    const auto match = unsupported.match(text);
    if (match.hasMatch()) {
        const int line = 1 + int(text.left(match.capturedStart()).count(u'\n'));
        return fail(QStringLiteral("Zeile %1: Teilvorlagen ({{> …}}) und neue Begrenzer ({{= …=}}) "
                                   "werden nicht unterstützt.")
                        .arg(line));
    }
    InvoiceTemplate result;
    auto parsed = std::make_shared<Parsed>(u8(text));
    if (!parsed->engine.is_valid())
        return fail(templateErrorText(parsed->engine.error_message(), parsed->source));
    result.m_parsed = std::move(parsed);
    return result;
}

QString InvoiceTemplate::text() const
{
    return m_parsed ? QString::fromStdString(m_parsed->source) : QString();
}

QString InvoiceTemplate::render(const InvoiceData &data, const QDate &today,
                                const QLocale &locale) const
{
    if (!m_parsed)
        return QString();
    const mustache::data context = invoiceContext(data, locale, today);
    QString html = QString::fromStdString(m_parsed->engine.render(context));
    // Whatever the template, a draft says so and a cancellation invoice names
    // the invoice it cancels, at the top of the page.
    QString notes;
    if (const QString note = cancellationNote(data); !note.isEmpty())
        notes += QStringLiteral("<p style=\"font-weight: bold;\">%1</p>").arg(note.toHtmlEscaped());
    if (!data.order.issued())
        notes += QStringLiteral("<p style=\"color: #b00000; font-weight: bold; font-size: 16pt;\">"
                                "Entwurf – noch keine Rechnung</p>");
    if (!notes.isEmpty()) {
        static const QRegularExpression body(QStringLiteral("<body[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto match = body.match(html);
        html.insert(match.hasMatch() ? match.capturedEnd() : 0, notes + u'\n');
    }
    // What the law wants printed that a template of its own may not know:
    // the tax case's note and a delivery date other than the order date,
    // after the invoice's body, before the page footer.
    const QString source = text();
    QString closing;
    const QString taxNote = taxCaseNote(data.taxCase, data.client, data.order);
    if (!taxNote.isEmpty() && !source.contains(QLatin1String("Steuerhinweis")))
        closing +=
            QStringLiteral("<p style=\"margin-top: 12px;\">%1</p>\n").arg(taxNote.toHtmlEscaped());
    const TBestellung &order = data.order;
    if (order.lieferdatum.isValid() && order.lieferdatum != order.zeit.date()
        && !source.contains(QLatin1String("Bestellung_Lieferdatum")))
        closing += QStringLiteral("<p>Liefer-/Leistungsdatum: %1</p>\n")
                       .arg(dateText(order.lieferdatum, locale));
    if (!closing.isEmpty()) {
        qsizetype at = html.indexOf(QStringView(kPageFooterMarker));
        if (at < 0) {
            static const QRegularExpression end(QStringLiteral("</body\\s*>"),
                                                QRegularExpression::CaseInsensitiveOption);
            const auto match = end.match(html);
            at = match.hasMatch() ? match.capturedStart() : html.size();
        }
        html.insert(at, closing);
    }
    return html;
}

QString cancellationNote(const InvoiceData &data)
{
    if (!data.preceding)
        return QString();
    return QStringLiteral("Stornorechnung zu Rechnung Nr. %1 vom %2")
        .arg(data.preceding->number, data.preceding->date.toString(QStringLiteral("dd.MM.yyyy")));
}

// Document ------------------------------------------------------------------

namespace {

std::unique_ptr<QTextDocument> makeDocument(const QString &html, const QString &resourceFolder)
{
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout()->setPaintDevice(layoutDevice());
    document->setUseDesignMetrics(true);
    document->setDocumentMargin(0);
    document->setDefaultFont(defaultFont());
    if (!resourceFolder.isEmpty())
        document->setBaseUrl(QUrl::fromLocalFile(QDir(resourceFolder).absolutePath() + u'/'));
    document->setHtml(html);
    return document;
}

} // namespace

InvoiceDocument::InvoiceDocument(const QString &html, const QString &resourceFolder)
{
    m_foldMarks = html.contains(QString::fromUtf16(kFoldMarksMarker));
    const qsizetype marker = html.indexOf(QString::fromUtf16(kPageFooterMarker));
    const QString bodyHtml = marker < 0 ? html : html.left(marker);
    const QString footerHtml = marker < 0 ? QString() : html.mid(marker);
    const double width = (kPageWidthMm - kLeftMm - kRightMm) * kPxPerMm;
    m_body = makeDocument(bodyHtml, resourceFolder);
    m_footer = makeDocument(footerHtml, resourceFolder);
    m_footer->setTextWidth(width);
    double footerHeight =
        m_footer->isEmpty() ? 0 : m_footer->size().height() + kFooterGapMm * kPxPerMm;
    // A footer taller than half the page leaves the body too little room; it is cut.
    const double contentHeight = (kPageHeightMm - kTopMm - kBottomMm) * kPxPerMm;
    footerHeight = std::min(footerHeight, contentHeight / 2);
    m_bodyHeight = contentHeight - footerHeight;
    m_body->setPageSize(QSizeF(width, m_bodyHeight));
}

InvoiceDocument::~InvoiceDocument() = default;

int InvoiceDocument::pageCount() const
{
    return std::max(1, m_body->pageCount());
}

QString InvoiceDocument::plainText() const
{
    return m_body->toPlainText() + u'\n' + m_footer->toPlainText();
}

void InvoiceDocument::paintPage(QPainter &painter, int page, double scale) const
{
    const double width = (kPageWidthMm - kLeftMm - kRightMm) * kPxPerMm;
    const double pageHeight = kPageHeightMm * kPxPerMm;
    painter.save();
    painter.scale(scale, scale);
    painter.save();
    painter.translate(kLeftMm * kPxPerMm, kTopMm * kPxPerMm - page * m_bodyHeight);
    m_body->drawContents(&painter, QRectF(0, page * m_bodyHeight, width, m_bodyHeight));
    painter.restore();
    if (!m_footer->isEmpty()) {
        const double footerHeight = (kPageHeightMm - kTopMm - kBottomMm) * kPxPerMm - m_bodyHeight
                                    - kFooterGapMm * kPxPerMm;
        painter.save();
        painter.translate(kLeftMm * kPxPerMm, pageHeight - kBottomMm * kPxPerMm - footerHeight);
        m_footer->drawContents(&painter, QRectF(0, 0, width, footerHeight));
        painter.restore();
    }
    if (m_foldMarks) {
        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.2 * kPxPerMm));
        for (const double y : {105.0, 210.0})
            painter.drawLine(QPointF(4 * kPxPerMm, y * kPxPerMm),
                             QPointF(9 * kPxPerMm, y * kPxPerMm));
        painter.drawLine(QPointF(4 * kPxPerMm, 148.5 * kPxPerMm),
                         QPointF(11 * kPxPerMm, 148.5 * kPxPerMm));
    }
    const int pages = pageCount();
    if (pages > 1) {
        // In layout pixels: the painter is scaled to the device already.
        QFont font = defaultFont();
        font.setPixelSize(qRound(8 * kLayoutDpi / 72));
        painter.setFont(font);
        painter.setPen(Qt::black);
        // Between the body and the page footer, clear of a printer's unprintable edge.
        const QRectF line(kLeftMm * kPxPerMm, kTopMm * kPxPerMm + m_bodyHeight + 0.3 * kPxPerMm,
                          width, 4 * kPxPerMm);
        painter.drawText(line, Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("Seite %1 von %2").arg(page + 1).arg(pages));
    }
    painter.restore();
}

bool InvoiceDocument::print(QPagedPaintDevice *device, int copies, bool collate) const
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    // Pictures go into a PDF as they are, never as JPEG: the payment code's
    // edges stay sharp for the scanner, and a logo's too.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const double scale = device->logicalDpiX() / kLayoutDpi;
    // The painter starts at the printable area; pages are laid out from the paper's corner.
    const QRect paintRect = device->pageLayout().paintRectPixels(device->logicalDpiX());
    painter.translate(-paintRect.topLeft());
    const int pages = pageCount();
    copies = std::max(1, copies);
    bool first = true;
    auto paintOne = [&](int page) {
        if (!first && !device->newPage())
            return false;
        first = false;
        paintPage(painter, page, scale);
        return true;
    };
    bool ok = true;
    for (int outer = 0; ok && outer < (collate ? copies : 1); ++outer) {
        for (int page = 0; ok && page < pages; ++page) {
            for (int inner = 0; ok && inner < (collate ? 1 : copies); ++inner)
                ok = paintOne(page);
        }
    }
    return painter.end() && ok;
}

QImage InvoiceDocument::pageImage(int page, int dotsPerInch) const
{
    const QSize size(qRound(kPageWidthMm / 25.4 * dotsPerInch),
                     qRound(kPageHeightMm / 25.4 * dotsPerInch));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPage(painter, std::clamp(page, 0, pageCount() - 1), dotsPerInch / kLayoutDpi);
    return image;
}

namespace {

bool paintPdf(const InvoiceDocument &document, QIODevice *device,
              QPagedPaintDevice::PdfVersion version)
{
    QPdfWriter writer(device);
    writer.setPdfVersion(version);
    writer.setTitle(QString::fromUtf16(kPdfTitle));
    writer.setCreator(QString::fromUtf16(kPdfCreator));
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    return document.print(&writer);
}

} // namespace

std::optional<QByteArray> invoicePdfA1b(const InvoiceDocument &document)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    if (!paintPdf(document, &buffer, QPagedPaintDevice::PdfVersion_A1b))
        return std::nullopt;
    buffer.close();
    return pdf;
}

std::optional<QByteArray> invoicePdf(const InvoiceDocument &document)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    if (!paintPdf(document, &buffer, QPagedPaintDevice::PdfVersion_1_4))
        return std::nullopt;
    buffer.close();
    return pdf;
}

bool writeInvoicePdf(const InvoiceDocument &document, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const bool painted = paintPdf(document, &file, QPagedPaintDevice::PdfVersion_1_4);
    if (!painted || !file.commit()) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                         .arg(QDir::toNativeSeparators(path),
                              painted ? file.errorString()
                                      : QStringLiteral("Die PDF-Ausgabe ist fehlgeschlagen."));
        file.cancelWriting();
        return false;
    }
    return true;
}

std::optional<RenderedInvoice> renderInvoiceData(const InvoiceData &data, const QDate &today,
                                                 QString *error, const QString &templatePath)
{
    const QString path = templatePath.isEmpty() ? clientTemplatePath(data.client.id) : templatePath;
    const auto invoiceTemplate = InvoiceTemplate::load(path, error);
    if (!invoiceTemplate)
        return std::nullopt;
    return RenderedInvoice{invoiceTemplate->render(data, today), invoiceTemplate->folder(),
                           data.client.id,
                           missingMandatoryItems(invoiceTemplate->text(), data.client)};
}

namespace {

// Whether the template prints the value name, in a tag or a section.
bool prints(const QString &templateText, const char *name)
{
    const QRegularExpression tag(
        QStringLiteral("\\{\\{\\{?\\s*[#^&]?\\s*%1\\s*\\}\\}").arg(QLatin1String(name)));
    return tag.match(templateText).hasMatch();
}

} // namespace

QStringList missingMandatoryItems(const QString &templateText, const TMandant &client)
{
    QStringList missing;
    const QString footer = readRtf(client.rechnungsfuss).plainText();
    const auto inFooter = [&](const QString &id) {
        return !id.trimmed().isEmpty() && prints(templateText, "Mandant_Rechnungsfuss")
               && QString(footer).remove(u' ').contains(QString(id).remove(u' '),
                                                        Qt::CaseInsensitive);
    };
    const bool taxId =
        ((prints(templateText, "Mandant_UStIdNr") && !client.ustIdNr.trimmed().isEmpty())
         || (prints(templateText, "Mandant_Steuernummer")
             && !client.steuernummer.trimmed().isEmpty())
         || inFooter(client.ustIdNr) || inFooter(client.steuernummer));
    if (!taxId)
        missing << (client.ustIdNr.trimmed().isEmpty() && client.steuernummer.trimmed().isEmpty()
                        ? QStringLiteral("USt-IdNr. oder Steuernummer des Verkäufers (beim "
                                         "Mandanten nicht eingetragen)")
                        : QStringLiteral("USt-IdNr. oder Steuernummer des Verkäufers"));
    if (!prints(templateText, "Bestellung_RechNr"))
        missing << QStringLiteral("Rechnungsnummer");
    if (!prints(templateText, "Bestellung_Rechnungsdatum"))
        missing << QStringLiteral("Rechnungsdatum");
    if (!prints(templateText, "Bestellung_Zeit") && !prints(templateText, "Bestellung_Lieferdatum"))
        missing << QStringLiteral("Liefer-/Leistungsdatum");
    if (!prints(templateText, "RvDataSetMwst") || !prints(templateText, "Mwst"))
        missing << QStringLiteral("Mehrwertsteuer je Steuersatz");
    return missing;
}

QString mandatoryItemsMessage(const QStringList &missing)
{
    return QStringLiteral(
               "Der Rechnungsvorlage fehlen Angaben, die § 14 Abs. 4 UStG auf jeder Rechnung "
               "verlangt:\n- %1")
        .arg(missing.join(QStringLiteral("\n- ")));
}

bool resetClientTemplate(int mandantId, const QString &programFolder, QString *error)
{
    const QString source =
        QDir(programFolder).filePath(QString::fromUtf16(kDefaultInvoiceTemplate));
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                QStringLiteral("Die Originalrechnungsvorlage \"%1\" kann nicht gelesen werden: %2")
                    .arg(QDir::toNativeSeparators(source), file.errorString());
        return false;
    }
    return vq::writeFileSafely(clientTemplatePath(mandantId), file.readAll(), error);
}

} // namespace vq::invoice
