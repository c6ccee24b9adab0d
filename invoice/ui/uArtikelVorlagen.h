// The article-template picker "Artikelvorlagen" over the designer's article
// templates ("vorlagen_artikel.xml" in the data folder), and the reader of
// that file.
#pragma once

#include "user_questions.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <optional>

class QTableWidget;

namespace vq::invoice {

inline constexpr char16_t kArticleTemplateFile[] = u"vorlagen_artikel.xml";
// A larger file is no template library the designer wrote; it is not read.
inline constexpr qint64 kMaxArticleTemplateFileSize = 16 * 1024 * 1024;

// One template: the texts of its children "artikelNummer", "name", "preis"
// and "mwst" as the file holds them.
struct ArticleTemplate
{
    QString artikelNummer, name, preis, mwst;
};

// One template per child element of the document element, in file order.
// A file that cannot be read, is not XML or is too large gives an empty
// list and a German reason in *error.
QList<ArticleTemplate> readArticleTemplates(const QString &path, QString *error);

class TfrmArtikelVorlagen : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmArtikelVorlagen(TUserQuestions &questions, QWidget *parent = nullptr);

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
    TUserQuestions &m_questions;
    QString m_path;
    QList<ArticleTemplate> m_templates;
    QTableWidget *m_list;
};

} // namespace vq::invoice
