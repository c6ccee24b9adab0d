#include "designer/generation/uGenHtml.h"

#include "designer/generation/buyer_id_script.h"
#include "designer/generation/field_code.h"

namespace vq {

namespace {
const QString CRLF = QStringLiteral("\r\n");

// Base64 of the ISO-8859-1 bytes ("?" for what that code page lacks).
QString latin1Base64(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(c.unicode() > 0xFF ? '?' : char(c.unicode()));
    return QString::fromLatin1(bytes.toBase64());
}
} // namespace

QString TGenHTML::GenCode()
{
    return FillTemplate(QStringLiteral("template.htm"));
}

QString TGenHTML::GenCaptcha()
{
    return captchaRow(QString(),
                      setting("cboFormMailer") + QStringLiteral("?action=captcha&id=") + strFormID,
                      QStringLiteral("</td>") + CRLF + QStringLiteral("</tr>") + CRLF);
}

QString TGenHTML::FillTemplate(const QString &templateName)
{
    const QString page = TCodeExport::FillTemplate(templateName);
    const bool css = fieldCss();

    QString rows;
    QString checks =
        QStringLiteral("<script type=\"text/javascript\">") + CRLF + QStringLiteral("<!--") + CRLF;
    // The functions of the format checks, only in a page that has one.
    for (const auto &field : m_project.ListField)
        if (formatCheckOf(*field) != FormatCheck::None) {
            checks += buyerIdScriptFunctions();
            break;
        }
    checks += QStringLiteral("function chkFormular()") + CRLF + QStringLiteral("{") + CRLF;
    rows.reserve(qsizetype(m_project.ListField.size()) * 360);
    checks.reserve(qsizetype(m_project.ListField.size()) * 240);
    for (const auto &field : m_project.ListField) {
        rows += vq::GenCode(*field, css) + CRLF;
        if (field->Pflicht)
            checks += GenScript(*field) + CRLF;
        if (const QString format = GenFormatScript(*field); !format.isEmpty())
            checks += format + CRLF;
    }
    checks += QStringLiteral(" return(true); }//--></script>") + CRLF;

    QString orderRows;
    const OrderTableSettings order = orderSettings();
    for (size_t i = 0; i < m_project.ListArtikel.size(); ++i)
        orderRows += generateHTMLField(*m_project.ListArtikel[i], css, int(i), order);

    MarkerSteps steps;
    steps.add(QStringLiteral("<!-- FIELDS -->"), rows);
    steps.add(QStringLiteral("<!-- JSCRIPT -->"), checks);
    steps.add(QStringLiteral("<!-- BESTELLFELDER -->"), orderRows);
    if (flag("chkCaptcha"))
        steps.add(QStringLiteral("<!-- CAPTCHA -->"), GenCaptcha());
    steps.add(QStringLiteral("<!-- FORMMAIL -->"), setting("cboFormMailer"));
    QString errorPages;
    const TErrorPages &pages = m_project.ExtSettings.ErrorPages;
    const std::pair<const char *, const QString *> entries[] = {
        {"settings_error_iplock", &pages.IPErrorPage},
        {"settings_error_fileerror", &pages.FileErrorPage},
        {"settings_error_captcha", &pages.CaptchaErrorPage}};
    for (const auto &[name, address] : entries)
        if (!address->isEmpty())
            errorPages += QStringLiteral("  <input type=\"hidden\" name=\"")
                          + QString::fromLatin1(name) + QStringLiteral("\" value=\"")
                          + latin1Base64(*address) + QStringLiteral("\">") + CRLF;
    steps.add(QStringLiteral("<!-- ERRORPAGES -->"), errorPages);
    return steps.apply(page);
}

} // namespace vq
