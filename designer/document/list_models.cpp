#include "designer/document/list_models.h"

#include "common/regional_numbers.h"
#include "designer/ui_logic/window_logic.h"

namespace vq {

int ProjectListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns().size());
}

QVariant ProjectListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || role != Qt::DisplayRole)
        return {};
    return rowTexts(index.row()).value(index.column());
}

QVariant ProjectListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return columns().value(section);
}

template <> QStringList FieldListModel::columns() const
{
    return ui::fieldListColumns();
}

template <> QStringList FieldListModel::rowTexts(int row) const
{
    return ui::fieldRow(entry(row));
}

template <> QStringList ArticleListModel::columns() const
{
    return ui::articleListColumns();
}

template <> QStringList ArticleListModel::rowTexts(int row) const
{
    return ui::articleRow(entry(row), displayLocale());
}

} // namespace vq
