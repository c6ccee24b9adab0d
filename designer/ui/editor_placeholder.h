// Stands in for the field, article and snippet editors until they are built
// in: tells the user that the editor is not available yet.
#pragma once

#include "editor_access.h"

namespace vq::ui {

class TEditorPlaceholder : public TEditorAccess
{
public:
    bool editField(QWidget *parent, TFormField &field, int feldNr, bool isNew,
                   const TFieldList &fields) override;
    bool editArticle(QWidget *parent, TArtikelField &artikel, bool isNew) override;
    bool editHtml(QWidget *parent, QString &text) override;
};

} // namespace vq::ui
