// What the invoice windows show and read, without a window: the order date and
// the number boxes' texts, the article templates, and the three table models,
// each under Qt's model tester.
#include "invoice/session/order_dates.h"
#include "invoice/ui_logic/article_templates.h"
#include "invoice/ui_logic/client_table_model.h"
#include "invoice/ui_logic/decimal_text.h"
#include "invoice/ui_logic/mail_row_model.h"
#include "invoice/ui_logic/order_list_model.h"
#include "tests/support/hostile_xml.h"
#include "tests/test_support.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

using namespace vq::invoice;

namespace {

QStringList utf8(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

// Parsers -----------------------------------------------------------------------

TEST(OrderDateText, TypedDatesAreReadOrRefused)
{
    struct Case
    {
        const char *text;
        bool ok;
        QDateTime expected;
    };
    const auto at = [](int y, int m, int d, int h = 0, int min = 0, int s = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
    };
    const Case cases[] = {
        {"24.12.2026", true, at(2026, 12, 24)},
        {" 1.2.2026 ", true, at(2026, 2, 1)},
        {"03.02.2026 14:30", true, at(2026, 2, 3, 14, 30)},
        {"03.02.2026 14:30:05", true, at(2026, 2, 3, 14, 30, 5)},
        {"03.02.2026   9:05", true, at(2026, 2, 3, 9, 5)},
        {"03.02.2026 23:59:59", true, at(2026, 2, 3, 23, 59, 59)},
        {"03.02.2026 00:00", true, at(2026, 2, 3)},
        {"2026-02-03", true, at(2026, 2, 3)},
        {"2026-02-03T14:30", true, at(2026, 2, 3, 14, 30)},
        {"", true, QDateTime()},
        {"   ", true, QDateTime()},
        // 29 February in leap years only (1900 was none, 2000 was one).
        {"29.02.2024", true, at(2024, 2, 29)},
        {"29.02.2000", true, at(2000, 2, 29)},
        {"2028-02-29", true, at(2028, 2, 29)},
        {"29.02.2026", false, QDateTime()},
        {"29.02.1900", false, QDateTime()},
        {"2100-02-29", false, QDateTime()},
        {"31.02.2026", false, QDateTime()},
        {"31.04.2026", false, QDateTime()},
        {"00.01.2026", false, QDateTime()},
        {"1.13.2026", false, QDateTime()},
        {"24.12.26", false, QDateTime()},
        {"heute", false, QDateTime()},
        {"24.12.2026 24:00", false, QDateTime()},
        {"24.12.2026 25:00", false, QDateTime()},
        {"24.12.2026 14:60", false, QDateTime()},
        {"24.12.2026 14:30:60", false, QDateTime()},
        {"24.12.2026 14", false, QDateTime()},
        {"1.1.0001", false, QDateTime()},
        {"31.12.1899", false, QDateTime()},
        {"1.1.1900", true, at(1900, 1, 1)},
        {"24.12.20260", false, QDateTime()},
        {"99999999999999999999.12.2026", false, QDateTime()},
        {"24/12/2026", false, QDateTime()},
        {"24.12.2026x", false, QDateTime()},
        {"2026-2-3", false, QDateTime()},
        {"２４.１２.２０２６", false, QDateTime()}, // full-width digits
    };
    for (const Case &c : cases) {
        bool ok = !c.ok;
        const QDateTime read = orderDateFromText(QString::fromUtf8(c.text), &ok);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(read, c.expected) << c.text;
        if (c.ok && read.isValid()) {
            bool again = false;
            EXPECT_EQ(orderDateFromText(orderDateText(read), &again), read) << c.text;
            EXPECT_TRUE(again) << c.text;
        }
    }
}

TEST(OrderDateText, ShowsTheTimeOnlyWhenTheOrderHasOne)
{
    EXPECT_EQ(orderDateText(QDateTime()), QString());
    EXPECT_EQ(orderDateText(QDateTime(QDate(2024, 2, 29), QTime(0, 0), Qt::UTC)),
              QStringLiteral("29.02.2024"));
    EXPECT_EQ(orderDateText(QDateTime(QDate(2026, 12, 24), QTime(14, 30, 5), Qt::UTC)),
              QStringLiteral("24.12.2026 14:30:05"));
    EXPECT_EQ(orderDateText(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1), Qt::UTC)),
              QStringLiteral("02.01.2026 00:00:01"));
}

TEST(DecimalBoxes, ValuesAreReadWithEitherSeparator)
{
    const std::pair<const char *, std::optional<double>> cases[] = {
        {"12,5", 12.5},
        {"12.5", 12.5},
        {",5", 0.5},
        {".5", 0.5},
        {"12,", 12.0},
        {"12.", 12.0},
        {"0", 0.0},
        {"007", 7.0},
        {"0,001", 0.001},
        {"", std::nullopt},
        {",", std::nullopt},
        {".", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1.2,3", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1e3", std::nullopt},
        {"1.234,5", std::nullopt},
        {"inf", std::nullopt},
        {"١٢", std::nullopt}, // Arabic-Indic digits
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(decimalBoxValue(QString::fromUtf8(text)), expected) << text;
    // Huge numbers: finite ones are read, what no double holds is no number.
    EXPECT_EQ(decimalBoxValue(QString(300, QLatin1Char('9'))), std::optional<double>(1e300));
    EXPECT_EQ(decimalBoxValue(QString(400, QLatin1Char('9'))), std::nullopt);
}

TEST(DecimalBoxes, KeysAndPastedTextFollowTheSameLanguage)
{
    struct Case
    {
        const char *before;
        char16_t typed;
        bool accepted;
    };
    const Case cases[] = {
        {"", u'5', true},       {"12", u',', true},    {"12", u'.', true},   {"", u',', true},
        {"12,5", u'.', false},  {"12.5", u',', false}, {"12,5", u'7', true}, {"12", u'a', false},
        {"1", u'-', false},     {"1", u'e', false},    {"1", u' ', false},   {"", u'\u0663', false},
        {"", u'\uFF15', false}, // full-width five
    };
    for (const Case &c : cases)
        EXPECT_EQ(decimalKeyAccepted(QString::fromLatin1(c.before), QChar(c.typed)), c.accepted)
            << c.before << " + U+" << std::hex << int(c.typed);

    // What the keys may build up, the validator takes as it comes pasted.
    DecimalValidator validator;
    const std::pair<const char *, QValidator::State> pasted[] = {
        {"", QValidator::Acceptable},     {",", QValidator::Acceptable},
        {"12,", QValidator::Acceptable},  {"3,25", QValidator::Acceptable},
        {"x,1", QValidator::Invalid},     {"1,2,3", QValidator::Invalid},
        {"1.234,5", QValidator::Invalid}, {"-3", QValidator::Invalid},
        {"3 ", QValidator::Invalid},      {"1e5", QValidator::Invalid},
    };
    for (const auto &[text, state] : pasted) {
        QString input = QString::fromLatin1(text);
        int pos = int(input.size());
        EXPECT_EQ(validator.validate(input, pos), state) << text;
    }
}

TEST(OptionPrice, RegionalOrPointOrNone)
{
    struct Case
    {
        const char *text;
        bool ok;
        std::optional<double> price;
    };
    const Case cases[] = {
        {"", true, std::nullopt},
        {"   ", true, std::nullopt},
        {"1,5", true, 1.5},
        {"1.5", true, 1.5},
        {" 2,25 ", true, 2.25},
        {"-1,5", true, -1.5},
        {"0", true, 0.0},
        {"1.234,5", false, std::nullopt}, // a thousands separator
        {"abc", false, std::nullopt},
        {"1,2,3", false, std::nullopt},
        {",", false, std::nullopt},
        {"1e400", false, std::nullopt},
    };
    for (const Case &c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(optionPriceFromText(QString::fromLatin1(c.text), &ok), c.price) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    bool ok = false;
    EXPECT_EQ(optionPriceFromText(QString(400, QLatin1Char('9')), &ok), std::nullopt);
    EXPECT_FALSE(ok);
}

// Article templates -------------------------------------------------------------

class ArticleTemplateFile : public ::testing::Test
{
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QString::fromUtf16(kArticleTemplateFile));
        vq::test::writeFile(path, bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(ArticleTemplateFile, ReadsEveryTemplateInFileOrder)
{
    // As the designer writes it: regional numbers, other children, element names not examined.
    const QString path = write(QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vorlagen>\n"
        "  <feld><name>Standardartikel</name><artikelNummer>0</artikelNummer><mwst>19</mwst>"
        "<preis>10</preis><Options/></feld>\n"
        "  <artikel><beschreibung>lang</beschreibung><name>Käse &amp; Brot</name>"
        "<artikelNummer>KB-2</artikelNummer><mwst>7</mwst><preis>12,5</preis></artikel>\n"
        "  <feld><name>&lt;b&gt;ohne Preis&lt;/b&gt;</name></feld>\n"
        "</vorlagen>\n"));
    QString error = QStringLiteral("alt");
    const QList<ArticleTemplate> templates = readArticleTemplates(path, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(templates.size(), 3);
    const auto texts = [](const ArticleTemplate &t) {
        return QStringList{t.artikelNummer, t.name, t.preis, t.mwst};
    };
    EXPECT_EQ(texts(templates[0]), utf8({"0", "Standardartikel", "10", "19"}));
    EXPECT_EQ(texts(templates[1]), utf8({"KB-2", "Käse & Brot", "12,5", "7"}));
    EXPECT_EQ(texts(templates[2]), utf8({"", "<b>ohne Preis</b>", "", ""}));
    EXPECT_TRUE(readArticleTemplates(write("<vorlagen/>"), &error).isEmpty());
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST_F(ArticleTemplateFile, ADamagedFileIsNamedInGermanAndStaysAsItWas)
{
    QByteArray deep = QByteArrayLiteral("<v><feld><name>tief</name><preis>1</preis>");
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    const std::pair<const char *, QByteArray> cases[] = {
        {"not XML", QByteArrayLiteral("kein XML")},
        {"empty", QByteArray()},
        {"cut off", QByteArrayLiteral("<v><feld><name>Halb</name><preis>1")},
        {"two roots", QByteArrayLiteral("<v/><w/>")},
        {"entity bomb", vq::test::entityBombTemplates()},
        {"nested without end", deep},
    };
    for (const auto &[name, bytes] : cases) {
        SCOPED_TRACE(name);
        const QString path = write(bytes);
        QElapsedTimer timer;
        timer.start();
        QString error;
        EXPECT_TRUE(readArticleTemplates(path, &error).isEmpty());
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_TRUE(error.startsWith(QStringLiteral("Die Artikelvorlagen in „")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("vorlagen_artikel.xml"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("konnten nicht gelesen werden")))
            << error.toStdString();
        EXPECT_EQ(vq::test::readFile(path), bytes);
    }

    QString error;
    EXPECT_TRUE(readArticleTemplates(dir.filePath(QStringLiteral("fehlt.xml")), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("fehlt.xml"))) << error.toStdString();

    {
        QFile file(write(QByteArray()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(file.resize(kMaxArticleTemplateFileSize + 1));
    }
    EXPECT_TRUE(readArticleTemplates(dir.filePath(QString::fromUtf16(kArticleTemplateFile)), &error)
                    .isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("größer als 16 MB"))) << error.toStdString();
}

TEST_F(ArticleTemplateFile, ListsNoMoreTemplatesThanAPersonPicksFrom)
{
    QByteArray many = QByteArrayLiteral("<v>");
    for (int i = 0; i < kMaxArticleTemplates + 50; ++i)
        many += "<f><name>n" + QByteArray::number(i) + "</name></f>";
    many += "</v>";
    QString error;
    const QList<ArticleTemplate> templates = readArticleTemplates(write(many), &error);
    ASSERT_EQ(templates.size(), kMaxArticleTemplates);
    EXPECT_EQ(templates.last().name, QStringLiteral("n%1").arg(kMaxArticleTemplates - 1));
    EXPECT_TRUE(error.contains(QStringLiteral("mehr als 10.000 Artikelvorlagen")))
        << error.toStdString();
}

// Models ------------------------------------------------------------------------

// Qt's model tester on a model for the fixture's lifetime; what it finds fails the test.
class ModelTest : public ::testing::Test
{
protected:
    void watch(QAbstractItemModel *model)
    {
        m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Warning));
    }
    void SetUp() override
    {
        s_findings.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (type != QtDebugMsg && QByteArray(context.category).startsWith("qt.modeltest"))
                    s_findings << text;
            });
    }
    void TearDown() override
    {
        m_testers.clear();
        qInstallMessageHandler(m_previous);
        EXPECT_TRUE(s_findings.isEmpty()) << s_findings.join(u'\n').toStdString();
    }
    static QString text(const QAbstractItemModel &model, int row, int column,
                        int role = Qt::DisplayRole)
    {
        return model.data(model.index(row, column), role).toString();
    }
    static QStringList headers(const QAbstractItemModel &model)
    {
        QStringList titles;
        for (int column = 0; column < model.columnCount(); ++column)
            titles << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        return titles;
    }
    static Qt::Alignment alignment(const QAbstractItemModel &model, int row, int column)
    {
        return Qt::Alignment(model.data(model.index(row, column), Qt::TextAlignmentRole).toInt());
    }

private:
    static inline QStringList s_findings;
    QtMessageHandler m_previous = nullptr;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;
};

using OrderListModelTest = ModelTest;

TEST_F(OrderListModelTest, ShowsEachOrderOnOneLineWithItsTotal)
{
    OrderListModel model;
    watch(&model);
    EXPECT_EQ(headers(model),
              utf8({"Rech.-Nr.", "Datum", "Firma", "Vorname", "Nachname", "Summe", "Status"}));
    OrderListRow paid;
    paid.rechNr = 12;
    paid.zeit = QDateTime(QDate(2024, 2, 29), QTime(14, 30), Qt::UTC);
    paid.firma = QStringLiteral("Käse\nund Brot");
    paid.name = QStringLiteral("<b>Anna</b>");
    paid.nachname = QString(400, QLatin1Char('x'));
    paid.totalCents = 123450;
    paid.statusBestellung = QStringLiteral("bezahlt");
    OrderListRow foreign; // written by another program
    foreign.totalCents.reset();
    model.setRows({paid, foreign}, QStringLiteral("€"));
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), int(OrderListModel::ColumnCount));
    EXPECT_EQ(model.rows().at(0).rechNr, 12);

    EXPECT_EQ(text(model, 0, OrderListModel::RechNr), QStringLiteral("12"));
    EXPECT_EQ(text(model, 0, OrderListModel::Datum), QStringLiteral("29.02.2024"));
    EXPECT_EQ(text(model, 0, OrderListModel::Firma), QStringLiteral("Käse und Brot"));
    EXPECT_EQ(text(model, 0, OrderListModel::Vorname), QStringLiteral("<b>Anna</b>"));
    EXPECT_EQ(text(model, 0, OrderListModel::Nachname).size(), 301); // cut, with "…"
    EXPECT_EQ(text(model, 0, OrderListModel::Summe), QStringLiteral("1.234,50 €"));
    EXPECT_EQ(text(model, 0, OrderListModel::Status), QStringLiteral("bezahlt"));
    // The tool tip shows the whole text and never as HTML.
    EXPECT_EQ(text(model, 0, OrderListModel::Firma, Qt::ToolTipRole),
              QStringLiteral("Käse\nund Brot"));
    EXPECT_FALSE(text(model, 0, OrderListModel::Vorname, Qt::ToolTipRole).contains(u"<b>"));
    EXPECT_EQ(alignment(model, 0, OrderListModel::RechNr), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(alignment(model, 0, OrderListModel::Summe), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(alignment(model, 0, OrderListModel::Firma), Qt::AlignLeft | Qt::AlignVCenter);

    EXPECT_EQ(text(model, 1, OrderListModel::RechNr), QString());
    EXPECT_EQ(text(model, 1, OrderListModel::Datum), QString());
    EXPECT_EQ(text(model, 1, OrderListModel::Summe), QStringLiteral("ungültig"));

    // Another client's currency, then none at all.
    model.setRows({paid}, QStringLiteral("CHF"));
    EXPECT_EQ(text(model, 0, OrderListModel::Summe), QStringLiteral("1.234,50 CHF"));
    model.setRows({}, QString());
    EXPECT_EQ(model.rowCount(), 0);
    for (int column = 0; column < OrderListModel::ColumnCount; ++column)
        EXPECT_GT(OrderListModel::columnWidth(column), 0);
}

using ClientTableModelTest = ModelTest;

TEST_F(ClientTableModelTest, BothWindowsColumnsAndTheRowOfAClient)
{
    TMandant shop;
    shop.id = 7;
    shop.firma = QStringLiteral("Laden\tGmbH");
    shop.name = QStringLiteral("Muster");
    shop.vorname = QStringLiteral("Eva");
    shop.strasse = QStringLiteral("Hauptstraße 1");
    shop.plz = QStringLiteral("8000");
    shop.ort = QStringLiteral("Zürich");
    shop.land = QStringLiteral("Schweiz");
    shop.email = QStringLiteral("eva@laden.example");
    TMandant other;
    other.id = 12;
    other.firma = QStringLiteral("<img src=\"/dev/zero\">");

    ClientTableModel choice(ClientTableModel::choiceColumns());
    ClientTableModel manager(ClientTableModel::managerColumns());
    watch(&choice);
    watch(&manager);
    EXPECT_EQ(headers(choice), utf8({"Nr", "Firma", "Name", "Vorname"}));
    EXPECT_EQ(headers(manager),
              utf8({"ID", "Firma", "Name", "Vorname", "Straße", "PLZ", "Ort", "Land", "E-Mail"}));
    choice.setClients({shop, other});
    manager.setClients({shop, other});

    EXPECT_EQ(text(choice, 0, 0), QStringLiteral("7"));
    EXPECT_EQ(text(choice, 0, 1), QStringLiteral("Laden GmbH"));
    EXPECT_EQ(text(choice, 0, 1, Qt::ToolTipRole), QStringLiteral("Laden\tGmbH"));
    EXPECT_EQ(alignment(choice, 0, 0), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(choice.data(choice.index(0, 1), Qt::TextAlignmentRole), QVariant());
    EXPECT_EQ(text(choice, 1, 1), QStringLiteral("<img src=\"/dev/zero\">"));
    EXPECT_FALSE(text(choice, 1, 1, Qt::ToolTipRole).contains(u"<img"));
    const QStringList managerRow = [&] {
        QStringList cells;
        for (int column = 0; column < manager.columnCount(); ++column)
            cells << text(manager, 0, column);
        return cells;
    }();
    EXPECT_EQ(managerRow, utf8({"7", "Laden GmbH", "Muster", "Eva", "Hauptstraße 1", "8000",
                                "Zürich", "Schweiz", "eva@laden.example"}));

    EXPECT_EQ(choice.rowOf(12), 1);
    EXPECT_EQ(choice.rowOf(7), 0);
    EXPECT_EQ(choice.rowOf(99), -1);
    choice.setClients({});
    EXPECT_EQ(choice.rowOf(7), -1);
    EXPECT_EQ(choice.rowCount(), 0);
}

using MailRowModelTest = ModelTest;

MailOrderRow mailRow(const char *uidl, int number, const char *subject,
                     MailOrderStatus status = MailOrderStatus::Inserted, const char *detail = "")
{
    MailOrderRow row;
    row.uidl = QString::fromLatin1(uidl);
    row.number = number;
    row.sender = QStringLiteral("shop@example.com");
    row.subject = QString::fromUtf8(subject);
    row.size = 2047;
    row.date = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    row.status = status;
    row.detail = QString::fromUtf8(detail);
    return row;
}

TEST_F(MailRowModelTest, ListsTheMailsOfARunAndForgetsTheDeletedOnes)
{
    MailRowModel model;
    watch(&model);
    EXPECT_EQ(headers(model), utf8({"Absender", "Betreff", "Größe", "Datum", "Status"}));
    model.append({});
    EXPECT_EQ(model.rowCount(), 0);
    model.append({mailRow("a", 1, "Bestellung\r\n1"),
                  mailRow("b", 2, "Bestellung 2", MailOrderStatus::DocumentError,
                          "Zeile 3: <b>kaputt</b>")});
    model.append({mailRow("c", 3, "Bestellung 3", MailOrderStatus::AlreadyThere),
                  mailRow("d", 4, "Bestellung 4")});
    ASSERT_EQ(model.rowCount(), 4);

    EXPECT_EQ(text(model, 0, MailRowModel::ColSender), QStringLiteral("shop@example.com"));
    EXPECT_EQ(text(model, 0, MailRowModel::ColSubject), QStringLiteral("Bestellung  1"));
    EXPECT_EQ(text(model, 0, MailRowModel::ColSize), QStringLiteral("1 kb"));
    EXPECT_EQ(alignment(model, 0, MailRowModel::ColSize), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(text(model, 0, MailRowModel::ColDate),
              QLocale().toString(QDate(2026, 3, 1), QLocale::ShortFormat));
    EXPECT_EQ(text(model, 0, MailRowModel::ColStatus), QStringLiteral("In Datenbank eingefügt."));
    EXPECT_EQ(text(model, 0, MailRowModel::ColStatus, Qt::ToolTipRole), QString());
    EXPECT_EQ(text(model, 1, MailRowModel::ColStatus), QStringLiteral("Fehler beim XML-Parsing"));
    const QString tip = text(model, 1, MailRowModel::ColStatus, Qt::ToolTipRole);
    EXPECT_TRUE(tip.contains(u"kaputt")) << tip.toStdString();
    EXPECT_FALSE(tip.contains(u"<b>")) << tip.toStdString();
    EXPECT_EQ(text(model, 2, MailRowModel::ColStatus), QStringLiteral("Bereits in DB vorhanden."));
    EXPECT_EQ(shownMailText(QString(400, QLatin1Char('x'))).size(), 301);

    // Deleted on the server: the messages behind it move one number down.
    EXPECT_EQ(model.find(mailRow("b", 99, "")), 1);
    model.removeDeleted(1);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.at(1).uidl, QStringLiteral("c"));
    EXPECT_EQ(model.at(1).number, 2);
    EXPECT_EQ(model.at(2).number, 3);
    EXPECT_EQ(model.at(0).number, 1);
    EXPECT_EQ(model.find(mailRow("b", 2, "")), -1);

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(MailRowModelTest, WithoutUniqueIdsTheNumberFindsTheMail)
{
    MailRowModel model;
    watch(&model);
    model.append({mailRow("", 1, "eins"), mailRow("", 2, "zwei"), mailRow("x", 3, "drei")});
    EXPECT_EQ(model.find(mailRow("", 2, "")), 1);
    EXPECT_EQ(model.find(mailRow("", 3, "")), -1); // row 3 has a unique id
    EXPECT_EQ(model.find(mailRow("x", 1, "")), 2);
    model.removeDeleted(0);
    EXPECT_EQ(model.find(mailRow("", 1, "")), 0);
    EXPECT_EQ(model.at(0).subject, QStringLiteral("zwei"));
}

} // namespace
