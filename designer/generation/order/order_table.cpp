// The order table of generated pages. Every piece is built from literal text
// exactly as the pages' scripts and the form mailer expect it; user texts go
// in unchanged where they stand as HTML, and are escaped only for the string
// literal or attribute value they are written into.
#include "designer/generation/order/order_table.h"

#include "designer/generation/order/literal_escape.h"

#include "common/choice_list.h"
#include "designer/generation/order/number_notation.h"

namespace vq {

namespace {

const QString NL = QStringLiteral("\r\n");

QString num(int value)
{
    return QString::number(value);
}

QString fieldClass(bool css)
{
    return css ? QStringLiteral(" class=\"field\"") : QString();
}

// A text inside a double-quoted HTML attribute value. Only the quote would
// end the value; entities typed on purpose keep their meaning, so the browser
// sends exactly the text that was typed.
QString attributeText(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return out;
}

// The value key a price option sends for one of its values.
QString valueKey(const TPriceOptionElement &element)
{
    return element.name + QLatin1Char('#') + priceKey(element.preis);
}

QString optionName(int fieldNo, int optNo)
{
    return QStringLiteral("b_opt") + num(fieldNo) + QLatin1Char('_') + num(optNo);
}

QString priceFunctionCall(int fieldNo, int optNo)
{
    return QStringLiteral("Get_b_opt") + num(fieldNo) + QLatin1Char('_') + num(optNo)
           + QStringLiteral("_Price()");
}

// Head and tail around an option's control.
QString optionHead(const TOptionField &option, const TArtikelField &artikel)
{
    if (artikel.optionenNebeneinander)
        return option.beschriftung + QLatin1Char(' ');
    return QStringLiteral("<p>") + option.beschriftung + QStringLiteral("<br>") + NL;
}

QString optionTail(const TArtikelField &artikel)
{
    return artikel.optionenNebeneinander ? NL : QStringLiteral("</p>") + NL;
}

// The line showing a line total in the page's currency.
QString showLineTotal(int fieldNo, const OrderTableSettings &settings)
{
    return QStringLiteral("document.VQFORM.b_ges") + num(fieldNo)
           + QStringLiteral(".value = gesamt.toFixed(2).replace('.', ',') + \" ")
           + escapeJsString(settings.currency) + QStringLiteral("\";") + NL + NL;
}

// "option = 0;" and the surcharges of the article's price options, as the
// total and VAT computations add them.
QString optionTerms(const TArtikelField &artikel, int fieldNo)
{
    QString out = QStringLiteral("\t    option = 0;") + NL;
    for (size_t j = 0; j < artikel.listOptionen.size(); ++j) {
        if (artikel.listOptionen[j]->kind() != OptionKind::Price)
            continue;
        const QString call = priceFunctionCall(fieldNo, int(j));
        if (artikel.artikelTyp == 0)
            out += QStringLiteral("\t    option += document.VQFORM.b_anz") + num(fieldNo)
                   + QStringLiteral(".value * ") + call + QLatin1Char(';') + NL;
        else if (artikel.artikelTyp == 1 || artikel.artikelTyp == 2)
            out += QStringLiteral("\t    option += ") + call + QLatin1Char(';') + NL;
    }
    return out;
}

enum class RowFlavour { Html, Php };

QString articleRow(const TArtikelField &artikel, bool css, int fieldNo,
                   const OrderTableSettings &settings, RowFlavour flavour)
{
    const QString i = num(fieldNo);
    const QString cls = fieldClass(css);
    const QString cur = settings.currency;
    const bool php = flavour == RowFlavour::Php;

    QString row = QStringLiteral(" <tr valign=\"top\">\r\n");
    row += QStringLiteral("    <td width=\"18%\" class=\"my\"><div align=\"center\">") + NL;
    if (artikel.artikelTyp == 0) {
        QString value = QStringLiteral("0");
        if (php) {
            const QString posted = QStringLiteral("$_POST[\"b_anz") + i + QStringLiteral("\"]");
            value = QStringLiteral("<?php if (isset(") + posted + QStringLiteral(")) echo ")
                    + phpHtmlEscaped(posted) + QStringLiteral("; else echo \"0\"; ?>");
        }
        row += QStringLiteral("      <input name=\"b_anz") + i
               + QStringLiteral("\" type=\"text\" id=\"b_anz") + i + QStringLiteral("\" value=\"")
               + value + QStringLiteral("\" size=\"10\" onChange=\"preisUpdateArt();\"") + cls
               + QLatin1Char('>') + NL;
    } else if (artikel.artikelTyp == 2) {
        row += (php ? QStringLiteral("     ") : QStringLiteral("      "))
               + QStringLiteral("<input name=\"b_anz") + i
               + QStringLiteral("\" type=\"checkbox\" id=\"b_anz") + i
               + QStringLiteral("\" value=\"1\" onclick=\"preisUpdateArt();\"") + cls
               + QStringLiteral(" />") + NL;
    }
    row += QStringLiteral("    </div></td>") + NL;
    row += QStringLiteral("    <td width=\"49%\" class=\"my\"><strong>") + artikel.name
           + QStringLiteral("<br>") + NL;
    QString beschreibung = artikel.beschreibung;
    beschreibung.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    row += QStringLiteral("    </strong>") + beschreibung;
    if (!artikel.link.isEmpty())
        row += QStringLiteral("<br><a href=\"") + attributeText(artikel.link)
               + QStringLiteral("\" target=\"_blank\">") + artikel.linklabel
               + QStringLiteral("</a>") + NL;
    for (size_t j = 0; j < artikel.listOptionen.size(); ++j) {
        const TOptionField &option = *artikel.listOptionen[j];
        row += php ? generatePHP(option, css, fieldNo, int(j), artikel, settings)
                   : generateHTML(option, css, fieldNo, int(j), artikel, settings);
    }
    if (!artikel.listOptionen.empty())
        row += QStringLiteral("<br>");
    row += QStringLiteral("</td>") + NL;
    row += QStringLiteral("    <td width=\"17%\" class=\"my\">")
           + fixed2(artikel.preis, settings.locale) + QLatin1Char(' ') + cur
           + QStringLiteral("</td>") + NL;
    row += QStringLiteral("    <td width=\"16%\" class=\"my\">") + NL
           + QStringLiteral("        <div align=\"center\">") + NL;
    QString startTotal = QStringLiteral("0.00");
    if (artikel.artikelTyp == 1)
        startTotal = php ? fixed2PointNoLeadingZero(artikel.preis) : fixed2Point(artikel.preis);
    row += QStringLiteral("          <input name=\"b_ges") + i
           + QStringLiteral("\" type=\"text\" id=\"b_ges") + i + QStringLiteral("\" value=\"")
           + startTotal + QLatin1Char(' ') + attributeText(cur)
           + QStringLiteral("\" size=\"10\" readonly class=\"preis\">") + NL;
    row += QStringLiteral("        </div></td>") + NL + QStringLiteral("  </tr>") + NL;
    return row;
}

// The option's control; for the PHP script the chosen values come from the
// option variables.
QString optionControl(const TOptionField &option, bool css, int fieldNo, int optNo,
                      const TArtikelField &artikel, const OrderTableSettings &settings,
                      RowFlavour flavour)
{
    const QString name = optionName(fieldNo, optNo);
    const QString cls = fieldClass(css);
    const bool php = flavour == RowFlavour::Php;
    // "<option" plus, in the PHP script, the echo of the choice's "selected".
    auto optionStart = [&](int k) -> QString {
        if (!php)
            return QStringLiteral("<option");
        return QStringLiteral("<option <?php echo $") + name + QLatin1Char('_') + num(k)
               + QStringLiteral(";?>");
    };

    QString out = optionHead(option, artikel);
    switch (option.kind()) {
    case OptionKind::Input: {
        const QString value = php ? QStringLiteral("<?php echo ")
                                        + phpHtmlEscaped(QLatin1Char('$') + name)
                                        + QStringLiteral("; ?>")
                                  : attributeText(option.defaultWert);
        out += QStringLiteral("<input type=\"text\" name=\"") + name + QStringLiteral("\" value=\"")
               + value + QLatin1Char('"') + cls + QLatin1Char('>') + NL;
        break;
    }
    case OptionKind::Select: {
        out += QStringLiteral("<select name=\"") + name + QLatin1Char('"') + cls + QLatin1Char('>')
               + NL;
        const QStringList choices = splitChoiceList(option.defaultWert);
        for (int k = 0; k < choices.size(); ++k)
            out +=
                optionStart(k) + QLatin1Char('>') + choices[k] + QStringLiteral("</option>") + NL;
        out += QStringLiteral("</select>") + NL;
        break;
    }
    case OptionKind::Price: {
        out += QStringLiteral("<select name=\"") + name + QLatin1Char('"') + cls
               + QStringLiteral("  onchange=\"preisUpdateArt();\">") + NL;
        const auto &elements = static_cast<const TSelectPriceOption &>(option).elements;
        for (size_t k = 0; k < elements.size(); ++k) {
            const TPriceOptionElement &element = elements[k];
            out += optionStart(int(k)) + QStringLiteral(" value=\"")
                   + attributeText(valueKey(element)) + QStringLiteral("\">") + element.name
                   + QStringLiteral(" - ") + moneyText(element.preis, settings.locale)
                   + QLatin1Char(' ') + settings.currency + QStringLiteral("</option>") + NL;
        }
        out += QStringLiteral("</select>") + NL;
        break;
    }
    }
    return out + optionTail(artikel);
}

// Resets the "selected" variables of a choice list and sets the posted one.
QString selectedVariables(const QString &name, const QStringList &keys)
{
    QString out;
    for (int k = 0; k < keys.size(); ++k)
        out +=
            QLatin1Char('$') + name + QLatin1Char('_') + num(k) + QStringLiteral(" = \"\";") + NL;
    out += QStringLiteral("if (isset($_POST[\"") + name + QStringLiteral("\"]))") + NL
           + QLatin1Char('{') + NL;
    for (int k = 0; k < keys.size(); ++k)
        out += QStringLiteral("\tif ($_POST[\"") + name + QStringLiteral("\"] == \"")
               + escapePhpString(keys[k]) + QStringLiteral("\") $") + name + QLatin1Char('_')
               + num(k) + QStringLiteral(" = \"selected\";") + NL;
    out += QLatin1Char('}') + NL + NL;
    return out;
}

} // namespace

bool orderHasVat(const TArtikelList &articles)
{
    for (const auto &a : articles)
        if (a->mwst != 0)
            return true;
    return false;
}

QString generateHTMLField(const TArtikelField &artikel, bool css, int fieldNo,
                          const OrderTableSettings &settings)
{
    return articleRow(artikel, css, fieldNo, settings, RowFlavour::Html);
}

QString generatePHPField(const TArtikelField &artikel, bool css, int fieldNo,
                         const OrderTableSettings &settings)
{
    return articleRow(artikel, css, fieldNo, settings, RowFlavour::Php);
}

QString generateJSField(const TArtikelField &artikel, int fieldNo,
                        const OrderTableSettings &settings)
{
    const QString i = num(fieldNo);
    const QString price = scriptNumber(artikel.preis);
    QString out;
    auto optionLines = [&](bool perUnit) {
        for (size_t j = 0; j < artikel.listOptionen.size(); ++j)
            if (artikel.listOptionen[j]->kind() == OptionKind::Price)
                out += QStringLiteral("      option += ")
                       + (perUnit ? QStringLiteral("anz * ") : QString())
                       + priceFunctionCall(fieldNo, int(j)) + QLatin1Char(';') + NL;
    };
    switch (artikel.artikelTyp) {
    case 0:
        out += QStringLiteral("      var anz=parseInt(document.VQFORM.b_anz") + i
               + QStringLiteral(".value);") + NL;
        out += QStringLiteral("      if(!(anz > 0))") + NL + QStringLiteral("      {") + NL
               + QStringLiteral("        anz=0;") + NL;
        out += QStringLiteral("        document.VQFORM.b_anz") + i + QStringLiteral(".value=\"0\";")
               + NL + QStringLiteral("      }") + NL;
        // A quantity such as "2.5" or "3 Stück" counts as its whole part here;
        // write that back so the total computation, which multiplies the
        // field's text, and the posted quantity agree with the line total.
        out += QStringLiteral("      else if(document.VQFORM.b_anz") + i
               + QStringLiteral(".value != anz)") + NL;
        out += QStringLiteral("        document.VQFORM.b_anz") + i + QStringLiteral(".value=anz;")
               + NL;
        out += QStringLiteral("      option = 0;") + NL;
        optionLines(true);
        out += QStringLiteral("      gesamt = anz * ") + price + QStringLiteral(" + option;") + NL;
        out += QStringLiteral("      ") + showLineTotal(fieldNo, settings);
        break;
    case 1:
        out += QStringLiteral("      option = 0;") + NL;
        optionLines(false);
        out += QStringLiteral("      gesamt = ") + fixed2Point(artikel.preis)
               + QStringLiteral(" + option") + NL;
        out += QStringLiteral("      ") + showLineTotal(fieldNo, settings);
        break;
    case 2:
        out += QStringLiteral("      if(document.VQFORM.b_anz") + i + QStringLiteral(".checked)")
               + NL + QStringLiteral("      {") + NL;
        out += QStringLiteral("      option = 0;") + NL;
        optionLines(false);
        out += QStringLiteral("        gesamt = ") + price + QStringLiteral(" +  option;") + NL;
        out += QStringLiteral("        ") + showLineTotal(fieldNo, settings);
        out += QStringLiteral("      } else") + NL + QStringLiteral("      {") + NL;
        out += QStringLiteral("        document.VQFORM.b_ges") + i
               + QStringLiteral(".value = \"0,00 ") + escapeJsString(settings.currency)
               + QStringLiteral("\";") + NL + QStringLiteral("      }") + NL;
        break;
    default:
        break; // a kind this version does not know has no line computation
    }
    return out;
}

QString generateHTML(const TOptionField &option, bool css, int fieldNo, int optNo,
                     const TArtikelField &artikel, const OrderTableSettings &settings)
{
    return optionControl(option, css, fieldNo, optNo, artikel, settings, RowFlavour::Html);
}

QString generatePHP(const TOptionField &option, bool css, int fieldNo, int optNo,
                    const TArtikelField &artikel, const OrderTableSettings &settings)
{
    return optionControl(option, css, fieldNo, optNo, artikel, settings, RowFlavour::Php);
}

QString generatePHPVar(const TOptionField &option, int fieldNo, int optNo)
{
    const QString name = optionName(fieldNo, optNo);
    switch (option.kind()) {
    case OptionKind::Input:
        return QStringLiteral("if (isset($_POST[\"") + name + QStringLiteral("\"])) $") + name
               + QStringLiteral(" = $_POST[\"") + name + QStringLiteral("\"]; else $") + name
               + QStringLiteral(" = \"") + escapePhpString(option.defaultWert)
               + QStringLiteral("\";") + NL + NL;
    case OptionKind::Select:
        return selectedVariables(name, splitChoiceList(option.defaultWert));
    case OptionKind::Price: {
        QStringList keys;
        for (const TPriceOptionElement &element :
             static_cast<const TSelectPriceOption &>(option).elements)
            keys << valueKey(element);
        return selectedVariables(name, keys);
    }
    }
    return {};
}

QString generateAdditionalPHPFunctions(const TOptionField &option, int fieldNo, int optNo)
{
    if (option.kind() != OptionKind::Price)
        return {};
    const QString name = optionName(fieldNo, optNo);
    QString out = QStringLiteral("      function Get_") + name + QStringLiteral("_Price()") + NL;
    out += QStringLiteral("      {") + NL + QStringLiteral("      var opt = 0;") + NL;
    const auto &elements = static_cast<const TSelectPriceOption &>(option).elements;
    for (size_t k = 0; k < elements.size(); ++k)
        out += QStringLiteral("      if (document.VQFORM.") + name
               + QStringLiteral(".selectedIndex == ") + num(int(k)) + QStringLiteral(") opt = ")
               + scriptNumber(elements[k].preis) + QLatin1Char(';') + NL;
    out += QStringLiteral("      return opt;") + NL + QStringLiteral("    }") + NL;
    return out;
}

QString gesamtKostenScript(const TArtikelList &articles, const OrderTableSettings &)
{
    QString out;
    for (size_t n = 0; n < articles.size(); ++n) {
        const TArtikelField &artikel = *articles[n];
        const QString i = num(int(n));
        const QString price = scriptNumber(artikel.preis);
        out += optionTerms(artikel, int(n));
        switch (artikel.artikelTyp) {
        case 0:
            out += QStringLiteral("\t    total += document.VQFORM.b_anz") + i
                   + QStringLiteral(".value * ") + price + QStringLiteral(" + option;") + NL;
            break;
        case 1:
            out += QStringLiteral("\t    total += ") + price + QStringLiteral(" + option;") + NL;
            break;
        case 2:
            out += QStringLiteral("\t    if(document.VQFORM.b_anz") + i
                   + QStringLiteral(".checked) total += ") + price + QStringLiteral(" + option;")
                   + NL;
            break;
        default:
            break;
        }
    }
    return out;
}

QString steuerScript(const TArtikelList &articles, const OrderTableSettings &settings)
{
    if (!orderHasVat(articles))
        return {};
    const bool brutto = settings.tax.compare(QLatin1String("brutto"), Qt::CaseInsensitive) == 0;
    // The VAT of each rate is rounded to the cent on its own and then added,
    // as the invoice states it; rounding only the sum could show a cent more
    // or less than the invoice.
    QString out = QStringLiteral("\t    var vqVat = {};") + NL;
    for (size_t n = 0; n < articles.size(); ++n) {
        const TArtikelField &artikel = *articles[n];
        const QString i = num(int(n));
        const QString p = scriptNumber(artikel.preis);
        const QString r = scriptNumber(artikel.mwst);
        const QString q = scriptNumber(artikel.mwst / 100);
        const QString quantity = QStringLiteral("document.VQFORM.b_anz") + i;
        const QString addVat = QStringLiteral("vqVat[") + r + QStringLiteral("] = (vqVat[") + r
                               + QStringLiteral("] || 0) + ");
        out += optionTerms(artikel, int(n));
        if (brutto) {
            const QString share = QStringLiteral(" * ") + r + QStringLiteral(")/(") + r
                                  + QStringLiteral(" + 100);") + NL;
            switch (artikel.artikelTyp) {
            case 0:
                out += QStringLiteral("\t    ") + addVat + QStringLiteral("((") + quantity
                       + QStringLiteral(".value * ") + p + QStringLiteral(" + option)") + share;
                break;
            case 1:
                out += QStringLiteral("\t    ") + addVat + QStringLiteral("((") + p
                       + QStringLiteral(" + option)") + share;
                break;
            case 2:
                out += QStringLiteral("\t    if(") + quantity + QStringLiteral(".checked) ")
                       + addVat + QStringLiteral("((") + p + QStringLiteral(" + option)") + share;
                break;
            default:
                break;
            }
        } else {
            switch (artikel.artikelTyp) {
            case 0:
                out += QStringLiteral("\t    ") + addVat + QStringLiteral("(") + quantity
                       + QStringLiteral(".value * ") + p + QStringLiteral(" + option) * ") + q
                       + QLatin1Char(';') + NL;
                break;
            case 1:
                out += QStringLiteral("\t    ") + addVat + QStringLiteral("(") + p
                       + QStringLiteral(" + option)") + QStringLiteral(" * ") + q + QLatin1Char(';')
                       + NL;
                break;
            case 2:
                out += QStringLiteral("\t    if(") + quantity + QStringLiteral(".checked) ")
                       + addVat + QStringLiteral("(") + p + QStringLiteral(" + option) * ") + q
                       + QLatin1Char(';') + NL;
                break;
            default:
                break;
            }
        }
    }
    out += QStringLiteral(
               "\t    for (var vqRate in vqVat) total += Math.round(vqVat[vqRate] * 100) / 100;")
           + NL;
    return out;
}

QString insertSteuerScript(const TArtikelList &articles, const OrderTableSettings &settings)
{
    // Without VAT the marker stays in the page: replacing it by itself does that.
    if (!orderHasVat(articles))
        return QStringLiteral("<!-- INSERTSTEUER -->");
    QString out;
    if (settings.tax == QLatin1String("netto"))
        out += QStringLiteral("gesamt = gesamt + steuer;\r\n");
    out += QStringLiteral("      document.VQFORM.b_mwst.value = "
                          "steuer.toFixed(2).toString().replace('.', ',') + \" ")
           + escapeJsString(settings.currency) + QStringLiteral("\";");
    return out;
}

QString artikelDaten(const TArtikelList &articles, const OrderTableSettings &)
{
    QString out;
    auto hidden = [&out](const QString &name, const QString &value) {
        out += QStringLiteral("  <input type=\"hidden\" name=\"") + name
               + QStringLiteral("\" value=\"") + attributeText(value) + QStringLiteral("\">") + NL;
    };
    for (size_t n = 0; n < articles.size(); ++n) {
        const TArtikelField &artikel = *articles[n];
        const QString i = num(int(n));
        hidden(QStringLiteral("b_name") + i, artikel.name);
        hidden(QStringLiteral("b_preis") + i, scriptNumber(artikel.preis));
        hidden(QStringLiteral("b_mwst") + i, scriptNumber(artikel.mwst));
        hidden(QStringLiteral("b_bestnr") + i, artikel.artikelNummer);
        hidden(QStringLiteral("b_opt_count") + i, num(int(artikel.listOptionen.size())));
        for (size_t j = 0; j < artikel.listOptionen.size(); ++j) {
            const TOptionField &option = *artikel.listOptionen[j];
            const QString ij = i + QLatin1Char('_') + num(int(j));
            hidden(QStringLiteral("b_opt_type") + ij, option.typeWord());
            hidden(QStringLiteral("b_optname") + ij, option.beschriftung);
        }
        if (artikel.artikelTyp == 1)
            hidden(QStringLiteral("b_anz") + i, QStringLiteral("1"));
    }
    return out;
}

QString applyVatRow(const QString &page, const TArtikelList &articles,
                    const OrderTableSettings &settings)
{
    QString out = page;
    if (orderHasVat(articles)) {
        out.replace(QStringLiteral("<!-- MWSTLABEL-->"), settings.mwstLabel);
        out.replace(QStringLiteral("<!-- MWSTWAEHRUNG-->"), settings.currency);
        return out;
    }
    const QString start = QStringLiteral("<!-- MWSTSTART-->");
    const QString end = QStringLiteral("<!-- MWSTEND-->");
    const qsizetype from = out.indexOf(start);
    if (from < 0)
        return out;
    const qsizetype to = out.indexOf(end, from + start.size());
    if (to < 0)
        return out;
    out.remove(from, to + end.size() - from);
    return out;
}

} // namespace vq
