#include "designer/generation/buyer_id_script.h"

#include "common/buyer_ids.h"
#include "designer/generation/order/literal_escape.h"

namespace vq {

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString jsText(const char16_t *message)
{
    return QLatin1Char('"') + escapeJsString(QString::fromUtf16(message)) + QLatin1Char('"');
}

QString jsExpression(const char *pattern)
{
    return QStringLiteral("/^(?:") + QString::fromLatin1(pattern) + QStringLiteral(")$/");
}

} // namespace

QString buyerIdScriptFunctions()
{
    QString countries;
    for (const VatIdCountry &country : vatIdCountries()) {
        if (!countries.isEmpty())
            countries += QStringLiteral(",") + CRLF;
        countries += QStringLiteral("  \"") + QString::fromLatin1(country.prefix)
                     + QStringLiteral("\": ") + jsExpression(country.pattern);
    }
    const QString lines[] = {
        QStringLiteral("var vqVatIdCountries = {"),
        countries,
        QStringLiteral("};"),
        QStringLiteral("function vqTrimBlanks(value)"),
        QStringLiteral("{"),
        QStringLiteral("  return String(value).replace(/^[ \\t\\r\\n]+|[ \\t\\r\\n]+$/g, \"\");"),
        QStringLiteral("}"),
        QStringLiteral("function vqVatIdProblem(value)"),
        QStringLiteral("{"),
        QStringLiteral("  var v = String(value).replace(/ /g, \"\").toUpperCase();"),
        QStringLiteral("  if (v == \"\") return \"\";"),
        QStringLiteral("  var country = v.substring(0, 2);"),
        QStringLiteral("  if (!Object.prototype.hasOwnProperty.call(vqVatIdCountries, country) || "
                       "!vqVatIdCountries[country].test(v.substring(2)))"),
        QStringLiteral("    return ") + jsText(kVatIdFormMessage) + QLatin1Char(';'),
        QStringLiteral("  if (country != \"DE\") return \"\";"),
        QStringLiteral("  var product = 10;"),
        QStringLiteral("  for (var i = 2; i < 10; i++) {"),
        QStringLiteral("    var sum = (Number(v.charAt(i)) + product) % 10;"),
        QStringLiteral("    if (sum == 0) sum = 10;"),
        QStringLiteral("    product = (2 * sum) % 11;"),
        QStringLiteral("  }"),
        QStringLiteral("  return (11 - product) % 10 == Number(v.charAt(10)) ? \"\" : ")
            + jsText(kVatIdCheckDigitMessage) + QLatin1Char(';'),
        QStringLiteral("}"),
        QStringLiteral("function vqLeitwegIdProblem(value)"),
        QStringLiteral("{"),
        QStringLiteral("  var v = vqTrimBlanks(value);"),
        QStringLiteral("  if (v == \"\") return \"\";"),
        QStringLiteral("  if (!") + jsExpression(kLeitwegIdPattern) + QStringLiteral(".test(v))"),
        QStringLiteral("    return ") + jsText(kLeitwegIdFormMessage) + QLatin1Char(';'),
        QStringLiteral("  var rest = 0;"),
        QStringLiteral("  v = v.replace(/-/g, \"\").toUpperCase();"),
        QStringLiteral("  for (var i = 0; i < v.length; i++) {"),
        QStringLiteral("    var c = v.charCodeAt(i);"),
        QStringLiteral(
            "    rest = c >= 65 ? (rest * 100 + c - 55) % 97 : (rest * 10 + c - 48) % 97;"),
        QStringLiteral("  }"),
        QStringLiteral("  return rest == 1 ? \"\" : ") + jsText(kLeitwegIdCheckDigitMessage)
            + QLatin1Char(';'),
        QStringLiteral("}"),
        QStringLiteral("function vqEInvoiceAddressProblem(value)"),
        QStringLiteral("{"),
        QStringLiteral("  var v = vqTrimBlanks(value);"),
        QStringLiteral("  if (v == \"\") return \"\";"),
        QStringLiteral("  return v.length <= 254 && v.indexOf(\"@\") <= 64 && ")
            + jsExpression(kEInvoiceAddressPattern) + QStringLiteral(".test(v) ? \"\" : ")
            + jsText(kEInvoiceAddressMessage) + QLatin1Char(';'),
        QStringLiteral("}"),
    };
    QString script;
    for (const QString &line : lines)
        script += line + CRLF;
    return script;
}

namespace {

// The functions of each check in the page's script and in the form mailer's library.
struct CheckFunctions
{
    FormatCheck check;
    const char *script;
    const char *php;
};

constexpr CheckFunctions kCheckFunctions[] = {
    {FormatCheck::VatId, "vqVatIdProblem", "vq_vat_id_problem"},
    {FormatCheck::LeitwegId, "vqLeitwegIdProblem", "vq_leitweg_id_problem"},
    {FormatCheck::EInvoiceAddress, "vqEInvoiceAddressProblem", "vq_e_invoice_address_problem"},
};

const CheckFunctions *functionsOf(FormatCheck check)
{
    for (const CheckFunctions &functions : kCheckFunctions)
        if (functions.check == check)
            return &functions;
    return nullptr;
}

} // namespace

QString formatCheckScriptFunction(FormatCheck check)
{
    const CheckFunctions *functions = functionsOf(check);
    return functions ? QString::fromLatin1(functions->script) : QString();
}

QString formatCheckPhpFunction(FormatCheck check)
{
    const CheckFunctions *functions = functionsOf(check);
    return functions ? QString::fromLatin1(functions->php) : QString();
}

} // namespace vq
