// The footer's RTF: what the footer editor writes reads back the same, and RTF
// from other programs, damaged RTF and plain text keep their text.
#include "invoice/report/rtf_text.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace vq::invoice {
// Readable failures.
void PrintTo(const RtfText &text, std::ostream *os)
{
    for (const RtfParagraph &p : text.paragraphs) {
        *os << "\n[" << int(p.alignment) << "]";
        for (const RtfRun &r : p.runs)
            *os << " {" << r.text.toStdString() << "|b" << r.bold << "i" << r.italic << "u"
                << r.underline << "|" << r.font.toStdString() << "|" << r.sizePt << "|"
                << r.color.name().toStdString() << (r.color.isValid() ? "" : "(none)") << "}";
    }
}
} // namespace vq::invoice

namespace {

RtfRun run(const QString &text, bool bold = false, bool italic = false, bool underline = false,
           const QString &font = QString(), double size = 0, QColor color = QColor())
{
    RtfRun r;
    r.text = text;
    r.bold = bold;
    r.italic = italic;
    r.underline = underline;
    r.font = font;
    r.sizePt = size;
    r.color = color;
    return r;
}

RtfParagraph paragraph(QList<RtfRun> runs, RtfAlignment alignment = RtfAlignment::Left)
{
    RtfParagraph p;
    p.runs = std::move(runs);
    p.alignment = alignment;
    return p;
}

const RtfRun *findRun(const RtfText &text, const QString &piece)
{
    for (const RtfParagraph &p : text.paragraphs)
        for (const RtfRun &r : p.runs)
            if (r.text.contains(piece))
                return &r;
    return nullptr;
}

} // namespace

TEST(RtfText, WhatTheEditorWritesReadsBackTheSame)
{
    const QList<RtfText> cases = {
        RtfText{},
        RtfText{{paragraph({run(QStringLiteral("Musterladen GmbH"), true)}, RtfAlignment::Center)}},
        RtfText{{paragraph({run(QStringLiteral("Bank: "), false, true),
                            run(QStringLiteral("IBAN DE12 3456"), true)},
                           RtfAlignment::Right),
                 paragraph({}),
                 paragraph({run(QStringLiteral("Blocksatz"), false, false, true,
                                QStringLiteral("DejaVu Serif"), 11.5, QColor(200, 10, 20))},
                           RtfAlignment::Justify)}},
        // Characters RTF must escape, Windows-1252 and beyond, tab and line break.
        RtfText{{paragraph({run(QStringLiteral("a\\b {c} ÄÖÜß € „x“ – ő 中文 😀\tEnde")
                                + QChar(QChar::LineSeparator) + QStringLiteral("zweite Zeile"))})}},
        // A font name with characters that would break the font table.
        RtfText{{paragraph(
            {run(QStringLiteral("x"), false, false, false, QStringLiteral("Odd Font"), 9)})}},
    };
    for (const RtfText &original : cases) {
        const QString rtf = writeRtf(original);
        SCOPED_TRACE(rtf.toStdString());
        for (const QChar c : rtf)
            ASSERT_LT(c.unicode(), 128) << "RTF is written in 7 bits";
        EXPECT_EQ(readRtf(rtf), original);

        QTextDocument document;
        fillTextDocument(original, &document);
        EXPECT_EQ(fromTextDocument(document), original);
    }
}

TEST(RtfText, ForeignDamagedAndPlainInputKeepsItsText)
{
    struct Case
    {
        const char *name;
        const char *rtf;
        const char *plain;
    };
    const Case cases[] = {
        {"WordPad",
         R"({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1031{\fonttbl{\f0\fnil\fcharset0 Calibri;}}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\sa200\sl276\slmult1\qc\b\f0\fs22\lang7 Gesch\'e4ftsf\'fchrer\b0  Max\par
\pard\sa200\sl276\slmult1 Bank\par
}
)",
         "Geschäftsführer Max\nBank"},
        {"LibreOffice with style sheet, info and unicode",
         R"({\rtf1\ansi\deff3\adeflang1025{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f3\fswiss\fprq2\fcharset0 Liberation Sans{\*\falt Arial};}}{\colortbl;\red0\green0\blue0;\red255\green0\blue0;}{\stylesheet{\s0\snext0 Standard;}}{\info{\creatim\yr2024}{\title Fu\'df}}{\*\generator LibreOffice}\pard\plain \s0\ql{\cf2\f3\fs20 Steuer\u8209\'2dNr.\~123}\par}
)",
         "Steuer‑Nr.\u00a0123"},
        {"Word field and bookmark",
         R"({\rtf1\ansi{\field{\*\fldinst HYPERLINK "https://x.example"}{\fldrslt www.example.de}}{\*\bkmkstart a}{\*\bkmkend a} Ende\par})",
         "www.example.de Ende"},
        {"unicode with two fallback characters",
         R"({\rtf1\uc2 \u8364\'80\'80 Euro\uc1\u-10179?\u-8704?\par})", "€ Euro😀"},
        {"Cyrillic code page", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2\par})",
         "Привет"},
        {"font character set",
         R"({\rtf1\ansi{\fonttbl{\f1\fcharset238 Arial CE;}}\f1 \'b9\'e6\par})", "ąć"},
        {"truncated in the middle", R"({\rtf1\ansi{\b Fett und {\i kursiv)", "Fett und kursiv"},
        {"too many closing braces", R"({\rtf1 Eins}} Zwei}\par})", "Eins Zwei"},
        {"broken escapes", R"({\rtf1 A\'zzB\'4 C\u D\par})", "AzzB4 CD"},
        {"huge numbers", R"({\rtf1\fs999999999999999\f-99999999999 Text\cf77777\par})", "Text"},
        {"plain text", "Zeile 1\r\nZeile <2> & {3}\n", "Zeile 1\nZeile <2> & {3}"},
        {"empty", "", ""},
        {"just the header", "{\\rtf1", ""},
        {"binary picture data with braces",
         "{\\rtf1 Vor{\\*\\shppict{\\pict\\bin6 }{}}\\}}} nach\\par}", "Vor nach"},
        {"control characters", "{\\rtf1 a\x01\x02 b\\par}", "a b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RtfText text = readRtf(QString::fromUtf8(c.rtf));
        EXPECT_EQ(text.plainText(), QString::fromUtf8(c.plain));
    }

    const RtfText wordPad = readRtf(QString::fromUtf8(cases[0].rtf));
    ASSERT_EQ(wordPad.paragraphs.size(), 2);
    EXPECT_EQ(wordPad.paragraphs[0].alignment, RtfAlignment::Center);
    EXPECT_EQ(wordPad.paragraphs[1].alignment, RtfAlignment::Left);
    const RtfRun *bold = findRun(wordPad, QStringLiteral("Geschäftsführer"));
    ASSERT_TRUE(bold);
    EXPECT_TRUE(bold->bold);
    EXPECT_EQ(bold->font, QStringLiteral("Calibri"));
    EXPECT_EQ(bold->sizePt, 11);
    EXPECT_FALSE(findRun(wordPad, QStringLiteral("Max"))->bold);

    const RtfText office = readRtf(QString::fromUtf8(cases[1].rtf));
    const RtfRun *red = findRun(office, QStringLiteral("Steuer"));
    ASSERT_TRUE(red);
    EXPECT_EQ(red->color, QColor(255, 0, 0));
    EXPECT_EQ(red->font, QStringLiteral("Liberation Sans"));
}

TEST(RtfText, PicturesPastedIntoTheEditorAreLeftOut)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("Logo "));
    QImage logo(8, 8, QImage::Format_RGB32);
    logo.fill(Qt::red);
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo")), logo);
    cursor.insertImage(QStringLiteral("logo"));
    cursor.insertText(QStringLiteral(" Ende"));
    cursor.insertBlock();
    cursor.insertImage(QStringLiteral("logo"));
    const RtfText text = fromTextDocument(document);
    EXPECT_EQ(text.plainText(), QStringLiteral("Logo  Ende\n"));
    EXPECT_FALSE(writeRtf(text).contains(QStringLiteral("65532")));
}

TEST(RtfText, DeepNestingAndLongInputDoNotExhaustAnything)
{
    const QString deep = QStringLiteral("{\\rtf1 ") + QString(100000, u'{') + QStringLiteral("tief")
                         + QString(100000, u'}') + QStringLiteral("\\par}");
    EXPECT_EQ(readRtf(deep).plainText(), QStringLiteral("tief"));

    QString toggles = QStringLiteral("{\\rtf1 ");
    for (int i = 0; i < 20000; ++i)
        toggles += (i % 2) ? QStringLiteral("\\b0 x") : QStringLiteral("\\b y");
    toggles += u'}';
    EXPECT_EQ(readRtf(toggles).plainText().size(), 20000);
}

TEST(RtfText, HtmlOfTheFooterEscapesTextAndShowsFormats)
{
    RtfText text{
        {paragraph({run(QStringLiteral("<b>&\"Fuß\""), true), run(QStringLiteral("normal"))},
                   RtfAlignment::Center),
         paragraph(
             {run(QStringLiteral("rechts"), false, true, true, QStringLiteral("x'; color:red"), 8)},
             RtfAlignment::Right)}};
    const QString html = rtfToHtml(text);
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;b&gt;&amp;&quot;Fuß&quot;")))
        << html.toStdString();
    EXPECT_FALSE(html.contains(QStringLiteral("<b>")));
    EXPECT_TRUE(html.contains(QStringLiteral("align=\"center\"")));
    EXPECT_TRUE(html.contains(QStringLiteral("align=\"right\"")));
    EXPECT_TRUE(html.contains(QStringLiteral("font-weight:bold")));
    EXPECT_FALSE(html.contains(QStringLiteral("x';"))) << "a font name cannot end the style";

    // What Qt makes of it: the text as typed, bold where it was bold.
    QTextDocument document;
    document.setHtml(html);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("<b>&\"Fuß\"normal\nrechts"));
    EXPECT_EQ(document.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(document.begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);
}
