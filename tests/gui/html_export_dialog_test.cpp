// The export into an existing page on the real browser engine: the caret is
// found again in the page's own text, the page's scripts never run, the page
// keeps its encoding and every byte outside the blocks, a page without a head
// is refused, and a failed save at closing loses nothing.
#include "designer/generation/page_source.h"
#include "designer/generation/uHtmlExport.h"
#include "designer/ui/uHtmlExportDlg.h"
#include "tests/support/page_blocks.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"
#include "tests/test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::ui;

namespace {

// A generated page in the shape of the page template, its form and script
// holding characters beyond Windows-1252.
QString generatedPage()
{
    return QStringLiteral(
        "<!DOCTYPE html>\r\n<html><head>\r\n<!-- VQFORMCSSBEGIN -->\r\n<style>.vq{}</style>\r\n"
        "<!-- VQFORMCSSEND -->\r\n<!-- VQFORMJSBEGIN -->\r\n<script>var t='Größe ő ✓';</script>"
        "\r\n<!-- VQFORMJSEND -->\r\n</head><body>\r\n<form name=\"VQFORM\">Größe ő ✓</form>\r\n"
        "</body></html>\r\n");
}

// The first text in an element (the view puts a mark before it).
const QString kTextOf =
    QStringLiteral("function textOf(id) { var n = document.getElementById(id).firstChild;"
                   " while (n.nodeType !== 3) n = n.nextSibling; return n; }");

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class HtmlExportDialogTest : public ::testing::Test
{
protected:
    test::ScriptedQuestions questions;
    QTemporaryDir dir;
    int generated = 0;

    std::unique_ptr<TfrmHtmlExport> makeDialog(const QString &projectEncoding)
    {
        TfrmHtmlExport::Hooks hooks;
        hooks.generate = [this]() -> std::optional<QString> {
            ++generated;
            return generatedPage();
        };
        hooks.upload = [](const QString &) {};
        return std::make_unique<TfrmHtmlExport>(questions, std::move(hooks), projectEncoding,
                                                QString());
    }

    static bool waitReady(TfrmHtmlExport &dialog)
    {
        QSignalSpy ready(&dialog, &TfrmHtmlExport::pageReady);
        return ready.wait(15000);
    }

    // Opens the page and waits until it is shown in edit mode.
    static bool open(TfrmHtmlExport &dialog, const QString &path)
    {
        QSignalSpy ready(&dialog, &TfrmHtmlExport::pageReady);
        dialog.openPage(path);
        if (!ready.wait(15000))
            return false;
        for (int i = 0; i < 100; ++i) {
            if (dialog.runScript(QStringLiteral("document.designMode")).toString() == u"on")
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    // Sets the selection by a script that sets up the range r.
    static void select(TfrmHtmlExport &dialog, const QString &rangeScript)
    {
        dialog.runScript(kTextOf + QStringLiteral("var r = document.createRange();") + rangeScript
                         + QStringLiteral("var s = window.getSelection(); s.removeAllRanges();"
                                          "s.addRange(r); true"));
    }

    // The caret after `offset` characters of the first text of element "a".
    static void caretInA(TfrmHtmlExport &dialog, int offset)
    {
        select(dialog,
               QStringLiteral("r.setStart(textOf('a'), %1); r.collapse(true);").arg(offset));
    }

    // A dialog on the page, shown in edit mode with the caret after `offset`
    // characters of element "a"; null when the page did not show.
    std::unique_ptr<TfrmHtmlExport> openWithCaret(const QString &path,
                                                  const QString &projectEncoding, int offset)
    {
        auto dialog = makeDialog(projectEncoding);
        dialog->show();
        if (!open(*dialog, path))
            return nullptr;
        caretInA(*dialog, offset);
        return dialog;
    }

    QString page(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }
};

// Where the user puts the caret (or selects), the form goes, found in the
// page's own text however the browser shows entities, line breaks and tags.
TEST_F(HtmlExportDialogTest, FormGoesWhereTheCaretStands)
{
    const QByteArray head = "<!DOCTYPE html>\r\n<html><HEAD\r\n  lang=\"de\"><title>Shop</title>"
                            "</HEAD>\r\n<body>\r\n";
    const struct
    {
        const char *what;
        QByteArray body;
        const char *select; // script setting the selection
        QByteArray before;  // the page's text right before the form block
        QByteArray after;   // and right after it
    } cases[] = {
        {"after a word", "<p id=\"a\">Vorher</p><p>Nachher</p>",
         "r.setStart(textOf('a'), 6); r.collapse(true);", "<p id=\"a\">Vorher",
         "</p><p>Nachher</p>"},
        {"after entities and a CR LF",
         "<p id=\"a\">Gr&ouml;&szlig;e &amp; &#x2713;\r\nhier steht es</p>",
         "r.setStart(textOf('a'), 14); r.collapse(true);", "&#x2713;\r\nhier", " steht es</p>"},
        {"at the start of an element", "<div>Text <b>fett</b> und <i id=\"a\">kursiv</i></div>",
         "r.setStart(textOf('a'), 0); r.collapse(true);", "und <i id=\"a\">", "kursiv</i></div>"},
        {"a selected word is replaced", "<p id=\"a\">Hier das Formular hin</p>",
         "var t = textOf('a'); r.setStart(t, 5); r.setEnd(t, 17);", "<p id=\"a\">Hier ",
         " hin</p>"},
        {"between two elements", "<h1 id=\"a\">Titel</h1>\r\n<p>Text</p>",
         "r.setStart(document.body, 4); r.collapse(true);", "<h1 id=\"a\">Titel</h1>",
         "\r\n<p>Text</p>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray original = head + c.body + "\r\n</body></html>\r\n";
        const QString path = page(QStringLiteral("seite.html"), original);
        auto dialog = makeDialog(QStringLiteral("utf-8"));
        ASSERT_TRUE(open(*dialog, path));
        select(*dialog, QString::fromLatin1(c.select));
        dialog->addForm();
        ASSERT_TRUE(waitReady(*dialog));
        ASSERT_TRUE(dialog->save());
        const QByteArray saved = bytesOf(path);
        const qsizetype form = saved.indexOf("<!-- VQFORM begin -->");
        ASSERT_GE(form, 0) << saved.toStdString();
        EXPECT_TRUE(saved.left(form).endsWith(c.before)) << saved.toStdString();
        EXPECT_TRUE(saved.mid(saved.indexOf("<!-- VQFORM end -->\r\n") + 21).startsWith(c.after))
            << saved.toStdString();
        EXPECT_TRUE(saved.contains("lang=\"de\">\r\n<!-- VQFORMCSSBEGIN -->"))
            << "the head with attributes gets the style block";
        EXPECT_TRUE(saved.contains("<!-- VQFORMJSBEGIN -->"));
        EXPECT_FALSE(saved.contains("vqpos")) << "the view's marks never reach the page";
        QByteArray expected = original;
        if (std::string_view(c.what) == "a selected word is replaced")
            expected.replace("das Formular", "");
        EXPECT_EQ(test::withoutFormBlocks(saved), expected);
        questions.buttons = {QMessageBox::No};
        dialog->reject();
    }
    EXPECT_TRUE(questions.told.empty()) << questions.told.front().text.toStdString();
}

// The page's own scripts never run in the view, and what is saved is the
// page's text: an element a script adds on loading is never written, and
// saving twice gives the same bytes.
TEST_F(HtmlExportDialogTest, PageScriptsNeitherRunNorReachTheFile)
{
    const QByteArray original =
        "<html><head><script>window.addEventListener('load', function () {"
        "var d = document.createElement('div'); d.id = 'neu'; document.body.appendChild(d);"
        "});</script></head>\n<body onload=\"document.body.appendChild("
        "document.createElement('hr'))\"><p id=\"a\">Shop</p>\n"
        "<script>document.write('<p id=\"geschrieben\">x</p>');</script></body></html>\n";
    const QString path = page(QStringLiteral("skript.html"), original);
    auto dialog = makeDialog(QStringLiteral("utf-8"));
    ASSERT_TRUE(open(*dialog, path));
    QTest::qWait(300);
    EXPECT_EQ(dialog
                  ->runScript(QStringLiteral("document.getElementById('neu') === null && "
                                             "document.getElementById('geschrieben') === null && "
                                             "document.getElementsByTagName('hr').length === 0"))
                  .toBool(),
              true);
    caretInA(*dialog, 4);
    dialog->addForm();
    ASSERT_TRUE(waitReady(*dialog));
    ASSERT_TRUE(dialog->save());
    const QByteArray first = bytesOf(path);
    EXPECT_EQ(test::withoutFormBlocks(first), original);
    QTest::qWait(300);
    ASSERT_TRUE(dialog->save());
    EXPECT_EQ(bytesOf(path), first) << "saved twice, the same bytes";

    // Reopened, refreshed and saved again: still nothing but the blocks.
    auto again = makeDialog(QStringLiteral("utf-8"));
    QSignalSpy ready(again.get(), &TfrmHtmlExport::pageReady);
    again->openPage(path);
    ASSERT_TRUE(ready.wait(15000));
    again->refreshForm();
    ASSERT_TRUE(waitReady(*again));
    ASSERT_TRUE(again->save());
    EXPECT_EQ(bytesOf(path), first);
    questions.buttons = {QMessageBox::No, QMessageBox::No};
    again->reject();
    dialog->reject();
}

// The page is written in its own encoding, whatever the project's; the
// blocks' characters all arrive, every other byte stays.
TEST_F(HtmlExportDialogTest, PageKeepsItsEncoding)
{
    const QByteArray utf8Form = "Gr\xC3\xB6\xC3\x9F"
                                "e \xC5\x91 \xE2\x9C\x93";
    const struct
    {
        const char *what;
        QByteArray page;
        const char *project;
        QByteArray form;
        const char16_t *shown;
    } cases[] = {
        {"UTF-8, windows-1252 project",
         "<html><head><title>\xC5\x91 \xE2\x9C\x93</title></head>\r\n<body><p id=\"a\">"
         "Gr\xC3\xBC\xC3\x9F"
         "e</p></body></html>",
         "windows-1252", utf8Form, u"Grüße"},
        {"UTF-8 with byte-order mark, windows-1252 project",
         "\xEF\xBB\xBF<html><head></head><body><p id=\"a\">Gr\xC3\xBC\xC3\x9F"
         "e</p></body></html>",
         "windows-1252", utf8Form, u"Grüße"},
        {"meta charset, windows-1252 project",
         "<html><head><meta charset=\"utf-8\"></head><body><p id=\"a\">Shop</p></body></html>",
         "windows-1252", utf8Form, u"Shop"},
        {"windows-1252, UTF-8 project",
         "<html><head><meta charset=\"windows-1252\"></head><body><p id=\"a\">Gr\xFC\xDF"
         "e \x80</p></body></html>",
         "utf-8",
         "Gr\xF6\xDF"
         "e &#337; &#10003;",
         u"Grüße €"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = page(QStringLiteral("kodierung.html"), c.page);
        auto dialog = openWithCaret(path, QString::fromLatin1(c.project), 0);
        ASSERT_TRUE(dialog);
        dialog->addForm();
        ASSERT_TRUE(waitReady(*dialog));
        ASSERT_TRUE(dialog->save());
        const QByteArray saved = bytesOf(path);
        EXPECT_TRUE(saved.contains("<form name=\"VQFORM\">" + c.form + "</form>"))
            << saved.toStdString();
        EXPECT_EQ(test::withoutFormBlocks(saved), c.page);
        // The view shows the page's characters as they are.
        EXPECT_TRUE(dialog->runScript(QStringLiteral("document.body.textContent"))
                        .toString()
                        .contains(QString::fromUtf16(c.shown)));
        questions.buttons = {QMessageBox::No};
        dialog->reject();
    }
}

// A page without a head tag is refused with the reason; nothing changes.
TEST_F(HtmlExportDialogTest, PageWithoutHeadIsRefused)
{
    const QByteArray original = "<html><body><p id=\"a\">Shop</p></body></html>\n";
    const QString path = page(QStringLiteral("ohne_kopf.html"), original);
    auto dialog = openWithCaret(path, QStringLiteral("utf-8"), 4);
    ASSERT_TRUE(dialog);
    dialog->addForm();
    ASSERT_EQ(questions.told.size(), 1u);
    EXPECT_EQ(questions.told[0].text, exportRefusal(QString::fromLatin1(original)));
    EXPECT_EQ(generated, 0);
    EXPECT_EQ(dialog->pageText(), QString::fromLatin1(original));
    EXPECT_TRUE(dialog->findChild<QAction *>(QStringLiteral("actAddForm"))->isEnabled());
    ASSERT_TRUE(dialog->save());
    EXPECT_EQ(bytesOf(path), original);
    questions.buttons = {QMessageBox::No};
    dialog->reject();
}

// "Ja" at closing and a save that fails: the message, the dialog stays open
// with the working copy and the form; "Nein" then closes.
TEST_F(HtmlExportDialogTest, FailedSaveAtClosingKeepsTheDialogOpen)
{
    const QByteArray original = "<html><head></head><body><p id=\"a\">Shop</p></body></html>";
    const QString path = page(QStringLiteral("shop.html"), original);
    auto dialog = openWithCaret(path, QStringLiteral("utf-8"), 4);
    ASSERT_TRUE(dialog);
    dialog->addForm();
    ASSERT_TRUE(waitReady(*dialog));
    test::keepScreenshot(dialog.get(), QStringLiteral("html_export"));
    // The page's place is taken by a folder: no file can be written there.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("shop.html")));

    questions.buttons = {QMessageBox::Yes};
    dialog->findChild<QAction *>(QStringLiteral("actExit"))->trigger();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(questions.told.size(), 1u);
    EXPECT_EQ(questions.told[0].text,
              QStringLiteral("Datei konnte nicht gespeichert werden, bitte prüfen Sie auf einen "
                             "evtl. Schreibschutz der Datei."));
    EXPECT_TRUE(QFile::exists(dialog->workingCopy()));
    EXPECT_TRUE(dialog->pageText().contains(u"<!-- VQFORM begin -->"));

    // Once the page can be written, "Ja" saves and closes.
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("shop.html")));
    questions.buttons = {QMessageBox::Yes};
    dialog->findChild<QAction *>(QStringLiteral("actExit"))->trigger();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(QFile::exists(dialog->workingCopy()));
    EXPECT_EQ(test::withoutFormBlocks(bytesOf(path)), original);
}

} // namespace
