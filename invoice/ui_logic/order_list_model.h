// The order list of the main window: one row per order of the current client.
#pragma once

#include "invoice/records/database_rows.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace vq::invoice {

// The rows of the order list (one per order of the current client), read-only.
class OrderListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { RechNr, Datum, Firma, Vorname, Nachname, Summe, Status, ColumnCount };

    explicit OrderListModel(QObject *parent = nullptr);
    void setRows(QList<OrderListRow> rows, const QString &currency);
    const QList<OrderListRow> &rows() const { return m_rows; }
    // The starting width of a column.
    static int columnWidth(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The whole text of a cell.
    QString cellText(const OrderListRow &row, int column) const;

    QList<OrderListRow> m_rows;
    QString m_currency;
};

} // namespace vq::invoice
