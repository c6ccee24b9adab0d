// Placeholder until the import window lands: it keeps the interface building.
#include "uMailImport.h"

namespace vq::invoice {

TfrmMailImport::TfrmMailImport(TInvoiceDatabase &db, int mandantId, TUserQuestions &questions,
                               QWidget *parent)
    : QDialog(parent), m_db(db), m_mandantId(mandantId), m_questions(questions)
{
    setObjectName(QStringLiteral("frmMailImport"));
    setWindowTitle(QStringLiteral("Bestellungen einlesen"));
}

TfrmMailImport::~TfrmMailImport() = default;

} // namespace vq::invoice
