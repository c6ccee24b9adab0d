// The one helper both programs' windows show a stranger's text with: one line
// for a cell or a status line, the text with its line breaks for a message,
// both bounded and without direction overrides; a tool tip, a label and a
// message box that show a hostile text literally, really shown offscreen.
#include "common_ui/plain_text.h"
#include "tests/support/plain_text_support.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QToolTip>
#include <QWidget>
#include <gtest/gtest.h>

using namespace vq::ui;
using namespace vq::test;

namespace {

const QChar kEllipsis(0x2026);

struct TextCase
{
    const char *what;
    QString text;
    QString line;  // shownLine(text, 10)
    QString lines; // shownText(text, 10, 3)
};

QList<TextCase> textCases()
{
    return {
        {"kurz", QStringLiteral("Muster"), QStringLiteral("Muster"), QStringLiteral("Muster")},
        {"leer", QString(), QString(), QString()},
        {"genau zehn", QStringLiteral("0123456789"), QStringLiteral("0123456789"),
         QStringLiteral("0123456789")},
        {"elf", QStringLiteral("0123456789A"), QStringLiteral("0123456789") + kEllipsis,
         QStringLiteral("0123456789") + kEllipsis},
        {"Zeilen", QStringLiteral("a\r\nb\rc"), QStringLiteral("a  b c"),
         QStringLiteral("a\nb\nc")},
        {"Tab und Steuerzeichen",
         QStringLiteral("a\tb\x01"
                        "c\x7f"
                        "d"),
         QStringLiteral("a b c d"), QStringLiteral("a\tb c d")},
        {"Unicode-Zeilenumbrüche", QStringLiteral("a\u2028b\u2029c"), QStringLiteral("a b c"),
         QStringLiteral("a\nb\nc")},
        {"Richtung", QStringLiteral("a\u202Eb\u202Ac\u2066d\u2069"),
         QStringLiteral("a\uFFFDb\uFFFDc\uFFFDd\uFFFD"),
         QStringLiteral("a\uFFFDb\uFFFDc\uFFFDd\uFFFD")},
        {"Markierungen bleiben", QStringLiteral("\u05D0\u200Fb"), QStringLiteral("\u05D0\u200Fb"),
         QStringLiteral("\u05D0\u200Fb")},
        {"vier Zeilen", QStringLiteral("1\n2\n3\n4"), QStringLiteral("1 2 3 4"),
         QStringLiteral("1\n2\n3") + kEllipsis},
        // An emoji is two UTF-16 units: it is never cut in half.
        {"Ersatzpaar an der Grenze", QStringLiteral("012345678\U0001F600"),
         QStringLiteral("012345678") + kEllipsis, QStringLiteral("012345678") + kEllipsis},
        {"HTML bleibt Text", QStringLiteral("<b>x</b>&amp;"),
         QStringLiteral("<b>x</b>&a") + kEllipsis, QStringLiteral("<b>x</b>&a") + kEllipsis},
    };
}

TEST(PlainText, LinesAndTextsAreCleanedAndBounded)
{
    for (const TextCase &c : textCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(shownLine(c.text, 10), c.line);
        EXPECT_EQ(shownText(c.text, 10, 3), c.lines);
    }
    // A megabyte is cut at the place's limit.
    const QString megabyte(1024 * 1024, QLatin1Char('m'));
    EXPECT_EQ(shownLine(megabyte), QString(kMaxLineChars, QLatin1Char('m')) + kEllipsis);
    EXPECT_EQ(shownText(megabyte, kMaxMessageChars, kMaxMessageLines),
              QString(kMaxMessageChars, QLatin1Char('m')) + kEllipsis);
}

TEST(PlainText, ToolTipIsTheTextOrEscapedHtmlThatKeepsBlanksAndLineBreaks)
{
    const QString pre = QStringLiteral("<p style='white-space:pre'>");
    const QString preWrap = QStringLiteral("<p style='white-space:pre-wrap'>");
    const QString end = QStringLiteral("</p>");
    const QString run(200, QLatin1Char('r'));
    const QString wrappedRun =
        run.left(80) + QChar(0x200B) + run.mid(80, 80) + QChar(0x200B) + run.mid(160);
    const struct
    {
        const char *what;
        QString text, tip;
    } cases[] = {
        {"leer", QString(), QString()},
        // Qt takes these for plain text and shows them as they are.
        {"Text", QStringLiteral("Schmidt & Söhne"), QStringLiteral("Schmidt & Söhne")},
        {"kein Tag", QStringLiteral("3 < 4 und 5 > 4"), QStringLiteral("3 < 4 und 5 > 4")},
        {"HTML erst in der zweiten Zeile", QStringLiteral("Muster\n<b>fett</b>"),
         QStringLiteral("Muster\n<b>fett</b>")},
        {"langer Lauf", run, wrappedRun},
        // These Qt would read as HTML.
        {"Tag", QStringLiteral("a  <b>\"x\"</b> &amp;\nb"),
         pre + QStringLiteral("a  &lt;b&gt;&quot;x&quot;&lt;/b&gt; &amp;amp;\nb") + end},
        {"Entität", QStringLiteral("&lt;b&gt;"), pre + QStringLiteral("&amp;lt;b&amp;gt;") + end},
        {"Tag mit langem Lauf", QStringLiteral("<i>") + run,
         preWrap + QStringLiteral("&lt;i&gt;") + run.left(77) + QChar(0x200B) + run.mid(77, 80)
             + QChar(0x200B) + run.mid(157) + end},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(plainToolTip(c.text), c.tip);
    }
}

class PlainTextShown : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pipe.made());
        window.resize(300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override
    {
        QToolTip::hideText();
        EXPECT_FALSE(pipe.opened()) << "a widget read the named pipe as a picture";
    }

    WatchedPipe pipe;
    QWidget window;
};

// Each hostile text as a tool tip Qt really shows: the user reads it as it
// was sent (bounded), the tip fits the screen, no picture is loaded.
TEST_F(PlainTextShown, ToolTipsShowTheTextLiterally)
{
    // Qt looks for HTML in the first line only: a tip whose picture stands
    // in the second is shown as plain text as it is.
    const QString secondLine =
        QStringLiteral("Muster\n<img src=\"") + pipe.path() + QStringLiteral("\">\n<b>fett</b>");
    QList<HostileText> texts = hostileTexts(pipe);
    texts << HostileText{"Bild in der zweiten Zeile", secondLine, secondLine};
    for (const HostileText &hostile : texts) {
        SCOPED_TRACE(hostile.name);
        QToolTip::showText(window.mapToGlobal(QPoint(10, 10)), plainToolTip(hostile.text), &window);
        ASSERT_NE(shownToolTip(), nullptr);
        EXPECT_EQ(shownToolTipText(), cutAt(hostile.seen, kMaxToolTipChars));
        EXPECT_TRUE(shownToolTipFits());
        QToolTip::hideText();
    }
}

TEST_F(PlainTextShown, LabelsShowTheTextLiterallyOnOneLine)
{
    auto *label = new QLabel(&window);
    label->show();
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        setPlainLine(*label, hostile.text);
        QApplication::processEvents();
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->text(), cutAt(hostile.seen, kMaxLineChars));
    }
}

TEST_F(PlainTextShown, MessageBoxesShowTheTextLiterallyAndFitTheScreen)
{
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Meldung"), QString(), QMessageBox::Ok,
                        &window);
        setPlainMessage(box, hostile.text);
        ShownMessage shown;
        answerMessageBox(&shown, QMessageBox::Ok);
        box.exec();
        ASSERT_TRUE(shown.shown);
        EXPECT_EQ(shown.format, Qt::PlainText);
        EXPECT_EQ(shown.text, cutAt(hostile.seen, kMaxMessageChars));
        EXPECT_TRUE(fitsTheScreen(shown)) << shown.size.width() << "x" << shown.size.height();
    }
}

} // namespace
