// The closing row of an editing dialog: a button that accepts ("OK" or
// "Übernehmen", named btnOK) and "Abbrechen" that rejects.
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace vq::ui {

struct DialogButtons
{
    QDialogButtonBox *box;
    QPushButton *ok;
    QPushButton *cancel;
};

// The row for dialog, its buttons connected to accept() and reject(); the
// caller lays it out and chooses the default button. cancelName is the
// object name of "Abbrechen" (btnAbbrechen or btnCancel).
DialogButtons okCancelButtons(QDialog &dialog, const QString &okText, const char *cancelName);

} // namespace vq::ui
