// The identifiers of a business buyer that an e-invoice carries: the VAT ID
// (USt-IdNr.), the Leitweg-ID of a public buyer and the address for
// e-invoices. The rules are the same in the order page's script and in the
// form mailer; this is their C++ side, headless, for the designer's page code
// and the invoice module alike. Each check passes an empty text: the fields
// are optional.
#pragma once

#include <QString>
#include <QStringView>
#include <span>

namespace vq {

// The form of the national part of a VAT ID after its country prefix, as a
// regular expression that reads the same in C++, JavaScript and PHP, without
// anchors.
struct VatIdCountry
{
    const char *prefix;  // "DE", "EL" for Greece, "XI" for Northern Ireland
    const char *pattern; // the national part, without anchors
};

// The forms of the Leitweg-ID and of the address, in the same notation. Each
// language anchors them at both ends of the whole text.
inline constexpr char kLeitwegIdPattern[] = "[0-9]{2,12}(-[0-9A-Za-z]{1,30})?-[0-9]{2}";
inline constexpr char kEInvoiceAddressPattern[] =
    "[A-Za-z0-9_+-]+(\\.[A-Za-z0-9_+-]+)*@([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\\.)+"
    "[A-Za-z]{2,63}";

// The messages, the same in every language the checks run in.
inline constexpr char16_t kVatIdFormMessage[] = u"Bitte geben Sie eine gültige USt-IdNr. ein.";
inline constexpr char16_t kVatIdCheckDigitMessage[] =
    u"Die USt-IdNr. ist ungültig. Bitte prüfen Sie die Prüfziffer.";
inline constexpr char16_t kLeitwegIdFormMessage[] =
    u"Bitte geben Sie eine gültige Leitweg-ID ein (zum Beispiel 04011000-12345-03).";
inline constexpr char16_t kLeitwegIdCheckDigitMessage[] =
    u"Die Leitweg-ID ist ungültig. Bitte prüfen Sie die Prüfziffern.";
inline constexpr char16_t kEInvoiceAddressMessage[] =
    u"Bitte geben Sie eine gültige E-Mail-Adresse für E-Rechnungen ein.";

// The 27 member states of the EU and Northern Ireland, by prefix.
std::span<const VatIdCountry> vatIdCountries();

// The VAT ID as the checks read it: blanks removed, letters in upper case.
QString compactVatId(QStringView text);

// The form of the VAT ID's country (after compactVatId), and for "DE" the
// check digit (ISO 7064 MOD 11,10).
bool vatIdFormValid(QStringView text);
// The check digit of a German VAT ID's nine digits.
bool germanVatIdCheckDigitValid(QStringView nineDigits);

// The coarse address (2 to 12 digits), an optional fine address (up to 30
// letters or digits) and two check digits, joined by "-"; the check digits
// by ISO 7064 MOD 97-10 over the letters and digits, A=10 ... Z=35, in any
// letter case. Blanks around it are ignored.
bool leitwegIdValid(QStringView text);

// A single plain address, as the form mailer accepts one: no quotes,
// comments or address literals, at most 254 characters, 64 before the "@".
bool eInvoiceAddressValid(QStringView text);

// The German message for a value that fails its check, empty when it passes
// (an empty value passes).
QString vatIdProblem(QStringView text);
QString leitwegIdProblem(QStringView text);
QString eInvoiceAddressProblem(QStringView text);

} // namespace vq
