// Placeholder until the order editor lands: it keeps the interface building.
#include "uBestellung.h"

namespace vq::invoice {

TfrmBestellung::TfrmBestellung(TInvoiceDatabase &, TUserQuestions &, QString, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBestellung"));
    setWindowTitle(QStringLiteral("Bestellung verwalten"));
}

TfrmBestellung::~TfrmBestellung() = default;

void TfrmBestellung::setClient(int mandantId, const QString &)
{
    m_mandantId = mandantId;
}

bool TfrmBestellung::startNewOrder()
{
    return false;
}

bool TfrmBestellung::startEditOrder(int bestellungId)
{
    m_orderId = bestellungId;
    return true;
}

int TfrmBestellung::currentOrderId() const
{
    return m_orderId;
}

void TfrmBestellung::reread() {}

} // namespace vq::invoice
