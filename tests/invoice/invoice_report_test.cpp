// Invoice output: the delivered template over a real database renders the
// right amounts into a PDF, each client prints through its own template,
// reset restores the default, broken or missing templates give their message,
// customer values print as typed, and the command line writes the PDF.
#include "common/GlobalFunctions.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/report/invoice_renderer.h"
#include "invoice/report/rtf_text.h"
#include "tests/invoice/giro_code_reader.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

QString programFolder()
{
    return QStringLiteral(VQ_PROGRAM_DIR "/rechtool");
}

QString defaultTemplate()
{
    return QDir(programFolder()).filePath(QStringLiteral("rechnung.rav"));
}

QString pdfText(const QString &pdf, int page = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    QByteArray out;
    EXPECT_EQ(vq::test::runProgram(QStringLiteral("pdftotext"), arguments, &out), 0);
    return QString::fromUtf8(out);
}

QString pdfInfo(const QString &tool, const QString &pdf)
{
    QByteArray out;
    EXPECT_EQ(vq::test::runProgram(tool, {pdf}, &out), 0);
    return QString::fromUtf8(out);
}

// Blanks of any width (the layout pads columns) as one, ligatures ("ff") as
// their letters, and no blank before "%" (a narrow one may be read as none).
QString simplified(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC)
        .simplified()
        .replace(QStringLiteral(" %"), QStringLiteral("%"));
}

class InvoiceOutput : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, dialect(), dir.path(), &error))
            << error.toStdString();
    }
    virtual SqlDialect dialect() const { return GetParam(); }

    int addClient(const QString &firma, const QString &currency, const QString &footer = QString())
    {
        TMandant client = newClient();
        client.firma = firma;
        client.strasse = QStringLiteral("Hauptstraße 1");
        client.plz = QStringLiteral("8001");
        client.ort = QStringLiteral("Zürich");
        client.waehrung = currency;
        client.rechnungsfuss = footer;
        client.password = QStringLiteral("geheimes-Passwort");
        const auto id = ClientStore(db).insertClient(client);
        EXPECT_TRUE(id) << db.lastError().toStdString();
        // Each test's clients start at the database's first number: a fresh copy.
        QFile::remove(clientTemplatePath(id.value_or(0)));
        EXPECT_TRUE(QFile::copy(defaultTemplate(), clientTemplatePath(id.value_or(0))));
        return id.value_or(0);
    }

    int addOrder(int client, const QString &name, int rechNr)
    {
        TBestellung order;
        order.mandantId = client;
        order.rechNr = rechNr;
        order.zeit = QDateTime(QDate(2026, 12, 9), QTime(14, 30), Qt::UTC);
        order.name = name;
        order.nachname = QStringLiteral("Mustermann");
        order.strasse = QStringLiteral("Lindenweg 7");
        order.plz = QStringLiteral("10115");
        order.ort = QStringLiteral("Berlin");
        const auto id = OrderStore(db).insertOrder(order);
        EXPECT_TRUE(id) << db.lastError().toStdString();
        return id.value_or(0);
    }

    int addLine(int order, const QString &nr, const QString &name, int anzahl, double preis,
                double mwst)
    {
        TArtikel line;
        line.bestellungId = order;
        line.nr = nr;
        line.name = name;
        line.anzahl = anzahl;
        line.preis = preis;
        line.mwst = mwst;
        const auto id = OrderStore(db).insertLine(line);
        EXPECT_TRUE(id) << db.lastError().toStdString();
        return id.value_or(0);
    }

    void addOption(int line, const QString &name, const QString &wert, std::optional<double> preis)
    {
        TOption option;
        option.artikelId = line;
        option.name = name;
        option.wert = wert;
        option.preis = preis;
        EXPECT_TRUE(OrderStore(db).insertOption(option)) << db.lastError().toStdString();
    }

    // Two rates, an option with and one without a surcharge:
    //   2 x 19,90 at 19 % + option 2,50 x 2 = 44,80; 3 x 4,50 at 19 % = 13,50; 1 x 24,00 at 7 %.
    int standardOrder(int client)
    {
        const int order = addOrder(client, QStringLiteral("Erika"), 1042);
        const int shirt =
            addLine(order, QStringLiteral("A-100"), QStringLiteral("T-Shirt"), 2, 19.90, 19);
        addOption(shirt, QStringLiteral("Größe"), QStringLiteral("XL"), 2.50);
        addOption(shirt, QStringLiteral("Farbe"), QStringLiteral("Blau"), std::nullopt);
        addLine(order, QStringLiteral("B-200"), QStringLiteral("Kochbuch"), 1, 24.00, 7);
        addLine(order, QStringLiteral("A-110"), QStringLiteral("Stofftasche"), 3, 4.50, 19);
        // Another order of the same client must not leak into this invoice.
        const int other = addOrder(client, QStringLiteral("Fremd"), 1043);
        const int otherLine =
            addLine(other, QStringLiteral("Z-1"), QStringLiteral("Fremdartikel"), 5, 99, 19);
        addOption(otherLine, QStringLiteral("Fremdoption"), QStringLiteral("x"), 1);
        return order;
    }

    QTemporaryDir dir;
    InvoiceConnection db;
};

TEST_P(InvoiceOutput, PdfShowsLinesVatPerRateAndGrossTotalInTheClientsCurrency)
{
    const int client = addClient(QStringLiteral("Alpenladen AG"), QStringLiteral("CHF"));
    const int order = standardOrder(client);
    const QString pdf = dir.filePath(QStringLiteral("rechnung.pdf"));
    QString error;
    ASSERT_TRUE(InvoiceIssuer(db).writePdf(order, pdf, &error)) << error.toStdString();

    const QString text = simplified(pdfText(pdf));
    // The first output fixes the invoice date; the order date is the delivery date.
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_TRUE(text.contains(QStringLiteral("Rechnungsdatum ") + today)) << text.toStdString();
    EXPECT_EQ(OrderStore(db).order(order)->rechnungsdatum, QDate::currentDate());
    for (const char *expected :
         {"Rechnung Nr. 1042", "Alpenladen AG", "Erika Mustermann", "Lindenweg 7", "10115 Berlin",
          "Liefer-/Leistungsdatum 09.12.2026",
          // Lines in article-number order with number, name, quantity, rate, unit price and line
          // total.
          "A-100 T-Shirt 2 19 % 19,90 CHF 39,80 CHF", "Größe: XL 2,50 CHF 5,00 CHF", "Farbe: Blau",
          "A-110 Stofftasche 3 19 % 4,50 CHF 13,50 CHF", "B-200 Kochbuch 1 7 % 24,00 CHF 24,00 CHF",
          // Per rate the net amount and the VAT: 24,00 at 7 % and 58,30 at 19 %.
          "Nettobetrag 7 % 22,43 CHF", "zzgl. 7 % MwSt. 1,57 CHF", "Nettobetrag 19 % 48,99 CHF",
          "zzgl. 19 % MwSt. 9,31 CHF", "Gesamtbetrag 82,30 CHF"}) {
        EXPECT_TRUE(text.contains(simplified(QString::fromUtf8(expected)))) << expected << "\n"
                                                                            << text.toStdString();
    }
    // The invoice date is the day of the first output, not the order's day.
    EXPECT_TRUE(text.contains(QStringLiteral("Rechnungsdatum ")
                              + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))))
        << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("T-Shirt")), text.indexOf(QStringLiteral("Stofftasche")));
    EXPECT_LT(text.indexOf(QStringLiteral("Stofftasche")),
              text.indexOf(QStringLiteral("Kochbuch")));
    EXPECT_FALSE(text.contains(QStringLiteral("Fremd")));
    EXPECT_FALSE(text.contains(QStringLiteral("geheimes-Passwort")));

    const QString info = pdfInfo(QStringLiteral("pdfinfo"), pdf);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title: +Rechnung\\n"))))
        << info.toStdString();
    EXPECT_TRUE(
        info.contains(QRegularExpression(QStringLiteral("Creator: +VQ-BestellFormular\\n"))));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral(
        "Page size: +595.* x 841.* pts \\(A4\\)|Page size: +595 x 842 pts \\(A4\\)"))));
    const QStringList fonts =
        pdfInfo(QStringLiteral("pdffonts"), pdf).split(u'\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString &font : fonts)
        EXPECT_TRUE(font.contains(QRegularExpression(QStringLiteral(" yes +(yes|no) +(yes|no) "))))
            << "not embedded: " << font.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, InvoiceOutput,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const auto &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

class InvoiceOutputSQLite : public InvoiceOutput
{
protected:
    SqlDialect dialect() const override { return SqlDialect::SQLite; }
};

TEST_F(InvoiceOutputSQLite, CustomerValuesPrintAsTyped)
{
    const int client = addClient(QStringLiteral("Laden"), QStringLiteral("€"));
    const int order = addOrder(client, QStringLiteral("<b>"), 7);
    TBestellung hostile = *OrderStore(db).order(order);
    hostile.nachname = QStringLiteral(
        "{{Currency}} {{{RvDataSetMandant}}} </td></table><img src=\"/etc/passwd\">");
    hostile.bemerkung = QStringLiteral("Zeile 1\r\nZeile 2 & <i>nicht kursiv</i>");
    ASSERT_TRUE(OrderStore(db).updateOrder(hostile));
    const int line = addLine(order, QStringLiteral("<script>"),
                             QStringLiteral("Name mit \"Anführung\" & 'Apostroph'"), 1, 1, 19);
    addOption(line, QStringLiteral("<u>Option</u>"), QStringLiteral("a<br>b"), 0.5);

    QString error;
    const auto invoice = InvoiceIssuer(db).render(order, &error);
    ASSERT_TRUE(invoice) << error.toStdString();
    EXPECT_TRUE(invoice->html.contains(QStringLiteral("&lt;b&gt;")));
    EXPECT_FALSE(invoice->html.contains(QStringLiteral("<img src=\"/etc/passwd\">")));
    const InvoiceDocument document(invoice->html, invoice->resourceFolder);
    const QString text = document.plainText();
    for (const QString &typed :
         {QStringLiteral(
              "<b> {{Currency}} {{{RvDataSetMandant}}} </td></table><img src=\"/etc/passwd\">"),
          QStringLiteral("Zeile 1\nZeile 2 & <i>nicht kursiv</i>"),
          QStringLiteral("Name mit \"Anführung\" & 'Apostroph'"), QStringLiteral("<script>"),
          QStringLiteral("<u>Option</u>: a<br>b")}) {
        EXPECT_TRUE(text.contains(typed)) << typed.toStdString() << "\n" << text.toStdString();
    }
}

TEST_F(InvoiceOutputSQLite, HugeValuesAreShortenedAndLongAddressesPushTheTextDown)
{
    const int client = addClient(QStringLiteral("Laden"), QStringLiteral("€"));
    const int order = addOrder(client, QString(1000000, u'A'), 8);
    QString error;
    const auto invoice = InvoiceIssuer(db).render(order, &error);
    ASSERT_TRUE(invoice) << error.toStdString();
    EXPECT_TRUE(invoice->html.contains(QString(4000, u'A') + QStringLiteral("…")));
    EXPECT_FALSE(invoice->html.contains(QString(4001, u'A')));
    // The address grows over its window instead of running under the text below.
    const InvoiceDocument document(invoice->html, invoice->resourceFolder);
    EXPECT_GE(document.pageCount(), 2);
    const QString text = document.plainText();
    EXPECT_LT(text.lastIndexOf(QString(10, u'A')), text.indexOf(QStringLiteral("Rechnung Nr. 8")));
}

TEST_F(InvoiceOutputSQLite, FooterKeepsTextBoldAndAlignment)
{
    const QString footer = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil "
                                          "Arial;}}\\pard\\qc{\\b Bankverbindung}\\par"
                                          "\\pard\\qr IBAN DE12 <3456>\\par}");
    const int client = addClient(QStringLiteral("Laden"), QStringLiteral("€"), footer);
    const int order = standardOrder(client);
    QString error;
    const auto invoice = InvoiceIssuer(db).render(order, &error);
    ASSERT_TRUE(invoice) << error.toStdString();
    const QString html = invoice->html;
    const qsizetype footerStart = html.indexOf(QString::fromUtf16(kPageFooterMarker));
    ASSERT_GE(footerStart, 0);
    const QString footerHtml = html.mid(footerStart);
    EXPECT_TRUE(footerHtml.contains(QRegularExpression(QStringLiteral(
        "align=\"center\"[^>]*><span style=\"font-weight:bold[^>]*>Bankverbindung"))))
        << footerHtml.toStdString();
    EXPECT_TRUE(footerHtml.contains(QStringLiteral("align=\"right\"")));
    EXPECT_TRUE(footerHtml.contains(QStringLiteral("IBAN DE12 &lt;3456&gt;")));

    const QString pdf = dir.filePath(QStringLiteral("fuss.pdf"));
    ASSERT_TRUE(writeInvoicePdf(InvoiceDocument(html, invoice->resourceFolder), pdf, &error));
    EXPECT_TRUE(
        simplified(pdfText(pdf)).contains(QStringLiteral("Bankverbindung IBAN DE12 <3456>")));
}

TEST_F(InvoiceOutputSQLite, LongOrderRunsOverPagesWithTheFooterOnEach)
{
    const int client = addClient(QStringLiteral("Laden"), QStringLiteral("€"),
                                 QStringLiteral("{\\rtf1 Fusszeile mit Steuernummer\\par}"));
    const int order = addOrder(client, QStringLiteral("Viel"), 9);
    for (int i = 0; i < 90; ++i)
        addLine(order, QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')),
                QStringLiteral("Artikel %1").arg(i), 1, 1, 19);
    const QString pdf = dir.filePath(QStringLiteral("lang.pdf"));
    QString error;
    ASSERT_TRUE(InvoiceIssuer(db).writePdf(order, pdf, &error)) << error.toStdString();
    const QString info = pdfInfo(QStringLiteral("pdfinfo"), pdf);
    const auto pages =
        QRegularExpression(QStringLiteral("Pages: +(\\d+)")).match(info).captured(1).toInt();
    ASSERT_GE(pages, 2);
    for (int page = 1; page <= pages; ++page) {
        const QString text = simplified(pdfText(pdf, page));
        EXPECT_TRUE(text.contains(QStringLiteral("Fusszeile mit Steuernummer"))) << page;
        EXPECT_TRUE(text.contains(QStringLiteral("Seite %1 von %2").arg(page).arg(pages))) << page;
    }
    const QString all = simplified(pdfText(pdf));
    EXPECT_TRUE(all.contains(QStringLiteral("Artikel 0 ")));
    EXPECT_TRUE(all.contains(QStringLiteral("Artikel 89 ")));
    EXPECT_TRUE(all.contains(QStringLiteral("Gesamtbetrag 90,00 €")));
}

TEST_F(InvoiceOutputSQLite, EachClientPrintsThroughItsOwnTemplateAndResetRestoresTheDefault)
{
    const int first = addClient(QStringLiteral("Erster Laden"), QStringLiteral("€"));
    const int second = addClient(QStringLiteral("Zweiter Laden"), QStringLiteral("CHF"));
    const int order1 = standardOrder(first);
    const int order2 = standardOrder(second);
    vq::test::writeFile(
        clientTemplatePath(first),
        "<p>Eigene Vorlage von {{#RvDataSetMandant}}{{Mandant_Firma}}{{/RvDataSetMandant}}</p>");

    QString error;
    auto invoice = InvoiceIssuer(db).render(order2, &error);
    ASSERT_TRUE(invoice) << error.toStdString();
    EXPECT_TRUE(invoice->html.contains(QStringLiteral("Zweiter Laden")));
    EXPECT_FALSE(invoice->html.contains(QStringLiteral("Eigene Vorlage")));
    invoice = InvoiceIssuer(db).render(order1, &error);
    ASSERT_TRUE(invoice) << error.toStdString();
    EXPECT_TRUE(invoice->html.contains(QStringLiteral("Eigene Vorlage von Erster Laden")));

    const QByteArray secondBefore = vq::test::readFile(clientTemplatePath(second));
    ASSERT_TRUE(resetClientTemplate(first, programFolder(), &error)) << error.toStdString();
    EXPECT_EQ(vq::test::readFile(clientTemplatePath(first)), vq::test::readFile(defaultTemplate()));
    EXPECT_EQ(vq::test::readFile(clientTemplatePath(second)), secondBefore);
    invoice = InvoiceIssuer(db).render(order1, &error);
    ASSERT_TRUE(invoice);
    EXPECT_TRUE(invoice->html.contains(QStringLiteral("Rechnung Nr. 1042")));

    // Without the default the client's file stays as it is.
    QTemporaryDir emptyProgram;
    vq::test::writeFile(clientTemplatePath(first), "bearbeitet");
    EXPECT_FALSE(resetClientTemplate(first, emptyProgram.path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("rechnung.rav"))) << error.toStdString();
    EXPECT_EQ(vq::test::readFile(clientTemplatePath(first)), "bearbeitet");
}

TEST_F(InvoiceOutputSQLite, TemplatesMayBeUtf8WithOrWithoutMarkOrWindows1252)
{
    const int client = addClient(QStringLiteral("Laden"), QStringLiteral("€"));
    const int order = standardOrder(client);
    for (const QByteArray &bytes : {QByteArray("<p>Gr\xc3\xbc\xc3\x9f"
                                               "e {{Currency}}</p>"),
                                    QByteArray("\xef\xbb\xbf<p>Gr\xc3\xbc\xc3\x9f"
                                               "e {{Currency}}</p>"),
                                    QByteArray("<p>Gr\xfc\xdf"
                                               "e {{Currency}}</p>")}) {
        vq::test::writeFile(clientTemplatePath(client), bytes);
        QString error;
        const auto invoice = InvoiceIssuer(db).render(order, &error);
        ASSERT_TRUE(invoice) << error.toStdString();
        // Not issued yet: the page says it is a draft, above the template's text.
        EXPECT_EQ(InvoiceDocument(invoice->html).plainText().trimmed(),
                  QStringLiteral("Entwurf – noch keine Rechnung\nGrüße €"));
    }
}

TEST_F(InvoiceOutputSQLite, MissingOrBrokenTemplatesAndUnknownOrdersGiveTheirMessage)
{
    const int client = addClient(QStringLiteral("Laden"), QStringLiteral("€"));
    const int order = standardOrder(client);
    const QString path = QDir::toNativeSeparators(clientTemplatePath(client));
    struct Case
    {
        const char *name;
        std::optional<QByteArray> content; // nullopt: no file
        QString message;
    };
    const Case cases[] = {
        {"missing", std::nullopt, QStringLiteral("Die Rechnungsvorlage \"%1\" fehlt.").arg(path)},
        {"unclosed section", QByteArray("<p>\n{{#RvDataSetArtikel}}\n{{Artikel_Name}}\n</p>"),
         QStringLiteral(
             "Die Rechnungsvorlage \"%1\" enthält einen Fehler: Zeile 2: Der Abschnitt "
             "\"RvDataSetArtikel\" wird nicht geschlossen ({{/RvDataSetArtikel}} fehlt).")
             .arg(path)},
        {"unopened section", QByteArray("<p>\n\n{{/RvDataSetMwst}}</p>"),
         QStringLiteral("Die Rechnungsvorlage \"%1\" enthält einen Fehler: Zeile 3: Der Abschnitt "
                        "\"RvDataSetMwst\" wird geschlossen, aber nicht geöffnet.")
             .arg(path)},
        {"unclosed tag", QByteArray("<p>{{Currency</p>"),
         QStringLiteral("Die Rechnungsvorlage \"%1\" enthält einen Fehler: Zeile 1: Ein "
                        "Platzhalter wird nicht mit "
                        "\"}}\" geschlossen.")
             .arg(path)},
        {"partial", QByteArray("<p>\n{{> Bestellung_Name}}</p>"),
         QStringLiteral("Die Rechnungsvorlage \"%1\" enthält einen Fehler: Zeile 2: Teilvorlagen "
                        "({{> …}}) und neue "
                        "Begrenzer ({{= …=}}) werden nicht unterstützt.")
             .arg(path)},
        {"empty", QByteArray(" \r\n"),
         QStringLiteral("Die Rechnungsvorlage \"%1\" enthält einen Fehler: Sie ist leer.")
             .arg(path)},
        {"binary report file", QByteArray("RAV\0\x01\x02", 6),
         QStringLiteral("Die Rechnungsvorlage \"%1\" ist keine HTML-Datei.").arg(path)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(clientTemplatePath(client));
        if (c.content)
            vq::test::writeFile(clientTemplatePath(client), *c.content);
        QString error;
        const QString pdf = dir.filePath(QStringLiteral("kaputt.pdf"));
        vq::test::writeFile(pdf, "old");
        EXPECT_FALSE(InvoiceIssuer(db).writePdf(order, pdf, &error));
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(vq::test::readFile(pdf), "old") << "a failed output keeps an older file";
    }

    QString error;
    EXPECT_FALSE(InvoiceIssuer(db).render(99999, &error));
    EXPECT_EQ(error, QStringLiteral("Die Bestellung 99999 gibt es nicht."));
}

TEST_F(InvoiceOutputSQLite, CommandLineWritesThePdfOrSaysWhy)
{
    const int client = addClient(QStringLiteral("Kommandozeilen GmbH"), QStringLiteral("€"));
    const int order = standardOrder(client);
    const QString program = QDir(programFolder()).filePath(QStringLiteral("vq_bestell_rechnung"));
    const QString database =
        QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("datenbank.db"));
    const QString pdf = dir.filePath(QStringLiteral("cli.pdf"));
    // As cron runs it: no locale at all. The invoice is German all the same.
    const QByteArray lcAll = qgetenv("LC_ALL"), lang = qgetenv("LANG");
    const auto restore = qScopeGuard([&] {
        lcAll.isNull() ? void(qunsetenv("LC_ALL")) : void(qputenv("LC_ALL", lcAll));
        lang.isNull() ? void(qunsetenv("LANG")) : void(qputenv("LANG", lang));
    });
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");

    QByteArray out, err;
    EXPECT_EQ(
        vq::test::runProgram(program,
                             {QStringLiteral("--invoice"), QString::number(order),
                              QStringLiteral("--pdf"), pdf, QStringLiteral("--database"), database},
                             &out, 30000, &err),
        0)
        << err.toStdString();
    const QString text = simplified(pdfText(pdf));
    for (const QString &german :
         {QStringLiteral("Gesamtbetrag 82,30 €"),
          QStringLiteral("A-100 T-Shirt 2 19% 19,90 € 39,80 €"),
          QStringLiteral("Liefer-/Leistungsdatum 09.12.2026"),
          QStringLiteral("Rechnungsdatum ")
              + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))})
        EXPECT_TRUE(text.contains(german)) << german.toStdString() << "\n" << text.toStdString();

    struct Case
    {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("--invoice"), QStringLiteral("4711"), QStringLiteral("--pdf"), pdf},
         1,
         QStringLiteral("Die Bestellung 4711 gibt es nicht.")},
        {{QStringLiteral("--invoice"), QStringLiteral("abc"), QStringLiteral("--pdf"), pdf},
         2,
         QStringLiteral("Bitte geben Sie mit --invoice die Nummer der Bestellung")},
        {{QStringLiteral("--invoice"), QString::number(order)},
         2,
         QStringLiteral("mit --pdf die PDF-Datei")},
        {{QStringLiteral("--invoice"), QString::number(order), QStringLiteral("--pdf"),
          dir.filePath(QStringLiteral("kein/ordner/x.pdf"))},
         1,
         QStringLiteral("kann nicht geschrieben werden")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QStringList arguments = c.arguments;
        arguments << QStringLiteral("--database") << database;
        EXPECT_EQ(vq::test::runProgram(program, arguments, &out, 30000, &err), c.exitCode);
        EXPECT_TRUE(QString::fromUtf8(err).contains(c.message)) << err.toStdString();
    }

    // Without the template an invoice not issued yet cannot be made; the
    // issued one is printed from the archive, byte for byte as it went out.
    const QByteArray issued = vq::test::readFile(pdf);
    QFile::remove(clientTemplatePath(client));
    const QString again = dir.filePath(QStringLiteral("again.pdf"));
    EXPECT_EQ(vq::test::runProgram(program,
                                   {QStringLiteral("--invoice"), QString::number(order),
                                    QStringLiteral("--pdf"), again, QStringLiteral("--database"),
                                    database},
                                   &out, 30000, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(vq::test::readFile(again), issued);
    const int draft = standardOrder(client);
    EXPECT_EQ(
        vq::test::runProgram(program,
                             {QStringLiteral("--invoice"), QString::number(draft),
                              QStringLiteral("--pdf"), pdf, QStringLiteral("--database"), database},
                             &out, 30000, &err),
        1);
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("Die Rechnungsvorlage")))
        << err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("fehlt."))) << err.toStdString();
}

} // namespace

// What § 14 UStG requires on every invoice: the seller's VAT identification
// number and/or tax number, the bank details and the due date, from the
// client's data through the delivered template; a template that lacks them
// is named by the check.
TEST_F(InvoiceOutputSQLite, DefaultInvoiceCarriesTheSellersTaxNumbersBankAndDueDate)
{
    const int client = addClient(QStringLiteral("Pflicht GmbH"), QStringLiteral("€"));
    TMandant full = *ClientStore(db).client(client);
    full.ustIdNr = QStringLiteral("DE123456789");
    full.steuernummer = QStringLiteral("21/815/08150");
    full.iban = QStringLiteral("de89370400440532013000");
    full.bic = QStringLiteral("cobadeffxxx");
    full.bank = QStringLiteral("Commerzbank Köln");
    full.telefon = QStringLiteral("0221 4711");
    full.zahlungsziel = 14;
    ASSERT_TRUE(ClientStore(db).updateClient(full)) << db.lastError().toStdString();
    const int order = standardOrder(client);
    InvoiceIssuer issuer(db, [] { return QDateTime(QDate(2026, 12, 10), QTime(11, 0)); });
    const QString pdf = dir.filePath(QStringLiteral("pflicht.pdf"));
    QString error;
    ASSERT_TRUE(issuer.writePdf(order, pdf, &error)) << error.toStdString();
    EXPECT_TRUE(issuer.lastWarning().isEmpty()) << issuer.lastWarning().toStdString();
    const QString text = simplified(pdfText(pdf));
    for (const char *expected :
         {"USt-IdNr. DE123456789", "Steuernummer 21/815/08150", "IBAN DE89 3704 0044 0532 0130 00",
          "BIC COBADEFFXXX", "Commerzbank Köln", "Telefon 0221 4711",
          "Zahlbar bis 24.12.2026 ohne Abzug."})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.toStdString();
    // Only a tax number, due at once: that is what the invoice says.
    const int second = addClient(QStringLiteral("Klein"), QStringLiteral("€"));
    TMandant small = *ClientStore(db).client(second);
    small.steuernummer = QStringLiteral("12/345/67890");
    small.zahlungsziel = 0;
    ASSERT_TRUE(ClientStore(db).updateClient(small));
    const int smallOrder = standardOrder(second);
    const QString smallPdf = dir.filePath(QStringLiteral("klein.pdf"));
    ASSERT_TRUE(issuer.writePdf(smallOrder, smallPdf, &error)) << error.toStdString();
    const QString smallText = simplified(pdfText(smallPdf));
    EXPECT_TRUE(smallText.contains(QStringLiteral("Steuernummer 12/345/67890")))
        << smallText.toStdString();
    EXPECT_TRUE(smallText.contains(QStringLiteral("Sofort fällig ohne Abzug.")))
        << smallText.toStdString();
    EXPECT_FALSE(smallText.contains(QStringLiteral("USt-IdNr.")));

    // Issued through a template that lacks them: warned once, at the first output.
    const int third = standardOrder(client);
    vq::test::writeFile(clientTemplatePath(client), "<p>{{SummeGesamt}}</p>");
    const QString bare = dir.filePath(QStringLiteral("bare.pdf"));
    ASSERT_TRUE(issuer.writePdf(third, bare, &error)) << error.toStdString();
    EXPECT_TRUE(issuer.lastWarning().contains(QStringLiteral("Rechnungsnummer")))
        << issuer.lastWarning().toStdString();
    ASSERT_TRUE(issuer.writePdf(third, bare, &error)) << error.toStdString();
    EXPECT_TRUE(issuer.lastWarning().isEmpty());
}

// The delivered template prints the payment code of what is owed beside its
// caption; a banking app reads every element off the printed page. A client
// without an IBAN gets neither, and a template without the code prints as it
// did before.
TEST_F(InvoiceOutputSQLite, PdfCarriesTheGiroCodeABankingAppReads)
{
    const int client = addClient(QStringLiteral("Blumen Öztürk & Söhne"), QStringLiteral("€"));
    TMandant payee = *ClientStore(db).client(client);
    payee.iban = QStringLiteral("de89 3704 0044 0532 0130 00");
    payee.bic = QStringLiteral("cobadeffxxx");
    ASSERT_TRUE(ClientStore(db).updateClient(payee)) << db.lastError().toStdString();
    const int order = standardOrder(client);
    const QString pdf = dir.filePath(QStringLiteral("girocode.pdf"));
    QString error;
    ASSERT_TRUE(InvoiceIssuer(db).writePdf(order, pdf, &error)) << error.toStdString();
    EXPECT_TRUE(simplified(pdfText(pdf)).contains(QStringLiteral("Bezahlen per GiroCode")));
    EXPECT_EQ(vq::invoice::test::giroCodeLines(vq::invoice::test::giroCodeOnFirstPage(pdf)),
              QString::fromUtf8("BCD\n002\n1\nSCT\nCOBADEFFXXX\nBlumen Öztürk & Söhne\n"
                                "DE89370400440532013000\nEUR82.30\n\n\nRechnung 1042")
                  .split(u'\n'));

    const int without = addClient(QStringLiteral("Ohne Konto"), QStringLiteral("€"));
    const QString plainPdf = dir.filePath(QStringLiteral("ohne.pdf"));
    ASSERT_TRUE(InvoiceIssuer(db).writePdf(standardOrder(without), plainPdf, &error))
        << error.toStdString();
    EXPECT_FALSE(simplified(pdfText(plainPdf)).contains(QStringLiteral("GiroCode")));
    EXPECT_TRUE(vq::invoice::test::giroCodeOnFirstPage(plainPdf).isEmpty());

    const QString older = dir.filePath(QStringLiteral("aelter.rav"));
    vq::test::writeFile(older, "<p>{{SummeGesamt}} {{Currency}}</p>");
    const auto rendered = InvoiceIssuer(db).render(order, &error, older);
    ASSERT_TRUE(rendered) << error.toStdString();
    EXPECT_EQ(rendered->html, QStringLiteral("<p>82,30 €</p>"));
}

TEST(MandatoryItems, ATemplateThatLeavesThemOutIsNamedItemByItem)
{
    TMandant client = newClient();
    client.ustIdNr = QStringLiteral("DE123456789");
    const QString delivered = QString::fromUtf8(vq::test::readFile(defaultTemplate()));
    EXPECT_TRUE(missingMandatoryItems(delivered, client).isEmpty())
        << missingMandatoryItems(delivered, client).join(u'|').toStdString();
    const struct
    {
        const char *what;
        QString text;
        QStringList missing;
    } cases[] = {
        {"nothing of it",
         QStringLiteral("<p>Rechnung</p>"),
         {QStringLiteral("USt-IdNr. oder Steuernummer des Verkäufers"),
          QStringLiteral("Rechnungsnummer"), QStringLiteral("Rechnungsdatum"),
          QStringLiteral("Liefer-/Leistungsdatum"),
          QStringLiteral("Mehrwertsteuer je Steuersatz")}},
        {"all but the tax number",
         QStringLiteral("{{#RvDataSetBestellung}}{{Bestellung_RechNr}} "
                        "{{Bestellung_Rechnungsdatum}} {{Bestellung_Zeit}}"
                        "{{/RvDataSetBestellung}}{{#RvDataSetMwst}}{{Mwst}}{{/RvDataSetMwst}}"),
         {QStringLiteral("USt-IdNr. oder Steuernummer des Verkäufers")}},
        {"the tax number in the footer it prints",
         QStringLiteral("{{Bestellung_RechNr}} {{Bestellung_Rechnungsdatum}} {{ Bestellung_Zeit }}"
                        "{{#RvDataSetMwst}}{{Mwst}}{{/RvDataSetMwst}}{{{Mandant_Rechnungsfuss}}}"),
         {}},
    };
    client.rechnungsfuss = QStringLiteral("{\\rtf1\\ansi USt-IdNr. DE 123 456 789\\par}");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(missingMandatoryItems(c.text, client), c.missing);
    }
    // A client with neither number is told so, whatever the template prints.
    TMandant none = newClient();
    EXPECT_EQ(
        missingMandatoryItems(delivered, none),
        QStringList{QStringLiteral(
            "USt-IdNr. oder Steuernummer des Verkäufers (beim Mandanten nicht eingetragen)")});
    EXPECT_TRUE(mandatoryItemsMessage({QStringLiteral("Rechnungsnummer")})
                    .contains(QStringLiteral("§ 14 Abs. 4 UStG")));
}

TEST_F(InvoiceOutputSQLite, LongEmailAddressesBreakOnlyAfterTheirAtAndDots)
{
    const int client = addClient(QStringLiteral("Umbruch GmbH"), QStringLiteral("€"));
    const int order = standardOrder(client);
    TBestellung long_ = *OrderStore(db).order(order);
    long_.email = QStringLiteral(
        "erika.mustermann-einkauf@buchhaltung.beispielunternehmen-langer-name.example");
    ASSERT_TRUE(OrderStore(db).updateOrder(long_));
    const QString pdf = dir.filePath(QStringLiteral("umbruch.pdf"));
    QString error;
    ASSERT_TRUE(InvoiceIssuer(db).writePdf(order, pdf, &error)) << error.toStdString();
    // Read without layout: a line of its own for each piece of a broken address.
    QByteArray out;
    ASSERT_EQ(vq::test::runProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &out),
              0);
    const QString text = QString::fromUtf8(out).remove(QChar(0x200B));
    // Whole once the line breaks are taken out, and broken only after "@" or ".".
    EXPECT_TRUE(QString(text).remove(u'\n').contains(long_.email)) << text.toStdString();
    const QStringList pieces = {QStringLiteral("erika."), QStringLiteral("mustermann-einkauf@"),
                                QStringLiteral("buchhaltung."),
                                QStringLiteral("beispielunternehmen-langer-name."),
                                QStringLiteral("example")};
    for (const QString &line : text.split(u'\n')) {
        const QString piece = line.trimmed();
        if (piece.isEmpty() || !long_.email.contains(piece) || piece.size() < 4)
            continue;
        // Every line the address is cut into starts and ends where a piece does.
        EXPECT_TRUE(long_.email.startsWith(piece)
                    || pieces.contains(piece.section(u'.', 0, 0) + u'.')
                    || std::any_of(pieces.begin(), pieces.end(),
                                   [&](const QString &p) { return piece.startsWith(p); }))
            << piece.toStdString();
        EXPECT_TRUE(piece.endsWith(u'@') || piece.endsWith(u'.') || long_.email.endsWith(piece))
            << piece.toStdString();
    }
}
