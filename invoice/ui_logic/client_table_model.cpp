#include "invoice/ui_logic/client_table_model.h"

#include "common_ui/shown_text.h"

namespace vq::invoice {

namespace {
QString idText(const TMandant &c)
{
    return QString::number(c.id);
}
} // namespace

QList<ClientTableModel::Column> ClientTableModel::choiceColumns()
{
    return {Column{QStringLiteral("Nr"), 40, &idText, true},
            Column{QStringLiteral("Firma"), 140, [](const TMandant &c) { return c.firma; }},
            Column{QStringLiteral("Name"), 110, [](const TMandant &c) { return c.name; }},
            Column{QStringLiteral("Vorname"), 110, [](const TMandant &c) { return c.vorname; }}};
}

QList<ClientTableModel::Column> ClientTableModel::managerColumns()
{
    return {Column{QStringLiteral("ID"), 30, &idText, true},
            Column{QStringLiteral("Firma"), 150, [](const TMandant &c) { return c.firma; }},
            Column{QStringLiteral("Name"), 120, [](const TMandant &c) { return c.name; }},
            Column{QStringLiteral("Vorname"), 120, [](const TMandant &c) { return c.vorname; }},
            Column{QStringLiteral("Straße"), 150, [](const TMandant &c) { return c.strasse; }},
            Column{QStringLiteral("PLZ"), 50, [](const TMandant &c) { return c.plz; }},
            Column{QStringLiteral("Ort"), 120, [](const TMandant &c) { return c.ort; }},
            Column{QStringLiteral("Land"), 120, [](const TMandant &c) { return c.land; }},
            Column{QStringLiteral("E-Mail"), 150, [](const TMandant &c) { return c.email; }}};
}

ClientTableModel::ClientTableModel(QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns))
{
}

void ClientTableModel::setClients(QList<TMandant> clients)
{
    beginResetModel();
    m_clients = std::move(clients);
    endResetModel();
}

int ClientTableModel::rowOf(int mandantId) const
{
    for (qsizetype i = 0; i < m_clients.size(); ++i) {
        if (m_clients[i].id == mandantId)
            return int(i);
    }
    return -1;
}

int ClientTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_clients.size());
}

int ClientTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ClientTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_clients.size() || index.column() >= m_columns.size())
        return QVariant();
    const Column &column = m_columns[index.column()];
    // A client's values may come from another program's database rows:
    // one line in the cell, whole in the tool tip, both as plain text.
    if (role == Qt::DisplayRole)
        return vq::ui::shownLine(column.value(m_clients[index.row()]));
    if (role == Qt::ToolTipRole)
        return vq::ui::plainToolTip(column.value(m_clients[index.row()]));
    if (role == Qt::TextAlignmentRole && column.number)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant ClientTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < m_columns.size())
        return m_columns[section].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace vq::invoice
