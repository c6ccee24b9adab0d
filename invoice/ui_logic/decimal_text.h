// The number boxes "Preis" and "Mwst." of the line editor and the price of the
// option dialog: what they let through while typing and how their text reads.
#pragma once

#include <QChar>
#include <QRegularExpression>
#include <QString>
#include <QValidator>
#include <optional>

namespace vq::invoice {

// Digits with at most one "," or "." anywhere: every text such a box may hold
// on its way to a number ("", ",", "12,").
const QRegularExpression &decimalPattern();

// Whether the text holds a "," or a ".".
bool holdsSeparator(const QString &text);

// What "Preis" and "Mwst." let through while typing: digits, and one "," or
// "." as long as the text holds neither; backspace and the keys that type no
// character (arrows, Tab, shortcuts) pass.
bool decimalKeyAccepted(const QString &text, QChar typed);

// Reads a price or rate as those boxes hold it: digits with at most one "," or
// "." as decimal separator ("12,5", "12.5", ",5", "12,"). nullopt otherwise.
std::optional<double> decimalBoxValue(const QString &text);

// A price as the option dialog reads it: regional ("1,5") or with a point; an
// empty box is no price. ok is false for text that is no number.
std::optional<double> optionPriceFromText(const QString &text, bool *ok);

// The language of decimalPattern() for pasted or dropped text, which no key filter sees.
class DecimalValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace vq::invoice
