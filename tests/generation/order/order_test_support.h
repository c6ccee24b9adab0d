// Builders for articles and options shared by the order-table tests.
#pragma once

#include "designer/generation/order/order_table.h"
#include "tests/support/print_qstring.h"

#include <QString>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <utility>

namespace vq::test {

// "\n" written as the generated line break CR LF.
inline QString crlf(const char *text)
{
    QString s = QString::fromUtf8(text);
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return s;
}

inline std::unique_ptr<TOptionField> inputOption(const QString &caption, const QString &preset)
{
    auto o = std::make_unique<TInputOption>();
    o->beschriftung = caption;
    o->defaultWert = preset;
    return o;
}

inline std::unique_ptr<TOptionField> selectOption(const QString &caption, const QString &choices)
{
    auto o = std::make_unique<TSelectOption>();
    o->beschriftung = caption;
    o->defaultWert = choices;
    return o;
}

inline std::unique_ptr<TOptionField>
priceOption(const QString &caption, std::initializer_list<std::pair<const char *, double>> values)
{
    auto o = std::make_unique<TSelectPriceOption>();
    o->beschriftung = caption;
    for (const auto &[name, preis] : values)
        o->elements.push_back({QString::fromUtf8(name), preis});
    return o;
}

inline std::unique_ptr<TArtikelField> article(int kind, const QString &name, double preis,
                                              double mwst)
{
    auto a = std::make_unique<TArtikelField>();
    a->artikelTyp = kind;
    a->name = name;
    a->preis = preis;
    a->mwst = mwst;
    return a;
}

inline OrderTableSettings orderSettings(const QString &tax, const QLocale &locale,
                                        const QString &currency = QStringLiteral("€"))
{
    OrderTableSettings s;
    s.currency = currency;
    s.mwstLabel = QStringLiteral("enthaltene MwSt.:");
    s.tax = tax;
    s.locale = locale;
    return s;
}

} // namespace vq::test
