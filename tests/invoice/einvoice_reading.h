// Reading back what the invoice module put out, for the tests: the text of a
// PDF (pdftotext) and the amounts of an e-invoice's XML.
#pragma once

#include "invoice/money/order_amounts.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QByteArray>
#include <QDomDocument>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace vq::invoice::test {

// The text of a PDF in one line: blanks folded, " %" written "%".
inline QString pdfText(const QString &pdf)
{
    QByteArray out;
    EXPECT_EQ(vq::test::runProgram(QStringLiteral("pdftotext"),
                                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &out),
              0);
    return QString::fromUtf8(out)
        .normalized(QString::NormalizationForm_KC)
        .simplified()
        .replace(QStringLiteral(" %"), QStringLiteral("%"));
}

// "1.234,50" -> 123450
inline qint64 cents(const QString &german)
{
    return parseCents(QString(german).remove(u'.').replace(u',', u'.')).value_or(-1);
}

// The amounts of an XRechnung: per line, per rate, and the totals.
struct XmlAmounts
{
    QStringList lines;
    QStringList rates; // "19 30.88 5.87"
    QString lineTotal, taxBasis, taxTotal, grandTotal, duePayable;
};

inline XmlAmounts readXml(const QByteArray &xml)
{
    XmlAmounts result;
    QDomDocument document;
    EXPECT_TRUE(document.setContent(xml, true));
    const QString ram = QStringLiteral(
        "urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100");
    const auto text = [&](const QDomElement &parent, const char *name) {
        return parent.elementsByTagNameNS(ram, QString::fromLatin1(name)).at(0).toElement().text();
    };
    const QDomNodeList items =
        document.elementsByTagNameNS(ram, QStringLiteral("IncludedSupplyChainTradeLineItem"));
    for (int i = 0; i < items.size(); ++i)
        result.lines << text(items.at(i).toElement(), "LineTotalAmount");
    const QDomElement settlement =
        document.elementsByTagNameNS(ram, QStringLiteral("ApplicableHeaderTradeSettlement"))
            .at(0)
            .toElement();
    for (QDomElement tax = settlement.firstChildElement(QStringLiteral("ApplicableTradeTax"), ram);
         !tax.isNull(); tax = tax.nextSiblingElement(QStringLiteral("ApplicableTradeTax"), ram))
        result.rates << text(tax, "RateApplicablePercent") + u' ' + text(tax, "BasisAmount") + u' '
                            + text(tax, "CalculatedAmount");
    const QDomElement sums = settlement.firstChildElement(
        QStringLiteral("SpecifiedTradeSettlementHeaderMonetarySummation"), ram);
    result.lineTotal = text(sums, "LineTotalAmount");
    result.taxBasis = text(sums, "TaxBasisTotalAmount");
    result.taxTotal = text(sums, "TaxTotalAmount");
    result.grandTotal = text(sums, "GrandTotalAmount");
    result.duePayable = text(sums, "DuePayableAmount");
    return result;
}

} // namespace vq::invoice::test
