#include "designer/generation/uHtmlExport.h"

#include "designer/generation/page_source.h"

namespace vq {

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString marker(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// The text from begin through end, or empty.
QString section(const QString &page, const QString &begin, const QString &end)
{
    const qsizetype from = page.indexOf(begin);
    if (from < 0)
        return {};
    const qsizetype to = page.indexOf(end, from + begin.size());
    if (to < 0)
        return {};
    return page.mid(from, to + end.size() - from);
}

// Cuts the block from its begin marker through its end marker when both are
// there, together with the line break the insertion put before it, so that a
// refresh or a remove followed by an insert gives the page it had before.
// Returns the position where the block stood, or -1.
qsizetype cutBlock(QString &page, const QString &begin, const QString &end, bool lineBreakBefore,
                   bool lineBreakAfter)
{
    qsizetype from = page.indexOf(begin, 0, Qt::CaseInsensitive);
    if (from < 0)
        return -1;
    const qsizetype endAt = page.indexOf(end, from + begin.size(), Qt::CaseInsensitive);
    if (endAt < 0)
        return -1;
    qsizetype to = endAt + end.size();
    if (lineBreakBefore && from >= 2 && QStringView(page).mid(from - 2, 2) == CRLF)
        from -= 2;
    if (lineBreakAfter && QStringView(page).mid(to, 2) == CRLF)
        to += 2;
    page.remove(from, to - from);
    return from;
}

void insertCss(QString &page, const QString &css)
{
    if (css.isEmpty())
        return;
    const qsizetype at = headContentStart(page);
    if (at >= 0)
        page.insert(at, CRLF + css);
}

void insertScript(QString &page, const QString &script)
{
    if (script.isEmpty())
        return;
    const QString cssEnd = marker(kCssEnd);
    const qsizetype at = page.indexOf(cssEnd, 0, Qt::CaseInsensitive);
    if (at >= 0)
        page.insert(at + cssEnd.size(), CRLF + script);
}

} // namespace

QString cssBlock(const QString &generatedPage)
{
    return section(generatedPage, marker(kCssBegin), marker(kCssEnd));
}

QString scriptBlock(const QString &generatedPage)
{
    return section(generatedPage, marker(kScriptBegin), marker(kScriptEnd));
}

QString formBlock(const QString &generatedPage)
{
    const QString form = section(generatedPage, QStringLiteral("<form"), QStringLiteral("</form>"));
    if (form.isEmpty())
        return {};
    return marker(kFormBegin) + CRLF + form + marker(kFormEnd) + CRLF;
}

QString exportRefusal(const QString &pageText)
{
    if (headContentStart(pageText) >= 0)
        return {};
    return QStringLiteral(
        "Die Seite hat keinen Kopfbereich (kein <head>-Tag). Stil und Skripte des Formulars "
        "gehören dorthin, ohne sie funktioniert das Formular nicht. Die Seite bleibt "
        "unverändert; ergänzen Sie nach dem <html>-Tag einen Kopfbereich <head></head>.");
}

bool hasFormBlock(const QString &pageText)
{
    return pageText.contains(marker(kFormBegin), Qt::CaseInsensitive);
}

bool hasInsertionMark(const QString &pageText)
{
    return pageText.contains(marker(kInsertionMark), Qt::CaseInsensitive);
}

QString insertBlocks(const QString &pageText, const QString &generatedPage)
{
    QString page = pageText;
    page.replace(marker(kInsertionMark), formBlock(generatedPage), Qt::CaseInsensitive);
    insertCss(page, cssBlock(generatedPage));
    insertScript(page, scriptBlock(generatedPage));
    return page;
}

QString refreshBlocks(const QString &pageText, const QString &generatedPage)
{
    QString page = pageText;
    cutBlock(page, marker(kCssBegin), marker(kCssEnd), true, false);
    insertCss(page, cssBlock(generatedPage));
    cutBlock(page, marker(kScriptBegin), marker(kScriptEnd), true, false);
    insertScript(page, scriptBlock(generatedPage));
    const qsizetype at = cutBlock(page, marker(kFormBegin), marker(kFormEnd), false, true);
    if (at >= 0)
        page.insert(at, formBlock(generatedPage));
    return page;
}

QString removeBlocks(const QString &pageText)
{
    QString page = pageText;
    cutBlock(page, marker(kCssBegin), marker(kCssEnd), true, false);
    cutBlock(page, marker(kScriptBegin), marker(kScriptEnd), true, false);
    cutBlock(page, marker(kFormBegin), marker(kFormEnd), false, true);
    return page;
}

} // namespace vq
