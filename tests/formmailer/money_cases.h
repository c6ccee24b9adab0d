// The money table's cases as the designer would hold them, for the tests of
// the page's script and of the form mailer.
#pragma once

#include "designer/model/project_document.h"
#include "designer/model/uArtikelField.h"
#include "designer/model/uPriceOption.h"
#include "tests/support/money_table.h"
#include "tests/test_support.h"

#include <memory>

namespace vq::test {

// "1234.5" as the order table shows it: a decimal comma, no grouping.
inline QString commaDecimal(const QString &amount)
{
    return QString(amount).replace(u'.', u',');
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
