#include "common/buyer_ids.h"

#include <QRegularExpression>

#include <array>

namespace vq {

namespace {

constexpr std::array<VatIdCountry, 28> kCountries{{
    {"AT", "U[0-9]{8}"},
    {"BE", "[01][0-9]{9}"},
    {"BG", "[0-9]{9,10}"},
    {"CY", "[0-9]{8}[A-Z]"},
    {"CZ", "[0-9]{8,10}"},
    {"DE", "[0-9]{9}"},
    {"DK", "[0-9]{8}"},
    {"EE", "[0-9]{9}"},
    {"EL", "[0-9]{9}"},
    {"ES", "[A-Z][0-9]{7}[0-9A-Z]|[0-9]{8}[A-Z]"},
    {"FI", "[0-9]{8}"},
    {"FR", "[0-9A-HJ-NP-Z]{2}[0-9]{9}"},
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
    {"RO", "[1-9][0-9]{1,9}"},
    {"SE", "[0-9]{10}01"},
    {"SI", "[1-9][0-9]{7}"},
    {"SK", "[1-9][0-9]{9}"},
    {"XI", "[0-9]{9}|[0-9]{12}|GD[0-4][0-9]{2}|HA[5-9][0-9]{2}"},
}};

// A pattern that must match the whole text (PCRE's "$" would let a final
// line break through).
QRegularExpression whole(const char *pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromLatin1(pattern)));
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

const QRegularExpression &countryExpression(const VatIdCountry &country)
{
    static const auto expressions = [] {
        std::array<QRegularExpression, kCountries.size()> all;
        for (size_t i = 0; i < kCountries.size(); ++i)
            all[i] = whole(kCountries[i].pattern);
        return all;
    }();
    return expressions[size_t(&country - kCountries.data())];
}

const VatIdCountry *countryOf(QStringView compact)
{
    for (const VatIdCountry &country : kCountries)
        if (compact.startsWith(QLatin1StringView(country.prefix)))
            return &country;
    return nullptr;
}

bool vatIdFormOnly(const QString &compact)
{
    const VatIdCountry *country = countryOf(compact);
    return country && countryExpression(*country).match(compact.mid(2)).hasMatch();
}

bool leitwegIdFormValid(QStringView trimmed)
{
    static const QRegularExpression form = whole(kLeitwegIdPattern);
    return form.match(trimmed.toString()).hasMatch();
}

// The remainder modulo 97 of the number the letters and digits make, a
// letter counting as its two digits (A=10 ... Z=35).
int mod97(QStringView text)
{
    int remainder = 0;
    for (QChar c : text) {
        const char16_t u = c.toUpper().unicode();
        if (isAsciiDigit(c))
            remainder = (remainder * 10 + (u - u'0')) % 97;
        else if (u >= u'A' && u <= u'Z')
            remainder = (remainder * 100 + (u - u'A' + 10)) % 97;
    }
    return remainder;
}

} // namespace

std::span<const VatIdCountry> vatIdCountries()
{
    return kCountries;
}

QString compactVatId(QStringView text)
{
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (c != u' ')
            compact += c.toUpper();
    return compact;
}

bool germanVatIdCheckDigitValid(QStringView nineDigits)
{
    if (nineDigits.size() != 9)
        return false;
    int product = 10;
    for (qsizetype i = 0; i < 8; ++i) {
        if (!isAsciiDigit(nineDigits[i]))
            return false;
        int sum = (nineDigits[i].digitValue() + product) % 10;
        if (sum == 0)
            sum = 10;
        product = (2 * sum) % 11;
    }
    const int check = (11 - product) % 10;
    return isAsciiDigit(nineDigits[8]) && nineDigits[8].digitValue() == check;
}

bool vatIdFormValid(QStringView text)
{
    const QString compact = compactVatId(text);
    if (!vatIdFormOnly(compact))
        return false;
    return !compact.startsWith(u"DE") || germanVatIdCheckDigitValid(QStringView(compact).mid(2));
}

bool leitwegIdValid(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    return leitwegIdFormValid(trimmed) && mod97(trimmed) == 1;
}

bool eInvoiceAddressValid(QStringView text)
{
    static const QRegularExpression form = whole(kEInvoiceAddressPattern);
    const QStringView address = text.trimmed();
    return address.size() <= 254 && address.indexOf(u'@') <= 64
           && form.match(address.toString()).hasMatch();
}

QString vatIdProblem(QStringView text)
{
    const QString compact = compactVatId(text);
    if (compact.isEmpty())
        return {};
    if (!vatIdFormOnly(compact))
        return QString::fromUtf16(kVatIdFormMessage);
    if (!vatIdFormValid(compact))
        return QString::fromUtf16(kVatIdCheckDigitMessage);
    return {};
}

QString leitwegIdProblem(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (!leitwegIdFormValid(trimmed))
        return QString::fromUtf16(kLeitwegIdFormMessage);
    if (mod97(trimmed) != 1)
        return QString::fromUtf16(kLeitwegIdCheckDigitMessage);
    return {};
}

QString eInvoiceAddressProblem(QStringView text)
{
    if (text.trimmed().isEmpty() || eInvoiceAddressValid(text))
        return {};
    return QString::fromUtf16(kEInvoiceAddressMessage);
}

} // namespace vq
