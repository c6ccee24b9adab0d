#include "designer/ui/settings_panel.h"
#include "designer/ui/designer_help.h"
#include "designer/ui/editor_prompts.h"

#include "common/xml_values.h"
#include "common_ui/editor_text.h"
#include "designer/publishing/formmailer_list.h"
#include "designer/ui/uInfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vq::ui {

namespace {

QIcon colourIcon(const QColor &colour)
{
    QPixmap pixmap(32, 16);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 31, 15);
    return QIcon(pixmap);
}

QPushButton *button(const QString &text, const QString &name)
{
    auto *b = new QPushButton(text);
    b->setObjectName(name);
    return b;
}

// Whether another control shares the row of this one.
bool findBesideOf(const QString &key)
{
    for (const SettingControl &control : settingControls())
        if (control.beside == key)
            return true;
    return false;
}

bool isDesignSwitch(const QString &key)
{
    return key == u"cboStandardButton" || key == u"cboStandardFeld" || key == u"chkPrintButton";
}

} // namespace

SettingsPanel::SettingsPanel(DesignerDocument &document, UserQuestions &dialogs, Hooks hooks,
                             QWidget *window)
    : QObject(window)
    , m_document(document)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
    , m_window(window)
{
    connect(&m_document, &DesignerDocument::settingChanged, this, &SettingsPanel::settingChanged);
    FieldListModel *fields = &m_document.fields();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(fields, signal, this, &SettingsPanel::refreshPlaceholders);
    connect(fields, &QAbstractItemModel::rowsMoved, this, &SettingsPanel::refreshPlaceholders);
    connect(fields, &QAbstractItemModel::dataChanged, this, &SettingsPanel::refreshPlaceholders);
    connect(fields, &QAbstractItemModel::modelReset, this, &SettingsPanel::refreshPlaceholders);
}

void SettingsPanel::addTabs(QTabWidget *tabs)
{
    const QStringList captions = tabCaptions();
    tabs->addTab(buildSettingsTab(captions[2], {{QStringLiteral("E-Mail Einstellungen"),
                                                 QStringLiteral("Rechnungsmodul")},
                                                {QStringLiteral("Einstellungen HTML Seite"),
                                                 QStringLiteral("FormMailer Einstellungen")}}),
                 captions[2]);
    tabs->addTab(buildSettingsTab(captions[3], {{QStringLiteral("Formular")},
                                                {QStringLiteral("Bestelltabelle"),
                                                 QStringLiteral("Preisangaben")}}),
                 captions[3]);
    tabs->addTab(
        buildSettingsTab(
            captions[4],
            {{QStringLiteral("Schriften"), QStringLiteral("Tabelle"), QStringLiteral("Farben")},
             {QStringLiteral("Einstellungen Button"), QStringLiteral("Button Beschriftungen")},
             {QStringLiteral("Einstellungen Formularfeld")}}),
        captions[4]);
    tabs->addTab(buildSettingsTab(captions[5], {{QStringLiteral("FTP-Einstellungen")},
                                                {QStringLiteral("Spamschutz")}}),
                 captions[5]);
    tabs->addTab(buildMailtextTab(), captions[6]);
}

// ---------------------------------------------------------------- building

QWidget *SettingsPanel::createControl(const SettingControl &control)
{
    QWidget *widget = nullptr;
    switch (control.kind) {
    case ControlKind::LineEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::ColourEdit: {
        auto *edit = new QLineEdit;
        if (control.kind == ControlKind::PasswordEdit)
            edit->setEchoMode(QLineEdit::Password);
        if (control.kind == ControlKind::ColourEdit) {
            edit->setMaxLength(6);
            edit->setMaximumWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMM")));
            const QString key = control.key;
            connect(edit, &QLineEdit::editingFinished, this,
                    [this, key] { colourEditFinished(key); });
        }
        widget = edit;
        break;
    }
    case ControlKind::MultiLine: {
        auto *memo = new QPlainTextEdit;
        memo->setTabChangesFocus(true);
        memo->setMinimumHeight(90);
        widget = memo;
        break;
    }
    case ControlKind::SpinBox: {
        auto *spin = new QSpinBox;
        spin->setRange(1, 99);
        spin->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        widget = spin;
        break;
    }
    case ControlKind::CheckBox:
        // The print check box stands in the row "Drucken:" before its caption.
        widget = new QCheckBox(control.key == u"chkPrintButton" ? QString() : control.label);
        if (control.key == u"chkPrintButton")
            widget->setAccessibleName(control.label);
        break;
    case ControlKind::ChoiceCombo:
    case ControlKind::IndexCombo:
    case ControlKind::EditableCombo: {
        auto *combo = new QComboBox;
        combo->setEditable(control.kind == ControlKind::EditableCombo);
        combo->addItems(control.entries);
        if (combo->isEditable()) {
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->lineEdit()->setAccessibleName(QString(control.label).remove(u':').trimmed());
        }
        widget = combo;
        break;
    }
    }
    widget->setObjectName(control.key);
    if (control.kind != ControlKind::CheckBox)
        widget->setAccessibleName(QString(control.label).remove(u':').trimmed());
    m_controls.insert(control.key, widget);
    bind(control, widget);
    return widget;
}

// Every change of the control is a step; the step of a text stays open for
// more typing until the control's input ends.
void SettingsPanel::bind(const SettingControl &control, QWidget *widget)
{
    const QString key = control.key;
    const auto changed = [this, key] { controlChanged(key); };
    const auto finished = [this] { m_document.finishSettingEdit(); };
    const auto changedAndFinished = [this, key] {
        controlChanged(key);
        m_document.finishSettingEdit();
    };
    switch (control.kind) {
    case ControlKind::LineEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::ColourEdit: {
        auto *edit = static_cast<QLineEdit *>(widget);
        connect(edit, &QLineEdit::textChanged, this, changed);
        connect(edit, &QLineEdit::editingFinished, this, finished);
        break;
    }
    case ControlKind::MultiLine:
        connect(static_cast<QPlainTextEdit *>(widget), &QPlainTextEdit::textChanged, this, changed);
        widget->installEventFilter(this);
        break;
    case ControlKind::SpinBox: {
        auto *spin = static_cast<QSpinBox *>(widget);
        connect(spin, &QSpinBox::valueChanged, this, changed);
        connect(spin, &QSpinBox::editingFinished, this, finished);
        break;
    }
    case ControlKind::CheckBox:
        connect(static_cast<QCheckBox *>(widget), &QCheckBox::toggled, this, changedAndFinished);
        break;
    case ControlKind::ChoiceCombo:
    case ControlKind::IndexCombo:
        connect(static_cast<QComboBox *>(widget), &QComboBox::currentIndexChanged, this,
                changedAndFinished);
        break;
    case ControlKind::EditableCombo: {
        auto *combo = static_cast<QComboBox *>(widget);
        connect(combo, &QComboBox::currentTextChanged, this, changed);
        connect(combo, &QComboBox::activated, this, finished);
        connect(combo->lineEdit(), &QLineEdit::editingFinished, this, finished);
        break;
    }
    }
}

bool SettingsPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving a text box ends its step.
    if (event->type() == QEvent::FocusOut && qobject_cast<QPlainTextEdit *>(watched))
        m_document.finishSettingEdit();
    return QObject::eventFilter(watched, event);
}

void SettingsPanel::addExtras(const QString &key, QHBoxLayout *row)
{
    for (const ColourPair &pair : colourPairs()) {
        if (key != QLatin1String(pair.edit))
            continue;
        auto *colour = new QPushButton;
        colour->setObjectName(QString::fromLatin1(pair.button));
        colour->setAccessibleName(QStringLiteral("Farbe wählen: ")
                                  + QString(findSettingControl(key)->label).remove(u':'));
        colour->setToolTip(QStringLiteral("Farbe wählen"));
        colour->setIconSize(QSize(32, 16));
        connect(colour, &QPushButton::clicked, this, [this, key] { pickColour(key); });
        m_colourButtons.insert(key, colour);
        row->addWidget(colour);
        row->addStretch();
    }
    auto extra = [&](const QString &text, const QString &name, auto slot) {
        QPushButton *b = button(text, name);
        connect(b, &QPushButton::clicked, this, slot);
        row->addWidget(b);
        return b;
    };
    if (key == u"edtFtpServer") {
        QPushButton *b = extra(QStringLiteral("..."), QStringLiteral("btnFtpProfile"),
                               [this] { m_hooks.pickFtpProfile(); });
        b->setToolTip(QStringLiteral("FTP-Profil wählen"));
        b->setAccessibleName(QStringLiteral("FTP-Profil wählen"));
    }
    if (key == u"edtFolder") {
        QPushButton *b = extra(QStringLiteral("..."), QStringLiteral("btnFtpBrowser"),
                               [this] { m_hooks.browseFtpFolder(); });
        b->setToolTip(QStringLiteral("Verzeichnis auf dem Server wählen"));
        b->setAccessibleName(QStringLiteral("Verzeichnis auf dem Server wählen"));
    }
    if (key == u"edtDanke")
        extra(QStringLiteral("Link testen"), QStringLiteral("btnTestDanke"), [this] {
            m_dialogs.openUrl(m_document.project().setting(QStringLiteral("edtDanke")));
        });
    if (key == u"cboFormMailer") {
        extra(QStringLiteral("Link testen"), QStringLiteral("btnTestFormMailer"), [this] {
            const auto *combo =
                qobject_cast<QComboBox *>(m_controls.value(QStringLiteral("cboFormMailer")));
            m_dialogs.openUrl(combo->currentText() + QStringLiteral("?action=checkurl"));
        });
        extra(QStringLiteral("&Hilfe"), QStringLiteral("btnFormMailerHilfe"), [this] {
            designerHelp(m_hooks.programFolder())
                .open(m_dialogs,
                      m_window->findChild<QPushButton *>(QStringLiteral("btnFormMailerHilfe")));
        });
    }
    if (key == u"memoEinleitung" || key == u"memoTextEnde" || key == u"memoMailtext") {
        QPushButton *b = extra(QStringLiteral("..."), QStringLiteral("btnEdit") + key.mid(4),
                               [this, key] { editSnippet(key); });
        b->setAccessibleName(QStringLiteral("HTML-Editor"));
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("......")) + 16);
        b->setToolTip(QStringLiteral("HTML-Editor"));
        row->setAlignment(b, Qt::AlignTop);
    }
}

QWidget *SettingsPanel::buildSettingsTab(const QString &tab, const QList<QStringList> &columns)
{
    QHash<QString, QFormLayout *> forms;
    auto *content = new QWidget;
    auto *columnsLayout = new QHBoxLayout(content);
    for (const QStringList &groups : columns) {
        auto *column = new QVBoxLayout;
        for (const QString &group : groups) {
            auto *box = new QGroupBox(group);
            box->setObjectName(QStringLiteral("grp") + QString(group).remove(u' ').remove(u'-'));
            auto *form = new QFormLayout(box);
            form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
            forms.insert(group, form);
            column->addWidget(box);
        }
        column->addStretch();
        columnsLayout->addLayout(column, 1);
    }

    QHash<QString, QHBoxLayout *> rowLayouts;
    for (const SettingControl &control : settingControls()) {
        if (control.tab != tab)
            continue;
        QWidget *widget = createControl(control);
        if (!control.beside.isEmpty()) {
            QHBoxLayout *row = rowLayouts.value(control.beside);
            // The unit follows its size closely; the print caption takes the room.
            const bool stretch = control.kind == ControlKind::LineEdit;
            row->insertWidget(1, widget, stretch ? 1 : 0);
            if (!stretch)
                row->addStretch();
            m_rows.insert(control.key, m_rows.value(control.beside));
            continue;
        }
        QFormLayout *form = forms.value(control.group);
        auto *rowWidget = new QWidget;
        auto *row = new QHBoxLayout(rowWidget);
        row->setContentsMargins(0, 0, 0, 0);
        const bool compact =
            control.kind == ControlKind::SpinBox || control.key == u"chkPrintButton";
        row->addWidget(widget, compact ? 0 : 1);
        if (control.kind == ControlKind::SpinBox && !findBesideOf(control.key))
            row->addStretch(1);
        addExtras(control.key, row);
        rowLayouts.insert(control.key, row);
        m_rows.insert(control.key, rowWidget);
        if (control.kind == ControlKind::CheckBox && control.key != u"chkPrintButton") {
            form->addRow(rowWidget);
        } else {
            // The print check box has no caption of its own: its row is "Drucken:".
            const QString label =
                control.key == u"chkPrintButton" ? QStringLiteral("Drucken:") : control.label;
            auto *labelWidget = new QLabel(label);
            labelWidget->setBuddy(widget);
            form->addRow(labelWidget, rowWidget);
        }
    }
    if (QFormLayout *ftp = forms.value(QStringLiteral("FTP-Einstellungen"))) {
        auto *description = new QLabel(QStringLiteral(
            "Beschreibung:\nIn diesem Dialog können Sie FTP-Einstellungen für den Upoad "
            "Ihrer Formulare festlegen. Mit Klick auf \"FTP-Upload\" wird das aktuelle "
            "Formular automatisch auf Ihren Webspace geladen."));
        description->setObjectName(QStringLiteral("lblFtpBeschreibung"));
        description->setWordWrap(true);
        ftp->addRow(description);
    }
    if (tab == u"Einstellungen") {
        QPushButton *extended = button(QStringLiteral("Erweiterte Einstellungen"),
                                       QStringLiteral("btnErwEinstellungen"));
        connect(extended, &QPushButton::clicked, this, [this] { m_hooks.editExtendedSettings(); });
        auto *column = qobject_cast<QVBoxLayout *>(columnsLayout->itemAt(1)->layout());
        column->insertWidget(column->count() - 1, extended, 0, Qt::AlignLeft);
    }

    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    return scroll;
}

QWidget *SettingsPanel::buildMailtextTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    const SettingControl *control = findSettingControl(QStringLiteral("memoMailtext"));
    auto *label = new QLabel(control->label);
    QWidget *memo = createControl(*control);
    label->setBuddy(memo);
    layout->addWidget(label);
    auto *row = new QHBoxLayout;
    row->addWidget(memo, 1);
    addExtras(control->key, row);
    layout->addLayout(row, 1);

    auto *placeholderRow = new QHBoxLayout;
    m_placeholders = new QComboBox;
    m_placeholders->setObjectName(QStringLiteral("cboPlatzhalter"));
    m_placeholders->setEditable(true);
    m_placeholders->setInsertPolicy(QComboBox::NoInsert);
    m_placeholders->setMinimumContentsLength(24);
    m_placeholders->setAccessibleName(QStringLiteral("Platzhalter"));
    m_placeholders->lineEdit()->setAccessibleName(QStringLiteral("Platzhalter"));
    auto *placeholderLabel = new QLabel(QStringLiteral("Platzhalter"));
    placeholderLabel->setBuddy(m_placeholders);
    QPushButton *insert =
        button(QStringLiteral("Einfügen"), QStringLiteral("btnPlatzhalterEinfuegen"));
    connect(insert, &QPushButton::clicked, this, [this] { insertPlaceholder(); });
    placeholderRow->addWidget(placeholderLabel);
    placeholderRow->addWidget(m_placeholders);
    placeholderRow->addWidget(insert);
    placeholderRow->addStretch();
    layout->addLayout(placeholderRow);
    m_rows.insert(control->key, memo);

    // The customer's confirmation of receipt, below the owner's mail text.
    auto *confirmation = new QGroupBox(QStringLiteral("Eingangsbestätigung"));
    confirmation->setObjectName(QStringLiteral("grpEingangsbestaetigung"));
    auto *form = new QFormLayout(confirmation);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const SettingControl &setting : settingControls()) {
        if (setting.tab != tabCaptions()[6] || setting.group != confirmation->title())
            continue;
        QWidget *widget = createControl(setting);
        if (setting.kind == ControlKind::MultiLine)
            widget->setMaximumHeight(widget->fontMetrics().lineSpacing() * 5);
        m_rows.insert(setting.key, widget);
        if (setting.kind == ControlKind::CheckBox) {
            form->addRow(widget);
            continue;
        }
        auto *settingLabel = new QLabel(setting.label);
        settingLabel->setBuddy(widget);
        form->addRow(settingLabel, widget);
    }
    layout->addWidget(confirmation);
    return page;
}

// ---------------------------------------------------------------- binding

QString SettingsPanel::controlValue(const SettingControl &control) const
{
    QWidget *widget = m_controls.value(control.key);
    switch (control.kind) {
    case ControlKind::LineEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::ColourEdit:
        return static_cast<QLineEdit *>(widget)->text();
    case ControlKind::MultiLine:
        return textFromEditor(static_cast<QPlainTextEdit *>(widget)->toPlainText());
    case ControlKind::SpinBox:
        return QString::number(static_cast<QSpinBox *>(widget)->value());
    case ControlKind::CheckBox:
        return boolText(static_cast<QCheckBox *>(widget)->isChecked());
    case ControlKind::ChoiceCombo:
    case ControlKind::EditableCombo:
        return static_cast<QComboBox *>(widget)->currentText();
    case ControlKind::IndexCombo:
        return QString::number(std::max(0, static_cast<QComboBox *>(widget)->currentIndex()));
    }
    return {};
}

bool SettingsPanel::showSetting(const SettingControl &control)
{
    QWidget *widget = m_controls.value(control.key);
    if (!widget)
        return false;
    const ProjectDocument &project = m_document.project();
    const QString value = project.setting(control.key);
    if (control.kind == ControlKind::CheckBox
            ? static_cast<QCheckBox *>(widget)->isChecked() == project.flag(control.key)
            : controlValue(control) == value)
        return false; // the change came from this control: its cursor stays
    const QSignalBlocker block(widget);
    switch (control.kind) {
    case ControlKind::LineEdit:
    case ControlKind::PasswordEdit:
    case ControlKind::ColourEdit:
        static_cast<QLineEdit *>(widget)->setText(value);
        break;
    case ControlKind::MultiLine:
        static_cast<QPlainTextEdit *>(widget)->setPlainText(textForEditor(value));
        break;
    case ControlKind::SpinBox:
        static_cast<QSpinBox *>(widget)->setValue(value.trimmed().toInt());
        break;
    case ControlKind::CheckBox:
        static_cast<QCheckBox *>(widget)->setChecked(project.flag(control.key));
        break;
    case ControlKind::ChoiceCombo: {
        auto *combo = static_cast<QComboBox *>(widget);
        combo->setCurrentIndex(combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
        break;
    }
    case ControlKind::IndexCombo:
        static_cast<QComboBox *>(widget)->setCurrentIndex(value.toInt());
        break;
    case ControlKind::EditableCombo:
        static_cast<QComboBox *>(widget)->setCurrentText(value);
        break;
    }
    return true;
}

void SettingsPanel::showAll()
{
    for (const SettingControl &control : settingControls())
        showSetting(control);
    for (const ColourPair &pair : colourPairs())
        colourEditFinished(QString::fromLatin1(pair.edit));
    applyDesignVisibility();
}

void SettingsPanel::settingChanged(const QString &key)
{
    if (key.isEmpty()) {
        showAll();
        return;
    }
    const SettingControl *control = findSettingControl(key);
    if (control && showSetting(*control) && control->kind == ControlKind::ColourEdit)
        colourEditFinished(key);
    if (isDesignSwitch(key))
        applyDesignVisibility();
}

void SettingsPanel::controlChanged(const QString &key)
{
    const SettingControl *control = findSettingControl(key);
    if (!control)
        return;
    // "Kopie an Absender" works only with a field named "email": the tick is
    // taken back before it becomes a step.
    if (key == u"chkAbsender" && control->kind == ControlKind::CheckBox) {
        auto *box = static_cast<QCheckBox *>(m_controls.value(key));
        if (box->isChecked() && !hasSenderField(m_document.project().ListField)) {
            const QSignalBlocker block(box);
            box->setChecked(false);
            m_dialogs.tell(m_window, QMessageBox::Information, QStringLiteral("Kopie an Absender"),
                           QStringLiteral("Damit diese Funktion funktioniert, muss ein Feld mit "
                                          "dem Namen \"email\" vorhanden sein."));
            return;
        }
    }
    m_document.setSetting(key, controlValue(*control));
}

// ---------------------------------------------------------------- helpers

void SettingsPanel::applyDesignVisibility()
{
    auto ticked = [this](const char *key) {
        const auto *box = qobject_cast<QCheckBox *>(m_controls.value(QString::fromLatin1(key)));
        return box && box->isChecked();
    };
    auto showRow = [this](const QString &key, bool visible) {
        QWidget *row = m_rows.value(key);
        if (!row)
            return;
        if (auto *box = qobject_cast<QGroupBox *>(row->parentWidget()))
            if (auto *form = qobject_cast<QFormLayout *>(box->layout())) {
                form->setRowVisible(row, visible);
                return;
            }
        row->setVisible(visible);
    };
    const bool buttonDesign = !ticked("cboStandardButton");
    for (const QString &key : buttonDesignKeys())
        showRow(key, buttonDesign);
    const bool fieldDesign = !ticked("cboStandardFeld");
    for (const QString &key : fieldDesignKeys())
        showRow(key, fieldDesign);
    if (QWidget *print = m_controls.value(QStringLiteral("edtPrint")))
        print->setVisible(ticked("chkPrintButton"));
}

void SettingsPanel::colourEditFinished(const QString &editKey)
{
    const auto *edit = qobject_cast<QLineEdit *>(m_controls.value(editKey));
    if (!edit)
        return;
    // A text that is not six hexadecimal digits leaves the button as it was.
    if (const std::optional<QColor> colour = colourFromText(edit->text()))
        setColourButton(editKey, *colour);
}

void SettingsPanel::setColourButton(const QString &editKey, const QColor &colour)
{
    QPushButton *colourButton = m_colourButtons.value(editKey);
    if (!colourButton)
        return;
    colourButton->setProperty("colour", colour);
    colourButton->setIcon(colourIcon(colour));
}

void SettingsPanel::pickColour(const QString &editKey)
{
    QPushButton *colourButton = m_colourButtons.value(editKey);
    const QColor current = colourButton->property("colour").value<QColor>();
    const std::optional<QColor> chosen =
        m_dialogs.pickColour(m_window, QStringLiteral("Farbe wählen"), current);
    if (!chosen)
        return;
    setColourButton(editKey, *chosen);
    m_document.finishSettingEdit();
    qobject_cast<QLineEdit *>(m_controls.value(editKey))->setText(colourText(*chosen));
    m_document.finishSettingEdit();
}

void SettingsPanel::editSnippet(const QString &key)
{
    QString text = m_document.project().setting(key);
    try {
        if (m_hooks.editHtml && m_hooks.editHtml(text))
            m_document.replaceSnippet(key, text);
    } catch (const std::exception &) {
        m_dialogs.tell(m_window, QMessageBox::Warning, QStringLiteral("HTML-Editor"),
                       htmlEditorUnavailableMessage());
    }
}

void SettingsPanel::insertPlaceholder()
{
    const QString text = placeholderText(m_placeholders->currentText());
    if (text.isEmpty())
        return;
    m_document.finishSettingEdit();
    qobject_cast<QPlainTextEdit *>(m_controls.value(QStringLiteral("memoMailtext")))
        ->insertPlainText(text);
    m_document.finishSettingEdit();
}

void SettingsPanel::refreshPlaceholders()
{
    if (!m_placeholders)
        return;
    const QStringList names = placeholderNames(m_document.project().ListField);
    QStringList shown;
    for (int i = 0; i < m_placeholders->count(); ++i)
        shown.append(m_placeholders->itemText(i));
    if (shown == names)
        return;
    const QString typed = m_placeholders->currentText();
    m_placeholders->clear();
    m_placeholders->addItems(names);
    m_placeholders->setCurrentText(typed);
}

void SettingsPanel::tellFormMailerEntries()
{
    const auto *combo =
        qobject_cast<QComboBox *>(m_controls.value(QStringLiteral("cboFormMailer")));
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    m_document.setFormMailerList(entries);
}

void SettingsPanel::loadFormMailers(const QString &listFile)
{
    auto *combo = qobject_cast<QComboBox *>(m_controls.value(QStringLiteral("cboFormMailer")));
    const QString text = combo->currentText();
    {
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(readFormMailerList(listFile));
        combo->setCurrentText(text);
    }
    tellFormMailerEntries();
}

} // namespace vq::ui
