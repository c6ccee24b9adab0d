// Placeholder until the client windows land: they keep the interface building.
#include "uMandanten.h"

namespace vq::invoice {

TfrmMandantWahl::TfrmMandantWahl(TInvoiceDatabase &db, TCurrentClient &current,
                                 TUserQuestions &questions, QString programFolder, QWidget *parent)
    : QDialog(parent), m_db(db), m_current(current), m_questions(questions),
      m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("frmMandantWahl"));
    setWindowTitle(QStringLiteral("Bitte wählen Sie einen Mandanten"));
}

TfrmMandantWahl::~TfrmMandantWahl() = default;

TfrmMandanten::TfrmMandanten(TInvoiceDatabase &db, TUserQuestions &questions, QWidget *parent)
    : QDialog(parent), m_db(db), m_questions(questions)
{
    setObjectName(QStringLiteral("frmMandanten"));
    setWindowTitle(QStringLiteral("Mandatenverwaltung"));
}

TfrmMandanten::~TfrmMandanten() = default;

} // namespace vq::invoice
