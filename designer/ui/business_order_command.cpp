// "Bestellung als Unternehmen" of the designer's main window: adds the
// optional fields of a business order (company, VAT ID, Leitweg-ID, address
// for e-invoices) that the form lacks, from the user's field templates or the
// delivered ones, and tells when there was nothing to add.
#include "designer/model/business_order.h"
#include "designer/model/template_library.h"
#include "designer/ui/mainFrm.h"

#include <QDir>

namespace vq::ui {

void TfrmMain::insertBusinessOrderFields()
{
    const QString title = QStringLiteral("Bestellung als Unternehmen");
    const QStringList libraries{
        appData(kFieldLibraryFile),
        QDir(m_programFolder).filePath(QString::fromLatin1(kFieldLibraryFile))};
    QString error;
    const int added = addBusinessOrderFields(m_project.ListField, libraries, &error);
    if (added < 0) {
        m_dialogs->tell(this, QMessageBox::Critical, title, error);
        return;
    }
    if (added == 0) {
        m_dialogs->tell(this, QMessageBox::Information, title,
                        QStringLiteral("Das Formular enthält die Felder einer Bestellung als "
                                       "Unternehmen bereits."));
        return;
    }
    RefreshLists();
}

} // namespace vq::ui
