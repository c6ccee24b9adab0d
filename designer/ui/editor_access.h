// How the main window reaches the editor dialogs of fields, articles and HTML
// snippets. The main window holds one EditorAccess; the dialogs implement it,
// and tests replace it to answer without a real dialog.
#pragma once

#include "designer/model/uArtikelField.h"
#include "designer/model/vqform.h"

#include <QString>

class QWidget;

namespace vq::ui {

class EditorAccess
{
public:
    virtual ~EditorAccess() = default;

    // Shows the editor of the field's kind, modal over parent. A new field
    // (isNew) gets the kind's presets (ClearAll); an existing one fills the
    // dialog (LoadFromObject) and tells it its position feldNr in fields for
    // the duplicate-name check. On OK the dialog writes into field
    // (SaveToObject) and true is returned; on Abbrechen field is unchanged.
    virtual bool editField(QWidget *parent, TFormField &field, int feldNr, bool isNew,
                           const FieldList &fields) = 0;

    // Shows the article editor on artikel, modal over parent. Option changes act
    // on artikel at once, as the article dialog does; the caller frees a new
    // article when false is returned.
    virtual bool editArticle(QWidget *parent, TArtikelField &artikel, bool isNew) = 0;

    // Shows the HTML snippet editor with text; on OK text takes the editor's
    // text and true is returned. Throws std::runtime_error when the editor
    // cannot start (the caller shows its message and keeps the text).
    virtual bool editHtml(QWidget *parent, QString &text) = 0;
};

} // namespace vq::ui
