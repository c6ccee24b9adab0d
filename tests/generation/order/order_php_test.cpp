// The order table of the PHP script run by php-cli: the script is valid PHP
// whatever the texts hold, and posted quantities and option values come back
// into the form escaped, with the chosen values preselected.
#include "tests/generation/order/order_page.h"
#include "tests/generation/order/order_test_support.h"
#include "tests/test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

struct PhpRun
{
    bool ok = false;
    QByteArray out, err;
};

PhpRun runPhp(const QStringList &arguments)
{
    QProcess php;
    php.start(QStringLiteral("php"),
              QStringList{QStringLiteral("-n"), QStringLiteral("-d"),
                          QStringLiteral("display_errors=stderr"), QStringLiteral("-d"),
                          QStringLiteral("error_reporting=-1")}
                  + arguments);
    PhpRun run;
    if (!php.waitForStarted())
        return run;
    if (!php.waitForFinished(30000)) {
        php.kill();
        php.waitForFinished();
        return run;
    }
    run.ok = php.exitStatus() == QProcess::NormalExit && php.exitCode() == 0;
    run.out = php.readAllStandardOutput();
    run.err = php.readAllStandardError();
    return run;
}

// Texts with quotes, backslashes, "$" and HTML in every place a PHP literal or
// an attribute value takes them.
TArtikelList awkwardArticles()
{
    TArtikelList list;
    list.push_back(article(0, QStringLiteral("Shirt \"Sommer\" $x"), 12.5, 19));
    list.back()->listOptionen.push_back(inputOption(
        QStringLiteral("Aufdruck"), QStringLiteral("\"Hallo\" & <b> $name {$x} \\n \\")));
    list.back()->listOptionen.push_back(
        selectOption(QStringLiteral("Größe"), QStringLiteral("S#M#L")));
    list.back()->listOptionen.push_back(
        priceOption(QStringLiteral("Farbe"), {{"weiß", 0}, {"Groß \"XL\" $1", 1234.5}}));
    list.push_back(article(2, QStringLiteral("Geschenk"), 3, 7));
    list.back()->listOptionen.push_back(
        selectOption(QStringLiteral("Text"), QStringLiteral("a\\b#c$d#{$e}#\"x#y\"")));
    list.push_back(article(1, QStringLiteral("Porto"), 0.5, 19));
    return list;
}

class OrderTableInPhp : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString host =
            QString::fromUtf8(readFile(fixturePath(QStringLiteral("order/host.php"))));
        // The currency stands in the scripts and as HTML; "<?" in an HTML text
        // would open PHP code, as the owner's HTML may do on purpose.
        const auto settings =
            orderSettings(QStringLiteral("netto"), germanLocale(), QStringLiteral("€ \" $ \\"));
        m_page = m_dir.filePath(QStringLiteral("page.php"));
        writeFile(
            m_page,
            fillOrderMarkers(host, awkwardArticles(), settings, PageKind::Php, true).toUtf8());
    }

    // Runs the page with $_POST filled from a URL-encoded body.
    PhpRun post(const QByteArray &body)
    {
        const QString bodyFile = m_dir.filePath(QStringLiteral("body.txt"));
        writeFile(bodyFile, body);
        return runPhp(
            {QStringLiteral("-r"),
             QStringLiteral("parse_str(file_get_contents($argv[1]), $_POST); include $argv[2];"),
             QStringLiteral("--"), bodyFile, m_page});
    }

    QTemporaryDir m_dir;
    QString m_page;
};

TEST_F(OrderTableInPhp, ScriptIsValidPhp)
{
    const PhpRun lint = runPhp({QStringLiteral("-l"), m_page});
    EXPECT_TRUE(lint.ok) << lint.out.toStdString() << lint.err.toStdString();
}

TEST_F(OrderTableInPhp, PostedValuesComeBackEscapedAndPreselected)
{
    const struct
    {
        const char *what;
        QByteArray body;
        std::vector<QByteArray> present, absent;
    } cases[] = {
        {"nothing posted",
         "",
         {"id=\"b_anz0\" value=\"0\" size=\"10\"",
          // the default as typed, escaped only for the attribute
          "name=\"b_opt0_0\" value=\"&quot;Hallo&quot; &amp; &lt;b&gt; $name {$x} \\n \\\"",
          "<option >S</option>", "<option  value=\"weiß#0.00\">",
          "<option  value=\"Groß &quot;XL&quot; $1#1234.50\">",
          "id=\"b_ges2\" value=\".50 € &quot; $ \\\"",
          "<input type=\"hidden\" name=\"b_name0\" value=\"Shirt &quot;Sommer&quot; $x\">"},
         {"<option selected"}},
        {"script in the quantity and an input option",
         "b_anz0=3%22%3E%3Cscript%3Ealert(1)%3C%2Fscript%3E&b_opt0_0=x%27+onfocus%3D%27alert(1)%27",
         {"id=\"b_anz0\" value=\"3&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\" size=\"10\"",
          "name=\"b_opt0_0\" value=\"x&#039; onfocus=&#039;alert(1)&#039;\""},
         {"<script>alert", "onfocus='"}},
        {"a quantity, a choice and a value key with quotes and $",
         "b_anz0=3&b_anz1=1&b_opt0_1=M&b_opt0_2="
             + QByteArray("Groß \"XL\" $1#1234.50").toPercentEncoding() + "&b_opt1_0=c%24d",
         {"id=\"b_anz0\" value=\"3\" size=\"10\"", "<option selected>M</option>",
          "<option >S</option>", "<option selected value=\"Groß &quot;XL&quot; $1#1234.50\">",
          "<option  value=\"weiß#0.00\">", "<option selected>c$d</option>",
          "<option >a\\b</option>", "<option >{$e}</option>", "<option >\"x#y\"</option>",
          // the check box is not ticked again
          "type=\"checkbox\" id=\"b_anz1\" value=\"1\" onclick=\"preisUpdateArt();\" "
          "class=\"field\" />"},
         {}},
        {"choices that hold a backslash or quotes",
         "b_opt1_0=" + QByteArray("a\\b").toPercentEncoding(),
         {"<option selected>a\\b</option>", "<option >c$d</option>"},
         {}},
        {"choices that hold a backslash or quotes",
         "b_opt1_0=" + QByteArray("\"x#y\"").toPercentEncoding(),
         {"<option selected>\"x#y\"</option>", "<option >a\\b</option>"},
         {}},
        // Windows-1252 text from a page in that encoding is not valid UTF-8;
        // it must come back unchanged, not as an empty field.
        {"bytes of another encoding",
         "b_opt0_0=Gr%F6%DFe+%26",
         {QByteArray("name=\"b_opt0_0\" value=\"Gr\xF6\xDF"
                     "e &amp;\"")},
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const PhpRun run = post(c.body);
        ASSERT_TRUE(run.ok) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        for (const QByteArray &text : c.present)
            EXPECT_TRUE(run.out.contains(text)) << "missing: " << text.toStdString();
        for (const QByteArray &text : c.absent)
            EXPECT_FALSE(run.out.contains(text)) << "unexpected: " << text.toStdString();
    }
}

} // namespace
