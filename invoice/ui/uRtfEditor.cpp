#include "invoice/ui/uRtfEditor.h"

#include "invoice/report/rtf_text.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vq::invoice {

namespace {

constexpr int kIconSize = 32; // drawn at twice the tool bar's size for sharp icons

// The theme's icon when the desktop has one, else a letter in the given style.
QIcon letterIcon(const char *themeName, const QString &letter, bool bold, bool italic,
                 bool underline)
{
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(kIconSize * 3 / 4);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
    return QIcon(pixmap);
}

// The theme's icon, else lines of text set left, centred or right.
QIcon alignIcon(const char *themeName, Qt::Alignment alignment)
{
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int lengths[] = {26, 18, 24, 14};
    for (int i = 0; i < 4; ++i) {
        const int length = lengths[i];
        int x = 3;
        if (alignment == Qt::AlignHCenter)
            x = (kIconSize - length) / 2;
        else if (alignment == Qt::AlignRight)
            x = kIconSize - 3 - length;
        painter.fillRect(x, 5 + i * 6, length, 3, QColor(40, 40, 40));
    }
    return QIcon(pixmap);
}

} // namespace

RtfEditor::RtfEditor(UserQuestions &questions, QWidget *parent)
    : QWidget(parent)
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmRtfEditor"));

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbFormat"));
    m_toolBar->setAccessibleName(QStringLiteral("Formatierung"));
    m_toolBar->setIconSize(QSize(16, 16));

    auto makeToggle = [&](const char *name, const QString &text, const QIcon &icon,
                          QKeySequence shortcut) {
        auto *action = new QAction(icon, text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(text, shortcut.toString(QKeySequence::NativeText)));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        m_toolBar->addAction(action);
        return action;
    };
    m_bold = makeToggle("actFett", QStringLiteral("Fett"),
                        letterIcon("format-text-bold", QStringLiteral("F"), true, false, false),
                        QKeySequence::Bold);
    m_italic = makeToggle("actKursiv", QStringLiteral("Kursiv"),
                          letterIcon("format-text-italic", QStringLiteral("K"), false, true, false),
                          QKeySequence::Italic);
    m_underline =
        makeToggle("actUnterstrichen", QStringLiteral("Unterstrichen"),
                   letterIcon("format-text-underline", QStringLiteral("U"), false, false, true),
                   QKeySequence::Underline);
    m_toolBar->addSeparator();

    m_alignGroup = new QActionGroup(this);
    m_alignGroup->setExclusive(true);
    auto makeAlign = [&](const char *name, const QString &text, const char *theme,
                         Qt::Alignment alignment, QKeySequence shortcut) {
        auto *action = new QAction(alignIcon(theme, alignment), text, m_alignGroup);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(text, shortcut.toString(QKeySequence::NativeText)));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        action->setData(int(alignment));
        m_toolBar->addAction(action);
        return action;
    };
    m_alignLeft = makeAlign("actLinksbuendig", QStringLiteral("Linksbündig"), "format-justify-left",
                            Qt::AlignLeft, QKeySequence(Qt::CTRL | Qt::Key_L));
    m_alignCenter = makeAlign("actZentriert", QStringLiteral("Zentriert"), "format-justify-center",
                              Qt::AlignHCenter, QKeySequence(Qt::CTRL | Qt::Key_E));
    m_alignRight =
        makeAlign("actRechtsbuendig", QStringLiteral("Rechtsbündig"), "format-justify-right",
                  Qt::AlignRight, QKeySequence(Qt::CTRL | Qt::Key_R));
    m_alignLeft->setChecked(true);
    m_toolBar->addSeparator();

    // Every font family of the system, in alphabetical order.
    m_fontName = new QComboBox(m_toolBar);
    m_fontName->setObjectName(QStringLiteral("cboSchriftart"));
    m_fontName->setAccessibleName(QStringLiteral("Schriftart"));
    m_fontName->setToolTip(QStringLiteral("Schriftart"));
    m_fontName->addItems(fontFamilies());
    m_fontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_fontName->setMinimumContentsLength(14);
    m_toolBar->addWidget(m_fontName);
    m_toolBar->addSeparator();

    m_fontSize = new QSpinBox(m_toolBar);
    m_fontSize->setObjectName(QStringLiteral("edtSchriftgroesse"));
    m_fontSize->setAccessibleName(QStringLiteral("Schriftgröße"));
    m_fontSize->setToolTip(QStringLiteral("Schriftgröße (0: Standard)"));
    m_fontSize->setRange(0, kMaxPointSize);
    m_fontSize->setValue(0);
    // Typed digits take effect on Enter or on leaving the box, arrows at once.
    m_fontSize->setKeyboardTracking(false);
    // A spin box passes Enter on, which would press the dialog's default button.
    m_fontSize->installEventFilter(this);
    m_toolBar->addWidget(m_fontSize);
    m_toolBar->addSeparator();

    m_fontDialog = new QAction(
        letterIcon("preferences-desktop-font", QStringLiteral("A"), false, false, false),
        QStringLiteral("Schrift festlegen"), this);
    m_fontDialog->setObjectName(QStringLiteral("actSchriftFestlegen"));
    m_fontDialog->setToolTip(QStringLiteral("Schrift festlegen"));
    m_fontDialog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_fontDialog->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_fontDialog);
    m_toolBar->addAction(m_fontDialog);

    m_edit = new QTextEdit(this);
    m_edit->setObjectName(QStringLiteral("edtRechnungsfuss"));
    m_edit->setAccessibleName(QStringLiteral("Fußzeile für Rechnung"));
    m_edit->setAcceptRichText(true);
    // Tab leaves the box, so the dialog stays usable with the keyboard.
    m_edit->setTabChangesFocus(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_edit, 1);
    setFocusProxy(m_edit);

    connect(m_bold, &QAction::toggled, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        applyFormat(format);
    });
    connect(m_italic, &QAction::toggled, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontItalic(on);
        applyFormat(format);
    });
    connect(m_underline, &QAction::toggled, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontUnderline(on);
        applyFormat(format);
    });
    connect(m_alignGroup, &QActionGroup::triggered, this,
            [this](QAction *action) { applyAlignment(Qt::Alignment(action->data().toInt())); });
    connect(m_fontName, &QComboBox::currentTextChanged, this, [this](const QString &family) {
        if (family.isEmpty())
            return;
        QTextCharFormat format;
        format.setFontFamilies(QStringList{family});
        applyFormat(format);
    });
    connect(m_fontSize, &QSpinBox::valueChanged, this, [this](int size) {
        // 0 stands for the default size; there is nothing to set.
        if (size <= 0)
            return;
        QTextCharFormat format;
        format.setFontPointSize(size);
        applyFormat(format);
    });
    connect(m_fontDialog, &QAction::triggered, this, &RtfEditor::chooseFont);
    connect(m_edit, &QTextEdit::currentCharFormatChanged, this, &RtfEditor::updateToolBar);
    connect(m_edit, &QTextEdit::cursorPositionChanged, this, &RtfEditor::updateToolBar);

    // New text starts without bold.
    m_updating = true;
    QTextCharFormat normal;
    normal.setFontWeight(QFont::Normal);
    m_edit->mergeCurrentCharFormat(normal);
    m_updating = false;
    updateToolBar();
}

QStringList RtfEditor::fontFamilies()
{
    QStringList families;
    QSet<QString> seen;
    for (QString family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        // "Nimbus Sans [urw]": the same family from several foundries.
        const qsizetype foundry = family.indexOf(QStringLiteral(" ["));
        if (foundry > 0 && family.endsWith(u']'))
            family.truncate(foundry);
        if (!seen.contains(family.toCaseFolded())) {
            seen.insert(family.toCaseFolded());
            families << family;
        }
    }
    std::sort(families.begin(), families.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    return families;
}

QList<QWidget *> RtfEditor::focusChain() const
{
    return {m_fontName, m_fontSize, m_edit};
}

void RtfEditor::setRtf(const QString &rtf)
{
    m_updating = true;
    fillTextDocument(readRtf(rtf), m_edit->document());
    m_edit->moveCursor(QTextCursor::Start);
    m_edit->document()->setModified(false);
    m_updating = false;
    updateToolBar();
}

QString RtfEditor::rtf() const
{
    return writeRtf(fromTextDocument(*m_edit->document()));
}

bool RtfEditor::isModified() const
{
    return m_edit->document()->isModified();
}

bool RtfEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_fontSize && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            m_fontSize->interpretText();
            m_edit->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RtfEditor::updateToolBar()
{
    if (m_updating)
        return;
    m_updating = true;
    const QTextCharFormat format = m_edit->currentCharFormat();
    m_bold->setChecked(format.fontWeight() >= QFont::DemiBold);
    m_italic->setChecked(format.fontItalic());
    m_underline->setChecked(format.fontUnderline());

    const Qt::Alignment alignment = m_edit->alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        m_alignCenter->setChecked(true);
    else if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        m_alignRight->setChecked(true);
    else if (alignment & Qt::AlignJustify) {
        // Justified text (from another program) has no button: none is pressed.
        m_alignGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        if (QAction *checked = m_alignGroup->checkedAction())
            checked->setChecked(false);
        m_alignGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    } else
        m_alignLeft->setChecked(true);

    const QString family = format.hasProperty(QTextFormat::FontFamilies)
                               ? format.fontFamilies().toStringList().value(0)
                               : m_edit->document()->defaultFont().family();
    // A font this system lacks (the footer came from elsewhere) shows no name.
    m_fontName->setCurrentIndex(m_fontName->findText(family, Qt::MatchFixedString));
    const double size =
        format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 0.0;
    m_fontSize->setValue(std::clamp(int(std::lround(size)), 0, kMaxPointSize));
    m_updating = false;
}

void RtfEditor::applyFormat(const QTextCharFormat &format)
{
    if (m_updating)
        return;
    m_edit->mergeCurrentCharFormat(format);
}

void RtfEditor::applyAlignment(Qt::Alignment alignment)
{
    if (m_updating)
        return;
    m_edit->setAlignment(alignment);
}

void RtfEditor::chooseFont()
{
    if (m_updating)
        return;
    const std::optional<QFont> font = m_questions.pickFont(this, m_edit->currentFont());
    if (font) {
        // What the footer can hold of the font: family, size and style.
        QTextCharFormat format;
        format.setFontFamilies(QStringList{font->family()});
        if (font->pointSizeF() > 0)
            format.setFontPointSize(std::min(font->pointSizeF(), double(kMaxPointSize)));
        format.setFontWeight(font->bold() ? QFont::Bold : QFont::Normal);
        format.setFontItalic(font->italic());
        format.setFontUnderline(font->underline());
        applyFormat(format);
    }
    updateToolBar();
    m_edit->setFocus();
}

} // namespace vq::invoice
