// The scenario orders of tests/fixtures/einvoice/scenarios.json issued as
// XRechnung and ZUGFeRD PDF the way a user issues them: each scenario's
// client and order stored, the invoice issued on 10.12.2026 through the
// delivered template; a cancellation scenario cancels its invoice and puts
// out the cancellation's credit note.
#pragma once

#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/output/invoice_issuer.h"
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace vq::invoice::test {

struct IssuedScenario
{
    QString name, what;
    QJsonObject order; // as the fixture gives it
    bool smallBusiness = false;
    bool cancellation = false;
    QString xml, pdf; // the files put out
};

// Builds every scenario once per test program.
class EInvoiceScenarios : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        s_dir = std::make_unique<QTemporaryDir>();
        QString error;
        InvoiceConnection db;
        ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, s_dir->path(), &error))
            << error.toStdString();
        QFile file(QStringLiteral(VQ_SOURCE_DIR "/tests/fixtures/einvoice/scenarios.json"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject fixture = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonObject seller = fixture.value(QStringLiteral("seller")).toObject();
        const QDateTime now(QDate(2026, 12, 10), QTime(9, 30));
        InvoiceIssuer issuer(db, [now] { return now; });
        for (const QJsonValue value : fixture.value(QStringLiteral("scenarios")).toArray()) {
            const QJsonObject scenario = value.toObject();
            IssuedScenario issued;
            issued.name = scenario.value(QStringLiteral("name")).toString();
            issued.what = scenario.value(QStringLiteral("what")).toString();
            issued.order = scenario.value(QStringLiteral("order")).toObject();
            issued.cancellation = scenario.value(QStringLiteral("cancel")).toBool();
            SCOPED_TRACE(issued.name.toStdString());

            QJsonObject clientValues = seller;
            const QJsonObject changes = scenario.value(QStringLiteral("client")).toObject();
            for (auto it = changes.begin(); it != changes.end(); ++it)
                clientValues.insert(it.key(), it.value());
            const TMandant client = clientOf(clientValues);
            issued.smallBusiness = client.kleinunternehmer;
            const auto clientId = ClientStore(db).insertClient(client);
            ASSERT_TRUE(clientId) << db.lastError().toStdString();
            QFile::remove(clientTemplatePath(*clientId));
            ASSERT_TRUE(QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/rechnung.rav"),
                                    clientTemplatePath(*clientId)));

            int orderId = storeScenarioOrder(db, *clientId, scenario);
            ASSERT_NE(orderId, 0) << db.lastError().toStdString();
            if (issued.cancellation) {
                ASSERT_TRUE(issuer.writePdf(
                    orderId, s_dir->filePath(issued.name + QStringLiteral("-original.pdf")),
                    &error))
                    << error.toStdString();
                const auto cancelled = issuer.cancel(orderId, &error);
                ASSERT_TRUE(cancelled) << error.toStdString();
                orderId = cancelled->orderId;
            }
            issued.xml = s_dir->filePath(issued.name + QStringLiteral(".xml"));
            issued.pdf = s_dir->filePath(issued.name + QStringLiteral(".pdf"));
            ASSERT_TRUE(issuer.writeXRechnung(orderId, issued.xml, &error)) << error.toStdString();
            ASSERT_TRUE(issuer.writeZugferd(orderId, issued.pdf, &error)) << error.toStdString();
            s_scenarios << issued;
        }
    }

    static void TearDownTestSuite()
    {
        s_scenarios.clear();
        s_dir.reset();
    }

    static TMandant clientOf(const QJsonObject &v)
    {
        TMandant c;
        c.firma = v.value(QStringLiteral("firma")).toString();
        c.vorname = v.value(QStringLiteral("vorname")).toString();
        c.name = v.value(QStringLiteral("name")).toString();
        c.strasse = v.value(QStringLiteral("strasse")).toString();
        c.plz = v.value(QStringLiteral("plz")).toString();
        c.ort = v.value(QStringLiteral("ort")).toString();
        c.land = v.value(QStringLiteral("land")).toString();
        c.email = v.value(QStringLiteral("email")).toString();
        c.telefon = v.value(QStringLiteral("telefon")).toString();
        c.ustIdNr = v.value(QStringLiteral("ustIdNr")).toString();
        c.steuernummer = v.value(QStringLiteral("steuernummer")).toString();
        c.iban = v.value(QStringLiteral("iban")).toString();
        c.bic = v.value(QStringLiteral("bic")).toString();
        c.bank = v.value(QStringLiteral("bank")).toString();
        c.waehrung = v.value(QStringLiteral("waehrung")).toString();
        if (v.contains(QStringLiteral("zahlungsziel")))
            c.zahlungsziel = v.value(QStringLiteral("zahlungsziel")).toInt();
        c.kleinunternehmer = v.value(QStringLiteral("kleinunternehmer")).toBool();
        if (v.contains(QStringLiteral("skontoTage"))) {
            c.skontoTage = v.value(QStringLiteral("skontoTage")).toInt();
            c.skontoProzent = v.value(QStringLiteral("skontoProzent")).toDouble();
        }
        return c;
    }

    static int storeScenarioOrder(InvoiceConnection &db, int clientId, const QJsonObject &scenario)
    {
        const QJsonObject v = scenario.value(QStringLiteral("order")).toObject();
        TBestellung b;
        b.mandantId = clientId;
        b.uuid = QStringLiteral("scenario-") + scenario.value(QStringLiteral("name")).toString();
        b.zeit = QDateTime::fromString(v.value(QStringLiteral("zeit")).toString(), Qt::ISODate);
        b.firma = v.value(QStringLiteral("firma")).toString();
        b.name = v.value(QStringLiteral("name")).toString();
        b.nachname = v.value(QStringLiteral("nachname")).toString();
        b.strasse = v.value(QStringLiteral("strasse")).toString();
        b.plz = v.value(QStringLiteral("plz")).toString();
        b.ort = v.value(QStringLiteral("ort")).toString();
        b.land = v.value(QStringLiteral("land")).toString();
        b.email = v.value(QStringLiteral("email")).toString();
        b.ustIdNr = v.value(QStringLiteral("ustIdNr")).toString();
        b.kaeuferreferenz = v.value(QStringLiteral("kaeuferreferenz")).toString();
        b.emailERechnung = v.value(QStringLiteral("emailERechnung")).toString();
        b.steuerfall = v.value(QStringLiteral("steuerfall")).toString();
        b.lieferdatum =
            QDate::fromString(v.value(QStringLiteral("lieferdatum")).toString(), Qt::ISODate);
        b.netto = v.value(QStringLiteral("netto")).toBool();
        static int number = 2000;
        b.rechNr = ++number;
        const auto orderId = OrderStore(db).insertOrder(b);
        if (!orderId)
            return 0;
        QList<TArtikel> lines;
        for (const QJsonValue line : scenario.value(QStringLiteral("lines")).toArray()) {
            const QJsonObject l = line.toObject();
            TArtikel a;
            a.nr = l.value(QStringLiteral("nr")).toString();
            a.name = l.value(QStringLiteral("name")).toString();
            a.anzahl = l.value(QStringLiteral("anzahl")).toInt();
            a.preis = l.value(QStringLiteral("preis")).toDouble();
            a.mwst = l.value(QStringLiteral("mwst")).toDouble();
            for (const QJsonValue option : l.value(QStringLiteral("optionen")).toArray()) {
                TOption o;
                o.name = option.toObject().value(QStringLiteral("name")).toString();
                o.wert = option.toObject().value(QStringLiteral("wert")).toString();
                o.preis = option.toObject().value(QStringLiteral("preis")).toDouble();
                a.optionen << o;
            }
            lines << a;
        }
        // A large order: lines of every rate, prices that round differently.
        const int generated = scenario.value(QStringLiteral("generate")).toInt();
        for (int i = 1; i <= generated; ++i) {
            TArtikel a;
            a.nr = QStringLiteral("G-%1").arg(i, 4, 10, QLatin1Char('0'));
            a.name = QStringLiteral("Artikel Nr. %1").arg(i);
            a.anzahl = 1 + i % 7;
            a.preis = 0.05 + (i * 37 % 1000) / 100.0;
            a.mwst = i % 3 == 0 ? 7 : 19;
            lines << a;
        }
        if (!storeLines(db, *orderId, lines))
            return 0;
        return *orderId;
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline QList<IssuedScenario> s_scenarios;
};

} // namespace vq::invoice::test
