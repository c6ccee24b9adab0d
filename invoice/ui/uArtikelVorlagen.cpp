#include "invoice/ui/uArtikelVorlagen.h"

#include "common/GlobalFunctions.h"
#include "common_ui/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vq::invoice {

TfrmArtikelVorlagen::TfrmArtikelVorlagen(UserQuestions &questions, QWidget *parent)
    : QDialog(parent)
    , m_questions(questions)
    , m_path(QDir(vq::appDataFolder()).filePath(QString::fromUtf16(kArticleTemplateFile)))
{
    setObjectName(QStringLiteral("frmArtikelVorlagen"));
    setWindowTitle(QStringLiteral("Artikelvorlagen"));

    m_list = new QTableWidget(0, 4, this);
    m_list->setObjectName(QStringLiteral("lvVorlagen"));
    m_list->setAccessibleName(QStringLiteral("Artikelvorlagen"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Artikelnummer"), QStringLiteral("Name"),
                                       QStringLiteral("Preis"), QStringLiteral("Mwst.")});
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {100, 200, 100, 100};
    // Described widths, or the width of the title when that is wider.
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(
            column, std::max(widths[column], m_list->horizontalHeader()->sectionSizeHint(column)));
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto *note = new QLabel(
        QStringLiteral("Vorlagen werden in VQ-BestellFormular erstellt und verwaltet."), this);
    note->setObjectName(QStringLiteral("lblHinweis"));
    note->setWordWrap(true);

    const auto buttons =
        vq::ui::okCancelButtons(*this, QStringLiteral("Übernehmen"), "btnAbbrechen");
    buttons.ok->setObjectName(QStringLiteral("btnUebernehmen"));
    buttons.ok->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(note);
    layout->addWidget(buttons.box);
    resize(540, 340);
}

void TfrmArtikelVorlagen::reload()
{
    m_list->setRowCount(0);
    m_templates.clear();
    // A library that is gone offers nothing any more, not what it held before.
    if (!QFileInfo::exists(m_path))
        return;
    QString error;
    m_templates = readArticleTemplates(m_path, &error);
    if (!error.isEmpty())
        m_questions.showError(this, QStringLiteral("Artikelvorlagen"), error);
    m_list->setUpdatesEnabled(false);
    m_list->setRowCount(int(m_templates.size()));
    for (int row = 0; row < m_templates.size(); ++row) {
        const ArticleTemplate &t = m_templates.at(row);
        const QString texts[] = {t.artikelNummer, t.name, t.preis, t.mwst};
        for (int column = 0; column < 4; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (column >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_list->setItem(row, column, item);
        }
    }
    m_list->setUpdatesEnabled(true);
    if (!m_templates.isEmpty())
        m_list->selectRow(0);
}

std::optional<ArticleTemplate> TfrmArtikelVorlagen::selectedTemplate() const
{
    const QList<QModelIndex> rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_templates.size())
        return std::nullopt;
    return m_templates.at(rows.first().row());
}

void TfrmArtikelVorlagen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    reload();
    m_list->setFocus();
}

} // namespace vq::invoice
