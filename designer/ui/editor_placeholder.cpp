#include "editor_placeholder.h"

#include <QMessageBox>

namespace vq::ui {

namespace {

void tellNotAvailable(QWidget *parent)
{
    QMessageBox::information(parent, QStringLiteral("Editor"),
                             QStringLiteral("Dieser Editor ist noch nicht verfügbar."));
}

} // namespace

bool TEditorPlaceholder::editField(QWidget *parent, TFormField &, int, bool, const TFieldList &)
{
    tellNotAvailable(parent);
    return false;
}

bool TEditorPlaceholder::editArticle(QWidget *parent, TArtikelField &, bool)
{
    tellNotAvailable(parent);
    return false;
}

bool TEditorPlaceholder::editHtml(QWidget *parent, QString &)
{
    tellNotAvailable(parent);
    return false;
}

} // namespace vq::ui
