#include "invoice/ui/uAbout.h"

#include "invoice/ui/uMainWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vq::invoice {

// The styles know no printer; without an icon theme one is drawn, so that
// "Drucken" does not look like saving.
QIcon printerIcon(const QPalette &palette)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        const QColor ink = palette.color(QPalette::WindowText);
        painter.setPen(QPen(ink, 1.5));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(9, 3, 14, 10)); // paper going in
        painter.setBrush(QColor(0x8a, 0x9b, 0xb0));
        painter.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2); // the printer
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(9, 19, 14, 10)); // the printed page
        painter.drawLine(QPointF(12, 23), QPointF(20, 23));
        painter.drawLine(QPointF(12, 26), QPointF(20, 26));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Über diese Anwendung"));
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgProgramm"));
    const QIcon icon = QApplication::windowIcon();
    picture->setPixmap(!icon.isNull() ? icon.pixmap(64, 64)
                                      : style()->standardIcon(QStyle::SP_FileIcon).pixmap(64, 64));
    picture->setAccessibleName(QStringLiteral("Programmsymbol"));
    top->addWidget(picture, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    auto *name = new QLabel(QString::fromUtf16(kInvoiceModuleName), this);
    name->setObjectName(QStringLiteral("lblProgrammname"));
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    texts->addWidget(name);
    auto *version = new QLabel(
        QStringLiteral("Version %1").arg(QString::fromUtf16(kInvoiceModuleVersion)), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    texts->addWidget(version);
    auto *purpose = new QLabel(QStringLiteral("Rechnungen zu den Bestellungen aus Ihren "
                                              "VQ-Bestellformularen schreiben und verwalten."),
                               this);
    purpose->setObjectName(QStringLiteral("lblBeschreibung"));
    purpose->setWordWrap(true);
    texts->addWidget(purpose);
    texts->addStretch();
    top->addLayout(texts, 1);
    layout->addLayout(top);
    auto *buttons = new QDialogButtonBox(this);
    auto *close = buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("btnSchliessen"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

} // namespace vq::invoice
