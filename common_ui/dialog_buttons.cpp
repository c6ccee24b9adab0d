#include "common_ui/dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace vq::ui {

DialogButtons okCancelButtons(QDialog &dialog, const QString &okText, const char *cancelName)
{
    auto *box = new QDialogButtonBox(&dialog);
    QPushButton *ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    QPushButton *cancel = box->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QString::fromLatin1(cancelName));
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return {box, ok, cancel};
}

} // namespace vq::ui
