// Export into an existing page: the blocks taken from the generated page and
// inserted into, refreshed in and removed from small pages.
#include "designer/generation/uHtmlExport.h"

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
        {"head with attributes: only the form goes in",
         QStringLiteral("<html><head lang=\"de\"></head><body>INPUTVQFORM</body></html>"),
         QStringLiteral("<html><head lang=\"de\"></head><body>") + form(QStringLiteral("1"))
             + QStringLiteral("</body></html>")},
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
