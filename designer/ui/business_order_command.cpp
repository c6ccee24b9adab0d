// "Bestellung als Unternehmen" of the designer's main window: adds the
// optional fields of a business order (company, VAT ID, Leitweg-ID, address
// for e-invoices) that the form lacks, from the user's field templates or the
// delivered ones, as one step that can be undone; tells when there was
// nothing to add.
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
    // Worked out on a copy of the list; the fields it gained go into the
    // project as one step.
    FieldList fields;
    for (const auto &field : document().project().ListField)
        fields.push_back(field->clone());
    const size_t before = fields.size();
    QString error;
    const int added = addBusinessOrderFields(fields, libraries, &error);
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
    document().beginStep(title);
    for (size_t i = before; i < fields.size(); ++i)
        document().addEntry(std::move(fields[i]));
    document().endStep();
}

} // namespace vq::ui
