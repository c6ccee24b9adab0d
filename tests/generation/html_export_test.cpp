// Export into an existing page: the blocks taken from the generated page and
// inserted into, refreshed in and removed from small pages.
#include "designer/generation/uHtmlExport.h"

#include "designer/generation/page_source.h"
#include "tests/support/page_blocks.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vq;

namespace {

// A generated page in the shape of the page template, with version v.
QString generated(const QString &v)
{
    return QStringLiteral("<!DOCTYPE html>\r\n<html><head>\r\n<!-- VQFORMCSSBEGIN -->\r\n<style>.v")
           + v
           + QStringLiteral(
               "{}</style>\r\n<!-- VQFORMCSSEND -->\r\n<!-- VQFORMJSBEGIN -->\r\n<script>var v=")
           + v
           + QStringLiteral(
               ";</script>\r\n<!-- VQFORMJSEND -->\r\n</head><body>\r\n<form name=\"VQFORM\">F")
           + v + QStringLiteral("</form>\r\n</body></html>\r\n");
}

QString css(const QString &v)
{
    return QStringLiteral("<!-- VQFORMCSSBEGIN -->\r\n<style>.v") + v
           + QStringLiteral("{}</style>\r\n<!-- VQFORMCSSEND -->");
}

QString script(const QString &v)
{
    return QStringLiteral("<!-- VQFORMJSBEGIN -->\r\n<script>var v=") + v
           + QStringLiteral(";</script>\r\n<!-- VQFORMJSEND -->");
}

QString form(const QString &v)
{
    return QStringLiteral("<!-- VQFORM begin -->\r\n<form name=\"VQFORM\">F") + v
           + QStringLiteral("</form><!-- VQFORM end -->\r\n");
}

} // namespace

TEST(HtmlExport, BlocksOfTheGeneratedPage)
{
    EXPECT_EQ(cssBlock(generated(QStringLiteral("1"))), css(QStringLiteral("1")));
    EXPECT_EQ(scriptBlock(generated(QStringLiteral("1"))), script(QStringLiteral("1")));
    EXPECT_EQ(formBlock(generated(QStringLiteral("1"))), form(QStringLiteral("1")));
    EXPECT_TRUE(formBlock(QStringLiteral("<p>kein Formular</p>")).isEmpty());
    EXPECT_TRUE(cssBlock(QStringLiteral("<!-- VQFORMCSSBEGIN --> ohne Ende")).isEmpty());
}

TEST(HtmlExport, InsertPlacesTheBlocks)
{
    const QString g = generated(QStringLiteral("1"));
    const struct
    {
        const char *what;
        QString page;
        QString expected;
    } cases[] = {
        {"head in capitals",
         QStringLiteral("<!DOCTYPE "
                        "html><HTML><HEAD><title>Shop</title></HEAD><BODY><p>A</p>INPUTVQFORM<p>B</"
                        "p></BODY></HTML>"),
         QStringLiteral("<!DOCTYPE html><HTML><HEAD>\r\n") + css(QStringLiteral("1"))
             + QStringLiteral("\r\n") + script(QStringLiteral("1"))
             + QStringLiteral("<title>Shop</title></HEAD><BODY><p>A</p>")
             + form(QStringLiteral("1")) + QStringLiteral("<p>B</p></BODY></HTML>")},
        {"head in lower case, mark in mixed case",
         QStringLiteral("<html><head></head><body>InputVqForm</body></html>"),
         QStringLiteral("<html><head>\r\n") + css(QStringLiteral("1")) + QStringLiteral("\r\n")
             + script(QStringLiteral("1")) + QStringLiteral("</head><body>")
             + form(QStringLiteral("1")) + QStringLiteral("</body></html>")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(insertBlocks(c.page, g), c.expected) << c.what;
        EXPECT_TRUE(hasFormBlock(insertBlocks(c.page, g))) << c.what;
        EXPECT_TRUE(hasInsertionMark(c.page)) << c.what;
    }
}

TEST(HtmlExport, RefreshReplacesTheBlocksAndKeepsTheUsersText)
{
    const QString page = QStringLiteral(
        "<!DOCTYPE html>\r\n<html><head><title>Shop</title></head><body><h1>Willkommen</h1>"
        "INPUTVQFORM<p>Fuß</p></body></html>");
    QString withForm = insertBlocks(page, generated(QStringLiteral("1")));
    // The user changes the page after inserting.
    withForm.replace(QStringLiteral("Willkommen"), QStringLiteral("Hallo"));
    const QString refreshed = refreshBlocks(withForm, generated(QStringLiteral("2")));
    QString expected = insertBlocks(page, generated(QStringLiteral("2")));
    expected.replace(QStringLiteral("Willkommen"), QStringLiteral("Hallo"));
    EXPECT_EQ(refreshed, expected);
    // Refreshing again with the same project changes nothing.
    EXPECT_EQ(refreshBlocks(refreshed, generated(QStringLiteral("2"))), refreshed);
    EXPECT_TRUE(refreshed.startsWith(u"<!DOCTYPE html>\r\n"));
}

TEST(HtmlExport, RemoveThenInsertElsewhereMovesTheForm)
{
    const QString page =
        QStringLiteral("<html><head></head><body><p>A</p>INPUTVQFORM<p>B</p></body></html>");
    const QString inserted = insertBlocks(page, generated(QStringLiteral("1")));
    const QString removed = removeBlocks(inserted);
    QString bare = page;
    bare.remove(QStringLiteral("INPUTVQFORM"));
    EXPECT_EQ(removed, bare);
    EXPECT_FALSE(hasFormBlock(removed));
    QString elsewhere = removed;
    elsewhere.replace(QStringLiteral("<p>B</p>"), QStringLiteral("<p>B</p>INPUTVQFORM"));
    EXPECT_EQ(insertBlocks(elsewhere, generated(QStringLiteral("1"))),
              QStringLiteral("<html><head>\r\n") + css(QStringLiteral("1")) + QStringLiteral("\r\n")
                  + script(QStringLiteral("1")) + QStringLiteral("</head><body><p>A</p><p>B</p>")
                  + form(QStringLiteral("1")) + QStringLiteral("</body></html>"));
}

TEST(HtmlExport, BlockWithoutItsEndMarkerIsLeftAlone)
{
    const QString page = QStringLiteral(
        "<html><head>\r\n<!-- VQFORMCSSBEGIN -->alt</head><body><!-- VQFORM begin -->"
        "<form>alt</form></body></html>");
    EXPECT_EQ(removeBlocks(page), page);
    // Refresh leaves the broken blocks and adds a fresh CSS block after the head.
    const QString refreshed = refreshBlocks(page, generated(QStringLiteral("2")));
    EXPECT_TRUE(refreshed.contains(u"<!-- VQFORMCSSBEGIN -->alt"));
    EXPECT_TRUE(refreshed.contains(u"<!-- VQFORM begin --><form>alt</form>"));
    EXPECT_TRUE(
        refreshed.startsWith(QStringLiteral("<html><head>\r\n") + css(QStringLiteral("2"))));
}

// The style and script blocks follow the head start tag whatever it holds;
// markup that only looks like one (a comment, a script, <header>) is passed by.
TEST(HtmlExport, BlocksFollowAnyHeadTag)
{
    const QString blocks = QStringLiteral("\r\n") + css(QStringLiteral("1"))
                           + QStringLiteral("\r\n") + script(QStringLiteral("1"));
    const struct
    {
        const char *what;
        QString head;   // up to and with the head start tag
        QString before; // what stands before that tag
    } cases[] = {
        {"language", QStringLiteral("<head lang=\"de\">"), QString()},
        {"prefix",
         QStringLiteral("<head prefix=\"og: http://ogp.me/ns# fb: http://ogp.me/ns/fb#\">"),
         QString()},
        {"line break in the tag", QStringLiteral("<HEAD\r\n      lang=\"de\"\r\n>"), QString()},
        {"mixed case, single quotes holding >", QStringLiteral("<hEaD data-x='a>b'>"), QString()},
        {"slash before the end", QStringLiteral("<head/>"), QString()},
        {"after a commented-out head", QStringLiteral("<head id=\"h\">"),
         QStringLiteral("<!-- <head> -->")},
        {"after a script writing a head", QStringLiteral("<head>"),
         QStringLiteral("<script>document.write('<head>')</script>")},
    };
    for (const auto &c : cases) {
        const QString page =
            QStringLiteral("<!DOCTYPE html>\n<html>") + c.before + c.head
            + QStringLiteral("<title>Shop</title></head>\n<body><header>Kopf</header>"
                             "INPUTVQFORM</body></html>");
        EXPECT_TRUE(exportRefusal(page).isEmpty()) << c.what;
        EXPECT_EQ(insertBlocks(page, generated(QStringLiteral("1"))),
                  QStringLiteral("<!DOCTYPE html>\n<html>") + c.before + c.head + blocks
                      + QStringLiteral("<title>Shop</title></head>\n<body><header>Kopf</header>")
                      + form(QStringLiteral("1")) + QStringLiteral("</body></html>"))
            << c.what;
        // A refresh finds the same head: the blocks are replaced, not lost.
        const QString refreshed = refreshBlocks(insertBlocks(page, generated(QStringLiteral("1"))),
                                                generated(QStringLiteral("2")));
        EXPECT_TRUE(refreshed.contains(c.head + QStringLiteral("\r\n") + css(QStringLiteral("2"))))
            << c.what;
    }
}

// A page without a head tag is refused with the reason; the blocks alone
// would leave a form without its style and checks.
TEST(HtmlExport, PageWithoutHeadIsRefused)
{
    for (const QString &page :
         {QStringLiteral("<html><body>INPUTVQFORM</body></html>"),
          QStringLiteral("<p>nur ein Absatz</p>INPUTVQFORM"),
          QStringLiteral("<html><header>Kopf</header><body>INPUTVQFORM</body></html>"),
          QStringLiteral("<html><!-- <head> --><body>INPUTVQFORM</body></html>"),
          QStringLiteral("<html><headline>INPUTVQFORM</headline></html>")}) {
        const QString refusal = exportRefusal(page);
        EXPECT_TRUE(refusal.contains(u"<head>")) << page.toStdString();
        EXPECT_TRUE(refusal.contains(u"unverändert")) << page.toStdString();
    }
}

// A page is read and written in its own encoding whatever the project's:
// every byte outside the blocks stays, the blocks are written so that the
// page shows each of their characters.
TEST(HtmlExport, PageKeepsItsEncodingAndEveryByte)
{
    const QString generatedPage =
        generated(QStringLiteral("1")).replace(QStringLiteral("F1"), QStringLiteral("Größe ő ✓ 😀"));
    const QByteArray utf8Text = "<title>Gr\xC3\xBC\xC3\x9F"
                                "e \xC5\x91 \xE2\x9C\x93</title>";
    const struct
    {
        const char *what;
        QByteArray page;
        const char *project;
        PageEncoding encoding;
        QByteArray formText; // the form's text as the file holds it
    } cases[] = {
        {"UTF-8 without mark, windows-1252 project",
         "<html><head>" + utf8Text + "</head>\r\n<body>INPUTVQFORM</body></html>\n", "windows-1252",
         PageEncoding::Utf8,
         "Gr\xC3\xB6\xC3\x9F"
         "e \xC5\x91 \xE2\x9C\x93 \xF0\x9F\x98\x80"},
        {"UTF-8 with byte-order mark, windows-1252 project",
         "\xEF\xBB\xBF<html><head>" + utf8Text + "</head><body>INPUTVQFORM</body></html>",
         "windows-1252", PageEncoding::Utf8WithBom,
         "Gr\xC3\xB6\xC3\x9F"
         "e \xC5\x91 \xE2\x9C\x93 \xF0\x9F\x98\x80"},
        {"ASCII with meta charset, windows-1252 project",
         "<html><head><meta charset=\"UTF-8\"></head><body>INPUTVQFORM</body></html>",
         "windows-1252", PageEncoding::Utf8,
         "Gr\xC3\xB6\xC3\x9F"
         "e \xC5\x91 \xE2\x9C\x93 \xF0\x9F\x98\x80"},
        {"ASCII with http-equiv charset, UTF-8 project",
         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=windows-1252\"></head><body>INPUTVQFORM</body></html>",
         "utf-8", PageEncoding::Windows1252,
         "Gr\xF6\xDF"
         "e &#337; &#10003; &#128512;"},
        {"windows-1252, UTF-8 project",
         "<html><head><title>Gr\xFC\xDF"
         "e \x80 \x81</title></head>\r\n<body>INPUTVQFORM</body></html>",
         "utf-8", PageEncoding::Windows1252,
         "Gr\xF6\xDF"
         "e &#337; &#10003; &#128512;"},
        {"ASCII without declaration takes the project's",
         "<html><head></head><body>INPUTVQFORM</body></html>", "utf-8", PageEncoding::Utf8,
         "Gr\xC3\xB6\xC3\x9F"
         "e \xC5\x91 \xE2\x9C\x93 \xF0\x9F\x98\x80"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PageSource page = decodePage(c.page, QString::fromLatin1(c.project));
        EXPECT_EQ(page.encoding, c.encoding);
        EXPECT_EQ(encodePage(page), c.page) << "read and written unchanged";
        page.text = insertBlocks(page.text, generatedPage);
        const QByteArray saved = encodePage(page);
        EXPECT_TRUE(saved.contains(QByteArray("<form name=\"VQFORM\">") + c.formText + "</form>"))
            << saved.toStdString();
        // Cut the blocks out of the bytes: the page's own bytes remain.
        QByteArray original = c.page;
        original.replace("INPUTVQFORM", "");
        EXPECT_EQ(vq::test::withoutFormBlocks(saved), original);
    }
}

// The export view marks every position between tags, so that a caret in the
// shown page is found in the page's own text: the characters after a mark
// are counted as the browser counts them.
TEST(HtmlExport, CaretPositionsAreFoundInThePagesText)
{
    const QString page =
        QStringLiteral("<html><head><title>T</title><script>if (a<b) x='<p>';</script></head>\r\n"
                       "<body><p class=\"a>b\">Gr&ouml;&szlig;e &amp;&#x2713;&#128512;:\r\nhier</p>"
                       "<pre>\nZeile</pre></body></html>");
    const QString view = textForView(page);
    // Nothing but the marks was added.
    QString unmarked = view;
    unmarked.remove(QRegularExpression(QStringLiteral("<!--vqpos:[0-9]+-->")));
    EXPECT_EQ(unmarked, page);
    EXPECT_FALSE(view.contains(u"<title><!--")) << "no mark inside the title";
    EXPECT_FALSE(view.contains(u"<script><!--")) << "no mark inside a script";
    EXPECT_TRUE(view.contains(u"<pre>\n<!--vqpos:")) << "the break after <pre> stays first";
    // Each mark names the position where it stands in the page.
    const QRegularExpression markPattern(QStringLiteral("<!--vqpos:([0-9]+)-->"));
    qsizetype removed = 0;
    for (const auto &m : markPattern.globalMatch(view)) {
        EXPECT_EQ(m.captured(1).toLongLong(), m.capturedStart() - removed);
        removed += m.capturedLength();
    }
    const qsizetype paragraph = page.indexOf(u"Gr&ouml;");
    const qsizetype line = page.indexOf(u"Zeile");
    const struct
    {
        qsizetype mark;
        qsizetype characters;
        qsizetype expected;
    } cases[] = {
        {paragraph, 0, paragraph},
        {paragraph, 3, paragraph + 8},              // after "Grö"
        {paragraph, 5, page.indexOf(u" &amp;")},    // after "Größe"
        {paragraph, 8, page.indexOf(u"&#128512;")}, // after "&✓"
        {paragraph, 10, page.indexOf(u":")},        // the emoji is two
        {paragraph, 12, page.indexOf(u"hier")},     // CR LF is one
        {paragraph, 99, page.indexOf(u"</p>")},     // not past the text
        {line, 3, line + 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(positionAfterMark(page, c.mark, c.characters), c.expected)
            << c.mark << "+" << c.characters;
}
