#include "common/buyer_ids.h"

#include <QHash>
#include <QRegularExpression>

namespace vq {

namespace {

// The national part after the country prefix, per state.
const QHash<QString, QRegularExpression> &nationalForms()
{
    static const QHash<QString, QRegularExpression> forms = [] {
        const std::pair<const char *, const char *> table[] = {
            {"AT", "U[0-9]{8}"},
            {"BE", "[01][0-9]{9}"},
            {"BG", "[0-9]{9,10}"},
            {"CY", "[0-9]{8}[A-Z]"},
            {"CZ", "[0-9]{8,10}"},
            {"DE", "[0-9]{9}"},
            {"DK", "[0-9]{8}"},
            {"EE", "[0-9]{9}"},
            {"EL", "[0-9]{9}"},
            {"ES", "[A-Z0-9][0-9]{7}[A-Z0-9]"},
            {"FI", "[0-9]{8}"},
            {"FR", "[A-HJ-NP-Z0-9]{2}[0-9]{9}"},
            {"HR", "[0-9]{11}"},
            {"HU", "[0-9]{8}"},
            {"IE", "[0-9]{7}[A-W][A-I]?|[0-9][A-Z+*][0-9]{5}[A-W]"},
            {"IT", "[0-9]{11}"},
            {"LT", "[0-9]{9}|[0-9]{12}"},
            {"LU", "[0-9]{8}"},
            {"LV", "[0-9]{11}"},
            {"MT", "[0-9]{8}"},
            {"NL", "[0-9]{9}B[0-9]{2}"},
            {"PL", "[0-9]{10}"},
            {"PT", "[0-9]{9}"},
            {"RO", "[0-9]{2,10}"},
            {"SE", "[0-9]{12}"},
            {"SI", "[0-9]{8}"},
            {"SK", "[0-9]{10}"},
            {"XI", "[0-9]{9}|[0-9]{12}|GD[0-9]{3}|HA[0-9]{3}"},
        };
        QHash<QString, QRegularExpression> result;
        for (const auto &[country, form] : table)
            result.insert(QString::fromLatin1(country),
                          QRegularExpression(QStringLiteral("^(?:%1)$").arg(QLatin1String(form))));
        return result;
    }();
    return forms;
}

// ISO 7064 MOD 11,10 over the first eight digits gives the ninth.
bool germanCheckDigitValid(QStringView digits)
{
    int product = 10;
    for (int i = 0; i < 8; ++i) {
        int sum = (digits[i].digitValue() + product) % 10;
        if (sum == 0)
            sum = 10;
        product = (2 * sum) % 11;
    }
    int check = 11 - product;
    if (check == 10)
        check = 0;
    return check == digits[8].digitValue();
}

} // namespace

QString compactVatId(QStringView vatId)
{
    QString compact;
    for (const QChar c : vatId) {
        if (!c.isSpace() && c != u'.' && c != u'-')
            compact += c.toUpper();
    }
    return compact;
}

QString vatIdProblem(QStringView vatId)
{
    const QString compact = compactVatId(vatId);
    if (compact.size() < 4)
        return QStringLiteral("ist zu kurz für eine USt-IdNr.");
    const QString country = compact.left(2);
    const auto form = nationalForms().constFind(country);
    if (form == nationalForms().constEnd())
        return country == u"GR"
                   ? QStringLiteral(
                       "beginnt mit \"GR\"; griechische USt-IdNrn. beginnen mit \"EL\"")
                   : QStringLiteral("beginnt nicht mit dem Länderkürzel eines EU-Staats");
    const QString national = compact.mid(2);
    if (!form->match(national).hasMatch())
        return QStringLiteral("hat nicht die Form einer USt-IdNr. aus %1").arg(country);
    if (country == u"DE" && !germanCheckDigitValid(national))
        return QStringLiteral("hat eine falsche Prüfziffer");
    return QString();
}

bool vatIdFormValid(QStringView vatId)
{
    return vatIdProblem(vatId).isEmpty();
}

bool looksLikeLeitwegId(QStringView text)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9]{2,12}(-[0-9A-Za-z]{1,30})?-[0-9]{2}$"));
    return form.match(text.trimmed().toString()).hasMatch();
}

bool leitwegIdValid(QStringView text)
{
    if (!looksLikeLeitwegId(text))
        return false;
    // The remainder mod 97 of the digits, letters as two digits each, with
    // the check digits at the end: 1 for a valid ID.
    int remainder = 0;
    for (const QChar c : text.trimmed()) {
        if (c == u'-')
            continue;
        const int value = c.isDigit() ? c.digitValue() : c.toUpper().unicode() - u'A' + 10;
        remainder = value >= 10 ? (remainder * 100 + value) % 97 : (remainder * 10 + value) % 97;
    }
    return remainder == 1;
}

} // namespace vq
