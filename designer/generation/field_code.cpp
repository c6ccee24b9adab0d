#include "designer/generation/field_code.h"

#include "common/choice_list.h"
#include "designer/generation/buyer_id_script.h"
#include "designer/generation/order/literal_escape.h"

namespace vq {

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString kClassField = QStringLiteral(" class=\"field\"");
const QString kClearOnFocus = QStringLiteral(" onfocus=\"this.value = '';\"");

QString frameStart(const TFormField &field)
{
    return QStringLiteral("<tr><td align=\"right\"  valign=\"top\" class=\"my\" nowrap>")
           + field.Beschriftung + QStringLiteral("</td>") + CRLF
           + QStringLiteral("<td class=\"my\">") + CRLF;
}

QString zwRow(const TFormField &field)
{
    return QStringLiteral("<tr>") + CRLF
           + QStringLiteral("<td colspan=\"2\" align=\"left\" height=\"40px\" valign=\"bottom\">")
           + field.Beschriftung + QStringLiteral("</td>") + CRLF + QStringLiteral("</tr>") + CRLF;
}

QString message(const TFormField &field, const QString &defaultMessage)
{
    return field.Meldung.isEmpty() ? defaultMessage : field.Meldung;
}

QString enterValueMessage(const TFormField &field)
{
    return message(field, QStringLiteral("Bitte geben Sie einen Wert in das Feld ")
                              + field.Beschriftung + QStringLiteral(" ein!"));
}

QString activateMessage(const TFormField &field)
{
    return message(field, QStringLiteral("Bitte aktivieren Sie das Feld ") + field.Beschriftung
                              + QStringLiteral("!"));
}

// "<br><?php echo $err<Name>;?>" for a field with a check.
QString errLine(const TFormField &field)
{
    return fieldHasCheck(field)
               ? QStringLiteral("<br><?php echo $err") + field.Name + QStringLiteral(";?>")
               : QString();
}

// Single-line and password inputs; value is the HTML value text.
QString textInput(const QString &type, const QString &name, const QString &value,
                  const QString &size, const QString &maxLength, bool css, bool clearOnFocus)
{
    QString s = QStringLiteral("<input type=\"") + type + QStringLiteral("\" name=\"") + name
                + QStringLiteral("\" value=\"") + value + QStringLiteral("\" size=\"") + size
                + QStringLiteral("\" maxlength=\"") + maxLength + QStringLiteral("\"");
    if (css)
        s += kClassField;
    if (clearOnFocus)
        s += kClearOnFocus;
    return s;
}

QString textareaStart(const TMehrzField &f, bool css)
{
    QString s = QStringLiteral("<textarea name=\"") + f.Name + QStringLiteral("\" cols=\"")
                + f.Breite + QStringLiteral("\" rows=\"") + f.Hoehe + QStringLiteral("\"");
    if (css)
        s += kClassField;
    if (f.VorgabeLoeschen)
        s += kClearOnFocus;
    if (!f.maxLaenge.isEmpty())
        s += QStringLiteral(" onkeyup=\"javascript:zaehle_") + f.Name + QStringLiteral("()\" ");
    return s;
}

QString counterInput(const TMehrzField &f, bool css)
{
    if (!f.zeichenAnzeige)
        return {};
    QString s = QStringLiteral("<br><input name=\"anzeige_") + f.Name
                + QStringLiteral("\" type=\"text\" size=\"8\" readonly value=\"") + f.maxLaenge
                + QStringLiteral("\"");
    if (css)
        s += kClassField;
    return s + QStringLiteral("> ") + f.zeichenAnzeigeText;
}

QString css(bool on)
{
    return on ? kClassField : QString();
}

// The "<span style=...>" assignment of an error message inside a PHP literal.
QString errAssign(const QString &name, const QString &colour, const QString &text)
{
    return QStringLiteral("$err") + name + QStringLiteral(" = \"<span style=\\\"color:#")
           + escapePhpString(colour) + QStringLiteral(";\\\">") + escapePhpString(text)
           + QStringLiteral("</span>\";");
}

QString postValue(const QString &name)
{
    return QStringLiteral("$_POST[\"") + escapePhpString(name) + QStringLiteral("\"]");
}

QString jsFieldCheckTail(const TFormField &field)
{
    return QStringLiteral("alert(\"") + escapeJsString(enterValueMessage(field))
           + QStringLiteral("\");") + CRLF + QStringLiteral("document.VQFORM.") + field.Name
           + QStringLiteral(".focus();") + CRLF + QStringLiteral("return false;") + CRLF
           + QStringLiteral("}") + CRLF;
}

QString jsEmptyCondition(const QString &name)
{
    return QStringLiteral("if(document.VQFORM.") + name + QStringLiteral(".value == \"\")  {");
}

// The check-kind line shared by the four "enter a value" lines of the PHP checks.
QString phpEnterValueBody(const TFormField &field, const QString &colour)
{
    return QStringLiteral("{") + CRLF + QStringLiteral("  ")
           + errAssign(field.Name, colour, enterValueMessage(field)) + CRLF
           + QStringLiteral("\t$bFormOK = false;") + CRLF + QStringLiteral("}") + CRLF + CRLF;
}

} // namespace

FormatCheck formatCheckOf(const TFormField &field)
{
    return field.kind() == FieldKind::Einz ? static_cast<const TEinzField &>(field).formatCheck
                                           : FormatCheck::None;
}

bool fieldHasCheck(const TFormField &field)
{
    return field.Pflicht || formatCheckOf(field) != FormatCheck::None;
}

// ---- HTML page

QString GenCode(const TFormField &field, bool bCSS)
{
    switch (field.kind()) {
    case FieldKind::Einz: {
        const auto &f = static_cast<const TEinzField &>(field);
        return frameStart(f)
               + textInput(QStringLiteral("text"), f.Name, f.Vorgabewert, f.Groesse, f.maxLaenge,
                           bCSS, f.VorgabeLoeschen)
               + QStringLiteral("> ") + f.BeschriftungNach + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Pass: {
        const auto &f = static_cast<const TPassField &>(field);
        return frameStart(f)
               + textInput(QStringLiteral("password"), f.Name, f.Vorgabewert, f.Groesse,
                           f.maxLaenge, bCSS, f.VorgabeLoeschen)
               + QStringLiteral("> ") + f.BeschriftungNach + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Mehrz: {
        const auto &f = static_cast<const TMehrzField &>(field);
        return frameStart(f) + textareaStart(f, bCSS) + QStringLiteral(">") + f.Vorgabewert
               + QStringLiteral("</textarea> ") + f.BeschriftungNach + counterInput(f, bCSS)
               + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::DropDown: {
        const auto &f = static_cast<const TDropDownField &>(field);
        QString s = frameStart(f) + QStringLiteral("<select name=\"") + f.Name
                    + QStringLiteral("\" size=\"") + f.Groesse + QStringLiteral("\"") + css(bCSS)
                    + QStringLiteral(">");
        for (const QString &choice : splitChoiceList(f.Felder))
            s += QStringLiteral("<option>") + choice + QStringLiteral("</option>") + CRLF;
        return s + QStringLiteral("</select> ") + f.BeschriftungNach + QStringLiteral("</td></tr>")
               + CRLF;
    }
    case FieldKind::CheckBox: {
        const auto &f = static_cast<const TCheckBoxField &>(field);
        return frameStart(f) + QStringLiteral("<input type=\"Checkbox\" name=\"") + f.Name
               + QStringLiteral("\" value=\"") + f.Vorgabewert + QStringLiteral("\"") + css(bCSS)
               + QStringLiteral("> ") + f.BeschriftungNach + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Radio: {
        const auto &f = static_cast<const TRadioField &>(field);
        QString s = frameStart(f);
        for (const QString &choice : splitChoiceList(f.Felder))
            s += QStringLiteral("<input type=\"radio\" name=\"") + f.Name
                 + QStringLiteral("\" value=\"") + choice + QStringLiteral("\"") + css(bCSS)
                 + QStringLiteral(">") + choice + QStringLiteral("<br>") + CRLF;
        return s + QStringLiteral("</td></tr>");
    }
    case FieldKind::File: {
        const auto &f = static_cast<const TFileField &>(field);
        return frameStart(f) + QStringLiteral("<input type=\"file\" name=\"") + f.Name
               + QStringLiteral("\" value=\"") + f.Vorgabewert + QStringLiteral("\" size=\"")
               + f.Groesse + QStringLiteral("\"") + css(bCSS) + QStringLiteral("> ")
               + f.BeschriftungNach + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Zw:
        return zwRow(field);
    }
    return {};
}

QString GenScript(const TFormField &field)
{
    const QString &n = field.Name;
    switch (field.kind()) {
    case FieldKind::Einz: {
        const auto &f = static_cast<const TEinzField &>(field);
        QString condition;
        switch (f.PflichtFeldTyp) {
        case 1:
            condition =
                QStringLiteral("if(!document.VQFORM.") + n
                + QStringLiteral(".value.match(/^[A-Z0-9._%-]+@[A-Z0-9.-]+\\.[A-Z]{2,6}$/i))  {");
            break;
        case 2:
            condition = QStringLiteral("if((isNaN(str_replace(\",\",\".\",document.VQFORM.") + n
                        + QStringLiteral(".value))) || (document.VQFORM.") + n
                        + QStringLiteral(".value == \"\"))  {");
            break;
        case 3:
            condition = QStringLiteral("if(document.VQFORM.") + n
                        + QStringLiteral(".value.length < ") + QString::number(f.MinPflichtLaenge)
                        + QStringLiteral(")  {");
            break;
        default:
            condition = jsEmptyCondition(n);
        }
        return condition + CRLF + jsFieldCheckTail(f);
    }
    case FieldKind::Pass:
    case FieldKind::Mehrz:
    case FieldKind::File:
        return jsEmptyCondition(n) + CRLF + jsFieldCheckTail(field);
    case FieldKind::DropDown: {
        const auto &f = static_cast<const TDropDownField &>(field);
        const bool dropDown = f.Groesse == u"0" || f.Groesse == u"1";
        const QString text = message(f, QStringLiteral("Bitte wählen Sie etwas im Feld ")
                                            + f.Beschriftung + QStringLiteral(" aus!"));
        return QStringLiteral("if (document.VQFORM.") + n + QStringLiteral(".selectedIndex < ")
               + (dropDown ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral(")") + CRLF
               + QStringLiteral("{") + CRLF + QStringLiteral("alert(\"") + escapeJsString(text)
               + QStringLiteral("\");") + CRLF + QStringLiteral("document.VQFORM.") + n
               + QStringLiteral(".focus();") + CRLF + QStringLiteral("return (false);") + CRLF
               + QStringLiteral("}") + CRLF;
    }
    case FieldKind::CheckBox: {
        const QString text = message(field, QStringLiteral("Die Checkbox ") + field.Beschriftung
                                                + QStringLiteral(" muss aktiviert werden."));
        return QStringLiteral("if(document.VQFORM.") + n + QStringLiteral(".checked == false)")
               + CRLF + QStringLiteral("    {") + CRLF + QStringLiteral("alert(\"")
               + escapeJsString(text) + QStringLiteral("\");") + CRLF
               + QStringLiteral("     document.VQFORM.") + n + QStringLiteral(".focus();") + CRLF
               + QStringLiteral("     return false;") + CRLF + QStringLiteral("    }") + CRLF;
    }
    case FieldKind::Radio: {
        const QString text =
            message(field, QStringLiteral("Wählen sie eine der ") + field.Beschriftung
                               + QStringLiteral("-Optionen aus."));
        // A group of one button is no list and has no length: it counts by
        // its own "checked" (undefined, so false, for a list).
        return QStringLiteral("var Option = false;") + CRLF + QStringLiteral("if (document.VQFORM.")
               + n + QStringLiteral(".checked) Option = true;") + CRLF
               + QStringLiteral("for (i = 0;  i < document.VQFORM.") + n
               + QStringLiteral(".length;  i++)") + CRLF + QStringLiteral("  {") + CRLF
               + QStringLiteral("    if (document.VQFORM.") + n + QStringLiteral("[ i ].checked)")
               + CRLF + QStringLiteral("        Option = true;") + CRLF + QStringLiteral("  }")
               + CRLF + QStringLiteral("  if (!Option)") + CRLF + QStringLiteral("  {") + CRLF
               + QStringLiteral("alert(\"") + escapeJsString(text) + QStringLiteral("\");") + CRLF
               + QStringLiteral("    return (false);") + CRLF + QStringLiteral("  }") + CRLF;
    }
    case FieldKind::Zw:
        return {};
    }
    return {};
}

QString GenFormatScript(const TFormField &field)
{
    const QString function = formatCheckScriptFunction(formatCheckOf(field));
    if (function.isEmpty())
        return {};
    const QString problem =
        function + QStringLiteral("(document.VQFORM.") + field.Name + QStringLiteral(".value)");
    return QStringLiteral("if(") + problem + QStringLiteral(" != \"\")  {") + CRLF
           + QStringLiteral("alert(") + problem + QStringLiteral(");") + CRLF
           + QStringLiteral("document.VQFORM.") + field.Name + QStringLiteral(".focus();") + CRLF
           + QStringLiteral("return false;") + CRLF + QStringLiteral("}") + CRLF;
}

QString GenScriptLength(const TFormField &field)
{
    if (field.kind() != FieldKind::Mehrz)
        return {};
    const auto &f = static_cast<const TMehrzField &>(field);
    if (f.maxLaenge.isEmpty())
        return {};
    const QString &n = f.Name;
    const QString el = QStringLiteral("window.document.VQFORM.") + n;
    QString s =
        QStringLiteral("<script type=\"text/javascript\">") + CRLF + QStringLiteral("<!--") + CRLF
        + QStringLiteral("function zaehle_") + n + QStringLiteral("()") + CRLF + QStringLiteral("{")
        + CRLF + QStringLiteral("\tif (") + el + QStringLiteral(".value.length>") + f.maxLaenge
        + QStringLiteral(")") + CRLF + QStringLiteral("\t{") + CRLF + QStringLiteral("\t\t") + el
        + QStringLiteral(".value=formfeld;") + CRLF + QStringLiteral(" \t\treturn;") + CRLF
        + QStringLiteral("\t}") + CRLF + QStringLiteral(" \telse") + CRLF + QStringLiteral("\t{")
        + CRLF + QStringLiteral("\t\tformfeld = ") + el + QStringLiteral(".value;") + CRLF;
    if (f.zeichenAnzeige)
        s += QStringLiteral(" \t\twindow.document.VQFORM.anzeige_") + n
             + QStringLiteral(".value = ") + f.maxLaenge + QStringLiteral("-") + el
             + QStringLiteral(".value.length;") + CRLF;
    return s + QStringLiteral("\t}") + CRLF + QStringLiteral("}") + CRLF
           + QStringLiteral("//--></script>") + CRLF;
}

// ---- PHP script

QString GenCodePHP(const TFormField &field, bool bCSS)
{
    const QString var = QStringLiteral("<?php echo $var") + field.Name + QStringLiteral(";?>");
    switch (field.kind()) {
    case FieldKind::Einz: {
        const auto &f = static_cast<const TEinzField &>(field);
        return frameStart(f)
               + textInput(QStringLiteral("text"), f.Name, var, f.Groesse, f.maxLaenge, bCSS,
                           f.VorgabeLoeschen)
               + QStringLiteral("> ") + f.BeschriftungNach + errLine(f)
               + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Pass: {
        const auto &f = static_cast<const TPassField &>(field);
        return frameStart(f)
               + textInput(QStringLiteral("password"), f.Name, var, f.Groesse, f.maxLaenge, bCSS,
                           f.VorgabeLoeschen)
               + QStringLiteral("> ") + f.BeschriftungNach + errLine(f)
               + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Mehrz: {
        const auto &f = static_cast<const TMehrzField &>(field);
        return frameStart(f) + textareaStart(f, bCSS) + QStringLiteral(">") + var
               + QStringLiteral("</textarea> ") + f.BeschriftungNach + counterInput(f, bCSS)
               + errLine(f) + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::DropDown: {
        const auto &f = static_cast<const TDropDownField &>(field);
        QString s = frameStart(f) + QStringLiteral("<select name=\"") + f.Name
                    + QStringLiteral("\" size=\"") + f.Groesse + QStringLiteral("\"") + css(bCSS)
                    + QStringLiteral(">");
        const QStringList choices = splitChoiceList(f.Felder);
        for (qsizetype i = 0; i < choices.size(); ++i)
            s += QStringLiteral("<option <?php echo $lst") + f.Name + QStringLiteral("_")
                 + QString::number(i) + QStringLiteral(";?>>") + choices.at(i)
                 + QStringLiteral("</option>") + CRLF;
        return s + QStringLiteral("</select> ") + f.BeschriftungNach + errLine(f)
               + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::CheckBox: {
        const auto &f = static_cast<const TCheckBoxField &>(field);
        return frameStart(f) + QStringLiteral("<input type=\"Checkbox\" name=\"") + f.Name
               + QStringLiteral("\" value=\"") + f.Vorgabewert + QStringLiteral("\"") + css(bCSS)
               + QStringLiteral(" ") + var + QStringLiteral("> ") + f.BeschriftungNach + errLine(f)
               + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Radio: {
        const auto &f = static_cast<const TRadioField &>(field);
        QString s = frameStart(f);
        const QStringList choices = splitChoiceList(f.Felder);
        for (qsizetype i = 0; i < choices.size(); ++i)
            s += QStringLiteral("<input type=\"radio\" name=\"") + f.Name
                 + QStringLiteral("\" value=\"") + choices.at(i) + QStringLiteral("\"") + css(bCSS)
                 + QStringLiteral(" <?php echo $rad") + f.Name + QStringLiteral("_")
                 + QString::number(i) + QStringLiteral(";?>>") + choices.at(i)
                 + QStringLiteral("<br>") + CRLF;
        if (f.Pflicht)
            s += QStringLiteral("<?php echo $err") + f.Name + QStringLiteral(";?>");
        return s + QStringLiteral("</td></tr>");
    }
    case FieldKind::File: {
        const auto &f = static_cast<const TFileField &>(field);
        return frameStart(f) + QStringLiteral("<input type=\"file\" name=\"") + f.Name
               + QStringLiteral("\" value=\"") + f.Vorgabewert + QStringLiteral("\" size=\"")
               + f.Groesse + QStringLiteral("\"") + css(bCSS) + QStringLiteral("> ")
               + f.BeschriftungNach + errLine(f) + QStringLiteral("</td></tr>") + CRLF;
    }
    case FieldKind::Zw:
        return zwRow(field);
    }
    return {};
}

QString GenFormVarPHP(const TFormField &field)
{
    const QString &n = field.Name;
    const QString post = postValue(n);
    const QString issetLine = QStringLiteral("if (isset(") + post + QStringLiteral("))");
    auto choiceVars = [&](const QString &prefix, const QString &mark,
                          const QString &indent) -> QString {
        const QString felder = field.kind() == FieldKind::DropDown
                                   ? static_cast<const TDropDownField &>(field).Felder
                                   : static_cast<const TRadioField &>(field).Felder;
        const QStringList choices = splitChoiceList(felder);
        QString s;
        for (qsizetype i = 0; i < choices.size(); ++i)
            s += QLatin1Char('$') + prefix + n + QLatin1Char('_') + QString::number(i)
                 + QStringLiteral(" = \"\";") + CRLF;
        s += issetLine + CRLF + QStringLiteral("{") + CRLF;
        for (qsizetype i = 0; i < choices.size(); ++i)
            s += indent + QStringLiteral("if (") + post + QStringLiteral(" == \"")
                 + escapePhpString(choices.at(i)) + QStringLiteral("\") $") + prefix + n
                 + QLatin1Char('_') + QString::number(i) + QStringLiteral(" = \"") + mark
                 + QStringLiteral("\";") + CRLF;
        return s + QStringLiteral("}") + CRLF;
    };
    auto textVar = [&](const QString &vorgabe) -> QString {
        // The posted value is printed into the page: escaped for HTML.
        return issetLine + QStringLiteral(" $var") + n + QStringLiteral(" = ")
               + phpHtmlEscaped(post) + QStringLiteral("; else $var") + n + QStringLiteral(" = \"")
               + escapePhpString(vorgabe) + QStringLiteral("\";") + CRLF;
    };
    switch (field.kind()) {
    case FieldKind::Einz:
        return textVar(static_cast<const TEinzField &>(field).Vorgabewert);
    case FieldKind::Pass:
        return textVar(static_cast<const TPassField &>(field).Vorgabewert);
    case FieldKind::Mehrz:
        return textVar(static_cast<const TMehrzField &>(field).Vorgabewert);
    case FieldKind::CheckBox:
        return issetLine + QStringLiteral(" $var") + n + QStringLiteral(" = \"checked\"; else $var")
               + n + QStringLiteral(" = \"\";") + CRLF;
    case FieldKind::DropDown:
        return choiceVars(QStringLiteral("lst"), QStringLiteral("selected"), QStringLiteral("\t"));
    case FieldKind::Radio:
        return choiceVars(QStringLiteral("rad"), QStringLiteral("checked"), QString());
    case FieldKind::File:
    case FieldKind::Zw:
        return {};
    }
    return {};
}

QString GenErrorVarPHP(const TFormField &field, bool /*css*/)
{
    return fieldHasCheck(field) ? QStringLiteral("$err") + field.Name + QStringLiteral(" = \"\";")
                                : QString();
}

QString GenFormCheckPHP(const TFormField &field, const QString &colour)
{
    const QString &n = field.Name;
    const QString post = postValue(n);
    switch (field.kind()) {
    case FieldKind::Einz: {
        const auto &f = static_cast<const TEinzField &>(field);
        QString condition;
        switch (f.PflichtFeldTyp) {
        case 1:
            condition = QStringLiteral("if "
                                       "(preg_match(\"|^[a-zA-Z0-9][a-zA-Z0-9._-]*@[a-zA-Z0-9._-]+"
                                       "\\.[a-zA-Z]{2,6}$|\",")
                        + post + QStringLiteral(") == false)");
            break;
        case 2:
            condition = QStringLiteral("if (!is_numeric(str_replace(\",\",\".\",") + post
                        + QStringLiteral(")))");
            break;
        case 3:
            condition = QStringLiteral("if (strlen(") + post + QStringLiteral(") < ")
                        + QString::number(f.MinPflichtLaenge) + QStringLiteral(")");
            break;
        default:
            condition = QStringLiteral("if (") + post + QStringLiteral(" == \"\")");
        }
        return condition + CRLF + phpEnterValueBody(f, colour);
    }
    case FieldKind::Pass:
    case FieldKind::Mehrz:
        return QStringLiteral("if (") + post + QStringLiteral(" == \"\")") + CRLF
               + phpEnterValueBody(field, colour);
    case FieldKind::DropDown: {
        const auto &f = static_cast<const TDropDownField &>(field);
        const bool dropDown = f.Groesse == u"0" || f.Groesse == u"1";
        const qsizetype hash = f.Felder.indexOf(QLatin1Char('#'));
        const QString first = hash < 0 ? QString() : f.Felder.left(hash);
        const QString condition =
            dropDown ? QString(QStringLiteral("if (") + post + QStringLiteral(" == \"")
                               + escapePhpString(first) + QStringLiteral("\")"))
                     : QString(QStringLiteral("if (!isset(") + post + QStringLiteral("))"));
        const QString text = message(f, QStringLiteral("Bitte wählen Sie etwas im Feld ")
                                            + f.Beschriftung + QStringLiteral(" aus!"));
        return condition + CRLF + QStringLiteral("\t{") + CRLF + QStringLiteral("\t\t")
               + errAssign(n, colour, text + QStringLiteral("!")) + CRLF
               + QStringLiteral("\t\t$bFormOK = false;") + CRLF + QStringLiteral("\t}") + CRLF;
    }
    case FieldKind::CheckBox:
        return QStringLiteral("if (!isset(") + post + QStringLiteral("))") + CRLF
               + QStringLiteral("{") + CRLF + QStringLiteral("\t")
               + errAssign(n, colour, activateMessage(field)) + CRLF
               + QStringLiteral("\t$bFormOK = false;") + CRLF + QStringLiteral("}") + CRLF;
    case FieldKind::Radio:
        return QStringLiteral("\tif (!isset(") + post + QStringLiteral("))") + CRLF
               + QStringLiteral("\t{") + CRLF + QStringLiteral("\t\t")
               + errAssign(n, colour, activateMessage(field)) + CRLF
               + QStringLiteral("\t\t$bFormOK = false;") + CRLF + QStringLiteral("\t}") + CRLF;
    case FieldKind::File: {
        const QString file = QStringLiteral("$_FILES['") + n + QStringLiteral("']");
        return QStringLiteral("if (!isset(") + file + QStringLiteral(") or ") + file
               + QStringLiteral("['error'] or (") + file
               + QStringLiteral("['name'] == '.htaccess'))") + CRLF + QStringLiteral("    {") + CRLF
               + QStringLiteral("    \t") + errAssign(n, colour, enterValueMessage(field)) + CRLF
               + QStringLiteral("    \t$bFormOK = false;") + CRLF + QStringLiteral("\t}") + CRLF
               + CRLF + QStringLiteral("    if (") + file
               + QStringLiteral("['size'] > $max_attach_size)") + CRLF + QStringLiteral("    {")
               + CRLF + QStringLiteral("\t    ")
               + errAssign(n, colour, QStringLiteral("Maximale Dateigröße überschritten!")) + CRLF
               + QStringLiteral("\t  \t$bFormOK = false;") + CRLF + QStringLiteral("\t}") + CRLF;
    }
    case FieldKind::Zw:
        return {};
    }
    return {};
}

QString GenFormatCheckPHP(const TFormField &field, const QString &colour)
{
    const QString function = formatCheckPhpFunction(formatCheckOf(field));
    if (function.isEmpty())
        return {};
    const QString post = postValue(field.Name);
    const QString problem = function + QStringLiteral("(isset(") + post + QStringLiteral(") ? ")
                            + post + QStringLiteral(" : \"\")");
    // The message comes from the library as UTF-8; as entities it shows in a
    // page of any encoding.
    return QStringLiteral("if (") + problem + QStringLiteral(" != \"\")") + CRLF
           + QStringLiteral("{") + CRLF + QStringLiteral("  $err") + field.Name
           + QStringLiteral(" = \"<span style=\\\"color:#") + escapePhpString(colour)
           + QStringLiteral(";\\\">\" . htmlentities(") + problem
           + QStringLiteral(", ENT_QUOTES, \"UTF-8\") . \"</span>\";") + CRLF
           + QStringLiteral("\t$bFormOK = false;") + CRLF + QStringLiteral("}") + CRLF + CRLF;
}

} // namespace vq
