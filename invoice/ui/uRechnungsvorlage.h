// "Rechnungsvorlage bearbeiten": the client's invoice template as source on
// the left and the invoice of the current order rendered from it on the right,
// updated while typing. "Speichern" writes the file; closing with unsaved
// changes asks "Wollen Sie die Änderungen speichern?".
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/records/invoice_records.h"
#include "invoice/report/invoice_renderer.h"
#include "invoice/ui/user_questions.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QPlainTextEdit;
class QScrollArea;

namespace vq::invoice {

class TfrmRechnungsvorlage : public QDialog
{
    Q_OBJECT
public:
    // data: the order the preview shows. The template is read from templatePath,
    // or from defaultPath when the client has none yet.
    TfrmRechnungsvorlage(const QString &templatePath, const QString &defaultPath, InvoiceData data,
                         UserQuestions &questions, QWidget *parent = nullptr);

    bool isModified() const;
    bool save();
    // Renders the source now (the editor does it shortly after each change).
    void updatePreview();
    // The message of the last preview: empty when the template rendered.
    QString previewError() const { return m_previewError; }
    int previewPages() const { return m_previewPages; }

public Q_SLOTS:
    void reject() override;

private:
    QString m_path;
    InvoiceData m_data;
    UserQuestions &m_questions;
    QPlainTextEdit *m_source;
    QLabel *m_preview;
    QLabel *m_error;
    QTimer m_timer;
    QString m_previewError;
    int m_previewPages = 0;
};

// Opens the editor on the client's template with the order's invoice as preview.
// An order the editor has not saved yet is read from unsaved. A failure to
// read the order is said, and the preview shows an example order instead.
void editInvoiceTemplate(QWidget *parent, InvoiceConnection &db, int mandantId, int bestellungId,
                         const QString &programFolder, UserQuestions &questions,
                         UnsavedOrder unsaved = {});

} // namespace vq::invoice
