// The shared table of a business buyer's identifiers
// (tests/fixtures/buyer_ids/buyer_id_cases.json): each case a value and what
// its check says. The C++ checks, the order page's script and the form mailer
// are all tested on it.
#pragma once

#include "tests/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace vq::test {

struct BuyerIdCase
{
    QString kind; // "vat", "leitweg" or "email"
    QString value;
    QString message; // empty: the value passes
};

inline QString buyerIdCasesPath()
{
    return fixturePath(QStringLiteral("buyer_ids/buyer_id_cases.json"));
}

inline QList<BuyerIdCase> loadBuyerIdCases()
{
    const QJsonObject root = QJsonDocument::fromJson(readFile(buyerIdCasesPath())).object();
    QList<BuyerIdCase> cases;
    for (const QJsonValue &c : root[QStringLiteral("cases")].toArray())
        cases.append({c[QStringLiteral("kind")].toString(), c[QStringLiteral("value")].toString(),
                      c[QStringLiteral("message")].toString()});
    return cases;
}

} // namespace vq::test
