#include "invoice/ui_logic/mail_row_model.h"

#include "common_ui/shown_text.h"
#include "invoice/mail/display_text.h"

namespace vq::invoice {

QString shownMailText(const QString &text)
{
    return vq::ui::shownLine(text, kMaxShownChars);
}

int MailRowModel::columnWidth(int column)
{
    static const int widths[ColumnCount] = {150, 300, 100, 150, 140};
    return column >= 0 && column < ColumnCount ? widths[column] : 100;
}

int MailRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MailRowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MailRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const MailOrderRow &row = m_rows.at(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == ColSize)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == ColStatus && !row.detail.isEmpty())
        return vq::ui::plainToolTip(shownMailText(row.detail));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case ColSender:
        return shownMailText(row.sender);
    case ColSubject:
        return shownMailText(row.subject);
    case ColSize:
        return row.sizeText();
    case ColDate:
        return row.dateText();
    case ColStatus:
        return row.statusText();
    }
    return {};
}

QVariant MailRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && section == ColSize)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const QString titles[ColumnCount] = {QStringLiteral("Absender"),
                                                QStringLiteral("Betreff"), QStringLiteral("Größe"),
                                                QStringLiteral("Datum"), QStringLiteral("Status")};
    return section >= 0 && section < ColumnCount ? titles[section] : QString();
}

void MailRowModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void MailRowModel::append(const QList<MailOrderRow> &rows)
{
    if (rows.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows += rows;
    endInsertRows();
}

int MailRowModel::find(const MailOrderRow &wanted) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        const MailOrderRow &row = m_rows.at(i);
        if (wanted.uidl.isEmpty() ? row.uidl.isEmpty() && row.number == wanted.number
                                  : row.uidl == wanted.uidl)
            return i;
    }
    return -1;
}

void MailRowModel::removeDeleted(int index)
{
    const int number = m_rows.at(index).number;
    beginRemoveRows({}, index, index);
    m_rows.removeAt(index);
    endRemoveRows();
    for (MailOrderRow &row : m_rows)
        if (row.number > number)
            --row.number;
}

} // namespace vq::invoice
