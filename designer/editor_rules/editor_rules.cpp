#include "designer/editor_rules/editor_rules.h"

#include "common/regional_numbers.h"
#include "designer/generation/order/number_notation.h"

#include <cmath>

namespace vq::ui {

namespace {
bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}
bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

bool nameKeyAccepted(bool boxEmpty, QChar typed)
{
    if (isAsciiLetter(typed) || typed == QLatin1Char('_'))
        return true;
    return !boxEmpty && isAsciiDigit(typed);
}

bool minLengthKeyAccepted(QChar typed)
{
    return isAsciiDigit(typed);
}

NameProblem checkFieldName(const QString &name, int feldNr, const FieldList &fields)
{
    if (name.isEmpty())
        return NameProblem::Empty;
    const int found = GetFieldNr(fields, name);
    if (found != -1 && found != feldNr)
        return NameProblem::Duplicate;
    return NameProblem::None;
}

QString nameProblemMessage(NameProblem problem)
{
    switch (problem) {
    case NameProblem::Empty:
        return QStringLiteral("Bitte geben Sie etwas im Feld \"Name\" ein.");
    case NameProblem::Duplicate:
        return QStringLiteral("Ein Feld mit diesem Namen ist bereits im Formular, bitte wählen "
                              "Sie einen anderen Namen.");
    case NameProblem::None:
        break;
    }
    return {};
}

int minLengthFromText(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 ? value : 0;
}

std::vector<InputProblem> checkArticleInput(const QString &preisText, const QString &mwstText,
                                            const QString &name, const QLocale &locale)
{
    std::vector<InputProblem> problems;
    bool ok = false;
    parseRegionalNumber(preisText, &ok, locale);
    if (!ok)
        problems.push_back({QStringLiteral("Bitte geben Sie einen korrekten Preis ein."),
                            QStringLiteral("edtPreis")});
    parseRegionalNumber(mwstText, &ok, locale);
    if (!ok)
        problems.push_back({QStringLiteral("Bitte geben Sie im Feld \"Mwst.\" einen korrekten "
                                           "Steuersatz in Prozent ein."),
                            QStringLiteral("cboMwst")});
    if (name.isEmpty())
        problems.push_back(
            {QStringLiteral("Bitte geben Sie einen Produktnamen ein."), QStringLiteral("edtName")});
    return problems;
}

std::vector<InputProblem> checkPriceValue(const QString &name, const QString &priceText,
                                          const QString &nameControl, const QString &priceControl,
                                          const QLocale &locale)
{
    std::vector<InputProblem> problems;
    if (name.isEmpty())
        problems.push_back({QStringLiteral("Bitte einen Namen eingeben."), nameControl});
    bool ok = false;
    parseRegionalNumber(priceText, &ok, locale);
    if (!ok)
        problems.push_back({QStringLiteral("Bitte einen gültigen Preis eingeben."), priceControl});
    return problems;
}

double priceFromMoneyText(const QString &moneyText, double shownValue, const QLocale &locale)
{
    QString text = moneyText;
    const QString group = locale.groupSeparator();
    if (!group.isEmpty())
        text.remove(group);
    // The money text lays out a blank-like group separator as a plain blank.
    if (group.size() == 1 && group.at(0).isSpace())
        text.remove(QLatin1Char(' '));
    bool ok = false;
    const double value = parseRegionalNumber(text.trimmed(), &ok, locale);
    if (ok)
        return value;
    return std::round(shownValue * 100.0) / 100.0;
}

PriceValueList::PriceValueList(const QLocale &locale)
    : m_locale(locale)
{
}

void PriceValueList::assign(const std::vector<TPriceOptionElement> &values)
{
    m_values = values;
}

bool PriceValueList::add(const QString &name, const QString &priceText)
{
    bool ok = false;
    const double price = parseRegionalNumber(priceText, &ok, m_locale);
    if (!ok)
        return false;
    m_values.push_back({name, price});
    return true;
}

bool PriceValueList::replace(int row, const QString &name, const QString &priceText)
{
    bool ok = false;
    const double price = parseRegionalNumber(priceText, &ok, m_locale);
    if (!ok || !valid(row))
        return false;
    m_values[static_cast<size_t>(row)] = {name, price};
    return true;
}

void PriceValueList::remove(int row)
{
    if (valid(row))
        m_values.erase(m_values.begin() + row);
}

int PriceValueList::moveUp(int row)
{
    if (!valid(row) || row == 0)
        return row;
    std::swap(m_values[static_cast<size_t>(row)], m_values[static_cast<size_t>(row - 1)]);
    return row - 1;
}

int PriceValueList::moveDown(int row)
{
    if (!valid(row) || row == size() - 1)
        return row;
    std::swap(m_values[static_cast<size_t>(row)], m_values[static_cast<size_t>(row + 1)]);
    return row + 1;
}

QString PriceValueList::shownPrice(int row) const
{
    return moneyText(at(row).preis, m_locale);
}

QString PriceValueList::editPrice(int row) const
{
    return formatRegionalNumber(at(row).preis, m_locale);
}

std::vector<TPriceOptionElement> PriceValueList::takeOver() const
{
    std::vector<TPriceOptionElement> result;
    result.reserve(m_values.size());
    for (int row = 0; row < size(); ++row)
        result.push_back(
            {at(row).name, priceFromMoneyText(shownPrice(row), at(row).preis, m_locale)});
    return result;
}

QString fontColourValue(const QColor &colour)
{
    return colour.name(QColor::HexRgb).mid(1).toUpper();
}

} // namespace vq::ui

#include <QJsonArray>
#include <QJsonDocument>

namespace vq::ui {

QString scriptString(const QString &text)
{
    QString json =
        QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    json = json.mid(1, json.size() - 2); // the array's brackets
    // Line and paragraph separators end a string in older script engines.
    json.replace(QChar(0x2028), QStringLiteral("\\u2028"));
    json.replace(QChar(0x2029), QStringLiteral("\\u2029"));
    return json;
}

QString writeDocumentScript(const QString &html, bool editMode)
{
    QString script = QStringLiteral("document.open();document.write(") + scriptString(html)
                     + QStringLiteral(");document.close();");
    if (editMode)
        script += QStringLiteral("document.designMode='on';");
    return script + QStringLiteral("true;");
}

QString editCommandScript(const QString &command, const QString &value)
{
    return QStringLiteral("document.execCommand(") + scriptString(command)
           + QStringLiteral(",false,")
           + (value.isEmpty() ? QStringLiteral("null") : scriptString(value))
           + QStringLiteral(");true;");
}

QString fontSizeStepScript(int step)
{
    return QStringLiteral("(function(){var v=parseInt(document.queryCommandValue('FontSize'),10);"
                          "if(isNaN(v))v=3;document.execCommand('FontSize',false,String(v+(%1)));"
                          "return true;})();")
        .arg(step);
}

} // namespace vq::ui
