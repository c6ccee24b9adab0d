// The invoice module vq_bestell_rechnung. Without options it opens its main
// window (optionally on the database --database URL names); for scripts and
// cron it runs the order-mail import of one client and puts out invoices from
// the command line:
//
//   vq_bestell_rechnung --import --client N [--database URL]
//       one line per order mail: sender, subject, size, date, status and the
//       message's unique id, separated by tabs; then the summary. Exit code 0,
//       1 when the server cannot be reached, refuses the login or the
//       connection breaks during the run, or the database fails during the
//       run (also when another user holds its lock longer than the lock
//       timeout); the orders stored before stay. 2 for a wrong call or a
//       database that cannot be opened. 3 when another import of the client
//       (the timer's, the window's) still runs after --wait seconds (60
//       unless given); nothing is read then.
//   vq_bestell_rechnung --delete UIDL --client N [--database URL]
//       deletes that message from the client's mailbox.
//   vq_bestell_rechnung --invoice ORDER_ID --pdf FILE [--database URL]
//       writes the invoice of that order through its client's template as
//       PDF. Exit code 1 for an unknown order, a missing or broken template or
//       a file that cannot be written.
//   vq_bestell_rechnung --invoice ORDER_ID --xrechnung FILE.xml [--database URL]
//       writes the order's electronic invoice (XRechnung); exit code 1 with
//       the German message for an unknown order or what the invoice lacks.
//   vq_bestell_rechnung --invoice ORDER_ID --zugferd FILE.pdf [--database URL]
//       writes the order's invoice through its client's template as ZUGFeRD /
//       Factur-X PDF (PDF/A-3b, profile EN 16931, the XML embedded); exit
//       code 1 as for --pdf and --xrechnung.
//   vq_bestell_rechnung --check ORDER_ID [--database URL]
//       the check before issue ("Vorprüfung"): names every item the order's
//       e-invoice lacks or holds wrongly on standard error, exit code 1; exit
//       code 0 when there is none. --invoice refuses the PDF of a business
//       buyer's invoice not issued yet while the check fails.
//   vq_bestell_rechnung --cancel ORDER_ID [--database URL]
//       issues the cancellation invoice of that order's issued invoice and
//       prints its order id and invoice number, separated by a tab. Exit
//       code 1 with the German message when the invoice is not issued, is a
//       cancellation itself or was cancelled before.
//   vq_bestell_rechnung --verify [--database URL]
//       checks the audit trail's chain, every archived document against its
//       SHA-256 and every issued invoice against what was recorded at its
//       issue. Exit code 0 when all match, 4 naming the first entry, document
//       or invoice that does not, 2 when the database cannot be read.
//
// The database is the file "datenbank.db" in the data folder unless --database
// or the environment variable VQ_INVOICE_DATABASE names another one. A
// PostgreSQL URL without a password leaves it to libpq's own sources
// (~/.pgpass, PGPASSFILE, PGPASSWORD, a service file through PGSERVICE).
#include "common/GlobalFunctions.h"
#include "invoice/db/clients.h"
#include "invoice/db/invoice_connection.h"
#include "invoice/db/issued_invoices.h"
#include "invoice/mail/display_text.h"
#include "invoice/mail/import_lock.h"
#include "invoice/mail/uMailOrder.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/ui/uMainWindow.h"
#include "invoice/ui/user_questions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <cstring>
#include <memory>

using namespace vq::invoice;

namespace {

enum ExitCode {
    Success = 0,
    ConnectionFailed = 1,
    UsageOrDatabase = 2,
    InvoiceFailed = 1,
    ImportRunning = 3,
    RecordsDiffer = 4
};

// The module's data files (database template, invoice template, help, icon):
// rechtool/ of the build's program folder, installed
// <prefix>/share/vq-bestellformular/rechtool.
QString dataFolder()
{
    return vq::programFolder(QStringLiteral("rechtool"));
}

// How long --import waits for another import of the client by default.
constexpr int kDefaultLockWaitSeconds = 60;

bool hasOption(int argc, char **argv, const char *option)
{
    const size_t length = std::strlen(option);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, length) == 0)
            return true;
    }
    return false;
}

// Without any option of the command-line runs (--database aside) the program
// opens its windows.
bool wantsWindows(int argc, char **argv)
{
    for (const char *option :
         {"--import", "--delete", "--invoice", "--client", "--pdf", "--xrechnung", "--zugferd",
          "--wait", "--help", "-h", "-?", "--version", "-v", "--cancel", "--verify", "--check"}) {
        if (hasOption(argc, argv, option))
            return false;
    }
    return true;
}

// Laying out an invoice needs fonts, so that run gets a GUI application
// without a window system (it also runs from cron, without a display).
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    if (hasOption(argc, argv, "--invoice") || hasOption(argc, argv, "--cancel")) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

// Opens the database a command-line run names; says why not on standard error.
bool openForCommandLine(InvoiceConnection &db, const QString &url, QTextStream &err)
{
    QString error;
    if (db.openConfigured(url, dataFolder(), &error))
        return true;
    err << QStringLiteral("Die Datenbank kann nicht geöffnet werden: %1\n").arg(error);
    return false;
}

// The windows: the main window on the database the user chose.
int runWindows(int &argc, char **argv)
{
    // Without a display the windows cannot open: say so rather than abort (a
    // cron job that forgot its options).
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        QTextStream(stderr) << QStringLiteral(
            "Die Fenster des Rechnungsmoduls brauchen eine grafische Oberfläche (DISPLAY). "
            "Ohne sie gibt es --import, --delete und --invoice (siehe --help).\n");
        return UsageOrDatabase;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vq_bestell_rechnung"));
    QApplication::setDesktopFileName(QStringLiteral("vq_bestell_rechnung"));
    QApplication::setWindowIcon(
        QIcon(QDir(dataFolder()).filePath(QStringLiteral("vq_bestell_rechnung.svg"))));
    // Money and dates as a German shop owner writes them, where the desktop
    // speaks another language (or none, LC_ALL=C); Qt's own dialogs (printer,
    // files) in German.
    if (QLocale::system().language() != QLocale::German)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf16(kInvoiceModuleName));
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("Datenbank statt datenbank.db im Datenverzeichnis."), QStringLiteral("URL"));
    parser.addOption(databaseOption);
    parser.process(app);

    UserQuestions questions;
    InvoiceConnection db;
    QString error;
    if (!db.openConfigured(parser.value(databaseOption), dataFolder(), &error)) {
        questions.showError(
            nullptr, QString::fromUtf16(kInvoiceModuleName),
            QStringLiteral("Die Datenbank kann nicht geöffnet werden:\n%1").arg(error));
        return UsageOrDatabase;
    }
    TfrmMainWindow window(db, questions, dataFolder());
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (wantsWindows(argc, argv))
        return runWindows(argc, argv);
    const auto application = makeApplication(argc, argv);
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("vq_bestell_rechnung"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));
    // A German invoice whatever the system's locale, as in the windows: cron
    // runs with LC_ALL=C.
    if (QLocale::system().language() != QLocale::German)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("VQ-BestellFormular Rechnungsmodul\n\nOhne --import, --delete, --invoice, "
                       "--check, --cancel "
                       "und --verify öffnet das "
                       "Programm seine Fenster (auch mit --database)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption importOption(
        QStringLiteral("import"),
        QStringLiteral("Bestellungen aus dem Postfach des Mandanten einlesen."));
    const QCommandLineOption deleteOption(
        QStringLiteral("delete"),
        QStringLiteral("Die E-Mail mit dieser eindeutigen Kennung (UIDL) löschen."),
        QStringLiteral("UIDL"));
    const QCommandLineOption clientOption(
        QStringLiteral("client"), QStringLiteral("Nummer des Mandanten."), QStringLiteral("N"));
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("Datenbank statt datenbank.db im Datenverzeichnis: sqlite:///Pfad oder "
                       "postgresql://Benutzer@Server:Port/Datenbank (auch über "
                       "VQ_INVOICE_DATABASE). Das Passwort kommt aus ~/.pgpass, PGPASSFILE, "
                       "PGPASSWORD oder der Dienstdatei (PGSERVICE), nicht aus der Befehlszeile."),
        QStringLiteral("URL"));
    const QCommandLineOption invoiceOption(
        QStringLiteral("invoice"),
        QStringLiteral("Die Rechnung der Bestellung mit dieser Nummer "
                       "(Bestellung_ID) ausgeben."),
        QStringLiteral("ORDER_ID"));
    const QCommandLineOption pdfOption(
        QStringLiteral("pdf"), QStringLiteral("Die Rechnung als PDF in diese Datei schreiben."),
        QStringLiteral("FILE"));
    const QCommandLineOption xrechnungOption(
        QStringLiteral("xrechnung"),
        QStringLiteral("Die E-Rechnung (XRechnung) in diese Datei schreiben."),
        QStringLiteral("FILE"));
    const QCommandLineOption zugferdOption(
        QStringLiteral("zugferd"),
        QStringLiteral("Die Rechnung als E-Rechnung (ZUGFeRD-PDF) in diese Datei schreiben."),
        QStringLiteral("FILE"));
    const QCommandLineOption waitOption(
        QStringLiteral("wait"),
        QStringLiteral("Mit --import: so viele Sekunden auf ein anderes Einlesen desselben "
                       "Mandanten warten (Standard %1, 0: nicht warten); danach Ende mit Status 3.")
            .arg(kDefaultLockWaitSeconds),
        QStringLiteral("SEKUNDEN"), QString::number(kDefaultLockWaitSeconds));
    const QCommandLineOption cancelOption(
        QStringLiteral("cancel"),
        QStringLiteral("Die ausgestellte Rechnung der Bestellung mit dieser Nummer stornieren: "
                       "eine Stornorechnung ausstellen und ihre Bestellung und Nummer ausgeben."),
        QStringLiteral("ORDER_ID"));
    const QCommandLineOption verifyOption(
        QStringLiteral("verify"),
        QStringLiteral("Protokoll, archivierte Dokumente und ausgestellte Rechnungen prüfen."));
    const QCommandLineOption checkOption(
        QStringLiteral("check"),
        QStringLiteral("Vorprüfung: nennen, was der E-Rechnung der Bestellung mit dieser Nummer "
                       "fehlt oder falsch ist (Status 1), sonst Status 0."),
        QStringLiteral("ORDER_ID"));
    parser.addOptions({importOption, deleteOption, clientOption, databaseOption, invoiceOption,
                       pdfOption, xrechnungOption, zugferdOption, waitOption, cancelOption,
                       verifyOption, checkOption});
    parser.process(app);

    if (parser.isSet(checkOption)) {
        bool isNumber = false;
        const int orderId = parser.value(checkOption).toInt(&isNumber);
        if (!isNumber || orderId <= 0) {
            err << QStringLiteral("Bitte geben Sie mit --check die Nummer der Bestellung "
                                  "(Bestellung_ID) an.\n");
            return UsageOrDatabase;
        }
        InvoiceConnection db;
        if (!openForCommandLine(db, parser.value(databaseOption), err))
            return UsageOrDatabase;
        QString error;
        const auto problems = InvoiceIssuer(db).precheck(orderId, &error);
        if (!problems) {
            err << error << u'\n';
            return InvoiceFailed;
        }
        (problems->isEmpty() ? out : err) << precheckText(*problems) << u'\n';
        return problems->isEmpty() ? Success : InvoiceFailed;
    }

    if (parser.isSet(cancelOption) || parser.isSet(verifyOption)) {
        bool isNumber = false;
        const int orderId = parser.value(cancelOption).toInt(&isNumber);
        if (parser.isSet(cancelOption) && (!isNumber || orderId <= 0)) {
            err << QStringLiteral("Bitte geben Sie mit --cancel die Nummer der Bestellung "
                                  "(Bestellung_ID) an.\n");
            return UsageOrDatabase;
        }
        InvoiceConnection db;
        QString error;
        if (!openForCommandLine(db, parser.value(databaseOption), err))
            return UsageOrDatabase;
        if (parser.isSet(verifyOption)) {
            const auto check = checkRecords(db);
            if (!check) {
                err << QStringLiteral("Die Prüfung ist fehlgeschlagen: %1\n").arg(db.lastError());
                return UsageOrDatabase;
            }
            (check->ok ? out : err) << check->message << u'\n';
            return check->ok ? Success : RecordsDiffer;
        }
        const auto result = InvoiceIssuer(db).cancel(orderId, &error);
        if (!result) {
            err << error << u'\n';
            return InvoiceFailed;
        }
        out << result->orderId << u'\t' << result->number << u'\n';
        return Success;
    }

    if (parser.isSet(invoiceOption)) {
        bool isNumber = false;
        const int orderId = parser.value(invoiceOption).toInt(&isNumber);
        const int outputs = int(!parser.value(pdfOption).isEmpty())
                            + int(!parser.value(xrechnungOption).isEmpty())
                            + int(!parser.value(zugferdOption).isEmpty());
        if (!isNumber || orderId <= 0 || outputs != 1) {
            err << QStringLiteral(
                "Bitte geben Sie mit --invoice die Nummer der Bestellung und mit --pdf die "
                "PDF-Datei, mit --xrechnung die XML-Datei oder mit --zugferd die "
                "ZUGFeRD-PDF-Datei an.\n");
            return UsageOrDatabase;
        }
        InvoiceConnection db;
        QString error;
        if (!openForCommandLine(db, parser.value(databaseOption), err))
            return UsageOrDatabase;
        InvoiceIssuer issuer(db);
        // A business buyer's invoice is not issued on paper while its
        // e-invoice would lack something: no question can be asked here.
        if (parser.isSet(pdfOption)) {
            if (const QString problems = issuer.businessPrecheck(orderId); !problems.isEmpty()) {
                err << problems << QStringLiteral("\nEs wurde keine Datei geschrieben.\n");
                return InvoiceFailed;
            }
        }
        const bool written =
            parser.isSet(xrechnungOption)
                ? issuer.writeXRechnung(orderId, parser.value(xrechnungOption), &error)
            : parser.isSet(zugferdOption)
                ? issuer.writeZugferd(orderId, parser.value(zugferdOption), &error)
                : issuer.writePdf(orderId, parser.value(pdfOption), &error);
        if (!written) {
            err << error << u'\n';
            return InvoiceFailed;
        }
        if (!issuer.lastWarning().isEmpty())
            err << QStringLiteral("Hinweis: ") << issuer.lastWarning() << u'\n';
        return Success;
    }

    if (!parser.isSet(importOption) && !parser.isSet(deleteOption)) {
        err << QStringLiteral(
            "Bitte geben Sie --import, --delete oder --invoice an, oder starten Sie das "
            "Programm ohne diese Angaben, um die Fenster zu öffnen.\n")
            << parser.helpText();
        return UsageOrDatabase;
    }
    bool ok = false;
    const int clientId = parser.value(clientOption).toInt(&ok);
    if (!ok || clientId <= 0) {
        err << QStringLiteral("Bitte geben Sie mit --client die Nummer des Mandanten an.\n");
        return UsageOrDatabase;
    }
    const int waitSeconds = parser.value(waitOption).toInt(&ok);
    if (!ok || waitSeconds < 0 || waitSeconds > 24 * 3600) {
        err << QStringLiteral(
                   "--wait erwartet eine Anzahl Sekunden von 0 bis 86400, nicht \"%1\".\n")
                   .arg(parser.value(waitOption));
        return UsageOrDatabase;
    }

    InvoiceConnection db;
    QString error;
    if (!openForCommandLine(db, parser.value(databaseOption), err))
        return UsageOrDatabase;
    CurrentClient current(db, dataFolder());
    if (!current.accept(clientId, &error)) {
        err << error << u'\n';
        return UsageOrDatabase;
    }

    MailOrder import(db, clientId);
    if (parser.isSet(deleteOption)) {
        MailOrderRow row;
        row.uidl = parser.value(deleteOption);
        QString detail;
        if (!import.deleteMail(row, &error, &detail)) {
            err << error << QStringLiteral(" (") << displayLine(detail) << QStringLiteral(")\n");
            return ConnectionFailed;
        }
        out << QStringLiteral("Nachricht %1 gelöscht.\n").arg(displayLine(row.uidl));
        return Success;
    }

    import.setLockWait(waitSeconds * 1000);
    const MailImportResult result = import.importOrders();
    int inserted = 0;
    int already = 0;
    int failed = 0;
    int withdrawals = 0;
    int unmatched = 0;
    for (const MailOrderRow &row : result.rows) {
        // Every field from the mail or the server on one line of its own
        // column: a tab, line break or escape sequence inside is a blank.
        out << displayLine(row.sender) << u'\t' << displayLine(row.subject) << u'\t'
            << row.sizeText() << u'\t' << row.dateText() << u'\t' << row.statusText();
        if (!row.detail.isEmpty())
            out << QStringLiteral(": ") << displayLine(row.detail);
        // The server's unique id, for --delete.
        out << u'\t' << displayLine(row.uidl) << u'\n';
        switch (row.status) {
        case MailOrderStatus::Inserted:
            ++inserted;
            break;
        case MailOrderStatus::AlreadyThere:
            ++already;
            break;
        case MailOrderStatus::WithdrawalUnmatched:
            ++unmatched;
            [[fallthrough]];
        case MailOrderStatus::WithdrawalMatched:
            ++withdrawals;
            break;
        default:
            ++failed;
        }
    }
    out.flush();
    if (!result.ok) {
        err << result.message;
        if (!result.detail.isEmpty())
            err << QStringLiteral(" (") << displayLine(result.detail) << u')';
        err << u'\n';
        return result.busy ? ImportRunning : ConnectionFailed;
    }
    out << result.message << u'\n'
        << QStringLiteral("%1 Bestellungen eingefügt, %2 bereits vorhanden, %3 fehlerhaft.\n")
               .arg(inserted)
               .arg(already)
               .arg(failed);
    if (withdrawals > 0)
        out << QStringLiteral("%1 Widerrufe gespeichert, davon %2 ohne passende Bestellung.\n")
                   .arg(withdrawals)
                   .arg(unmatched);
    return Success;
}
