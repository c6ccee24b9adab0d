// The money rule in the generated pages' script: every case of the shared
// money table (tests/fixtures/money) on a page generated from the delivered
// templates, filled in headless Chromium as the case says; the line totals,
// the VAT and the total the page shows must be the table's to the cent, in
// brutto and netto, on the HTML page and on the self-contained PHP form
// (served by php -S on 127.0.0.1).
#include "common/text_file.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "tests/formmailer/money_cases.h"
#include "tests/generation/php_server.h"
#include "tests/support/print_qstring.h"
#include "tests/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>

using namespace vq;
using namespace vq::test;

namespace {

const QString currency = QStringLiteral("€");

ProjectDocument moneyProject(const MoneyCase &money)
{
    ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("utf-8");
    project.ExtSettings.tax = money.mode;
    project.setSetting(QStringLiteral("cboFormMailer"), QStringLiteral("formmail.php"));
    project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    project.setSetting(QStringLiteral("edtWaehrung"), currency);
    project.ListArtikel = moneyArticles(money);
    return project;
}

// What the customer does: quantities typed, check boxes ticked, price options chosen.
QJsonArray customerSteps(const MoneyCase &money)
{
    QJsonArray steps;
    for (qsizetype i = 0; i < money.articles.size(); ++i) {
        const MoneyArticle &a = money.articles[i];
        const QString quantity = QStringLiteral("b_anz%1").arg(i);
        if (a.kind == 0)
            steps.append(QJsonObject{{QStringLiteral("fill"), quantity},
                                     {QStringLiteral("value"), QString::number(a.quantity)}});
        else if (a.kind == 2 && a.quantity > 0)
            steps.append(QJsonObject{{QStringLiteral("check"), quantity}});
        for (qsizetype j = 0; j < a.options.size(); ++j)
            steps.append(
                QJsonObject{{QStringLiteral("select"), QStringLiteral("b_opt%1_%2").arg(i).arg(j)},
                            {QStringLiteral("index"), a.options[j].choose}});
    }
    return steps;
}

// Field name -> the text the page must show; a null text: no such field.
QList<QPair<QString, QString>> expectedFields(const MoneyCase &money)
{
    QList<QPair<QString, QString>> fields;
    qsizetype line = 0;
    for (qsizetype i = 0; i < money.articles.size(); ++i) {
        const QString shown =
            money.articles[i].ordered() > 0 ? money.lines.value(line++) : QStringLiteral("0.00");
        fields.append({QStringLiteral("b_ges%1").arg(i), commaDecimal(shown) + u' ' + currency});
    }
    EXPECT_EQ(line, money.lines.size())
        << money.name.toStdString() << ": ordered lines and line totals differ";
    // Without any VAT rate but 0 the page has no VAT row.
    bool vat = false;
    for (const MoneyArticle &a : money.articles)
        vat = vat || a.vat.toDouble() != 0;
    fields.append(
        {QStringLiteral("b_mwst"), vat ? commaDecimal(money.vat) + u' ' + currency : QString()});
    fields.append({QStringLiteral("b_gesamt"), commaDecimal(money.total) + u' ' + currency});
    return fields;
}

// Runs the cases (each {"page" or "url", "steps", "read"}) in one browser and
// returns per case the values read and the script errors.
QJsonArray runInBrowser(const QJsonArray &cases, const QTemporaryDir &dir)
{
    const QString input = dir.filePath(QStringLiteral("cases.json"));
    writeFile(input, QJsonDocument(QJsonObject{{QStringLiteral("cases"), cases}}).toJson());
    QProcess node;
    node.setWorkingDirectory(QStringLiteral(VQ_NODE_DIR));
    node.start(QStringLiteral("node"), {QStringLiteral(VQ_NODE_DIR "/run_pages.js"), input});
    EXPECT_TRUE(node.waitForStarted()) << "node not found";
    const bool finished = node.waitForFinished(180000);
    if (!finished) {
        node.kill();
        node.waitForFinished();
    }
    EXPECT_TRUE(finished && node.exitCode() == 0) << node.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(node.readAllStandardOutput()).array();
}

class MoneyRuleOnGeneratedPages : public testing::TestWithParam<const char *>
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QTemporaryDir m_dir;
};

TEST_P(MoneyRuleOnGeneratedPages, EveryCaseOfTheMoneyTableShowsItsFigures)
{
    const bool php = QByteArray(GetParam()) == "php";
    const QList<MoneyCase> cases = loadMoneyCases();
    ASSERT_GE(cases.size(), 10);
    std::unique_ptr<PhpServer> server;
    if (php) {
        server = std::make_unique<PhpServer>(m_dir.path());
        ASSERT_TRUE(server->running());
    }
    QJsonArray jobs;
    for (const MoneyCase &money : cases) {
        const ProjectDocument project = moneyProject(money);
        const QString file = money.name + (php ? QStringLiteral(".php") : QStringLiteral(".htm"));
        const QString text = php ? TGenPHP(project, QStringLiteral(VQ_PROGRAM_DIR)).GenCode()
                                 : TGenHTML(project, QStringLiteral(VQ_PROGRAM_DIR)).GenCode();
        QString error;
        ASSERT_TRUE(writeGeneratedText(m_dir.filePath(file), text, QStringLiteral("utf-8"), &error,
                                       php ? GeneratedKind::PhpScript : GeneratedKind::Page))
            << error.toStdString();
        QJsonArray read;
        for (const auto &[name, value] : expectedFields(money))
            read.append(name);
        QJsonObject job{{QStringLiteral("steps"), customerSteps(money)},
                        {QStringLiteral("read"), read}};
        if (php)
            job[QStringLiteral("url")] = server->url(file);
        else
            job[QStringLiteral("page")] = m_dir.filePath(file);
        jobs.append(job);
    }
    const QJsonArray results = runInBrowser(jobs, m_dir);
    ASSERT_EQ(results.size(), cases.size());
    for (qsizetype n = 0; n < cases.size(); ++n) {
        SCOPED_TRACE(cases[n].name.toStdString() + " (" + cases[n].mode.toStdString() + ")");
        const QJsonObject result = results[n].toObject();
        EXPECT_TRUE(result[QStringLiteral("errors")].toArray().isEmpty())
            << QJsonDocument(result[QStringLiteral("errors")].toArray()).toJson().toStdString();
        const QJsonObject values = result[QStringLiteral("values")].toObject();
        for (const auto &[name, value] : expectedFields(cases[n])) {
            const QJsonValue shown = values[name];
            if (value.isNull())
                EXPECT_TRUE(shown.isNull()) << name.toStdString() << " should be absent";
            else
                EXPECT_EQ(shown.toString(), value) << name.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(HtmlAndPhp, MoneyRuleOnGeneratedPages, testing::Values("html", "php"));

} // namespace

namespace {

// Quantities a customer may type, hostile ones too, on the page of a netto
// case (12.99 at 19 %, 19.95 at 7 % ordered once, 4.90 shipping at 19 %): the
// quantity field as the line computation leaves it, and the rule's exact
// figures, however large; never a script error.
TEST(MoneyRuleOnTheHtmlPage, TypedQuantitiesGiveExactFiguresWithoutScriptErrors)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QList<MoneyCase> cases = loadMoneyCases();
    const auto money = std::find_if(cases.begin(), cases.end(), [](const MoneyCase &c) {
        return c.name == u"netto_mixed_rates_shipping";
    });
    ASSERT_NE(money, cases.end());
    const QString page = dir.filePath(QStringLiteral("netto.htm"));
    QString error;
    ASSERT_TRUE(writeGeneratedText(
        page, TGenHTML(moneyProject(*money), QStringLiteral(VQ_PROGRAM_DIR)).GenCode(),
        QStringLiteral("utf-8"), &error))
        << error.toStdString();
    struct Case
    {
        QString typed, quantity, line, vat, total;
    };
    const Case typed[] = {
        {QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("25,98"), QStringLiteral("7,27"),
         QStringLiteral("58,10")},
        {QStringLiteral("-3"), QStringLiteral("0"), QStringLiteral("0,00"), QStringLiteral("2,33"),
         QStringLiteral("27,18")},
        {QStringLiteral("abc"), QStringLiteral("0"), QStringLiteral("0,00"), QStringLiteral("2,33"),
         QStringLiteral("27,18")},
        {QStringLiteral("2.9"), QStringLiteral("2"), QStringLiteral("25,98"),
         QStringLiteral("7,27"), QStringLiteral("58,10")},
        {QStringLiteral("1e3"), QStringLiteral("1"), QStringLiteral("12,99"),
         QStringLiteral("4,80"), QStringLiteral("42,64")},
        // Beyond what a double holds exactly: the digits as typed (and posted) count.
        {QStringLiteral("99999999999999999999"), QStringLiteral("99999999999999999999"),
         QStringLiteral("1298999999999999999987,01"), QStringLiteral("246809999999999999999,86"),
         QStringLiteral("1545810000000000000011,72")},
        {QStringLiteral(" 1000000000000000000000000000007 "),
         QStringLiteral(" 1000000000000000000000000000007 "),
         QStringLiteral("12990000000000000000000000000090,93"),
         QStringLiteral("2468100000000000000000000000019,61"),
         QStringLiteral("15458100000000000000000000000135,39")},
    };
    QJsonArray jobs;
    for (const Case &c : typed)
        jobs.append(
            QJsonObject{{QStringLiteral("page"), page},
                        {QStringLiteral("steps"),
                         QJsonArray{QJsonObject{{QStringLiteral("fill"), QStringLiteral("b_anz1")},
                                                {QStringLiteral("value"), QStringLiteral("1")}},
                                    QJsonObject{{QStringLiteral("fill"), QStringLiteral("b_anz0")},
                                                {QStringLiteral("value"), c.typed}}}},
                        {QStringLiteral("read"),
                         QJsonArray{QStringLiteral("b_anz0"), QStringLiteral("b_ges0"),
                                    QStringLiteral("b_mwst"), QStringLiteral("b_gesamt")}}});
    const QJsonArray results = runInBrowser(jobs, dir);
    ASSERT_EQ(results.size(), qsizetype(std::size(typed)));
    for (qsizetype n = 0; n < results.size(); ++n) {
        const Case &c = typed[n];
        SCOPED_TRACE(c.typed.left(30).toStdString());
        const QJsonObject result = results[n].toObject();
        EXPECT_TRUE(result[QStringLiteral("errors")].toArray().isEmpty())
            << QJsonDocument(result[QStringLiteral("errors")].toArray()).toJson().toStdString();
        const QJsonObject values = result[QStringLiteral("values")].toObject();
        EXPECT_EQ(values[QStringLiteral("b_anz0")].toString(), c.quantity);
        EXPECT_EQ(values[QStringLiteral("b_ges0")].toString(), c.line + u' ' + currency);
        EXPECT_EQ(values[QStringLiteral("b_mwst")].toString(), c.vat + u' ' + currency);
        EXPECT_EQ(values[QStringLiteral("b_gesamt")].toString(), c.total + u' ' + currency);
    }
}

} // namespace
