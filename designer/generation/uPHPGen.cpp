#include "designer/generation/uPHPGen.h"

#include "designer/generation/field_code.h"
#include "designer/generation/order/literal_escape.h"

namespace vq {

namespace {
const QString CRLF = QStringLiteral("\r\n");
}

QString TGenPHP::GenCode()
{
    return FillTemplate(QStringLiteral("template_php.htm"));
}

QString TGenPHP::GenCaptcha()
{
    return captchaRow(
        QStringLiteral(" "),
        QStringLiteral("<?php print $_SERVER[\"PHP_SELF\"];?>?action=captcha&PHPSESSID=<?php echo "
                       "session_id();?>"),
        QStringLiteral("<?php echo $errCaptcha;?>") + CRLF + QStringLiteral("</td>") + CRLF);
}

QString TGenPHP::GenCaptchaCheck() const
{
    return QStringLiteral("if ($_POST[\"captcha_input\"] != $_SESSION[\"captcha\"])") + CRLF
           + QStringLiteral("\t{") + CRLF
           + QStringLiteral("\t\t$errCaptcha = \"<span style=\\\"color:#")
           + escapePhpString(setting("edtErrorColor"))
           + QStringLiteral(";\\\">Fehler, bitte übertragen Sie die Zahl aus dem Bild!</span>\";")
           + CRLF + QStringLiteral("\t\t$bFormOK = false;") + CRLF + QStringLiteral("\t}") + CRLF;
}

QString TGenPHP::FillTemplate(const QString &templateName)
{
    const QString page = TCodeExport::FillTemplate(templateName);
    const bool css = fieldCss();
    const QString colour = setting("edtErrorColor");

    QString rows, vars, errors, checks;
    const qsizetype fieldCount = qsizetype(m_project.ListField.size());
    rows.reserve(fieldCount * 400);
    vars.reserve(fieldCount * 160);
    checks.reserve(fieldCount * 240);
    for (const auto &field : m_project.ListField) {
        rows += GenCodePHP(*field, css) + CRLF;
        vars += GenFormVarPHP(*field) + CRLF;
        errors += GenErrorVarPHP(*field, css) + CRLF;
        if (field->Pflicht)
            checks += GenFormCheckPHP(*field, colour) + CRLF;
        if (const QString format = GenFormatCheckPHP(*field, colour); !format.isEmpty())
            checks += format + CRLF;
    }
    errors += QStringLiteral("$errCaptcha = \"\";") + CRLF;

    QString orderRows, optionVars;
    const OrderTableSettings order = orderSettings();
    for (size_t i = 0; i < m_project.ListArtikel.size(); ++i) {
        const TArtikelField &artikel = *m_project.ListArtikel[i];
        orderRows += generatePHPField(artikel, css, int(i), order);
        for (size_t j = 0; j < artikel.listOptionen.size(); ++j)
            optionVars += generatePHPVar(*artikel.listOptionen[j], int(i), int(j));
    }

    MarkerSteps steps;
    steps.add(QStringLiteral("<!-- FIELDS -->"), rows);
    steps.add(QStringLiteral("<!-- FORMVAR -->"), vars);
    steps.add(QStringLiteral("<!-- ERRORVAR -->"), errors);
    steps.add(QStringLiteral("<!-- FORMCHECK -->"), checks);
    steps.add(QStringLiteral("<!-- OPTIONVAR -->"), optionVars);
    steps.add(QStringLiteral("<!-- BESTELLFELDER -->"), orderRows);
    if (flag("chkCaptcha")) {
        steps.add(QStringLiteral("<!-- CAPTCHA -->"), GenCaptcha());
        steps.add(QStringLiteral("<!-- CAPTCHACHECK -->"), GenCaptchaCheck());
    } else {
        steps.add(QStringLiteral("<!-- CAPTCHACHECK -->"), QString());
    }
    steps.add(QStringLiteral("<!-- FORMMAIL -->"),
              QStringLiteral("<?php print $_SERVER[\"PHP_SELF\"]?>?action=send&PHPSESSID=<?php "
                             "echo session_id();?>"));
    steps.add(QStringLiteral("<!-- BESTAETIGUNGBETREFF -->"), setting("edtBestaetigungBetreff"));
    steps.add(QStringLiteral("<!-- BESTAETIGUNGTEXT -->"), setting("memoBestaetigungText"));
    steps.add(QStringLiteral("<!-- BESTAETIGUNGANHAENGE -->"), setting("edtBestaetigungAnhaenge"));
    return steps.apply(page);
}

} // namespace vq
