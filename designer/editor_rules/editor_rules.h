// The checks and conversions of the field, article and option editors, kept
// apart from the widgets so they are tested without a display.
#pragma once

#include "designer/model/uPriceOption.h"
#include "designer/model/vqform.h"

#include "common/regional_numbers.h"
#include <QChar>
#include <QColor>

#include <QLocale>
#include <QString>
#include <vector>

namespace vq::ui {

// Key filter of a field's "Name" box: while the box is empty only a letter
// A-Z/a-z or "_" may be typed, afterwards digits too. Everything else
// (blank, umlaut, hyphen, point) is swallowed.
bool nameKeyAccepted(bool boxEmpty, QChar typed);

// Key filter of "Mindestlänge:": digits only.
bool minLengthKeyAccepted(QChar typed);

enum class NameProblem { None, Empty, Duplicate };

// The name check on "Übernehmen": empty, or already used by another field than
// the one at feldNr (-1 for a new field). Case matters ("Email" != "email").
NameProblem checkFieldName(const QString &name, int feldNr, const FieldList &fields);
QString nameProblemMessage(NameProblem problem);

// "Mindestlänge:" as stored: the typed digits, 0 when the box is empty or the
// text is not a plain number.
int minLengthFromText(const QString &text);

// One failed input check of a dialog: the message and the objectName of the
// control that gets the focus.
struct InputProblem
{
    QString message;
    QString control;
};

// The checks of the article dialog on OK: the price and the VAT rate must read
// by the regional settings, the name must not be empty. All of them run.
std::vector<InputProblem> checkArticleInput(const QString &preisText, const QString &mwstText,
                                            const QString &name,
                                            const QLocale &locale = vq::displayLocale());

// The checks of a price option value (add in the price option dialog, OK in
// the value dialog): a name and a readable price. Both run.
std::vector<InputProblem> checkPriceValue(const QString &name, const QString &priceText,
                                          const QString &nameControl, const QString &priceControl,
                                          const QLocale &locale = vq::displayLocale());

// A price read back from its money text ("1.234,50 "): thousands separators
// removed, then read by the regional settings. Layouts that still do not read
// (a currency in brackets) fall back to the amount rounded to two decimals.
double priceFromMoneyText(const QString &moneyText, double shownValue,
                          const QLocale &locale = vq::displayLocale());

// The values of a price option while its dialog is open.
class PriceValueList
{
public:
    explicit PriceValueList(const QLocale &locale = vq::displayLocale());

    void assign(const std::vector<TPriceOptionElement> &values);
    void clear() { m_values.clear(); }
    int size() const { return static_cast<int>(m_values.size()); }
    const TPriceOptionElement &at(int row) const { return m_values.at(static_cast<size_t>(row)); }

    // Appends a value after checkPriceValue passed; false when the price does
    // not read.
    bool add(const QString &name, const QString &priceText);
    bool replace(int row, const QString &name, const QString &priceText);
    void remove(int row);
    // Exchange with the neighbour; a move beyond either end does nothing.
    // Returns the row of the moved value (unchanged when nothing moved).
    int moveUp(int row);
    int moveDown(int row);

    // The price column of the value list: the money text.
    QString shownPrice(int row) const;
    // The price as the value dialog shows it for editing (general form).
    QString editPrice(int row) const;

    // The values as the option takes them over: each price read back from its
    // shown money text, so it is rounded to the currency decimals.
    std::vector<TPriceOptionElement> takeOver() const;

private:
    bool valid(int row) const { return row >= 0 && row < size(); }

    QLocale m_locale;
    std::vector<TPriceOptionElement> m_values;
};

// The value of the font colour command: six upper-case hex digits RRGGBB.
QString fontColourValue(const QColor &colour);

} // namespace vq::ui

namespace vq::ui {

// Scripts of the HTML snippet editor. Every text goes in as a quoted script
// string, so a snippet cannot break out of it whatever it holds.
QString scriptString(const QString &text);
// Replaces the document with html (open, write, close) and switches it to
// edit mode when editMode is set.
QString writeDocumentScript(const QString &html, bool editMode);
// Runs an editing command on the selection; an empty value passes none.
QString editCommandScript(const QString &command, const QString &value = QString());
// Raises or lowers the font size of the selection by step from its current
// value (3, the browser's default, when it has none).
QString fontSizeStepScript(int step);

} // namespace vq::ui
