// The HTML snippet editor on a real browser document in edit mode: its
// formatting actions change the body's HTML, and every close asks whether
// the input is taken over.
#include "designer/ui/uHtmlEdit.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"

#include <QAction>
#include <QTest>

using namespace vq::ui;
using vq::test::child;
using vq::test::whenModal;

namespace {

class HtmlEditorTest : public ::testing::Test
{
protected:
    HtmlEditorTest() { prompts.unscriptedYes = true; }

    vq::test::ScriptedQuestions prompts;

    static void selectAll(TfrmHtmlEdit &editor)
    {
        editor.runScript(QStringLiteral(
            "document.body.focus();document.execCommand('selectAll',false,null);true;"));
    }
};

TEST_F(HtmlEditorTest, SourceGoesInAndComesBackAsTheBodysHtml)
{
    TfrmHtmlEdit editor(prompts);
    const struct
    {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("<p>Hallo <b>Welt</b></p>"), QStringLiteral("<p>Hallo <b>Welt</b></p>")},
        {QString(), QString()},
        // Not well-formed: the browser's normalised form comes back.
        {QStringLiteral("<b>fett<p>x"), QStringLiteral("<b>fett<p>x</p></b>")},
        // A head and body of its own: only the body's content.
        {QStringLiteral("<html><head><title>t</title></head><body>Inhalt</body></html>"),
         QStringLiteral("Inhalt")},
        // Quotes, backslashes and line separators cannot break out of the script string.
        {QStringLiteral("\"');document.body.innerHTML='x';//\\ \u2028 ä€"),
         QStringLiteral("\"');document.body.innerHTML='x';//\\ \u2028 ä€")},
        // Scripts of a snippet do not run in the editor.
        {QStringLiteral("<p id=\"a\">roh</p><script>document.getElementById('a').textContent="
                        "'gelaufen'</script>"),
         QStringLiteral("<p id=\"a\">roh</p><script>document.getElementById('a').textContent="
                        "'gelaufen'</script>")},
    };
    for (const auto &c : cases) {
        editor.SetSource(c.in);
        EXPECT_EQ(editor.GetSource(), c.out) << c.in.toStdString();
    }
    const QString large = QStringLiteral("<p>%1</p>").arg(QString(3'000'000, QLatin1Char('x')));
    editor.SetSource(large);
    EXPECT_EQ(editor.GetSource(), large) << "a text above the 2 MB limit of data addresses";
}

TEST_F(HtmlEditorTest, EveryFormattingActionChangesTheBodysHtml)
{
    TfrmHtmlEdit editor(prompts);
    editor.show();
    prompts.colour = QColor(0x12, 0xAB, 0xEF);
    prompts.text = QStringLiteral("https://example.org/info");
    const struct
    {
        const char *action;
        const char *caption;
        const char *before; // an action run first, or nullptr
        const char *expected;
    } cases[] = {
        {"actBold", "Fett", nullptr, "<b>Text</b>"},
        {"actItalic", "Kursiv", nullptr, "<i>Text</i>"},
        {"actUnderline", "Unterstrichen", nullptr, "<u>Text</u>"},
        {"actCenter", "Zentriert", nullptr, "text-align: center"},
        {"actRight", "Rechtsbündig", nullptr, "text-align: right"},
        {"actLeft", "Linksbündig", "actRight", "text-align: left"},
        {"actBullet", "Aufzählung", nullptr, "<ul><li>Text"},
        {"actNumbering", "Nummerierung", nullptr, "<ol><li>Text"},
        {"actHyperlink", "Hyperlink einfügen", nullptr,
         "<a href=\"https://example.org/info\">Text</a>"},
        {"actFontUp", "Schrift größer", nullptr, "<font size=\"4\">Text</font>"},
        {"actFontMin", "Schrift kleiner", nullptr, "<font size=\"2\">Text</font>"},
        {"actFontUp", "Schrift größer", "actFontUp", "<font size=\"5\">Text</font>"},
        {"actFontColor", "Schriftfarbe", nullptr, "<font color=\"#12abef\">Text</font>"},
    };
    for (const auto &c : cases) {
        editor.SetSource(QStringLiteral("<p>Text</p>"));
        auto *action = child<QAction>(editor, c.action);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(c.caption));
        if (c.before) {
            selectAll(editor);
            child<QAction>(editor, c.before)->trigger();
        }
        selectAll(editor);
        action->trigger();
        const QString html = editor.GetSource();
        EXPECT_TRUE(html.contains(QString::fromUtf8(c.expected)))
            << c.action << ": " << html.toStdString();
    }
}

TEST_F(HtmlEditorTest, CancelledColourAndAddressChangeNothing)
{
    TfrmHtmlEdit editor(prompts);
    editor.show();
    for (const char *name : {"actFontColor", "actHyperlink"}) {
        editor.SetSource(QStringLiteral("<p>Text</p>"));
        selectAll(editor);
        child<QAction>(editor, name)->trigger();
        EXPECT_EQ(editor.GetSource(), QStringLiteral("<p>Text</p>")) << name;
    }
}

TEST_F(HtmlEditorTest, CutCopyAndPasteGoThroughTheClipboard)
{
    TfrmHtmlEdit editor(prompts);
    editor.show();
    const struct
    {
        const char *action;
        const char *caption;
    } captions[] = {{"actCut", "Ausschneiden"}, {"actCopy", "Kopieren"}, {"actPaste", "Einfügen"}};
    for (const auto &c : captions)
        EXPECT_EQ(child<QAction>(editor, c.action)->text(), QString::fromUtf8(c.caption));
    editor.SetSource(QStringLiteral("<p>Text</p>"));
    selectAll(editor);
    child<QAction>(editor, "actCut")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!editor.GetSource().contains(QStringLiteral("Text")), 5000);
    editor.SetSource(QStringLiteral("<p>Text</p>"));
    selectAll(editor);
    child<QAction>(editor, "actCopy")->trigger();
    editor.runScript(QStringLiteral("var r=document.createRange();r.selectNodeContents(document."
                                    "body.firstChild);r.collapse(false);var s=getSelection();s."
                                    "removeAllRanges();s.addRange(r);true;"));
    child<QAction>(editor, "actPaste")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(editor.GetSource().count(QStringLiteral("Text")) == 2, 5000);
}

TEST_F(HtmlEditorTest, NewEmptiesTheDocumentOnlyAfterYes)
{
    TfrmHtmlEdit editor(prompts);
    editor.show();
    editor.SetSource(QStringLiteral("<p>Text</p>"));
    prompts.answers = {false, true};
    child<QAction>(editor, "actNew")->trigger();
    EXPECT_EQ(editor.GetSource(), QStringLiteral("<p>Text</p>"));
    child<QAction>(editor, "actNew")->trigger();
    EXPECT_EQ(editor.GetSource(), QString());
    EXPECT_EQ(prompts.asked,
              QStringList(2, QStringLiteral("Wollen Sie die bestehende Eingabe löschen?")));
    EXPECT_EQ(editor.runScript(QStringLiteral("document.designMode;")).toString(),
              QStringLiteral("on"))
        << "still in edit mode after Neu";
}

// Every way of closing asks; "Nein" leaves the caller's text as it was.
TEST_F(HtmlEditorTest, ClosingAsksWhetherTheInputIsTakenOver)
{
    const struct
    {
        const char *how;
        bool answer;
        bool changed;
    } cases[] = {{"Beenden", false, false},
                 {"Beenden", true, true},
                 {"Escape", true, true},
                 {"close box", false, false}};
    for (const auto &c : cases) {
        prompts.asked.clear();
        prompts.answers = {c.answer};
        QString text = QStringLiteral("<p>Text</p>");
        const QString how = QString::fromLatin1(c.how);
        whenModal([&](QDialog &dialog) {
            auto &editor = static_cast<TfrmHtmlEdit &>(dialog);
            EXPECT_EQ(editor.runScript(QStringLiteral("document.designMode;")).toString(),
                      QStringLiteral("on"));
            selectAll(editor);
            child<QAction>(editor, "actBold")->trigger();
            if (how == QLatin1String("Beenden"))
                child<QAction>(editor, "actExit")->trigger();
            else if (how == QLatin1String("Escape"))
                editor.reject();
            else
                editor.close();
        });
        const bool accepted = editHtmlSnippet(nullptr, prompts, text);
        EXPECT_EQ(prompts.asked, QStringList{QStringLiteral("Soll die Eingabe übernommen werden?")})
            << c.how;
        EXPECT_EQ(accepted, c.changed) << c.how;
        EXPECT_EQ(text,
                  c.changed ? QStringLiteral("<p><b>Text</b></p>") : QStringLiteral("<p>Text</p>"))
            << c.how;
    }
}

} // namespace
