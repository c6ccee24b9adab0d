// ZUGFeRD invoices of stored orders for the tests: a database with the
// electronic-invoice client, its copy of the delivered template, and the
// orders of invoiceCases().
#pragma once

#include "invoice/db/clients.h"
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/invoice_servers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vq::invoice::test {

class ZugferdOrders : public testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
            << error.toStdString();
        const auto id = ClientStore(db).insertClient(seller());
        ASSERT_TRUE(id) << db.lastError().toStdString();
        clientId = *id;
        QFile::remove(clientTemplatePath(clientId));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/rechnung.rav"),
                                clientTemplatePath(clientId)));
        int rechNr = 1042;
        for (const InvoiceCase &c : invoiceCases()) {
            const int orderId = storeOrder(db, clientId, c, rechNr++);
            ASSERT_NE(orderId, 0) << db.lastError().toStdString();
            orders << orderId;
        }
    }

    QString pdfPath(int n) const { return dir.filePath(QStringLiteral("rechnung%1.pdf").arg(n)); }

    QTemporaryDir dir;
    InvoiceConnection db;
    int clientId = 0;
    QList<int> orders; // one per invoiceCases()
};

} // namespace vq::invoice::test
