#include "invoice/ui/uRechnungsvorlage.h"

#include "common/safe_file.h"
#include "common/text_file.h"
#include "common_ui/plain_text.h"
#include "invoice/db/clients.h"
#include "invoice/output/invoice_issuer.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace vq::invoice {

namespace {

const QString kTitle = QStringLiteral("Rechnungsvorlage bearbeiten");
// Resolution of the preview pages, and how many are shown at most.
constexpr int kPreviewDpi = 72;
constexpr int kMaxPreviewPages = 10;

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return vq::fromUtf8OrWindows1252(file.readAll());
}

} // namespace

TfrmRechnungsvorlage::TfrmRechnungsvorlage(const QString &templatePath, const QString &defaultPath,
                                           InvoiceData data, UserQuestions &questions,
                                           QWidget *parent)
    : QDialog(parent)
    , m_path(templatePath)
    , m_data(std::move(data))
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmRechnungsvorlage"));
    setWindowTitle(QStringLiteral("%1 – %2").arg(kTitle, QDir::toNativeSeparators(templatePath)));
    resize(1200, 760);

    m_source = new QPlainTextEdit(this);
    m_source->setObjectName(QStringLiteral("edtVorlage"));
    m_source->setAccessibleName(QStringLiteral("Vorlage (HTML)"));
    m_source->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_source->setLineWrapMode(QPlainTextEdit::NoWrap);
    const bool exists = QFileInfo::exists(templatePath);
    m_source->setPlainText(readText(exists ? templatePath : defaultPath));
    // A template taken from the default is not on disk yet.
    m_source->document()->setModified(!exists);

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("lblVorschau"));
    m_preview->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_preview->setAccessibleName(QStringLiteral("Vorschau"));
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(m_preview);
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Dark);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("lblFehler"));
    m_error->setWordWrap(true);
    m_error->setTextFormat(Qt::PlainText);
    m_error->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_error->hide();

    auto *sourceLabel = new QLabel(QStringLiteral("&Vorlage (HTML mit Platzhaltern):"), this);
    sourceLabel->setBuddy(m_source);
    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(sourceLabel);
    leftLayout->addWidget(m_source);
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(new QLabel(QStringLiteral("Vorschau:"), this));
    rightLayout->addWidget(scroll);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    // The preview gets room for a whole page width.
    splitter->setSizes({540, 660});

    auto *buttons = new QDialogButtonBox(this);
    auto *saveButton =
        buttons->addButton(QStringLiteral("&Speichern"), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("btnSpeichern"));
    auto *closeButton =
        buttons->addButton(QStringLiteral("S&chließen"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("btnSchliessen"));
    // Saving keeps the window open; closing asks about unsaved changes.
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(closeButton, &QPushButton::clicked, this, &TfrmRechnungsvorlage::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    m_timer.setSingleShot(true);
    m_timer.setInterval(400);
    connect(&m_timer, &QTimer::timeout, this, &TfrmRechnungsvorlage::updatePreview);
    connect(m_source, &QPlainTextEdit::textChanged, this, [this] { m_timer.start(); });
    updatePreview();
}

bool TfrmRechnungsvorlage::isModified() const
{
    return m_source->document()->isModified();
}

bool TfrmRechnungsvorlage::save()
{
    // A template that leaves out what every invoice must state is saved
    // only when the user wants it so.
    const QStringList missing = missingMandatoryItems(m_source->toPlainText(), m_data.client);
    if (!missing.isEmpty()
        && !m_questions.askYesNo(this, kTitle,
                                 mandatoryItemsMessage(missing)
                                     + QStringLiteral("\n\nTrotzdem speichern?")))
        return false;
    QString error;
    if (!vq::writeFileSafely(m_path, m_source->toPlainText().toUtf8(), &error)) {
        m_questions.showError(this, kTitle, error);
        return false;
    }
    m_source->document()->setModified(false);
    return true;
}

void TfrmRechnungsvorlage::updatePreview()
{
    m_timer.stop();
    QString error;
    const auto parsed = InvoiceTemplate::fromText(m_source->toPlainText(), m_path, &error);
    m_previewError = error;
    // The message quotes the template, which may be anything.
    m_error->setText(vq::ui::shownText(error, vq::ui::kMaxMessageChars, vq::ui::kMaxMessageLines));
    m_error->setVisible(!parsed);
    if (!parsed)
        return; // the last good preview stays beside the message
    const InvoiceDocument document(parsed->render(m_data, QDate::currentDate()),
                                   QFileInfo(m_path).absolutePath());
    m_previewPages = std::min(document.pageCount(), kMaxPreviewPages);
    QList<QImage> pages;
    int height = 0;
    int width = 0;
    constexpr int gap = 12;
    for (int page = 0; page < m_previewPages; ++page) {
        pages << document.pageImage(page, kPreviewDpi);
        height += pages.last().height() + gap;
        width = std::max(width, pages.last().width());
    }
    QImage all(width + 2 * gap, height + gap, QImage::Format_RGB32);
    all.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&all);
    int y = gap;
    for (const QImage &page : pages) {
        painter.drawImage(gap, y, page);
        y += page.height() + gap;
    }
    painter.end();
    m_preview->setPixmap(QPixmap::fromImage(all));
}

void TfrmRechnungsvorlage::reject()
{
    if (isModified()) {
        if (m_questions.askYesNo(this, kTitle,
                                 QStringLiteral("Wollen Sie die Änderungen speichern?"))
            && !save())
            return;
    }
    QDialog::reject();
}

void editInvoiceTemplate(QWidget *parent, InvoiceConnection &db, int mandantId, int bestellungId,
                         const QString &programFolder, UserQuestions &questions,
                         UnsavedOrder unsaved)
{
    const QString &title = kTitle;
    QString error;
    std::optional<InvoiceData> data;
    if (bestellungId != 0) {
        InvoiceIssuer issuer(db);
        issuer.setUnsaved(unsaved);
        data = issuer.read(bestellungId, &error);
        // The preview never shows example figures as if they were the order's.
        if (!data)
            questions.showError(
                parent, title,
                QStringLiteral("%1\nDie Vorschau zeigt eine Beispielbestellung.").arg(error));
    }
    if (!data) {
        const auto client = ClientStore(db).client(mandantId);
        if (!client && !db.lastError().isEmpty())
            questions.showError(parent, title,
                                QStringLiteral("Die Daten des Mandanten %1 können nicht gelesen "
                                               "werden: %2\nDie Vorschau zeigt sie leer.")
                                    .arg(mandantId)
                                    .arg(db.lastError()));
        data = sampleInvoiceData(client.value_or(TMandant{}));
    }
    TfrmRechnungsvorlage editor(
        clientTemplatePath(mandantId),
        QDir(programFolder).filePath(QString::fromUtf16(kDefaultInvoiceTemplate)), *data, questions,
        parent);
    editor.exec();
}

} // namespace vq::invoice
