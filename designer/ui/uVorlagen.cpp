#include "designer/ui/uVorlagen.h"

#include "common_ui/questions.h"
#include "designer/model/template_library.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

TfrmVorlagen::TfrmVorlagen(const QString &xmlTag, const QString &libraryPath,
                           UserQuestions &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_path(libraryPath)
    , m_dialogs(dialogs)
    , m_list(new QListWidget)
{
    setObjectName(QStringLiteral("frmVorlagen"));
    setWindowTitle(QStringLiteral("Vorlagen verwalten"));
    m_list->setObjectName(QStringLiteral("lstVorlagen"));
    m_list->setAccessibleName(QStringLiteral("Vorlagen"));

    auto *group = new QGroupBox(QStringLiteral("Vorlagen"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list);

    auto *remove = new QPushButton(QStringLiteral("&Vorlage löschen"));
    remove->setObjectName(QStringLiteral("btnVorlageLoeschen"));
    auto *close = new QPushButton(QStringLiteral("&Schließen"));
    close->setObjectName(QStringLiteral("btnSchliessen"));
    connect(remove, &QPushButton::clicked, this, &TfrmVorlagen::deleteSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    QString error;
    m_list->addItems(readTemplateCaptions(m_path, xmlTag, &error));
    if (!error.isEmpty())
        m_dialogs.tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen verwalten"), error);
    resize(420, 400);
}

void TfrmVorlagen::deleteSelected()
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->currentItem()->isSelected())
        return;
    if (m_dialogs.ask(this, QMessageBox::Question, QStringLiteral("Eintrag löschen"),
                      QStringLiteral("Diesen Eintrag löschen?"), QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    QString error;
    if (!deleteTemplate(m_path, row, &error)) {
        m_dialogs.tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen verwalten"), error);
        return;
    }
    delete m_list->takeItem(row);
}

} // namespace vq::ui
