// The designer's article templates ("vorlagen_artikel.xml" in the data
// folder) as the article-template picker "Artikelvorlagen" lists them.
#pragma once

#include <QList>
#include <QString>

namespace vq::invoice {

inline constexpr char16_t kArticleTemplateFile[] = u"vorlagen_artikel.xml";
// A larger file is no template library the designer wrote; it is not read.
inline constexpr qint64 kMaxArticleTemplateFileSize = 16 * 1024 * 1024;
// More rows than a person picks from; the rest of such a file is not listed.
inline constexpr int kMaxArticleTemplates = 10000;

// One template: the texts of its children "artikelNummer", "name", "preis"
// and "mwst" as the file holds them.
struct ArticleTemplate
{
    QString artikelNummer, name, preis, mwst;
};

// One template per child element of the document element, in file order.
// A file that cannot be read, is not XML or is too large gives an empty
// list and a German reason in *error; one with more than
// kMaxArticleTemplates gives the first ones and says so in *error.
QList<ArticleTemplate> readArticleTemplates(const QString &path, QString *error);

} // namespace vq::invoice
