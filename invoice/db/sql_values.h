// Helpers shared by the stores of the invoice database: nullable values,
// reading columns by name, statement pieces. Only for the stores' sources.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace vq::invoice::dbdetail {

inline QVariant nullable(const std::optional<int> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int));
}

inline QVariant nullable(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

// Texts that the schema keeps as '' rather than NULL.
inline QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

inline std::optional<int> optionalInt(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

inline std::optional<double> optionalDouble(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

// Reads a column by name; PostgreSQL returns the names in lower case, the
// record lookup ignores case.
inline QVariant col(const QSqlQuery &query, const char *name)
{
    return query.value(QString::fromLatin1(name));
}

// A whole row of table Bestellung (order_store.cpp).
TBestellung readOrder(const QSqlQuery &q);

inline QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

inline QString assignments(const QString &columns)
{
    QStringList parts;
    for (const QString &column : columns.split(QStringLiteral(", ")))
        parts << column + QStringLiteral(" = ?");
    return parts.join(QStringLiteral(", "));
}

} // namespace vq::invoice::dbdetail
