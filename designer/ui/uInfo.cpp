#include "designer/ui/uInfo.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace vq::ui {

namespace {

QLabel *productLabel(int pointDelta)
{
    auto *label = new QLabel(QStringLiteral("VQ-Bestellformular"));
    QFont font = label->font();
    font.setPointSize(font.pointSize() + pointDelta);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TfrmInfo::TfrmInfo(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Info"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(productLabel(6));
    auto *text = new QLabel(QStringLiteral("Formular-Designer für Bestell- und Kontaktformulare\n"
                                           "Version %1")
                                .arg(kProgramVersion));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

TfrmSplash::TfrmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 30, 40, 30);
    layout->addWidget(productLabel(10));
    auto *version = new QLabel(QStringLiteral("Version %1").arg(kProgramVersion));
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(version);
    QTimer::singleShot(2000, this, &QWidget::close);
}

void TfrmSplash::mousePressEvent(QMouseEvent *)
{
    close();
}

TfrmHelp::TfrmHelp(const QUrl &page, QWidget *parent)
    : QDialog(parent)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Hilfe"));
    auto *view = new QWebEngineView;
    view->setObjectName(QStringLiteral("wbHelp"));
    view->load(page);
    auto *buttons = new QDialogButtonBox;
    QPushButton *close =
        buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnSchliessen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addWidget(buttons);
    resize(800, 600);
}

} // namespace vq::ui
