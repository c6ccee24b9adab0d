// The window "Bestellungen einlesen" on a large mailbox: runs the import
// through the window (offscreen) and prints, per run, the time until the
// first row was shown, the whole run, the rows listed and the longest pause
// of the window's event loop (how long the window could not repaint).
//
//   bench_import_window DATABASE_URL CLIENT_ID [RUNS]
//
// mail_import_bench.sh starts the server, fills the mailbox and calls it.
#include "invoice/ui/uMailImport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

using namespace vq::invoice;

namespace {

class SilentQuestions : public UserQuestions
{
public:
    void showInformation(QWidget *, const QString &, const QString &text) override { last = text; }
    void showError(QWidget *, const QString &, const QString &text) override { last = text; }
    QString last;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream out(stdout);
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: bench_import_window DATABASE_URL CLIENT_ID [RUNS]\n";
        return 2;
    }
    InvoiceConnection db;
    QString error;
    if (!db.openConfigured(args.at(1), QString(), &error)) {
        QTextStream(stderr) << error << '\n';
        return 2;
    }
    const int clientId = args.at(2).toInt();
    const int runs = args.size() > 3 ? args.at(3).toInt() : 2;

    SilentQuestions questions;
    TfrmMailImport window(db, clientId, questions);
    window.show();
    auto *list = window.findChild<QTableView *>(QStringLiteral("lvMails"));
    auto *read = window.findChild<QAction *>(QStringLiteral("actEinlesen"));

    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer clock;
        qint64 firstRow = -1, lastTick = 0, longestPause = 0;
        const auto shown =
            QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, &window, [&] {
                if (firstRow < 0)
                    firstRow = clock.elapsed();
            });
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, &window, [&] {
            const qint64 now = clock.elapsed();
            longestPause = qMax(longestPause, now - lastTick);
            lastTick = now;
        });
        clock.start();
        tick.start();
        read->trigger();
        while (window.isBusy())
            app.processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 total = clock.elapsed();
        tick.stop();
        QObject::disconnect(shown);
        out << QStringLiteral("window run %1: %2 s, first row shown after %3 ms, %4 rows, "
                              "longest pause of the event loop %5 ms [%6]\n")
                   .arg(run)
                   .arg(total / 1000.0, 0, 'f', 3)
                   .arg(firstRow)
                   .arg(list->model()->rowCount())
                   .arg(longestPause)
                   .arg(questions.last);
        out.flush();
    }
    return 0;
}
