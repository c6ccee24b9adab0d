// Issued invoices as records, on both back ends: what an issued invoice
// refuses (through the stores, the editing stay and plain SQL), reprints
// byte for byte after the client and the template changed, cancellation
// invoices, number ranges drawn by two seats at once, the audit trail broken
// behind the program's back and found, and the retention period.
#include "invoice/db/audit_trail.h"
#include "invoice/db/clients.h"
#include "invoice/db/issued_invoices.h"
#include "invoice/db/order_store.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/records/invoice_numbers.h"
#include "invoice/session/order_edit_session.h"
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/test_support.h"

#include <QFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

using namespace vq::invoice;
using namespace vq::invoice::test;

namespace {

const QDate kToday(2026, 12, 10);

QDateTime fixedClock()
{
    return QDateTime(kToday, QTime(11, 0));
}

class IssuedInvoices : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        const auto where = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
        ASSERT_TRUE(where) << error.toStdString();
        location = *where;
        ASSERT_TRUE(vq::test::openTestLocation(db, location, &error)) << error.toStdString();
        clientId = ClientStore(db).insertClient(seller()).value_or(0);
        ASSERT_GT(clientId, 0) << db.lastError().toStdString();
        QFile::remove(clientTemplatePath(clientId));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/rechnung.rav"),
                                clientTemplatePath(clientId)));
        QFile(clientTemplatePath(clientId)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }

    void TearDown() override { QFile::remove(clientTemplatePath(clientId)); }

    int storedOrder(int rechNr = 1042)
    {
        const int id = storeOrder(db, clientId, invoiceCases().first(), rechNr);
        EXPECT_NE(id, 0) << db.lastError().toStdString();
        return id;
    }

    InvoiceIssuer issuer() { return InvoiceIssuer(db, fixedClock); }

    // A statement on a connection of its own, as another program would send it.
    QString plainSql(const QString &statement)
    {
        const QString name = QStringLiteral("other%1").arg(++m_plain);
        QString result;
        {
            QString error;
            QSqlDatabase other = vq::test::openPlainConnection(location, name, &error);
            if (!error.isEmpty())
                return error;
            QSqlQuery query(other);
            if (!query.exec(statement))
                result = query.lastError().text().isEmpty() ? QStringLiteral("failed")
                                                            : query.lastError().text();
            query.finish();
            other.close();
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }

    QTemporaryDir dir;
    DatabaseLocation location;
    InvoiceConnection db;
    int clientId = 0;
    int m_plain = 0;
};

TEST_P(IssuedInvoices, AfterIssueTheInvoicesDataAreRefusedWhoeverWrites)
{
    const int id = storedOrder();
    const int lineId = OrderStore(db).linesOfOrder(id)->first().id;
    QString error;
    ASSERT_TRUE(issuer().issue(id, &error)) << error.toStdString();
    const auto issued = OrderStore(db).order(id);
    ASSERT_TRUE(issued && issued->issued());
    EXPECT_EQ(issued->rechnungsdatum, kToday);
    EXPECT_EQ(issued->rechNrText, QStringLiteral("1042"));

    // Plain SQL from another program: every change of what the invoice shows
    // is refused by the database, with its German reason.
    struct Case
    {
        const char *what;
        const char *sql; // %1 the order, %2 its line
        bool refused;
    };
    const Case cases[] = {
        {"buyer's name", "UPDATE Bestellung SET Bestellung_Name = 'X' WHERE Bestellung_ID = %1",
         true},
        {"street", "UPDATE Bestellung SET Bestellung_Strasse = 'X' WHERE Bestellung_ID = %1", true},
        {"invoice number", "UPDATE Bestellung SET Bestellung_RechNr = 9 WHERE Bestellung_ID = %1",
         true},
        {"invoice date",
         "UPDATE Bestellung SET Bestellung_Rechnungsdatum = NULL WHERE Bestellung_ID = %1", true},
        {"price mode",
         "UPDATE Bestellung SET Bestellung_Preisberechnung = 'netto' WHERE Bestellung_ID = %1",
         true},
        {"line price", "UPDATE Artikel SET Artikel_Preis = 0.01 WHERE Artikel_ID = %2", true},
        {"line VAT", "UPDATE Artikel SET Artikel_Mwst = 0 WHERE Artikel_ID = %2", true},
        {"new line",
         "INSERT INTO Artikel (Artikel_BestellungID, Artikel_Nr, Artikel_Name, Artikel_Anzahl, "
         "Artikel_Preis, Artikel_Mwst) VALUES (%1, 'Z', 'Zugabe', 1, 1, 19)",
         true},
        {"line deleted", "DELETE FROM Artikel WHERE Artikel_ID = %2", true},
        {"option added",
         "INSERT INTO Optionen (Option_ArtikelID, Option_Name, Option_Wert, Option_Preis) VALUES "
         "(%2, 'Farbe', 'Rot', 5)",
         true},
        {"order deleted", "DELETE FROM Bestellung WHERE Bestellung_ID = %1", true},
        {"archive changed", "UPDATE Rechnungsarchiv SET Archiv_SHA256 = 'x'", true},
        {"archive deleted", "DELETE FROM Rechnungsarchiv", true},
        {"trail changed", "UPDATE Protokoll SET Protokoll_Neu = 'x'", true},
        {"trail deleted", "DELETE FROM Protokoll", true},
        {"state", "UPDATE Bestellung SET Bestellung_Status = 2 WHERE Bestellung_ID = %1", false},
        {"remark",
         "UPDATE Bestellung SET Bestellung_Bemerkung = 'bezahlt am 12.12.' WHERE Bestellung_ID = "
         "%1",
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QString sql = QString::fromLatin1(c.sql);
        sql.replace(QStringLiteral("%1"), QString::number(id));
        sql.replace(QStringLiteral("%2"), QString::number(lineId));
        const QString refusal = plainSql(sql);
        EXPECT_EQ(!refusal.isEmpty(), c.refused) << refusal.toStdString();
        if (c.refused) {
            EXPECT_TRUE(refusal.contains(QStringLiteral("ausgestellt"))
                        || refusal.contains(QStringLiteral("Archiv und Protokoll")))
                << refusal.toStdString();
        }
    }

    // The program's own stores are refused the same way.
    TArtikel changed = OrderStore(db).linesOfOrder(id)->first();
    changed.preis = 1;
    EXPECT_FALSE(OrderStore(db).updateLine(changed));
    EXPECT_FALSE(OrderStore(db).deleteOrder(id, kToday));
    EXPECT_TRUE(db.lastError().contains(QStringLiteral("31.12.2034")))
        << db.lastError().toStdString();

    // The editing stay takes only what stays open, and records it.
    OrderEditSession session(db, clientId, [] { return kToday; });
    ASSERT_TRUE(session.startEdit(id, &error)) << error.toStdString();
    EXPECT_TRUE(session.issued());
    EXPECT_TRUE(session.issuedNote().contains(QStringLiteral("1042")));
    OrderBoxes boxes = session.boxes();
    boxes.nachname = QStringLiteral("Anders");
    ASSERT_TRUE(session.takeBoxes(boxes));
    EXPECT_EQ(session.addLine(session.newLine()), 0);
    EXPECT_FALSE(session.removeLine(lineId));
    boxes = session.boxes();
    boxes.bemerkung = QStringLiteral("Zahlung angekündigt");
    boxes.status = 4;
    EXPECT_FALSE(session.takeBoxes(boxes));
    EXPECT_FALSE(session.save());
    const auto after = OrderStore(db).order(id);
    EXPECT_EQ(after->bemerkung, QStringLiteral("Zahlung angekündigt"));
    EXPECT_EQ(after->status, 4);
    const auto trail = AuditTrail(db).entriesOfOrder(id).value();
    QStringList changedFields;
    for (const AuditEntry &entry : trail)
        if (entry.aktion == QString::fromUtf16(kAuditChanged))
            changedFields << entry.feld + u'=' + entry.neu;
    EXPECT_TRUE(changedFields.contains(QStringLiteral("Bestellung_Status=4")))
        << changedFields.join(u' ').toStdString();
    EXPECT_TRUE(changedFields.contains(QStringLiteral("Bestellung_Bemerkung=Zahlung angekündigt")));
    const auto check = checkRecords(db);
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->ok) << check->message.toStdString();
}

TEST_P(IssuedInvoices, ReprintsAreTheArchivedBytesWhateverChangedSince)
{
    const int id = storedOrder();
    QString error;
    const auto pdf = issuer().document(id, DocumentKind::Pdf, &error);
    ASSERT_TRUE(pdf) << error.toStdString();
    const auto xml = issuer().xrechnung(id, &error);
    ASSERT_TRUE(xml) << error.toStdString();
    const auto zugferd = issuer().document(id, DocumentKind::Zugferd, &error);
    ASSERT_TRUE(zugferd) << error.toStdString();

    // The client moves, the footer and the template change.
    TMandant moved = *ClientStore(db).client(clientId);
    moved.strasse = QStringLiteral("Neue Straße 99");
    moved.rechnungsfuss = QStringLiteral("Neue Fußzeile");
    ASSERT_TRUE(ClientStore(db).updateClient(moved));
    vq::test::writeFile(clientTemplatePath(clientId), "<p>Ganz andere Vorlage</p>");

    const QString again = dir.filePath(QStringLiteral("again.pdf"));
    ASSERT_TRUE(issuer().writePdf(id, again, &error)) << error.toStdString();
    EXPECT_EQ(vq::test::readFile(again), *pdf);
    EXPECT_EQ(issuer().xrechnung(id, &error).value_or(QByteArray()), *xml);
    const QString zugferdAgain = dir.filePath(QStringLiteral("again-zugferd.pdf"));
    ASSERT_TRUE(issuer().writeZugferd(id, zugferdAgain, &error)) << error.toStdString();
    EXPECT_EQ(vq::test::readFile(zugferdAgain), *zugferd);
    const QList<ArchivedDocument> archived = IssuedInvoiceStore(db).documents(id).value();
    EXPECT_EQ(archived.size(), 3);
    for (const ArchivedDocument &document : archived)
        EXPECT_EQ(document.sha256, sha256Hex(document.bytes));

    // A draft's preview says so; the issued invoice never does.
    const int draft = storedOrder(1043);
    vq::test::writeFile(clientTemplatePath(clientId), "<body><p>{{Bestellung_RechNr}}</p></body>");
    const auto preview = issuer().render(draft, &error);
    ASSERT_TRUE(preview) << error.toStdString();
    EXPECT_TRUE(preview->html.contains(QStringLiteral("Entwurf"))) << preview->html.toStdString();
    EXPECT_FALSE(vq::test::readFile(again).contains("Entwurf"));
}

TEST_P(IssuedInvoices, CancellationIsANewIssuedInvoiceWithNegatedLines)
{
    const int id = storedOrder();
    QString error;
    // A draft is changed or deleted, not cancelled.
    EXPECT_FALSE(issuer().cancel(id, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("noch nicht ausgestellt"))) << error.toStdString();
    ASSERT_TRUE(issuer().issue(id, &error)) << error.toStdString();

    const auto result = issuer().cancel(id, &error);
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_EQ(result->number, QStringLiteral("1043"));
    const auto cancellation = OrderStore(db).order(result->orderId).value();
    EXPECT_TRUE(cancellation.issued());
    EXPECT_EQ(cancellation.stornoZu, id);
    const auto original = OrderStore(db).order(id).value();
    EXPECT_EQ(original.status, IssuedInvoiceStore(db).cancelledState().value());
    const auto lines = OrderStore(db).linesWithOptions(id).value();
    const auto negated = OrderStore(db).linesWithOptions(result->orderId).value();
    ASSERT_EQ(negated.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(negated[i].anzahl, -lines[i].anzahl);
        EXPECT_EQ(negated[i].optionen.size(), lines[i].optionen.size());
    }
    const auto data = issuer().read(result->orderId, &error).value();
    const auto cancelled = issuer().read(id, &error).value();
    EXPECT_EQ(data.amounts.grossCents, -cancelled.amounts.grossCents);
    EXPECT_EQ(cancellationNote(data),
              QStringLiteral("Stornorechnung zu Rechnung Nr. 1042 vom 10.12.2026"));

    // Its e-invoice is a credit note naming the cancelled invoice, its
    // amounts those of the cancelled invoice.
    const auto xml = issuer().xrechnung(result->orderId, &error);
    ASSERT_TRUE(xml) << error.toStdString();
    EXPECT_TRUE(xml->contains("<ram:TypeCode>381</ram:TypeCode>")) << xml->toStdString();
    EXPECT_TRUE(xml->contains("InvoiceReferencedDocument")) << xml->toStdString();
    EXPECT_TRUE(xml->contains("<ram:IssuerAssignedID>1042</ram:IssuerAssignedID>"))
        << xml->toStdString();
    EXPECT_TRUE(xml->contains(QStringLiteral("<ram:DuePayableAmount>%1</ram:DuePayableAmount>")
                                  .arg(formatCents(cancelled.amounts.grossCents, QLocale::c()))
                                  .remove(u',')
                                  .toUtf8()))
        << xml->toStdString();

    // Once only; a cancellation itself is not cancelled.
    EXPECT_FALSE(issuer().cancel(id, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("bereits storniert"))) << error.toStdString();
    EXPECT_FALSE(issuer().cancel(result->orderId, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Stornorechnung"))) << error.toStdString();

    // "Korrigieren": a cancellation and an editable copy of another invoice.
    const int second = storedOrder(1050);
    ASSERT_TRUE(issuer().issue(second, &error));
    const auto corrected = issuer().cancel(second, &error, true);
    ASSERT_TRUE(corrected) << error.toStdString();
    const auto copy = OrderStore(db).order(corrected->copyId).value();
    EXPECT_FALSE(copy.issued());
    EXPECT_FALSE(copy.stornoZu);
    EXPECT_EQ(copy.nachname, OrderStore(db).order(second)->nachname);
    EXPECT_EQ(OrderStore(db).linesOfOrder(corrected->copyId)->size(),
              OrderStore(db).linesOfOrder(second)->size());
    const auto check = checkRecords(db);
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->ok) << check->message.toStdString();
}

TEST_P(IssuedInvoices, YearlyRangeDrawsAtIssueWithoutGapsAndOnceUnderTwoSeats)
{
    TMandant yearly = *ClientStore(db).client(clientId);
    yearly.nummernkreis = 1;
    yearly.ersteNummer = 1;
    yearly.nummernformat = QStringLiteral("RE-{JJJJ}-{NNNN}");
    ASSERT_TRUE(ClientStore(db).updateClient(yearly));

    // A draft has no number; deleting one leaves no gap.
    OrderEditSession session(db, clientId, [] { return kToday; });
    QString error;
    ASSERT_TRUE(session.startNew(&error)) << error.toStdString();
    EXPECT_TRUE(session.yearlyNumbers());
    EXPECT_FALSE(session.order().rechNr);
    const int first = storedOrder(0);
    const int gone = storedOrder(0);
    ASSERT_TRUE(OrderStore(db).deleteOrder(gone, kToday));
    const int second = storedOrder(0);
    ASSERT_TRUE(issuer().issue(first, &error)) << error.toStdString();
    ASSERT_TRUE(issuer().issue(second, &error)) << error.toStdString();
    EXPECT_EQ(OrderStore(db).order(first)->rechNrText, QStringLiteral("RE-2026-0001"));
    EXPECT_EQ(OrderStore(db).order(second)->rechNrText, QStringLiteral("RE-2026-0002"));
    // A new year starts again at the first number; the cancellation takes the next.
    InvoiceIssuer nextYear(db, [] { return QDateTime(QDate(2027, 1, 2), QTime(9, 0)); });
    const int third = storedOrder(0);
    ASSERT_TRUE(nextYear.issue(third, &error));
    EXPECT_EQ(OrderStore(db).order(third)->rechNrText, QStringLiteral("RE-2027-0001"));
    EXPECT_EQ(nextYear.cancel(first, &error).value_or(CancellationResult{}).number,
              QStringLiteral("RE-2027-0002"))
        << error.toStdString();

    // Two seats issue at once: every number once, none skipped.
    QList<int> orders[2];
    for (int i = 0; i < 16; ++i)
        orders[i % 2] << storedOrder(0);
    std::atomic<int> failures = 0;
    const auto seat = [&](int which) {
        InvoiceConnection own;
        QString why;
        if (!own.openLocation(location, &why)) {
            ++failures;
            return;
        }
        InvoiceIssuer mine(own, [] { return QDateTime(QDate(2027, 3, 1), QTime(9, 0)); });
        for (int id : orders[which])
            if (!mine.issue(id, &why))
                ++failures;
        own.close();
    };
    std::thread a(seat, 0), b(seat, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures, 0);
    QSet<QString> numbers;
    for (const QList<int> &list : orders)
        for (int id : list)
            numbers << OrderStore(db).order(id)->rechNrText;
    EXPECT_EQ(numbers.size(), 16);
    for (int n = 3; n <= 18; ++n)
        EXPECT_TRUE(numbers.contains(QStringLiteral("RE-2027-%1").arg(n, 4, 10, QLatin1Char('0'))))
            << n;
}

TEST_P(IssuedInvoices, TheTrailFindsWhatWasChangedBehindTheProgramsBack)
{
    const int id = storedOrder();
    QString error;
    ASSERT_TRUE(issuer().issue(id, &error)) << error.toStdString();
    ASSERT_TRUE(issuer().cancel(id, &error)) << error.toStdString();
    auto check = checkRecords(db);
    ASSERT_TRUE(check);
    ASSERT_TRUE(check->ok) << check->message.toStdString();
    EXPECT_GE(check->entries, 4);
    EXPECT_GE(check->documents, 2);

    // The guards taken off, as someone with the database tool could.
    const bool sqlite = GetParam() == SqlDialect::SQLite;
    const auto unguarded = [&](const QString &table, const QString &statement) {
        const QString sql =
            sqlite ? QStringLiteral("DROP TRIGGER IF EXISTS %1_Ausgestellt_Aendern; "
                                    "DROP TRIGGER IF EXISTS %1_Aendern; %2")
                         .arg(table, statement)
                   : QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER USER; %2; ALTER TABLE %1 "
                                    "ENABLE TRIGGER USER")
                         .arg(table, statement);
        if (sqlite) {
            QByteArray out, err;
            EXPECT_EQ(vq::test::runProgram(QStringLiteral("sqlite3"), {location.file, sql}, &out,
                                           30000, &err),
                      0)
                << err.toStdString();
        } else {
            EXPECT_EQ(plainSql(sql), QString());
        }
    };
    unguarded(QStringLiteral("Bestellung"),
              QStringLiteral("UPDATE Bestellung SET Bestellung_Ort = 'Anderswo' WHERE "
                             "Bestellung_ID = %1")
                  .arg(id));
    check = checkRecords(db);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->ok);
    EXPECT_TRUE(check->message.contains(QStringLiteral("Bestellung %1").arg(id)))
        << check->message.toStdString();

    unguarded(QStringLiteral("Protokoll"),
              QStringLiteral("UPDATE Protokoll SET Protokoll_Neu = 'x' WHERE Protokoll_ID = 2"));
    check = checkRecords(db);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->ok);
    EXPECT_TRUE(check->message.contains(QStringLiteral("Protokolleintrag 2")))
        << check->message.toStdString();
}

TEST_P(IssuedInvoices, IssuedInvoicesAreKeptEightYears)
{
    const int id = storedOrder();
    QString error;
    ASSERT_TRUE(issuer().issue(id, &error));
    EXPECT_FALSE(ClientStore(db).deleteClient(clientId, kToday));
    EXPECT_TRUE(db.lastError().contains(QStringLiteral("31.12.2034")))
        << db.lastError().toStdString();
    EXPECT_TRUE(ClientStore(db).client(clientId));
    // One issued in 2017 may go from 2026 on; its deletion is recorded.
    TBestellung old = order(false);
    old.mandantId = clientId;
    old.rechNr = 7;
    old.rechnungsdatum = QDate(2017, 5, 2);
    const int oldId = OrderStore(db).insertOrder(old).value_or(0);
    ASSERT_GT(oldId, 0) << db.lastError().toStdString();
    EXPECT_TRUE(OrderStore(db).deleteOrder(oldId, kToday)) << db.lastError().toStdString();
    EXPECT_FALSE(OrderStore(db).order(oldId));
    bool recorded = false;
    const QList<AuditEntry> entries = AuditTrail(db).entries().value();
    for (const AuditEntry &entry : entries)
        recorded =
            recorded
            || (entry.aktion == QString::fromUtf16(kAuditDeleted) && entry.bestellungId == oldId);
    EXPECT_TRUE(recorded);
    // A draft goes as before.
    const int draft = storedOrder(1060);
    EXPECT_TRUE(OrderStore(db).deleteOrder(draft, kToday));
}

INSTANTIATE_TEST_SUITE_P(Backends, IssuedInvoices,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const auto &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

TEST(IssuedInvoicesCommandLine, CancelAndVerify)
{
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error));
    const int clientId = ClientStore(db).insertClient(seller()).value_or(0);
    QFile::remove(clientTemplatePath(clientId));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/rechnung.rav"),
                            clientTemplatePath(clientId)));
    const int id = storeOrder(db, clientId, invoiceCases().first(), 1042);
    const QString url = vq::test::lastTestDatabaseUrl();
    db.close();
    const QString program = QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung");
    QByteArray out, err;
    // Not issued yet: refused.
    EXPECT_EQ(vq::test::runProgram(program,
                                   {QStringLiteral("--cancel"), QString::number(id),
                                    QStringLiteral("--database"), url},
                                   &out, 60000, &err),
              1);
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("noch nicht ausgestellt")))
        << err.toStdString();
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    ASSERT_EQ(
        vq::test::runProgram(program,
                             {QStringLiteral("--invoice"), QString::number(id),
                              QStringLiteral("--pdf"), pdf, QStringLiteral("--database"), url},
                             &out, 60000, &err),
        0)
        << err.toStdString();
    ASSERT_EQ(vq::test::runProgram(program,
                                   {QStringLiteral("--cancel"), QString::number(id),
                                    QStringLiteral("--database"), url},
                                   &out, 60000, &err),
              0)
        << err.toStdString();
    const QStringList printed = QString::fromUtf8(out).trimmed().split(u'\t');
    ASSERT_EQ(printed.size(), 2) << out.toStdString();
    EXPECT_EQ(printed[1], QStringLiteral("1043"));
    EXPECT_EQ(vq::test::runProgram(program,
                                   {QStringLiteral("--verify"), QStringLiteral("--database"), url},
                                   &out, 60000, &err),
              0)
        << err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(out).contains(QStringLiteral("Alles in Ordnung")));
    QFile::remove(clientTemplatePath(clientId));
}

} // namespace
