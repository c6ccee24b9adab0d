#include "designer/ui/uFormMailers.h"

#include "common_ui/dialog_buttons.h"
#include "common_ui/questions.h"
#include "designer/publishing/formmailer_list.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace vq::ui {

// ---------------------------------------------------------------- link editor

TfrmFormMailerLink::TfrmFormMailerLink(UserQuestions &dialogs, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFormMailerLink"));
    setWindowTitle(QStringLiteral("Formmailer-Link bearbeiten"));
    m_link = new QLineEdit(QStringLiteral("http://"));
    m_link->setObjectName(QStringLiteral("edtLink"));
    auto *label = new QLabel(QStringLiteral("&Link:"));
    label->setBuddy(m_link);
    auto *test = new QPushButton(QStringLiteral("Link &testen"));
    test->setObjectName(QStringLiteral("btnLinkTesten"));
    test->setToolTip(QStringLiteral("Link testen"));
    test->setAutoDefault(false);
    connect(test, &QPushButton::clicked, this, [this, &dialogs] {
        dialogs.openUrl(m_link->text() + QStringLiteral("?action=checkurl"));
    });
    auto *group = new QGroupBox(QStringLiteral("Formmailer-Link bearbeiten"));
    auto *row = new QHBoxLayout(group);
    row->addWidget(label);
    row->addWidget(m_link, 1);
    row->addWidget(test);

    const auto buttons = vq::ui::okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    buttons.ok->setDefault(true);
    buttons.cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons.box);
    resize(560, sizeHint().height());
}

void TfrmFormMailerLink::setLink(const QString &link)
{
    m_link->setText(link);
}

QString TfrmFormMailerLink::link() const
{
    return m_link->text();
}

// ---------------------------------------------------------------- manager

TfrmFormMailers::TfrmFormMailers(const QString &path, UserQuestions &dialogs, QWidget *parent)
    : ListManagerDialog(parent)
    , m_path(path)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmFormMailers"));
    setWindowTitle(QStringLiteral("FormMailer-Vorlagen"));
    auto makeAction = [this](QStyle::StandardPixmap icon, const QString &text, const char *name,
                             auto slot) {
        QAction *a = addCommand(name, text, icon);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction *neu =
        makeAction(QStyle::SP_FileIcon, QStringLiteral("Neu"), "actNeu", [this] { newLink(); });
    QAction *edit = makeAction(QStyle::SP_FileDialogDetailedView, QStringLiteral("Bearbeiten"),
                               "actBearbeiten", [this] { editLink(); });
    QAction *del = makeAction(QStyle::SP_TrashIcon, QStringLiteral("Löschen"), "actLoeschen",
                              [this] { deleteLink(); });
    QAction *leave = makeAction(QStyle::SP_DialogCloseButton, QStringLiteral("Verlassen"),
                                "actVerlassen", [this] { reject(); });
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addActions({neu, edit, del});
    file->addSeparator();
    file->addAction(leave);
    QToolBar *tools = toolBar();
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->addActions({neu, edit, del});
    tools->addSeparator();
    tools->addAction(leave);

    // A table, so the links stand between grid lines.
    m_list = new QTableWidget(0, 1);
    m_list->setObjectName(QStringLiteral("lvFormMailer"));
    m_list->setAccessibleName(QStringLiteral("Link zum Formmailer"));
    m_list->setShowGrid(true);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalHeaderLabels({QStringLiteral("Link zum Formmailer")});
    connect(m_list, &QTableWidget::itemActivated, this, [this] { editLink(); });

    QVBoxLayout *layout = frameLayout();
    layout->addWidget(m_list);
    resize(560, 340);

    m_links = readFormMailerList(m_path);
    fill(m_links.isEmpty() ? -1 : 0);
}

void TfrmFormMailers::fill(int row)
{
    m_list->setRowCount(0);
    for (const QString &link : std::as_const(m_links)) {
        const int at = m_list->rowCount();
        m_list->insertRow(at);
        m_list->setItem(at, 0, new QTableWidgetItem(link));
    }
    selectRow(row);
}

void TfrmFormMailers::selectRow(int row)
{
    if (row >= 0 && row < m_list->rowCount()) {
        m_list->setCurrentCell(row, 0);
    } else {
        m_list->setCurrentItem(nullptr);
        m_list->clearSelection();
    }
}

int TfrmFormMailers::selectedRow() const
{
    const auto items = m_list->selectedItems();
    return items.isEmpty() ? -1 : items.first()->row();
}

void TfrmFormMailers::newLink()
{
    TfrmFormMailerLink editor(m_dialogs, this);
    if (m_dialogs.runModal(editor) != QDialog::Accepted)
        return;
    m_links.append(editor.link());
    fill(int(m_links.size()) - 1);
}

void TfrmFormMailers::editLink()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    TfrmFormMailerLink editor(m_dialogs, this);
    editor.setLink(m_links[row]);
    if (m_dialogs.runModal(editor) != QDialog::Accepted)
        return;
    m_links[row] = editor.link();
    fill(row);
}

void TfrmFormMailers::deleteLink()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_links.removeAt(row);
    fill(std::min(row, int(m_links.size()) - 1));
}

void TfrmFormMailers::done(int result)
{
    switch (m_dialogs.ask(this, QMessageBox::Question, windowTitle(),
                          QStringLiteral("Änderungen speichern?"),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: {
        QString error;
        if (!writeFormMailerList(m_path, m_links, &error)) {
            // Nothing is lost: the window stays open with the list.
            m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                           QStringLiteral("Die Formmailer-Liste konnte nicht gespeichert werden:\n")
                               + error);
            return;
        }
        break;
    }
    case QMessageBox::No:
        break;
    default:
        return;
    }
    QDialog::done(result);
}

} // namespace vq::ui
