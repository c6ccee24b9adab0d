#include "designer/generation/uCodeExport.h"

#include "common/regional_numbers.h"

#include "common/text_file.h"
#include "designer/generation/consumer_pages.h"
#include "designer/generation/field_code.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <chrono>

namespace vq {

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The colour of a colour setting: six hexadecimal digits in upper case; any
// other text passes as it is.
QString colourText(const QString &text)
{
    static const QString hex = QStringLiteral("0123456789abcdefABCDEF");
    if (text.size() != 6)
        return text;
    for (QChar c : text)
        if (!hex.contains(c))
            return text;
    return text.toUpper();
}

// A size setting as a whole number (it comes from a spin box).
QString sizeText(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? QString::number(value) : text;
}

// The lines of a memo joined by CR LF (a final line break makes no extra line).
QString memoLines(const QString &text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (normalised.endsWith(QLatin1Char('\n')))
        normalised.chop(1);
    normalised.replace(QLatin1Char('\n'), CRLF);
    return normalised;
}

} // namespace

FormIdSource clockSeededFormId()
{
    return [] {
        static std::atomic<quint64> runs{0};
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const auto seed = quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())
                          ^ (++runs * 0x9E3779B97F4A7C15ull);
        QRandomGenerator generator(quint32(seed ^ (seed >> 32)));
        return int(generator.bounded(10000000));
    };
}

TCodeExport::TCodeExport(const ProjectDocument &project, const QString &programFolder,
                         FormIdSource idSource)
    : m_project(project)
    , m_programFolder(programFolder)
    , m_idSource(idSource ? std::move(idSource) : clockSeededFormId())
{
}

QString TCodeExport::setting(const char *key) const
{
    return m_project.setting(QString::fromLatin1(key));
}

bool TCodeExport::flag(const char *key) const
{
    return m_project.flag(QString::fromLatin1(key));
}

bool TCodeExport::fieldCss() const
{
    return !flag("cboStandardFeld");
}

QString TCodeExport::captchaRow(const QString &inputGap, const QString &imageSource,
                                const QString &tail) const
{
    const QString crlf = QStringLiteral("\r\n");
    const QString css = fieldCss() ? QStringLiteral(" class=\"field\"") : QString();
    return QStringLiteral("<tr>") + crlf
           + QStringLiteral("  <td class=\"my\" align=\"right\" valign=\"middle\"><p class=\"my\">")
           + setting("edtCaptchaText1") + QStringLiteral("</p></td>") + crlf
           + QStringLiteral("  <td class=\"my\" valign=\"middle\">") + crlf
           + QStringLiteral(
               " <table width=\"100%\"  border=\"0\" cellspacing=\"0\" cellpadding=\"00\">")
           + crlf + QStringLiteral("<tr valign=\"middle\">") + crlf
           + QStringLiteral(" <td width=\"20%\"><input type=\"text\" name=\"captcha_input\" "
                            "size=\"10\" maxlength=\"5\"")
           + inputGap + css + QStringLiteral("></td>") + crlf
           + QStringLiteral(" <td width=\"80%\">&nbsp;<img src=\"") + imageSource
           + QStringLiteral("\" border=\"1\" alt=\"captcha\"></td>") + crlf
           + QStringLiteral("</tr>") + crlf + QStringLiteral("</table>") + crlf + tail;
}

OrderTableSettings TCodeExport::orderSettings() const
{
    return {setting("edtWaehrung"), setting("edtMwstLabel"), m_project.ExtSettings.tax,
            vq::displayLocale()};
}

QString TCodeExport::LoadTemplate(const QString &templateName) const
{
    const QString path = QDir(m_programFolder).filePath(templateName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw GenerationError(QStringLiteral("Datei \"%1\" kann nicht geöffnet werden: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw GenerationError(QStringLiteral("Datei \"%1\" kann nicht gelesen werden: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    // A template saved as UTF-8 (with or without a byte-order mark) is read as
    // UTF-8, any other as Windows-1252. Line by line: CR LF, LF or CR end a
    // line; every line gets CR LF.
    const QString text = fromUtf8OrWindows1252(bytes);
    QString result;
    result.reserve(text.size() + text.size() / 16);
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            result += QStringView(text).mid(start, i - start);
            result += CRLF;
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n) {
        result += QStringView(text).mid(start);
        result += CRLF;
    }
    return result;
}

QString TCodeExport::Scramble(const QString &value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (QChar c : value) {
        const char16_t x = c.unicode() ^ 0x2C;
        bytes.append(x > 0xFF ? '?' : char(x));
    }
    return QString::fromLatin1(bytes.toBase64());
}

QString TCodeExport::GenCSS() const
{
    const QString textColour = colourText(setting("edtTextColor"));
    const QString formFont = setting("cboFontForm");
    const QString formSize = sizeText(setting("edtSizeForm"));
    const QString textFont = QStringLiteral(" { color:#") + textColour
                             + QStringLiteral("; font-family:") + formFont
                             + QStringLiteral("; font-size:") + formSize + QStringLiteral("pt; }");
    QString s = QStringLiteral("<style type=\"text/css\">") + CRLF + QStringLiteral("<!--") + CRLF;
    s += QStringLiteral("body { background-color:#") + colourText(setting("edtHGColor"))
         + QStringLiteral("; ");
    const QString picture = setting("edtBGPicture");
    s += picture.isEmpty()
             ? QStringLiteral(" }")
             : QStringLiteral("background-image:url(") + picture + QStringLiteral("); }");
    s += CRLF;
    s += QStringLiteral("h1 { color:#") + colourText(setting("edtHeaderColor"))
         + QStringLiteral("; font-family:") + setting("cboFontHeader")
         + QStringLiteral("; font-size:") + sizeText(setting("edtSizeHeader"))
         + QStringLiteral("pt; }") + CRLF;
    s += QStringLiteral("p,li") + textFont + CRLF;
    s += QStringLiteral("TH  ") + textFont + CRLF;
    s += QStringLiteral("TD  ") + textFont + CRLF;
    s += QStringLiteral("th.my { background-color:#") + setting("edtTabKopfColor")
         + QStringLiteral("; }") + CRLF;
    s += QStringLiteral("td.my { background-color:#") + colourText(setting("edtTabColor"))
         + QStringLiteral("}") + CRLF;
    if (!flag("cboStandardButton"))
        s += QStringLiteral("input.button {background-color: #") + setting("edtHintergrundButton")
             + QStringLiteral(";border-color: #") + setting("edtFarbeButton")
             + QStringLiteral(";border-style:") + setting("cboRahmenButton")
             + QStringLiteral(";border-width:") + setting("edtStaerkeButton")
             + setting("cboStaerkeRahmen") + QStringLiteral(";}") + CRLF;
    if (!flag("cboStandardFeld"))
        s += QStringLiteral(".field {background-color: #") + setting("edtHGFormField")
             + QStringLiteral(";border-color: #") + setting("edtColorFormField")
             + QStringLiteral(";border-style:") + setting("edtRahmenFormField")
             + QStringLiteral(";border-width:") + setting("edtStaerkeFormField")
             + setting("cboRahmenFormField") + QStringLiteral(";Font-Family:")
             + setting("cboFontFormField") + QStringLiteral(";Font-Size:")
             + setting("edtSizeFormField") + setting("cboSchriftFormEinheit") + QStringLiteral(";}")
             + CRLF;
    s += QStringLiteral("input.preis, input.gesamt_preis { text-align: right; background-color:#")
         + setting("edtTabColor") + QStringLiteral("; color:#") + setting("edtTextColor")
         + QStringLiteral("; border: solid 0px #") + setting("edtTabColor")
         + QStringLiteral("; font-family:") + formFont + QStringLiteral("; font-size:") + formSize
         + QStringLiteral("pt; }") + CRLF;
    s += QStringLiteral("input.gesamt_preis {font-weight: bold; }") + CRLF;
    s += QStringLiteral("-->") + CRLF + QStringLiteral("</style>") + CRLF;
    return s;
}

QString TCodeExport::FillTemplate(const QString &templateName)
{
    const QString page = LoadTemplate(templateName);
    const TArtikelList &articles = m_project.ListArtikel;
    const OrderTableSettings order = orderSettings();
    const bool crypt = flag("cbCryptAddr");
    auto recipient = [&](const char *key) { return crypt ? Scramble(setting(key)) : setting(key); };

    MarkerSteps steps;
    steps.add(QStringLiteral("<!-- CSS -->"), GenCSS());
    QString counters;
    for (const auto &field : m_project.ListField)
        if (field->kind() == FieldKind::Mehrz)
            counters += GenScriptLength(*field);
    steps.add(QStringLiteral("<!-- JSCRIPT2 -->"), counters);
    strFormID = QString::number(m_idSource());
    steps.add(QStringLiteral("<!-- FORMID -->"), strFormID);
    steps.add(QStringLiteral("<!-- SETTINGS -->"),
              Scramble(flag("chkCaptcha") ? QStringLiteral("true") : QStringLiteral("false")));
    steps.add(QStringLiteral("<!-- TAX -->"), Scramble(m_project.ExtSettings.tax));
    steps.add(QStringLiteral("<!-- TITLE -->"), setting("edtTitel"));
    steps.add(QStringLiteral("<!--TARGET-->"), setting("cboTarget"));
    steps.add(QStringLiteral("<!-- DANKE -->"), setting("edtDanke"));
    steps.add(QStringLiteral("<!-- IP -->"),
              m_project.ExtSettings.ip_informationen ? QStringLiteral("-1") : QStringLiteral("0"));
    steps.add(QStringLiteral("<!-- ENCODING -->"), m_project.ExtSettings.encoding);
    steps.add(QStringLiteral("<!-- SUBJECT -->"), setting("edtBetreff"));
    steps.add(QStringLiteral("<!-- ANZAHLLABEL -->"), setting("edtAnzahl"));
    steps.add(QStringLiteral("<!-- BESCHREIBUNG -->"), setting("edtBeschreibung"));
    steps.add(QStringLiteral("<!-- EINZELPREIS -->"), setting("edtEinzelpreis"));
    steps.add(QStringLiteral("<!-- GESAMTPREIS -->"), setting("edtGesamtpreis"));
    steps.add(QStringLiteral("<!-- GESAMT -->"), setting("edtGesamtLabel"));
    steps.add(QStringLiteral("<!-- CRYPTMAIL -->"),
              crypt ? QStringLiteral("1") : QStringLiteral("0"));
    steps.add(QStringLiteral("<!-- ADMIN -->"), recipient("edtEMail"));
    steps.add(QStringLiteral("<!-- ADMIN1 -->"), recipient("edtEMail1"));
    steps.add(QStringLiteral("<!-- ADMIN2 -->"), recipient("edtEMail2"));
    steps.add(QStringLiteral("<!-- RECHTOOL -->"),
              flag("checkboxRechnung") ? QStringLiteral("1") : QStringLiteral("0"));
    steps.add(QStringLiteral("<!-- RECHTOOLMAIL -->"), setting("editMailRechnung"));
    QString mailText = setting("memoMailtext");
    mailText.replace(CRLF, QStringLiteral("#br#"));
    steps.add(QStringLiteral("<!-- EINLEITTEXT -->"), Scramble(mailText));
    steps.add(QStringLiteral("<!-- TYPEMAIL -->"), setting("cboMailFormat"));
    bool hasEmailField = false;
    for (const auto &field : m_project.ListField)
        hasEmailField = hasEmailField || field->Name == u"email";
    if (!hasEmailField)
        steps.add(QStringLiteral("<!-- FIELDEMAIL -->"),
                  QStringLiteral("<input type=\"hidden\" name=\"email\" value=\"")
                      + setting("edtEMail") + QStringLiteral("\">") + CRLF);
    steps.add(QStringLiteral("<!-- RETURNTOSENDER -->"),
              QStringLiteral("<input type=\"hidden\" name=\"ReturnToSender\" value=\"")
                  + (flag("chkAbsender") ? QStringLiteral("-1") : QStringLiteral("0"))
                  + QStringLiteral("\">") + CRLF);
    steps.add(QStringLiteral("<!-- BEITE -->"), setting("edtTabWidth"));
    const QString alignment = setting("cboTabAusrichtung");
    if (alignment == u"zentriert")
        steps.add(QStringLiteral("<!-- AUSRICHTUNG -->"), QStringLiteral("center"));
    else if (alignment == u"rechts")
        steps.add(QStringLiteral("<!-- AUSRICHTUNG -->"), QStringLiteral("right"));
    else if (alignment == u"links")
        steps.add(QStringLiteral("<!-- AUSRICHTUNG -->"), QStringLiteral("left"));
    steps.add(QStringLiteral("<!-- FORMTITLE -->"), setting("edtFormTitel"));
    steps.add(QStringLiteral("<!-- EINLEITUNGTEXT -->"), memoLines(setting("memoEinleitung")));
    steps.add(QStringLiteral("<!-- TEXTENDE -->"), setting("memoTextEnde"));
    const bool vat = orderHasVat(articles);
    if (vat)
        steps.add(QStringLiteral("<!-- INSERTSTEUER -->"), insertSteuerScript(articles, order));
    steps.add(QStringLiteral("<!-- SENDBUTTON -->"), setting("edtSendenButton"));
    steps.add(QStringLiteral("<!-- RESETBUTTON -->"), setting("edtCancelButton"));
    if (flag("chkPrintButton"))
        steps.add(QStringLiteral("<!-- PRINTBUTTON -->"),
                  QStringLiteral("<input type=\"button\" name=\"print\" value=\"")
                      + setting("edtPrint")
                      + QStringLiteral("\" onClick=\"printDocument()\" class=\"button\">") + CRLF);
    steps.add(QStringLiteral("<!-- CLASS -->"),
              flag("cboStandardButton") ? QString() : QStringLiteral("class=\"button\""));
    steps.add(QStringLiteral("<!-- ANZAHL -->"), QString::number(articles.size()));
    steps.add(QStringLiteral("<!-- ARTIKELDATEN -->"), artikelDaten(articles, order));
    QString jsFields;
    QString optionFunctions;
    for (size_t i = 0; i < articles.size(); ++i) {
        jsFields += generateJSField(*articles[i], int(i), order);
        const TOptionList &options = articles[i]->listOptionen;
        for (size_t j = 0; j < options.size(); ++j)
            optionFunctions += generateAdditionalPHPFunctions(*options[j], int(i), int(j));
    }
    steps.add(QStringLiteral("<!-- JSFIELDS -->"), jsFields);
    steps.add(QStringLiteral("<!-- ADDIONALPHP -->"), optionFunctions);
    steps.add(QStringLiteral("<!-- GESAMTKOSTEN -->"), gesamtKostenScript(articles, order));
    steps.add(QStringLiteral("<!-- STEUER -->"), steuerScript(articles, order));
    steps.add(QStringLiteral("<!-- CURRENCY -->"), setting("edtWaehrung"));
    // What consumers are owed beside the totals, and whether the customer
    // gets a confirmation of receipt (the form mailer's setting may forbid it).
    steps.add(QStringLiteral("<!-- PREISHINWEIS -->"), priceInformationHtml(m_project));
    steps.add(QStringLiteral("<!-- BESTAETIGUNG -->"),
              flag("chkBestaetigung") ? QStringLiteral("1") : QStringLiteral("0"));

    return applyVatRow(steps.apply(page), articles, order);
}

} // namespace vq
