// The schema of the invoice database: tables, relations, views and the
// initial order states, written for SQLite and for PostgreSQL.
#pragma once

#include <QStringList>

namespace vq::invoice {

enum class SqlDialect { SQLite, PostgreSQL };

// Version written into table Schemaversion; raised with every change of the schema.
// 1: the first schema. 2: unique order identifiers, the client's order secret.
// 3: what electronic invoices need (the client's tax and bank data and
// telephone, the order's invoice date and buyer reference). 4: how an order
// was priced (prices with or without VAT). 5: order mails the import refused,
// remembered with the reason so that they are not fetched again. 6: the
// client's payment period. 7: the order's version, which every write raises.
// 8: issued invoices as records: number ranges, archive, audit trail,
// cancellations. 9: consumers' withdrawals (table Widerruf) and the state
// "Widerrufen".
inline constexpr int kSchemaVersion = 10;

// What the database answers when a write would change an issued invoice,
// delete it within its retention period, or touch the archive or the audit
// trail; the stores recognise them in the error text.
inline constexpr char kTextInvoiceLocked[] =
    "Die Rechnung ist ausgestellt; ihre Angaben lassen sich nicht mehr ändern.";
inline constexpr char kTextInvoiceKept[] =
    "Die Rechnung ist ausgestellt und muss bis zum Ende des achten Jahres nach ihrer "
    "Ausstellung aufbewahrt werden.";
inline constexpr char kTextRecordKept[] =
    "Archiv und Protokoll der Rechnungen lassen sich nicht ändern.";

// Statements that create an empty database of the given version with the
// initial states, in order: the first schema followed by every upgrade step,
// so a new database and an upgraded one have the same schema. Older versions
// are for testing the upgrade.
QStringList schemaStatements(SqlDialect dialect, int version = kSchemaVersion);

// The statements that take a database from toVersion - 1 to toVersion,
// without the version row. What cannot be said in statements (orders stored
// twice before the identifiers were unique) the database connection mends
// before them, in the same transaction.
QStringList upgradeStatements(SqlDialect dialect, int toVersion);

} // namespace vq::invoice
