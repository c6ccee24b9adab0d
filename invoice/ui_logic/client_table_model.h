// The clients as the client selection and the client manager list them.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace vq::invoice {

// The clients as a read-only table with the columns a window asks for.
class ClientTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString title;
        int width; // the starting width in the window
        QString (*value)(const TMandant &);
        bool number = false; // right-aligned
    };
    // "Bitte wählen Sie einen Mandanten": Nr, Firma, Name, Vorname.
    static QList<Column> choiceColumns();
    // "Mandatenverwaltung": ID, Firma, Name, Vorname, Straße, PLZ, Ort, Land, E-Mail.
    static QList<Column> managerColumns();

    ClientTableModel(QList<Column> columns, QObject *parent = nullptr);

    void setClients(QList<TMandant> clients);
    const QList<TMandant> &clients() const { return m_clients; }
    const QList<Column> &columns() const { return m_columns; }
    // The row of that client; -1 when it is not listed.
    int rowOf(int mandantId) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<Column> m_columns;
    QList<TMandant> m_clients;
};

} // namespace vq::invoice
