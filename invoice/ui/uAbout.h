// "Über diese Anwendung" of the invoice module, and the printer icon its
// main window draws when the desktop's icon theme has none.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPalette>

namespace vq::invoice {

class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
};

// The styles know no printer; without an icon theme one is drawn, so that
// "Drucken" does not look like saving.
QIcon printerIcon(const QPalette &palette);

} // namespace vq::invoice
