// Build tool: writes the empty invoice database "datenbank.tdb" from the
// schema, so the delivered template and the schema never drift apart.
#include "invoice/db/invoice_schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_database_template OUTPUT\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString building = output + QStringLiteral(".building");
    QFile::remove(building);
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("template"));
        db.setDatabaseName(building);
        ok = db.open() && db.transaction();
        for (const QString &statement :
             vq::invoice::schemaStatements(vq::invoice::SqlDialect::SQLite)) {
            QSqlQuery query(db);
            if (!ok || !query.exec(statement)) {
                std::fprintf(stderr, "%s\n%s\n", qPrintable(statement),
                             qPrintable(query.lastError().text()));
                ok = false;
                break;
            }
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("template"));
    if (!ok) {
        QFile::remove(building);
        return 1;
    }
    QFile::remove(output);
    return QFile::rename(building, output) ? 0 : 1;
}
