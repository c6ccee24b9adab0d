// The shared table of money cases (tests/fixtures/money/money_cases.json):
// each case an order and the cents the page's script, the form mailer and the
// invoice module must all show for it. Read here once for every test of them.
#pragma once

#include "tests/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

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
    bool netto() const { return mode == u"netto"; }
    QList<MoneyArticle> articles;
    QStringList lines; // line totals of the ordered lines, in order
    QList<MoneyRate> rates;
    QString net, vat, total;
};

inline QList<MoneyCase> loadMoneyCases()
{
    const QJsonObject root =
        QJsonDocument::fromJson(readFile(fixturePath(QStringLiteral("money/money_cases.json"))))
            .object();
    QList<MoneyCase> cases;
    for (const QJsonValue &c : root[QStringLiteral("cases")].toArray()) {
        MoneyCase money;
        money.name = c[QStringLiteral("name")].toString();
        money.mode = c[QStringLiteral("mode")].toString();
        for (const QJsonValue &a : c[QStringLiteral("articles")].toArray()) {
            MoneyArticle article{a[QStringLiteral("number")].toString(),
                                 a[QStringLiteral("name")].toString(),
                                 a[QStringLiteral("price")].toString(),
                                 a[QStringLiteral("vat")].toString(),
                                 a[QStringLiteral("kind")].toInt(),
                                 a[QStringLiteral("quantity")].toInt(),
                                 {}};
            for (const QJsonValue &o : a[QStringLiteral("options")].toArray()) {
                MoneyOption option{
                    o[QStringLiteral("name")].toString(), {}, o[QStringLiteral("choose")].toInt()};
                for (const QJsonValue &v : o[QStringLiteral("values")].toArray())
                    option.values.append({v[QStringLiteral("name")].toString(),
                                          v[QStringLiteral("surcharge")].toString()});
                article.options.append(option);
            }
            money.articles.append(article);
        }
        const QJsonObject expect = c[QStringLiteral("expect")].toObject();
        for (const QJsonValue &line : expect[QStringLiteral("lines")].toArray())
            money.lines.append(line.toString());
        for (const QJsonValue &r : expect[QStringLiteral("rates")].toArray())
            money.rates.append(
                {r[QStringLiteral("rate")].toString(), r[QStringLiteral("net")].toString(),
                 r[QStringLiteral("vat")].toString(), r[QStringLiteral("gross")].toString()});
        money.net = expect[QStringLiteral("net")].toString();
        money.vat = expect[QStringLiteral("vat")].toString();
        money.total = expect[QStringLiteral("total")].toString();
        cases.append(money);
    }
    return cases;
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

} // namespace vq::test
