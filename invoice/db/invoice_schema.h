// The schema of the invoice database: tables, relations, views and the
// initial order states, written for SQLite and for PostgreSQL.
#pragma once

#include <QStringList>

namespace vq::invoice {

enum class SqlDialect { SQLite, PostgreSQL };

// Version written into table Schemaversion; raised with every change of the schema.
inline constexpr int kSchemaVersion = 1;

// Statements that create an empty database with the initial states, in order.
QStringList schemaStatements(SqlDialect dialect);

} // namespace vq::invoice
