// The order mails of the last import run as "Bestellungen einlesen" lists them.
#pragma once

#include "invoice/mail/uMailOrder.h"

#include <QAbstractTableModel>
#include <QList>

namespace vq::invoice {

// A stranger's text of a mail (sender, subject, a reason) as the import window
// shows it: on one line, at most kMaxShownChars characters.
QString shownMailText(const QString &text);

// The order mails of the last run, one row each, read-only.
class MailRowModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Sender, subject and reasons come from strangers: the cells show them on
    // one line and bounded, as every window does.
    enum Column { ColSender, ColSubject, ColSize, ColDate, ColStatus, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;
    // The starting width of a column.
    static int columnWidth(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void clear();
    void append(const QList<MailOrderRow> &rows);
    const MailOrderRow &at(int row) const { return m_rows.at(row); }
    // The row that stands for the same message; -1 when there is none.
    int find(const MailOrderRow &wanted) const;
    // Removes the row of a message deleted on the server. The server numbers
    // the messages behind it one lower from now on.
    void removeDeleted(int index);

private:
    QList<MailOrderRow> m_rows;
};

} // namespace vq::invoice
