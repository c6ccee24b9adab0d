// The shared table of money cases (tests/fixtures/money/money_cases.json),
// read for the tests of the page's script and of the form mailer, and the
// project of a case as the designer would hold it.
#pragma once

#include "project_document.h"
#include "test_support.h"
#include "uArtikelField.h"
#include "uPriceOption.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace vq::test {

struct MoneyOptionValue
{
    QString name;
    QString surcharge; // decimal text with a point, may be negative
};

struct MoneyOption
{
    QString name;
    QList<MoneyOptionValue> values;
    int choose = 0;
    const MoneyOptionValue &chosen() const { return values.at(choose); }
};

struct MoneyArticle
{
    QString number, name, price, vat; // decimal texts with a point
    int kind = 0;                     // 0 quantity field, 1 fixed price, 2 check box
    int quantity = 0;
    QList<MoneyOption> options;
    // The pieces the form posts: a fixed-price article always 1.
    int ordered() const { return kind == 1 ? 1 : quantity; }
};

struct MoneyRate
{
    QString rate, net, vat, gross;
};

struct MoneyCase
{
    QString name, mode; // mode "brutto" or "netto"
    QList<MoneyArticle> articles;
    QStringList lines; // line totals of the ordered lines, in order
    QList<MoneyRate> rates;
    QString net, vat, total;
};

inline QList<MoneyCase> loadMoneyCases()
{
    const QJsonObject root =
        QJsonDocument::fromJson(readFile(fixturePath(QStringLiteral("money/money_cases.json")))).object();
    QList<MoneyCase> cases;
    for (const QJsonValue &c : root[QStringLiteral("cases")].toArray()) {
        MoneyCase money;
        money.name = c[QStringLiteral("name")].toString();
        money.mode = c[QStringLiteral("mode")].toString();
        for (const QJsonValue &a : c[QStringLiteral("articles")].toArray()) {
            MoneyArticle article{a[QStringLiteral("number")].toString(), a[QStringLiteral("name")].toString(),
                                 a[QStringLiteral("price")].toString(),  a[QStringLiteral("vat")].toString(),
                                 a[QStringLiteral("kind")].toInt(),      a[QStringLiteral("quantity")].toInt(),
                                 {}};
            for (const QJsonValue &o : a[QStringLiteral("options")].toArray()) {
                MoneyOption option{o[QStringLiteral("name")].toString(), {}, o[QStringLiteral("choose")].toInt()};
                for (const QJsonValue &v : o[QStringLiteral("values")].toArray())
                    option.values.append({v[QStringLiteral("name")].toString(), v[QStringLiteral("surcharge")].toString()});
                article.options.append(option);
            }
            money.articles.append(article);
        }
        const QJsonObject expect = c[QStringLiteral("expect")].toObject();
        for (const QJsonValue &line : expect[QStringLiteral("lines")].toArray())
            money.lines.append(line.toString());
        for (const QJsonValue &r : expect[QStringLiteral("rates")].toArray())
            money.rates.append({r[QStringLiteral("rate")].toString(), r[QStringLiteral("net")].toString(),
                                r[QStringLiteral("vat")].toString(), r[QStringLiteral("gross")].toString()});
        money.net = expect[QStringLiteral("net")].toString();
        money.vat = expect[QStringLiteral("vat")].toString();
        money.total = expect[QStringLiteral("total")].toString();
        cases.append(money);
    }
    return cases;
}

// "1234.5" as the order table shows it: a decimal comma, no grouping.
inline QString commaDecimal(const QString &amount)
{
    return QString(amount).replace(u'.', u',');
}

// "99000.00" as the mails show money: thousands grouped with a point ("99.000,00").
inline QString groupedMoney(const QString &amount)
{
    const qsizetype point = amount.indexOf(u'.');
    QString whole = amount.left(point);
    const bool negative = whole.startsWith(u'-');
    if (negative)
        whole.remove(0, 1);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, u'.');
    return (negative ? QStringLiteral("-") : QString()) + whole + u',' + amount.mid(point + 1);
}

// The articles of a case as the designer holds them; the prices are the
// doubles the designer keeps, which the generated page writes back as the
// case's texts.
inline TArtikelList moneyArticles(const MoneyCase &money)
{
    TArtikelList list;
    for (const MoneyArticle &a : money.articles) {
        auto article = std::make_unique<TArtikelField>();
        article->artikelNummer = a.number;
        article->name = a.name;
        article->preis = a.price.toDouble();
        article->mwst = a.vat.toDouble();
        article->artikelTyp = a.kind;
        for (const MoneyOption &o : a.options) {
            auto option = std::make_unique<TSelectPriceOption>();
            option->beschriftung = o.name;
            for (const MoneyOptionValue &v : o.values)
                option->elements.push_back({v.name, v.surcharge.toDouble()});
            article->listOptionen.push_back(std::move(option));
        }
        list.push_back(std::move(article));
    }
    return list;
}

} // namespace vq::test
