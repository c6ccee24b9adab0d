// The article-template picker "Artikelvorlagen" over the designer's article
// templates ("vorlagen_artikel.xml" in the data folder, read by article_templates.h).
#pragma once

#include "invoice/ui/user_questions.h"
#include "invoice/ui_logic/article_templates.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <optional>

class QTableWidget;

namespace vq::invoice {

class TfrmArtikelVorlagen : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmArtikelVorlagen(UserQuestions &questions, QWidget *parent = nullptr);

    // The file the list comes from (default: the data folder's).
    void setTemplateFile(const QString &path) { m_path = path; }
    QString templateFile() const { return m_path; }
    // Fills the list from the file; a damaged file is reported and leaves the list empty.
    void reload();
    // The selected template; nullopt when no row is selected.
    std::optional<ArticleTemplate> selectedTemplate() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    UserQuestions &m_questions;
    QString m_path;
    QList<ArticleTemplate> m_templates;
    QTableWidget *m_list;
};

} // namespace vq::invoice
