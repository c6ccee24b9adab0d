#include "invoice/ui/uStatus.h"
#include "invoice/db/state_store.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vq::invoice {

namespace {

const QString kTitle = QStringLiteral("Status bearbeiten");
constexpr int kIdRole = Qt::UserRole;
constexpr int kChangedRole = Qt::UserRole + 1;

// The grid, with a way to store what is being typed before saving.
class StatusGrid : public QTableWidget
{
public:
    using QTableWidget::QTableWidget;
    void finishEditing()
    {
        if (state() != EditingState)
            return;
        if (QWidget *editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

// Names no longer than the column holds.
class StateNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setMaxLength(kMaxStateLength);
            line->setAccessibleName(QStringLiteral("Status"));
        }
        return editor;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        // A longer name another program stored is shown whole, not cut by
        // looking at it; saving it changed still names the limit.
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setMaxLength(
                std::max(kMaxStateLength, int(index.data(Qt::EditRole).toString().size())));
        QStyledItemDelegate::setEditorData(editor, index);
    }
};

} // namespace

TfrmStatus::TfrmStatus(InvoiceConnection &db, UserQuestions &questions, QWidget *parent)
    : ListManagerDialog(parent)
    , m_db(db)
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmStatus"));
    setWindowTitle(kTitle);

    menuBar()->setObjectName(QStringLiteral("mnuStatus"));
    auto command = [this](const char *name, const QString &text, QStyle::StandardPixmap fallback,
                          const char *theme) {
        QAction *action = addCommand(name, text, fallback, theme);
        action->setToolTip(text);
        return action;
    };
    QAction *actNeu = command("actNeu", QStringLiteral("Neu"), QStyle::SP_FileIcon, "list-add");
    actNeu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction *actBearbeiten = command("actBearbeiten", QStringLiteral("Bearbeiten"),
                                     QStyle::SP_FileDialogDetailedView, "document-edit");
    QAction *actSpeichern = command("actSpeichern", QStringLiteral("Speichern"),
                                    QStyle::SP_DialogSaveButton, "document-save");
    actSpeichern->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction *actLoeschen =
        command("actLoeschen", QStringLiteral("Löschen"), QStyle::SP_TrashIcon, "edit-delete");
    actLoeschen->setShortcut(QKeySequence::Delete);
    QAction *actVerlassen = command("actVerlassen", QStringLiteral("Verlassen"),
                                    QStyle::SP_DialogCloseButton, "application-exit");

    QMenu *file = menuBar()->addMenu(QStringLiteral("Datei"));
    file->setObjectName(QStringLiteral("mnuDatei"));
    file->addAction(actVerlassen);

    toolBar()->setObjectName(QStringLiteral("tbrStatus"));
    toolBar()->addActions({actNeu, actBearbeiten, actSpeichern, actLoeschen});
    toolBar()->addSeparator();
    toolBar()->addAction(actVerlassen);
    nameToolButtons();

    m_grid = new StatusGrid(0, 1, this);
    m_grid->setObjectName(QStringLiteral("grdStatus"));
    m_grid->setAccessibleName(QStringLiteral("Status"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Status")});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_grid->setItemDelegate(new StateNameDelegate(m_grid));
    frameLayout()->addWidget(m_grid, 1);

    connect(actNeu, &QAction::triggered, this, &TfrmStatus::addState);
    connect(actBearbeiten, &QAction::triggered, this, &TfrmStatus::editState);
    connect(actSpeichern, &QAction::triggered, this, &TfrmStatus::save);
    connect(actLoeschen, &QAction::triggered, this, &TfrmStatus::deleteState);
    connect(actVerlassen, &QAction::triggered, this, &TfrmStatus::reject);
    connect(m_grid, &QTableWidget::itemChanged, this, &TfrmStatus::markChanged);

    resize(360, 400);
    reload();
}

void TfrmStatus::reload()
{
    const auto states = StateStore(m_db).states();
    if (!states) {
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Die Status können nicht gelesen werden:\n%1").arg(m_db.lastError()));
        return;
    }
    m_loading = true;
    m_grid->setRowCount(0);
    m_grid->setRowCount(int(states->size()));
    for (int row = 0; row < states->size(); ++row) {
        auto *item = new QTableWidgetItem(states->at(row).status);
        item->setData(kIdRole, states->at(row).id);
        m_grid->setItem(row, 0, item);
    }
    m_loading = false;
    if (m_grid->rowCount() > 0)
        m_grid->setCurrentCell(0, 0);
}

void TfrmStatus::markChanged(QTableWidgetItem *item)
{
    if (!m_loading)
        item->setData(kChangedRole, true);
}

bool TfrmStatus::hasUnsavedChanges() const
{
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        const QTableWidgetItem *item = m_grid->item(row, 0);
        if (item && (item->data(kChangedRole).toBool() || item->data(kIdRole).toInt() == 0))
            return true;
    }
    return false;
}

void TfrmStatus::finishEditing()
{
    static_cast<StatusGrid *>(m_grid)->finishEditing();
}

void TfrmStatus::addState()
{
    finishEditing();
    const int row = m_grid->rowCount();
    m_loading = true;
    m_grid->insertRow(row);
    auto *item = new QTableWidgetItem;
    item->setData(kIdRole, 0);
    m_grid->setItem(row, 0, item);
    m_loading = false;
    m_grid->setCurrentCell(row, 0);
    m_grid->setFocus();
    m_grid->editItem(item);
}

void TfrmStatus::editState()
{
    if (QTableWidgetItem *item = m_grid->currentItem()) {
        m_grid->setFocus();
        m_grid->editItem(item);
    }
}

bool TfrmStatus::save()
{
    finishEditing();
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        QTableWidgetItem *item = m_grid->item(row, 0);
        const int id = item->data(kIdRole).toInt();
        if (id > 0 && !item->data(kChangedRole).toBool())
            continue;
        const QString name = item->text().trimmed();
        QString problem;
        if (name.isEmpty())
            problem = QStringLiteral("Bitte geben Sie einen Namen für den Status ein.");
        else if (name.size() > kMaxStateLength)
            problem = QStringLiteral("Der Name eines Status darf höchstens %1 Zeichen lang sein.")
                          .arg(kMaxStateLength);
        if (problem.isEmpty()) {
            if (id > 0) {
                if (!StateStore(m_db).renameState(id, name))
                    problem = m_db.lastError();
            } else if (const auto newId = StateStore(m_db).insertState(name)) {
                m_loading = true;
                item->setData(kIdRole, *newId);
                m_loading = false;
            } else {
                problem = m_db.lastError();
            }
        }
        if (!problem.isEmpty()) {
            m_grid->setCurrentCell(row, 0);
            m_questions.showError(
                this, kTitle,
                QStringLiteral("Der Status kann nicht gespeichert werden:\n%1").arg(problem));
            return false;
        }
        m_loading = true;
        item->setText(name);
        item->setData(kChangedRole, false);
        m_loading = false;
    }
    return true;
}

void TfrmStatus::deleteState()
{
    finishEditing();
    const int row = m_grid->currentRow();
    QTableWidgetItem *item = row >= 0 ? m_grid->item(row, 0) : nullptr;
    if (!item)
        return;
    if (!m_questions.askYesNo(this, kTitle,
                              QStringLiteral("Soll der Datensatz wirklich gelöscht werden?")))
        return;
    const int id = item->data(kIdRole).toInt();
    if (id > 0) {
        QString message;
        if (!StateStore(m_db).deleteState(id, &message)) {
            m_questions.showInformation(this, kTitle,
                                        message.isEmpty() ? m_db.lastError() : message);
            return;
        }
    }
    m_grid->removeRow(row);
    if (m_grid->rowCount() > 0)
        m_grid->setCurrentCell(std::min(row, m_grid->rowCount() - 1), 0);
}

void TfrmStatus::reject()
{
    finishEditing();
    if (hasUnsavedChanges()) {
        switch (m_questions.askYesNoCancel(
            this, kTitle, QStringLiteral("Sollen die Änderungen gespeichert werden?"))) {
        case UserQuestions::Answer::Yes:
            if (!save())
                return;
            break;
        case UserQuestions::Answer::No:
            break;
        case UserQuestions::Answer::Cancel:
            return;
        }
    }
    ListManagerDialog::reject();
}

} // namespace vq::invoice
