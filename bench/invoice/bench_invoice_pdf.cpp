// Invoice output speed: 1,000 orders in one SQLite database, each written as
// PDF through the delivered template, as electronic invoice (XRechnung XML)
// and as ZUGFeRD PDF, with the time per invoice of each (target: the ZUGFeRD
// PDF costs at most 1.5 times the plain PDF); then the steps of one invoice
// (reading, rendering the template, laying out, PDF, PDF/A-3 with the XML)
// as Google Benchmark figures.
//
//   build/bench/invoice/bench_invoice_pdf [ORDERS]
#include "common/safe_file.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/einvoice/xrechnung.h"
#include "invoice/einvoice/zugferd.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/report/invoice_renderer.h"

#include "common/GlobalFunctions.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

using namespace vq::invoice;

namespace {

InvoiceConnection *database = nullptr;
QList<int> orders;

bool fillDatabase(InvoiceConnection &db, int count)
{
    TMandant client = newClient();
    client.firma = QStringLiteral("Benchmark GmbH");
    client.strasse = QStringLiteral("Hauptstraße 1");
    client.plz = QStringLiteral("50667");
    client.ort = QStringLiteral("Köln");
    client.waehrung = QStringLiteral("€");
    client.email = QStringLiteral("rechnung@benchmark.example");
    client.telefon = QStringLiteral("0221 123456");
    client.ustIdNr = QStringLiteral("DE123456789");
    client.iban = QStringLiteral("DE89 3704 0044 0532 0130 00");
    client.bic = QStringLiteral("COLSDE33");
    client.rechnungsfuss = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil "
                                          "Arial;}}\\pard\\qc{\\b Benchmark GmbH} \\'b7 "
                                          "Gesch\\'e4ftsf\\'fchrer: Max Muster \\'b7 USt-IdNr. "
                                          "DE123456789\\par\\pard\\qc IBAN DE12 3705 0198 0000 "
                                          "1234 56 \\'b7 BIC COLSDE33\\par}");
    const auto mandantId = ClientStore(db).insertClient(client);
    if (!mandantId)
        return false;
    QFile::remove(clientTemplatePath(*mandantId));
    if (!QFile::copy(vq::programFile(QStringLiteral("rechtool/rechnung.rav")),
                     clientTemplatePath(*mandantId))
        && !QFile::copy(
            QDir(vq::programFolder()).filePath(QStringLiteral("../../bin/rechtool/rechnung.rav")),
            clientTemplatePath(*mandantId)))
        return false;
    db.begin();
    for (int i = 0; i < count; ++i) {
        TBestellung order;
        order.mandantId = *mandantId;
        order.rechNr = 1000 + i;
        order.zeit = QDateTime(QDate(2026, 1, 1).addDays(i % 300), QTime(10, 0), Qt::UTC);
        order.firma = (i % 3 == 0) ? QStringLiteral("Kunde %1 AG").arg(i) : QString();
        order.name = QStringLiteral("Erika");
        order.nachname = QStringLiteral("Mustermann %1").arg(i);
        order.strasse = QStringLiteral("Lindenweg %1").arg(i % 90 + 1);
        order.plz = QStringLiteral("10115");
        order.ort = QStringLiteral("Berlin");
        order.email = QStringLiteral("kunde%1@example.org").arg(i);
        const auto orderId = OrderStore(db).insertOrder(order);
        if (!orderId)
            return false;
        orders << *orderId;
        for (int j = 0; j < 3 + i % 5; ++j) {
            TArtikel line;
            line.bestellungId = *orderId;
            line.nr = QStringLiteral("A-%1").arg(100 + j);
            line.name = QStringLiteral("Artikel %1 mit einem etwas längeren Namen").arg(j);
            line.anzahl = 1 + j % 4;
            line.preis = 4.95 + j * 3.1;
            line.mwst = j % 3 == 2 ? 7 : 19;
            const auto lineId = OrderStore(db).insertLine(line);
            if (!lineId)
                return false;
            if (j % 2 == 0) {
                TOption option;
                option.artikelId = *lineId;
                option.name = QStringLiteral("Farbe");
                option.wert = QStringLiteral("Blau");
                option.preis = j == 0 ? std::optional<double>(1.5) : std::nullopt;
                OrderStore(db).insertOption(option);
            }
        }
    }
    return db.commit();
}

void BM_ReadInvoiceData(benchmark::State &state)
{
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            InvoiceIssuer(*database).read(orders[i++ % orders.size()], nullptr));
}
BENCHMARK(BM_ReadInvoiceData)->Unit(benchmark::kMillisecond);

void BM_RenderTemplate(benchmark::State &state)
{
    const auto data = InvoiceIssuer(*database).read(orders.first(), nullptr);
    const auto parsed = InvoiceTemplate::load(clientTemplatePath(data->client.id), nullptr);
    const QDate today = QDate::currentDate();
    for (auto _ : state)
        benchmark::DoNotOptimize(parsed->render(*data, today));
}
BENCHMARK(BM_RenderTemplate)->Unit(benchmark::kMillisecond);

void BM_LayOut(benchmark::State &state)
{
    const auto invoice = InvoiceIssuer(*database).render(orders.first(), nullptr);
    for (auto _ : state) {
        InvoiceDocument document(invoice->html, invoice->resourceFolder);
        benchmark::DoNotOptimize(document.pageCount());
    }
}
BENCHMARK(BM_LayOut)->Unit(benchmark::kMillisecond);

void BM_PaintPdf(benchmark::State &state)
{
    const auto invoice = InvoiceIssuer(*database).render(orders.first(), nullptr);
    const InvoiceDocument document(invoice->html, invoice->resourceFolder);
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        document.print(&writer);
        benchmark::DoNotOptimize(buffer.size());
    }
}
BENCHMARK(BM_PaintPdf)->Unit(benchmark::kMillisecond);

void BM_BuildXRechnung(benchmark::State &state)
{
    const auto input = InvoiceIssuer(*database).issue(orders.first(), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(buildXRechnung(*input, EInvoiceProfile::FacturXEN16931));
}
BENCHMARK(BM_BuildXRechnung)->Unit(benchmark::kMillisecond);

void BM_FacturXFromPdfA1b(benchmark::State &state)
{
    const auto invoice = InvoiceIssuer(*database).render(orders.first(), nullptr);
    const InvoiceDocument document(invoice->html, invoice->resourceFolder);
    const QByteArray base = invoicePdfA1b(document).value_or(QByteArray());
    QString error;
    const auto input = InvoiceIssuer(*database).issue(orders.first(), &error);
    const QByteArray xml = buildXRechnung(*input, EInvoiceProfile::FacturXEN16931).xml;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state)
        benchmark::DoNotOptimize(makeFacturXPdf(base, xml, now, &error));
}
BENCHMARK(BM_FacturXFromPdfA1b)->Unit(benchmark::kMillisecond);

// Writes every order's invoice with write; prints and returns the CPU
// milliseconds per invoice, or -1 after a failure.
template <typename Write> double timeEach(const char *what, Write write)
{
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < orders.size(); ++i) {
        QString error;
        if (!write(orders[i], i % 10, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return -1;
        }
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    std::printf("%lld invoices %s in %.0f ms: %.2f ms per invoice elapsed, %.2f ms CPU\n",
                static_cast<long long>(orders.size()), what, ms, ms / orders.size(),
                cpuMs / orders.size());
    std::fflush(stdout);
    return cpuMs / orders.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;

    InvoiceConnection db;
    QString error;
    if (!db.openSQLite(home.filePath(QStringLiteral("datenbank.db")),
                       vq::programFile(QStringLiteral("rechtool/datenbank.tdb")), &error)
        && !db.openSQLite(home.filePath(QStringLiteral("datenbank.db")),
                          QStringLiteral(VQ_PROGRAM_DIR "/rechtool/datenbank.tdb"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    database = &db;
    if (!fillDatabase(db, count)) {
        std::fprintf(stderr, "Die Testdaten konnten nicht angelegt werden: %s\n",
                     qPrintable(db.lastError()));
        return 1;
    }

    // Elapsed time depends on what else runs on the machine; the CPU time of
    // this process does not, so the targets are checked on it.
    const QString folder = home.path();
    const double pdf = timeEach("to PDF", [&](int order, int n, QString *error) {
        return InvoiceIssuer(db).writePdf(order, folder + QStringLiteral("/r%1.pdf").arg(n), error);
    });
    const double xml = timeEach("to XRechnung XML", [&](int order, int n, QString *error) {
        return InvoiceIssuer(db).writeXRechnung(order, folder + QStringLiteral("/r%1.xml").arg(n),
                                                error);
    });
    const double zugferd = timeEach("to ZUGFeRD PDF", [&](int order, int n, QString *error) {
        return InvoiceIssuer(db).writeZugferd(order, folder + QStringLiteral("/z%1.pdf").arg(n),
                                              error);
    });
    if (pdf < 0 || xml < 0 || zugferd < 0)
        return 1;
    std::printf("CPU per invoice: PDF %.2f ms (target < 50 ms), XRechnung %.2f ms, ZUGFeRD %.2f ms "
                "= %.2f x "
                "the PDF (target <= 1.5 x)\n",
                pdf, xml, zugferd, zugferd / pdf);
    std::fflush(stdout);

    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
