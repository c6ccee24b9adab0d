// The field list and the article list of the open project as item models:
// one row per entry, the columns of the main window's lists. The models are
// the only way the lists change while the designer edits them, so every view
// learns of every insertion, removal, move and edit.
#pragma once

#include "designer/model/uArtikelField.h"
#include "designer/model/vqform.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <vector>

namespace vq {

// What the two lists share: columns, headers and the texts of a row.
class ProjectListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Around a change of the whole list (a project loaded or replaced).
    void beginReplaceAll() { beginResetModel(); }
    void endReplaceAll() { endResetModel(); }

Q_SIGNALS:
    // A change put the entry at row (after the change); -1 when the entry is gone.
    void touched(int row);

protected:
    virtual QStringList columns() const = 0;
    virtual QStringList rowTexts(int row) const = 0;
};

template <typename Entry> class EntryListModel : public ProjectListModel
{
public:
    using List = std::vector<std::unique_ptr<Entry>>;

    explicit EntryListModel(List &list, QObject *parent = nullptr)
        : ProjectListModel(parent)
        , m_list(list)
    {
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_list.size());
    }
    const List &entries() const { return m_list; }
    const Entry &entry(int row) const { return *m_list[size_t(row)]; }

    void insertEntry(int row, std::unique_ptr<Entry> entry)
    {
        beginInsertRows({}, row, row);
        m_list.insert(m_list.begin() + row, std::move(entry));
        endInsertRows();
        Q_EMIT touched(row);
    }
    std::unique_ptr<Entry> takeEntry(int row)
    {
        beginRemoveRows({}, row, row);
        std::unique_ptr<Entry> entry = std::move(m_list[size_t(row)]);
        m_list.erase(m_list.begin() + row);
        endRemoveRows();
        Q_EMIT touched(-1);
        return entry;
    }
    // Puts entry in place of the one at row and returns that one.
    std::unique_ptr<Entry> replaceEntry(int row, std::unique_ptr<Entry> entry)
    {
        std::swap(m_list[size_t(row)], entry);
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        Q_EMIT touched(row);
        return entry;
    }
    // Swaps the entry at row with its neighbour at row + delta (delta ±1).
    void moveEntry(int row, int delta)
    {
        const int target = row + delta;
        // Rows move before the destination row: one further down when moving down.
        beginMoveRows({}, row, row, {}, delta > 0 ? target + 1 : target);
        std::swap(m_list[size_t(row)], m_list[size_t(target)]);
        endMoveRows();
        Q_EMIT touched(target);
    }

protected:
    QStringList columns() const override;
    QStringList rowTexts(int row) const override;

private:
    List &m_list;
};

using FieldListModel = EntryListModel<TFormField>;
using ArticleListModel = EntryListModel<TArtikelField>;

template <> QStringList FieldListModel::columns() const;
template <> QStringList FieldListModel::rowTexts(int row) const;
template <> QStringList ArticleListModel::columns() const;
template <> QStringList ArticleListModel::rowTexts(int row) const;

} // namespace vq
