// The field and article template libraries ("vorlagen.xml",
// "vorlagen_artikel.xml"): listing, inserting, saving and deleting templates.
// Every function takes the library's path; failures come back as a text.
#pragma once

#include "designer/model/uArtikelField.h"
#include "designer/model/vqform.h"

#include <QString>
#include <QStringList>

namespace vq {

inline constexpr char kFieldLibraryFile[] = "vorlagen.xml";
inline constexpr char kArticleLibraryFile[] = "vorlagen_artikel.xml";
inline constexpr char kFieldCaptionTag[] = "beschriftung";
inline constexpr char kArticleCaptionTag[] = "name";

// Texts of the child `tag` of every template, in file order. A template
// without that child stops the listing with an error; the texts before it
// are returned.
QStringList readTemplateCaptions(const QString &path, const QString &tag, QString *error);

// The two drop-down lists. When the field library cannot be read neither is
// filled; when the article library fails, the field list stays.
struct TemplateLists
{
    QStringList fields;
    QStringList articles;
    QString error;
};
TemplateLists RefreshTemplateLists(const QString &fieldLibrary, const QString &articleLibrary);

// Appends template `index` as a new field (article). index < 0 does nothing
// and succeeds. On failure the list is unchanged.
bool insertFieldTemplate(const QString &path, int index, FieldList &fields, QString *error);
bool insertArticleTemplate(const QString &path, int index, TArtikelList &articles, QString *error);

// The first field template whose "name" is `name` (exact comparison): the
// field, or none when the library holds no such template or cannot be read
// (libraryRead false, with the error), or when the template does not read
// (with the error).
struct NamedFieldTemplate
{
    std::unique_ptr<TFormField> field;
    bool libraryRead = false;
    QString error;
};
NamedFieldTemplate fieldTemplateNamed(const QString &path, const QString &name);

// Appends the field (article) to the library as a new element "feld" and
// writes the library back safely.
bool saveFieldAsTemplate(const QString &path, const TFormField &field, QString *error);
bool saveArticleAsTemplate(const QString &path, const TArtikelField &artikel, QString *error);

// Removes template `index` and writes the library back safely.
bool deleteTemplate(const QString &path, int index, QString *error);

} // namespace vq
