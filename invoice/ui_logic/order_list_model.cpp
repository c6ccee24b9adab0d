#include "invoice/ui_logic/order_list_model.h"

#include "common_ui/shown_text.h"
#include "invoice/ui_logic/invoice_view_format.h"

namespace vq::invoice {

OrderListModel::OrderListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void OrderListModel::setRows(QList<OrderListRow> rows, const QString &currency)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_currency = currency;
    endResetModel();
}

int OrderListModel::columnWidth(int column)
{
    static const int widths[ColumnCount] = {60, 80, 140, 150, 150, 100, 100};
    return column >= 0 && column < ColumnCount ? widths[column] : 100;
}

int OrderListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int OrderListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OrderListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const OrderListRow &row = m_rows.at(index.row());
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == RechNr || index.column() == Summe)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    // Names and states come from strangers' posts: the cell shows them on one
    // line, the tool tip whole, both as plain text.
    const QString text = cellText(row, index.column());
    return role == Qt::ToolTipRole ? vq::ui::plainToolTip(text) : vq::ui::shownLine(text);
}

QString OrderListModel::cellText(const OrderListRow &row, int column) const
{
    switch (column) {
    case RechNr:
        if (!row.rechNrText.isEmpty())
            return row.rechNrText;
        return row.rechNr ? QString::number(*row.rechNr) : QString();
    case Datum:
        return row.zeit.isValid() ? row.zeit.date().toString(QStringLiteral("dd.MM.yyyy"))
                                  : QString();
    case Firma:
        return row.firma;
    case Vorname:
        return row.name;
    case Nachname:
        return row.nachname;
    case Summe:
        return row.totalCents ? moneyCentsText(*row.totalCents, m_currency) : kTextAmountInvalid;
    case Status:
        return row.statusBestellung;
    default:
        return {};
    }
}

QVariant OrderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return section == RechNr || section == Summe ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                     : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const char16_t *titles[ColumnCount] = {u"Rech.-Nr.", u"Datum", u"Firma", u"Vorname",
                                                  u"Nachname",  u"Summe", u"Status"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(titles[section]) : QString();
}

} // namespace vq::invoice
