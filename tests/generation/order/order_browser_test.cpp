// The order-table scripts at work: generated pieces in a small host page,
// driven in headless Chromium (through playwright-core from browser/), for
// line totals, total and VAT in brutto and netto, bad quantities, and texts
// that would break a script literal or an attribute value.
#include "tests/generation/order/order_page.h"
#include "tests/generation/order/order_test_support.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

// playwright-core lies here, installed by the npm fixture of the browser tests.
const QString browserDir = QStringLiteral(VQ_NODE_DIR);

struct Step
{
    enum { Fill, Check, Uncheck, Select } what;
    const char *name;
    QString value; // Fill: the text; Select: the index
};

struct BrowserCase
{
    QString page; // path of the filled page
    std::vector<Step> steps;
    std::vector<std::pair<const char *, QString>> expected; // field name, value
};

// Runs every case in one browser; returns per case the field values and the
// script errors.
QJsonArray runInBrowser(const std::vector<BrowserCase> &cases, const QTemporaryDir &dir)
{
    QJsonArray list;
    for (const BrowserCase &c : cases) {
        QJsonArray steps, read;
        for (const Step &s : c.steps) {
            const QString name = QString::fromLatin1(s.name);
            switch (s.what) {
            case Step::Fill:
                steps.append(QJsonObject{{QStringLiteral("fill"), name},
                                         {QStringLiteral("value"), s.value}});
                break;
            case Step::Check:
                steps.append(QJsonObject{{QStringLiteral("check"), name}});
                break;
            case Step::Uncheck:
                steps.append(QJsonObject{{QStringLiteral("uncheck"), name}});
                break;
            case Step::Select:
                steps.append(QJsonObject{{QStringLiteral("select"), name},
                                         {QStringLiteral("index"), s.value.toInt()}});
                break;
            }
        }
        for (const auto &[name, value] : c.expected)
            read.append(QString::fromLatin1(name));
        list.append(QJsonObject{{QStringLiteral("page"), c.page},
                                {QStringLiteral("steps"), steps},
                                {QStringLiteral("read"), read}});
    }
    const QString input = dir.filePath(QStringLiteral("cases.json"));
    writeFile(input, QJsonDocument(QJsonObject{{QStringLiteral("cases"), list}}).toJson());

    QProcess node;
    node.setWorkingDirectory(browserDir);
    node.start(QStringLiteral("node"), {browserDir + QStringLiteral("/run_pages.js"), input});
    EXPECT_TRUE(node.waitForStarted()) << "node not found";
    const bool finished = node.waitForFinished(120000);
    if (!finished) {
        node.kill();
        node.waitForFinished();
    }
    const QByteArray out = node.readAllStandardOutput();
    EXPECT_TRUE(finished && node.exitCode() == 0) << node.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(out).array();
}

void expectResults(const std::vector<BrowserCase> &cases, const QJsonArray &results)
{
    ASSERT_EQ(results.size(), qsizetype(cases.size()));
    for (size_t n = 0; n < cases.size(); ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        const QJsonObject result = results[qsizetype(n)].toObject();
        EXPECT_TRUE(result[QStringLiteral("errors")].toArray().isEmpty())
            << QJsonDocument(result[QStringLiteral("errors")].toArray()).toJson().toStdString();
        const QJsonObject values = result[QStringLiteral("values")].toObject();
        for (const auto &[name, value] : cases[n].expected) {
            const QJsonValue got = values[QString::fromLatin1(name)];
            if (value.isNull())
                EXPECT_TRUE(got.isNull()) << name << " should be absent";
            else
                EXPECT_EQ(got.toString(), value) << name;
        }
    }
}

QString writePage(const QTemporaryDir &dir, const QString &fileName, const TArtikelList &articles,
                  const OrderTableSettings &settings, bool css = false)
{
    const QString host = QString::fromUtf8(readFile(fixturePath(QStringLiteral("order/host.htm"))));
    const QString path = dir.filePath(fileName);
    writeFile(path, fillOrderMarkers(host, articles, settings, PageKind::Html, css).toUtf8());
    return path;
}

// A normal article with an input, a price and a select option; a fixed-price
// article with a price option; a check-box article with a price option; a
// normal article without options. VAT 19, 19, 7, 7 (all 0 when vat is false).
TArtikelList shopArticles(bool vat)
{
    TArtikelList list;
    list.push_back(article(0, QStringLiteral("Shirt \"Sommer\""), 12.5, vat ? 19 : 0));
    list.back()->listOptionen.push_back(
        inputOption(QStringLiteral("Aufdruck"), QStringLiteral("Ihr Name")));
    list.back()->listOptionen.push_back(
        priceOption(QStringLiteral("Farbe"), {{"weiß", 0}, {"gold", 2.5}}));
    list.back()->listOptionen.push_back(
        selectOption(QStringLiteral("Größe"), QStringLiteral("S#M#L")));
    list.push_back(article(1, QStringLiteral("Versand"), 4.9, vat ? 19 : 0));
    list.back()->listOptionen.push_back(
        priceOption(QStringLiteral("Art"), {{"normal", 0}, {"express", 5.1}}));
    list.push_back(article(2, QStringLiteral("Geschenk"), 3, vat ? 7 : 0));
    list.back()->listOptionen.push_back(
        priceOption(QStringLiteral("Papier"), {{"klein", 0}, {"groß", 1.5}}));
    list.push_back(article(0, QStringLiteral("Buch"), 10.1, vat ? 7 : 0));
    return list;
}

const std::vector<Step> fullOrder = {
    {Step::Fill, "b_anz0", QStringLiteral("3")},
    {Step::Select, "b_opt0_1", QStringLiteral("1")},
    {Step::Select, "b_opt1_0", QStringLiteral("1")},
    {Step::Check, "b_anz2", {}},
    {Step::Select, "b_opt2_0", QStringLiteral("1")},
    {Step::Fill, "b_anz3", QStringLiteral("2")},
};

class OrderTableInBrowser : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QTemporaryDir m_dir;
};

TEST_F(OrderTableInBrowser, LineTotalsTotalAndVatInBruttoNettoAndWithoutVat)
{
    const TArtikelList articles = shopArticles(true);
    const QString brutto = writePage(m_dir, QStringLiteral("brutto.html"), articles,
                                     orderSettings(QStringLiteral("brutto"), germanLocale()));
    const QString netto = writePage(m_dir, QStringLiteral("netto.html"), articles,
                                    orderSettings(QStringLiteral("netto"), germanLocale()), true);
    const QString noVat = writePage(m_dir, QStringLiteral("novat.html"), shopArticles(false),
                                    orderSettings(QStringLiteral("netto"), germanLocale()));
    // Lines: 3 × (12.5 + 2.5) = 45; 4.9 + 5.1 = 10; 3 + 1.5 = 4.5; 2 × 10.1 = 20.2.
    // Brutto VAT: 55 × 19/119 + 24.7 × 7/107 = 10.397; netto: 55 × 0.19 + 24.7 × 0.07 = 12.179.
    const std::vector<std::pair<const char *, QString>> lines = {
        {"b_ges0", QStringLiteral("45,00 €")},
        {"b_ges1", QStringLiteral("10,00 €")},
        {"b_ges2", QStringLiteral("4,50 €")},
        {"b_ges3", QStringLiteral("20,20 €")}};
    auto with = [&](std::vector<std::pair<const char *, QString>> more) {
        auto all = lines;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const std::vector<BrowserCase> cases = {
        // As generated, before anything is changed.
        {brutto,
         {},
         {{"b_anz0", QStringLiteral("0")},
          {"b_ges0", QStringLiteral("0.00 €")},
          {"b_ges1", QStringLiteral("4.90 €")},
          {"b_anz1", QStringLiteral("1")},
          {"b_ges2", QStringLiteral("0.00 €")},
          {"b_opt0_0", QStringLiteral("Ihr Name")},
          {"b_opt0_1", QStringLiteral("weiß#0.00")},
          {"b_opt0_2", QStringLiteral("S")},
          {"b_name0", QStringLiteral("Shirt \"Sommer\"")},
          {"b_opt_type0_1", QStringLiteral("Price")},
          {"b_anzahl", QStringLiteral("4")}}},
        {brutto, fullOrder,
         with({{"b_mwst", QStringLiteral("10,40 €")},
               {"b_gesamt", QStringLiteral("79,70")},
               {"b_opt1_0", QStringLiteral("express#5.10")}})},
        {netto, fullOrder,
         with({{"b_mwst", QStringLiteral("12,18 €")}, {"b_gesamt", QStringLiteral("91,88")}})},
        // Untick the check-box article again.
        {brutto,
         {{Step::Check, "b_anz2", {}}, {Step::Uncheck, "b_anz2", {}}},
         {{"b_ges2", QStringLiteral("0,00 €")},
          {"b_ges1", QStringLiteral("4,90 €")},
          {"b_gesamt", QStringLiteral("4,90")}}},
        // All rates 0: the VAT row is gone, the VAT display marker left in the
        // script does no harm, and the totals are there.
        {noVat, fullOrder, with({{"b_mwst", QString()}, {"b_gesamt", QStringLiteral("79,70")}})},
    };
    expectResults(cases, runInBrowser(cases, m_dir));
}

TEST_F(OrderTableInBrowser, BadQuantitiesAreCorrectedAndTotalsAgree)
{
    const QString page = writePage(m_dir, QStringLiteral("page.html"), shopArticles(true),
                                   orderSettings(QStringLiteral("brutto"), germanLocale()));
    const std::vector<BrowserCase> cases = {
        {page,
         {{Step::Fill, "b_anz0", QStringLiteral("abc")}},
         {{"b_anz0", QStringLiteral("0")},
          {"b_ges0", QStringLiteral("0,00 €")},
          {"b_gesamt", QStringLiteral("4,90")}}},
        {page,
         {{Step::Fill, "b_anz0", QStringLiteral("4")},
          {Step::Fill, "b_anz0", QStringLiteral("-2")}},
         {{"b_anz0", QStringLiteral("0")},
          {"b_ges0", QStringLiteral("0,00 €")},
          {"b_gesamt", QStringLiteral("4,90")}}},
        {page,
         {{Step::Fill, "b_anz0", QString()}},
         {{"b_anz0", QStringLiteral("0")}, {"b_gesamt", QStringLiteral("4,90")}}},
        // A quantity with decimals or a unit counts as its whole part in the
        // line; the field and the grand total follow it.
        {page,
         {{Step::Fill, "b_anz0", QStringLiteral("2.5")},
          {Step::Fill, "b_anz3", QStringLiteral("3 Stück")}},
         {{"b_anz0", QStringLiteral("2")},
          {"b_ges0", QStringLiteral("25,00 €")},
          {"b_anz3", QStringLiteral("3")},
          {"b_ges3", QStringLiteral("30,30 €")},
          {"b_gesamt", QStringLiteral("60,20")}}},
    };
    expectResults(cases, runInBrowser(cases, m_dir));
}

TEST_F(OrderTableInBrowser, QuotesBackslashesAndScriptEndsInTexts)
{
    // The currency also stands as HTML in the page (unit price, option texts),
    // where it is the owner's HTML; what must hold there is only the script.
    const QString currency = QStringLiteral("EUR \"x\" \\ </script> $");
    TArtikelList articles;
    articles.push_back(article(2, QStringLiteral("Kiste \"groß\" & <b>stark</b>"), 10, 19));
    articles.back()->artikelNummer = QStringLiteral("K\"1");
    articles.back()->listOptionen.push_back(
        priceOption(QStringLiteral("Größe \"XL\""), {{"normal", 0}, {"Größe \"XL\" $1", 2}}));
    articles.back()->listOptionen.push_back(
        inputOption(QStringLiteral("Gravur"), QStringLiteral("\"Hallo\" \\ </script>")));
    const QString page =
        writePage(m_dir, QStringLiteral("texts.html"), articles,
                  orderSettings(QStringLiteral("brutto"), germanLocale(), currency));
    const std::vector<BrowserCase> cases = {
        {page,
         {{Step::Check, "b_anz0", {}}, {Step::Select, "b_opt0_0", QStringLiteral("1")}},
         {{"b_ges0", QStringLiteral("12,00 ") + currency},
          {"b_mwst", QStringLiteral("1,92 ") + currency},
          {"b_gesamt", QStringLiteral("12,00")},
          {"b_opt0_0", QStringLiteral("Größe \"XL\" $1#2.00")},
          {"b_opt0_1", QStringLiteral("\"Hallo\" \\ </script>")},
          {"b_name0", QStringLiteral("Kiste \"groß\" & <b>stark</b>")},
          {"b_bestnr0", QStringLiteral("K\"1")},
          {"b_optname0_0", QStringLiteral("Größe \"XL\"")}}},
    };
    expectResults(cases, runInBrowser(cases, m_dir));
}

} // namespace
