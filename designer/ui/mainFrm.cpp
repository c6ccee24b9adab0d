#include "designer/ui/mainFrm.h"

#include "common/GlobalFunctions.h"
#include "common/text_file.h"
#include "common_ui/editor_text.h"
#include "common_ui/plain_text.h"
#include "designer/generation/consumer_pages.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "designer/model/template_library.h"
#include "designer/publishing/formmailer_list.h"
#include "designer/publishing/ftp_upload.h"
#include "designer/ui/editor_prompts.h"
#include "designer/ui/ftp_job.h"
#include "designer/ui/uErwEinstellungen.h"
#include "designer/ui/uFTPBrowser.h"
#include "designer/ui/uFormMailers.h"
#include "designer/ui/uFtpProfiles.h"
#include "designer/ui/uHtmlExportDlg.h"
#include "designer/ui/uInfo.h"
#include "designer/ui/uLog.h"
#include "designer/ui/uPreviewWindow.h"
#include "designer/ui/uProjectSettings.h"
#include "designer/ui/uVorlagen.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vq::ui {

namespace {

const QString kCaption = QStringLiteral("VQ-Bestellformular 1.5.8");
const QString kSaveQuestion = QStringLiteral("Soll die aktuelle Datei gespeichert werden?");
const QString kDeleteQuestion = QStringLiteral("Soll der Eintrag wirklich gelöscht werden?");

enum TabIndex { TabHtml = 7, TabPhp = 8, TabPreview = 9 };

// The field kinds of the "Neu" pop-up menu, in menu order.
struct FieldKindEntry
{
    const char16_t *caption;
    const char16_t *typeWord;
};
constexpr FieldKindEntry kFieldKinds[] = {
    {u"Einzeiliges Textfeld", u"TEinzField"},   {u"Password Textfeld", u"TPassField"},
    {u"Mehrzeiliges Textfeld", u"TMehrzField"}, {u"Liste/Dropdown Feld", u"TDropDownField"},
    {u"CheckBox", u"TCheckBoxField"},           {u"Zwischentext", u"TZwField"},
    {u"RadioButtons", u"TRadioField"},          {u"Datei-Upload Feld", u"TFileField"},
};

QIcon colourIcon(const QColor &colour)
{
    QPixmap pixmap(32, 16);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 31, 15);
    return QIcon(pixmap);
}

QTreeWidget *createList(const QString &name, const QStringList &columns)
{
    auto *list = new QTreeWidget;
    list->setObjectName(name);
    list->setColumnCount(int(columns.size()));
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    return list;
}

QPushButton *button(const QString &text, const QString &name)
{
    auto *b = new QPushButton(text);
    b->setObjectName(name);
    return b;
}

} // namespace

TfrmMain::TfrmMain(std::unique_ptr<EditorAccess> editors, std::unique_ptr<UserQuestions> dialogs,
                   QWidget *parent)
    : QMainWindow(parent)
    , m_programFolder(vq::programFolder())
    , m_editors(std::move(editors))
    , m_dialogs(std::move(dialogs))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    setAcceptDrops(true);
    m_log = new TfrmLog(this);
    buildTabs();
    buildMenus();
    m_fileLabel = new QLabel(QString::fromUtf16(kUnnamedProject));
    m_fileLabel->setObjectName(QStringLiteral("lblDateiname"));
    m_fileLabel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_fileLabel, 1);
    projectToControls();
    resize(1100, 740);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::setEditorAccess(std::unique_ptr<EditorAccess> editors)
{
    m_editors = std::move(editors);
}

QString TfrmMain::appData(const char *fileName) const
{
    return appDataFile(QString::fromLatin1(fileName));
}

// ---------------------------------------------------------------- building

void TfrmMain::buildMenus()
{
    auto action = [this](QMenu *menu, const QString &text, const QString &name,
                         const QKeySequence &shortcut, auto slot) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    action(file, QStringLiteral("Neu"), QStringLiteral("actNeu"),
           QKeySequence(Qt::CTRL | Qt::Key_N), [this] { newProject(); });
    action(file, QStringLiteral("Ö&ffnen"), QStringLiteral("actOeffnen"),
           QKeySequence(Qt::CTRL | Qt::Key_O), [this] { openProject(); });
    action(file, QStringLiteral("&Speichern"), QStringLiteral("actSpeichern"),
           QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save(); });
    action(file, QStringLiteral("Speichern unter"), QStringLiteral("actSpeichernUnter"), {},
           [this] { saveAs(); });
    file->addSeparator();
    action(file, QStringLiteral("Rechnungsmodul aufrufen"), QStringLiteral("actRechnungsmodul"), {},
           [this] {
               m_dialogs->startProgram(vq::companionProgram(
                   m_programFolder, QStringLiteral("rechtool/vq_bestell_rechnung")));
           });
    file->addSeparator();
    action(file, QStringLiteral("Erweiterte Einstellungen"), QStringLiteral("actErwEinstellungen"),
           {}, [this] { editExtendedSettings(); });
    action(file, QStringLiteral("E&igenschaften"), QStringLiteral("actEigenschaften"),
           QKeySequence(Qt::CTRL | Qt::Key_I), [this] { editProjectProperties(); });
    file->addSeparator();
    action(file, QStringLiteral("&Beenden"), QStringLiteral("actBeenden"), {}, [this] { close(); });

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    action(edit, QStringLiteral("HTML-Quelltext kopieren"), QStringLiteral("actHtmlKopieren"), {},
           [this] { copyCode(false); });
    action(edit, QStringLiteral("PHP-Code kopieren"), QStringLiteral("actPhpKopieren"), {},
           [this] { copyCode(true); });

    QMenu *exportMenu = menuBar()->addMenu(QStringLiteral("Export"));
    action(exportMenu, QStringLiteral("HTML Export"), QStringLiteral("actHtmlExport"), {},
           [this] { exportCode(false); });
    action(exportMenu, QStringLiteral("PHP Export"), QStringLiteral("actPhpExport"), {},
           [this] { exportCode(true); });
    action(exportMenu, QStringLiteral("Export in bestehende HTML-Datei"),
           QStringLiteral("actExportBestehend"), {}, [this] { exportIntoPage(); });

    QMenu *settings = menuBar()->addMenu(QStringLiteral("&Einstellungen"));
    action(settings, QStringLiteral("&Feld-Vorlagen verwalten"), QStringLiteral("actFeldVorlagen"),
           {}, [this] { manageTemplates(false); });
    action(settings, QStringLiteral("Artikel-Vorlagen verwalten"),
           QStringLiteral("actArtikelVorlagen"), {}, [this] { manageTemplates(true); });
    settings->addSeparator();
    action(settings, QStringLiteral("FTP-Profile verwalten"), QStringLiteral("actFtpProfile"), {},
           [this] { pickFtpProfile(); });
    action(settings, QStringLiteral("Formmailer-Links verwalten"),
           QStringLiteral("actFormmailerLinks"), {}, [this] { manageFormMailers(); });

    QMenu *view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    action(view, QStringLiteral("Vorschau Fenster"), QStringLiteral("actVorschauFenster"), {},
           [this] { showPreviewWindow(); });

    const auto openHelp = [this] {
        m_dialogs->openUrl(QDir(m_programFolder).filePath(QStringLiteral("help/vqbest.htm")));
    };
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    action(help, QStringLiteral("&Hilfe"), QStringLiteral("actHilfe"), {}, openHelp);
    action(help, QStringLiteral("Auf neue Version prüfen"), QStringLiteral("actUpdate"), {},
           [this] {
               const QString updater = QDir(m_programFolder).filePath(QStringLiteral("updater"));
               if (QFileInfo::exists(updater))
                   m_dialogs->startProgram(updater);
           });
    action(help, QStringLiteral("&Info"), QStringLiteral("actInfo"), {}, [this] {
        TfrmInfo info(this);
        m_dialogs->runModal(info);
    });

    QToolBar *tools = addToolBar(QStringLiteral("Werkzeugleiste"));
    tools->setObjectName(QStringLiteral("tbMain"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto tool = [this, tools](QStyle::StandardPixmap icon, const QString &text, const QString &name,
                              auto slot) {
        QAction *a = tools->addAction(style()->standardIcon(icon), text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    tool(QStyle::SP_FileIcon, QStringLiteral("Neu"), QStringLiteral("tbNeu"),
         [this] { newProject(); });
    tool(QStyle::SP_DialogOpenButton, QStringLiteral("Öffnen"), QStringLiteral("tbOeffnen"),
         [this] { openProject(); });
    tool(QStyle::SP_DialogSaveButton, QStringLiteral("Speichern"), QStringLiteral("tbSpeichern"),
         [this] { save(); });
    tool(QStyle::SP_FileDialogDetailedView, QStringLiteral("PHP Export"),
         QStringLiteral("tbPhpExport"), [this] { exportCode(true); });
    tool(QStyle::SP_FileDialogContentsView, QStringLiteral("HTML Export"),
         QStringLiteral("tbHtmlExport"), [this] { exportCode(false); });
    m_uploadAction = tool(QStyle::SP_ArrowUp, QStringLiteral("FTP-Upload"),
                          QStringLiteral("tbFtpUpload"), [this] { ftpUpload(); });
    tools->addSeparator();
    tool(QStyle::SP_DialogHelpButton, QStringLiteral("Hilfe"), QStringLiteral("tbHilfe"), openHelp);
    tool(QStyle::SP_ComputerIcon, QStringLiteral("Vorschau"), QStringLiteral("tbVorschau"),
         [this] { showPreviewWindow(); });
    tool(QStyle::SP_DialogCloseButton, QStringLiteral("Beenden"), QStringLiteral("tbBeenden"),
         [this] { close(); });
}

void TfrmMain::buildTabs()
{
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("pcMain"));
    const QStringList captions = tabCaptions();

    m_tabs->addTab(buildListTab(true), captions[0]);
    m_tabs->addTab(buildListTab(false), captions[1]);
    m_tabs->addTab(buildSettingsTab(captions[2], {{QStringLiteral("E-Mail Einstellungen"),
                                                   QStringLiteral("Rechnungsmodul")},
                                                  {QStringLiteral("Einstellungen HTML Seite"),
                                                   QStringLiteral("FormMailer Einstellungen")}}),
                   captions[2]);
    m_tabs->addTab(buildSettingsTab(captions[3], {{QStringLiteral("Formular")},
                                                  {QStringLiteral("Bestelltabelle"),
                                                   QStringLiteral("Preisangaben")}}),
                   captions[3]);
    m_tabs->addTab(
        buildSettingsTab(
            captions[4],
            {{QStringLiteral("Schriften"), QStringLiteral("Tabelle"), QStringLiteral("Farben")},
             {QStringLiteral("Einstellungen Button"), QStringLiteral("Button Beschriftungen")},
             {QStringLiteral("Einstellungen Formularfeld")}}),
        captions[4]);
    m_tabs->addTab(buildSettingsTab(captions[5], {{QStringLiteral("FTP-Einstellungen")},
                                                  {QStringLiteral("Spamschutz")}}),
                   captions[5]);
    m_tabs->addTab(buildMailtextTab(), captions[6]);

    auto codeView = [](const QString &name) {
        auto *view = new QPlainTextEdit;
        view->setObjectName(name);
        view->setReadOnly(true);
        view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        return view;
    };
    m_htmlView = codeView(QStringLiteral("memoHTMLCode"));
    m_htmlView->setAccessibleName(QStringLiteral("HTML-Code"));
    m_phpView = codeView(QStringLiteral("memoPHPCode"));
    m_phpView->setAccessibleName(QStringLiteral("PHP-Code"));
    m_tabs->addTab(m_htmlView, captions[7]);
    m_tabs->addTab(m_phpView, captions[8]);
    auto *previewTab = new QWidget;
    previewTab->setObjectName(QStringLiteral("tsVorschau"));
    m_previewTabLayout = new QVBoxLayout(previewTab);
    m_previewTabLayout->setContentsMargins(0, 0, 0, 0);
    m_tabs->addTab(previewTab, captions[9]);

    connect(m_tabs, &QTabWidget::currentChanged, this, &TfrmMain::tabShown);
    for (const char *key : {"cboStandardButton", "cboStandardFeld", "chkPrintButton"})
        connect(qobject_cast<QCheckBox *>(m_controls.value(QString::fromLatin1(key))),
                &QCheckBox::toggled, this, [this] { applyDesignVisibility(); });
    connect(qobject_cast<QCheckBox *>(m_controls.value(QStringLiteral("chkAbsender"))),
            &QCheckBox::clicked, this, &TfrmMain::senderCopyClicked);
    setCentralWidget(m_tabs);
}

QWidget *TfrmMain::buildListTab(bool articles)
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    auto *group =
        new QGroupBox(articles ? QStringLiteral("Artikel") : QStringLiteral("Formularfelder"));
    auto *groupLayout = new QVBoxLayout(group);
    QTreeWidget *list = articles ? createList(QStringLiteral("lvArtikel"), articleListColumns())
                                 : createList(QStringLiteral("lvFelder"), fieldListColumns());
    list->setAccessibleName(group->title());
    groupLayout->addWidget(list);
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    list->header()->setStretchLastSection(true);
    for (int column = 0; column < list->columnCount() - 1; ++column)
        list->setColumnWidth(column, articles ? 160 : 200);
    layout->addWidget(group, 1);

    const QString suffix = articles ? QStringLiteral("Artikel") : QStringLiteral("Feld");
    auto *side = new QVBoxLayout;
    QPushButton *newButton = button(QStringLiteral("Neu"), QStringLiteral("btnNeu") + suffix);
    QPushButton *editButton =
        button(QStringLiteral("Bearbeiten"), QStringLiteral("btnBearbeiten") + suffix);
    QPushButton *deleteButton =
        button(QStringLiteral("Löschen"), QStringLiteral("btnLoeschen") + suffix);
    auto arrow = [&](Qt::ArrowType type, const QString &name, const QString &accessible) {
        auto *b = new QToolButton;
        b->setObjectName(name);
        b->setArrowType(type);
        b->setAccessibleName(accessible);
        b->setToolTip(accessible);
        b->setFocusPolicy(Qt::StrongFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    QToolButton *up =
        arrow(Qt::UpArrow, QStringLiteral("btnHoch") + suffix, QStringLiteral("Nach oben"));
    QToolButton *down =
        arrow(Qt::DownArrow, QStringLiteral("btnRunter") + suffix, QStringLiteral("Nach unten"));
    side->addWidget(newButton);
    side->addWidget(editButton);
    side->addWidget(deleteButton);
    side->addSpacing(12);
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch();

    auto *templates = new QGroupBox(QStringLiteral("Vorlagen"));
    auto *templatesLayout = new QVBoxLayout(templates);
    auto *combo = new QComboBox;
    combo->setObjectName(articles ? QStringLiteral("cboVorlagenArtikel")
                                  : QStringLiteral("cboVorlagen"));
    combo->setAccessibleName(QStringLiteral("Vorlagen"));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(18);
    QPushButton *insert =
        button(QStringLiteral("Einfügen"), QStringLiteral("btnEinfuegenVorlage") + suffix);
    templatesLayout->addWidget(combo);
    templatesLayout->addWidget(insert);
    side->addWidget(templates);
    layout->addLayout(side);

    if (articles) {
        m_articleList = list;
        m_articleTemplates = combo;
        connect(newButton, &QPushButton::clicked, this, [this] { newArticle(); });
        connect(editButton, &QPushButton::clicked, this, [this] { editArticle(); });
        connect(deleteButton, &QPushButton::clicked, this, [this] { deleteArticle(); });
        connect(up, &QToolButton::clicked, this, [this] { moveArticle(-1); });
        connect(down, &QToolButton::clicked, this, [this] { moveArticle(1); });
        connect(insert, &QPushButton::clicked, this, [this] { insertArticleTemplate(); });
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { editArticle(); });
    } else {
        m_fieldList = list;
        m_fieldTemplates = combo;
        m_fieldKindMenu = new QMenu(this);
        m_fieldKindMenu->setObjectName(QStringLiteral("pmFeldTyp"));
        for (const FieldKindEntry &kind : kFieldKinds) {
            QAction *a = m_fieldKindMenu->addAction(QString::fromUtf16(kind.caption));
            const QString typeWord = QString::fromUtf16(kind.typeWord);
            a->setObjectName(QStringLiteral("actNeu") + typeWord);
            connect(a, &QAction::triggered, this, [this, typeWord] { newField(typeWord); });
        }
        // At the mouse; below the button when it was pressed from the keyboard.
        connect(newButton, &QPushButton::clicked, this, [this, newButton] {
            const bool byMouse =
                newButton->rect().contains(newButton->mapFromGlobal(QCursor::pos()));
            m_fieldKindMenu->popup(
                byMouse ? QCursor::pos() : newButton->mapToGlobal(QPoint(0, newButton->height())));
        });
        connect(editButton, &QPushButton::clicked, this, [this] { editField(); });
        connect(deleteButton, &QPushButton::clicked, this, [this] { deleteField(); });
        connect(up, &QToolButton::clicked, this, [this] { moveField(-1); });
        connect(down, &QToolButton::clicked, this, [this] { moveField(1); });
        connect(insert, &QPushButton::clicked, this, [this] { insertFieldTemplate(); });
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { editField(); });
    }
    list->installEventFilter(this);
    connect(list, &QTreeWidget::customContextMenuRequested, this,
            [this, articles, list](const QPoint &at) {
                showListMenu(articles, list->viewport()->mapToGlobal(at));
            });
    return page;
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The Delete key on a list is "Löschen".
    if (event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete
        && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        if (watched == m_fieldList) {
            deleteField();
            return true;
        }
        if (watched == m_articleList) {
            deleteArticle();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::showListMenu(bool articles, const QPoint &at)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(articles ? QStringLiteral("pmArtikel") : QStringLiteral("pmFelder"));
    if (articles) {
        menu->addAction(QStringLiteral("&Neu"), this, [this] { newArticle(); });
        menu->addAction(QStringLiteral("&Bearbeiten"), this, [this] { editArticle(); });
        menu->addAction(QStringLiteral("&Löschen"), this, [this] { deleteArticle(); });
        menu->addSeparator();
        menu->addAction(QStringLiteral("Artikel als Vorlage"), this,
                        [this] { saveArticleAsTemplate(); });
    } else {
        menu->addAction(QStringLiteral("&Neu"), this, [this, at] { m_fieldKindMenu->popup(at); });
        menu->addAction(QStringLiteral("&Bearbeiten"), this, [this] { editField(); });
        menu->addAction(QStringLiteral("&Löschen"), this, [this] { deleteField(); });
        menu->addSeparator();
        menu->addAction(QStringLiteral("Feld als Vorlage"), this,
                        [this] { saveFieldAsTemplate(); });
    }
    menu->popup(at);
}

namespace {

// Whether another control shares the row of this one.
bool findBesideOf(const QString &key)
{
    for (const SettingControl &control : settingControls())
        if (control.beside == key)
            return true;
    return false;
}

} // namespace

QWidget *TfrmMain::createControl(const SettingControl &control)
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
    return widget;
}

void TfrmMain::addExtras(const QString &key, QHBoxLayout *row)
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
                               [this] { pickFtpProfile(); });
        b->setToolTip(QStringLiteral("FTP-Profil wählen"));
        b->setAccessibleName(QStringLiteral("FTP-Profil wählen"));
    }
    if (key == u"edtFolder") {
        QPushButton *b = extra(QStringLiteral("..."), QStringLiteral("btnFtpBrowser"),
                               [this] { browseFtpFolder(); });
        b->setToolTip(QStringLiteral("Verzeichnis auf dem Server wählen"));
        b->setAccessibleName(QStringLiteral("Verzeichnis auf dem Server wählen"));
    }
    if (key == u"edtDanke")
        extra(QStringLiteral("Link testen"), QStringLiteral("btnTestDanke"), [this] {
            m_dialogs->openUrl(
                qobject_cast<QLineEdit *>(m_controls.value(QStringLiteral("edtDanke")))->text());
        });
    if (key == u"cboFormMailer") {
        extra(QStringLiteral("Link testen"), QStringLiteral("btnTestFormMailer"), [this] {
            const auto *combo =
                qobject_cast<QComboBox *>(m_controls.value(QStringLiteral("cboFormMailer")));
            m_dialogs->openUrl(combo->currentText() + QStringLiteral("?action=checkurl"));
        });
        extra(QStringLiteral("&Hilfe"), QStringLiteral("btnFormMailerHilfe"), [this] {
            TfrmHelp help(QDir(m_programFolder).filePath(QStringLiteral("help/formmailer.htm")),
                          this);
            m_dialogs->runModal(help);
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

QWidget *TfrmMain::buildSettingsTab(const QString &tab, const QList<QStringList> &columns)
{
    QHash<QString, QFormLayout *> forms;
    QHash<QString, QGroupBox *> boxes;
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
            boxes.insert(group, box);
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
        connect(extended, &QPushButton::clicked, this, [this] { editExtendedSettings(); });
        auto *column = qobject_cast<QVBoxLayout *>(columnsLayout->itemAt(1)->layout());
        column->insertWidget(column->count() - 1, extended, 0, Qt::AlignLeft);
    }

    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    return scroll;
}

QWidget *TfrmMain::buildMailtextTab()
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

// ---------------------------------------------------------------- settings

void TfrmMain::projectToControls()
{
    for (const SettingControl &control : settingControls()) {
        QWidget *widget = m_controls.value(control.key);
        if (!widget)
            continue;
        const QString value = m_project.setting(control.key);
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
            static_cast<QCheckBox *>(widget)->setChecked(m_project.flag(control.key));
            break;
        case ControlKind::ChoiceCombo: {
            auto *combo = static_cast<QComboBox *>(widget);
            combo->setCurrentIndex(
                combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
            break;
        }
        case ControlKind::IndexCombo:
            static_cast<QComboBox *>(widget)->setCurrentIndex(value.toInt());
            break;
        case ControlKind::EditableCombo:
            static_cast<QComboBox *>(widget)->setCurrentText(value);
            break;
        }
    }
    for (const ColourPair &pair : colourPairs())
        colourEditFinished(QString::fromLatin1(pair.edit));
    applyDesignVisibility();
}

void TfrmMain::controlsToProject()
{
    for (const SettingControl &control : settingControls()) {
        QWidget *widget = m_controls.value(control.key);
        if (!widget)
            continue;
        switch (control.kind) {
        case ControlKind::LineEdit:
        case ControlKind::PasswordEdit:
        case ControlKind::ColourEdit:
            m_project.setSetting(control.key, static_cast<QLineEdit *>(widget)->text());
            break;
        case ControlKind::MultiLine:
            m_project.setSetting(
                control.key, textFromEditor(static_cast<QPlainTextEdit *>(widget)->toPlainText()));
            break;
        case ControlKind::SpinBox:
            m_project.setSetting(control.key,
                                 QString::number(static_cast<QSpinBox *>(widget)->value()));
            break;
        case ControlKind::CheckBox:
            m_project.setFlag(control.key, static_cast<QCheckBox *>(widget)->isChecked());
            break;
        case ControlKind::ChoiceCombo:
            m_project.setSetting(control.key, static_cast<QComboBox *>(widget)->currentText());
            break;
        case ControlKind::IndexCombo:
            m_project.setSetting(
                control.key,
                QString::number(std::max(0, static_cast<QComboBox *>(widget)->currentIndex())));
            break;
        case ControlKind::EditableCombo:
            m_project.setSetting(control.key, static_cast<QComboBox *>(widget)->currentText());
            break;
        }
    }
}

void TfrmMain::applyDesignVisibility()
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

void TfrmMain::colourEditFinished(const QString &editKey)
{
    const auto *edit = qobject_cast<QLineEdit *>(m_controls.value(editKey));
    if (!edit)
        return;
    // A text that is not six hexadecimal digits leaves the button as it was.
    if (const std::optional<QColor> colour = colourFromText(edit->text()))
        setColourButton(editKey, *colour);
}

void TfrmMain::setColourButton(const QString &editKey, const QColor &colour)
{
    QPushButton *colourButton = m_colourButtons.value(editKey);
    if (!colourButton)
        return;
    colourButton->setProperty("colour", colour);
    colourButton->setIcon(colourIcon(colour));
}

void TfrmMain::pickColour(const QString &editKey)
{
    QPushButton *colourButton = m_colourButtons.value(editKey);
    const QColor current = colourButton->property("colour").value<QColor>();
    const std::optional<QColor> chosen =
        m_dialogs->pickColour(this, QStringLiteral("Farbe wählen"), current);
    if (!chosen)
        return;
    setColourButton(editKey, *chosen);
    qobject_cast<QLineEdit *>(m_controls.value(editKey))->setText(colourText(*chosen));
}

void TfrmMain::senderCopyClicked(bool checked)
{
    if (!checked || hasSenderField(m_project.ListField))
        return;
    qobject_cast<QCheckBox *>(m_controls.value(QStringLiteral("chkAbsender")))->setChecked(false);
    m_dialogs->tell(this, QMessageBox::Information, QStringLiteral("Kopie an Absender"),
                    QStringLiteral("Damit diese Funktion funktioniert, muss ein Feld mit dem Namen "
                                   "\"email\" vorhanden sein."));
}

void TfrmMain::editSnippet(const QString &key)
{
    auto *memo = qobject_cast<QPlainTextEdit *>(m_controls.value(key));
    QString text = textFromEditor(memo->toPlainText());
    try {
        if (m_editors && m_editors->editHtml(this, text))
            memo->setPlainText(textForEditor(text));
    } catch (const std::exception &) {
        m_dialogs->tell(this, QMessageBox::Warning, QStringLiteral("HTML-Editor"),
                        htmlEditorUnavailableMessage());
    }
}

void TfrmMain::insertPlaceholder()
{
    const QString text = placeholderText(m_placeholders->currentText());
    if (text.isEmpty())
        return;
    qobject_cast<QPlainTextEdit *>(m_controls.value(QStringLiteral("memoMailtext")))
        ->insertPlainText(text);
}

// ---------------------------------------------------------------- start, files

void TfrmMain::startUp(const QString &projectPath)
{
    appDataFolder();
    // The delivered libraries and form-mailer list; a file of the user's is never replaced.
    for (const char *file : {kFieldLibraryFile, kArticleLibraryFile, kFormMailerListFile})
        if (!QFileInfo::exists(appData(file)))
            QFile::copy(QDir(m_programFolder).filePath(QString::fromLatin1(file)), appData(file));
    RefreshTemplateLists();
    loadFormMailers();
    if (!projectPath.isEmpty()) {
        loadProjectFile(projectPath);
        return;
    }
    controlsToProject(); // settings the default project does not name keep their value
    prepareFormMailerList();
    const LoadResult result = m_project.NewProject(m_programFolder);
    projectToControls();
    RefreshLists();
    setCurrentFile(QString());
    if (!result.ok)
        showLoadFailure(result);
}

void TfrmMain::prepareFormMailerList()
{
    const auto *combo =
        qobject_cast<QComboBox *>(m_controls.value(QStringLiteral("cboFormMailer")));
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    m_project.FormMailerList = entries;
}

void TfrmMain::loadFormMailers()
{
    auto *combo = qobject_cast<QComboBox *>(m_controls.value(QStringLiteral("cboFormMailer")));
    const QString text = combo->currentText();
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(readFormMailerList(appData(kFormMailerListFile)));
    combo->setCurrentText(text);
    prepareFormMailerList();
}

bool TfrmMain::loadProjectFile(const QString &path)
{
    // Settings a file does not name keep what the window shows.
    controlsToProject();
    prepareFormMailerList();
    const LoadResult result = m_project.LoadProject(path);
    projectToControls();
    RefreshLists();
    if (!result.ok) {
        // What was read is kept for the user to look at, but the damaged project
        // must not overwrite the file on the next "Speichern".
        setCurrentFile(QString());
        showLoadFailure(result);
        return false;
    }
    setCurrentFile(path);
    return true;
}

void TfrmMain::showLoadFailure(const LoadResult &result)
{
    for (const QString &message : result.messages())
        m_dialogs->tell(this, QMessageBox::Warning, failedLoadTitle(), message);
}

void TfrmMain::setCurrentFile(const QString &path)
{
    bSaved = !path.isEmpty();
    strSavePath = path;
    // A file's name may be anything, "<b>" included.
    setPlainLine(*m_fileLabel, path.isEmpty() ? QString::fromUtf16(kUnnamedProject)
                                              : QDir::toNativeSeparators(path));
}

QString TfrmMain::statusText() const
{
    return m_fileLabel->text();
}

bool TfrmMain::askToSave(bool stopOnFailedSave)
{
    const QMessageBox::StandardButton answer =
        m_dialogs->ask(this, QMessageBox::Information, QStringLiteral("Speichern?"), kSaveQuestion,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes) {
        const bool saved = save();
        if (!saved && stopOnFailedSave)
            return false;
    }
    return true;
}

void TfrmMain::newProject()
{
    if (m_dialogs->ask(this, QMessageBox::Information, QStringLiteral("Neu"),
                       QStringLiteral("Neues Formular erstellen?"),
                       QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    controlsToProject(); // settings the default project does not name keep their value
    prepareFormMailerList();
    const LoadResult result = m_project.NewProject(m_programFolder);
    projectToControls();
    RefreshLists();
    setCurrentFile(QString());
    if (!result.ok)
        showLoadFailure(result);
}

void TfrmMain::openProject()
{
    if (!askToSave(false))
        return;
    const QString path =
        m_dialogs->openFileName(this, QStringLiteral("Öffnen"), projectFileFilter());
    if (!path.isEmpty() && QFileInfo(path).isFile())
        loadProjectFile(path);
}

void TfrmMain::openDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!askToSave(false))
            return;
        loadProjectFile(path);
    }
}

bool TfrmMain::saveTo(const QString &path)
{
    controlsToProject();
    QString error;
    if (!m_project.SaveProject(path, &error)) {
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Speichern"), error);
        return false;
    }
    return true;
}

bool TfrmMain::save()
{
    if (bSaved && !strSavePath.isEmpty())
        return saveTo(strSavePath);
    const QString path =
        m_dialogs->saveFileName(this, QStringLiteral("Speichern unter"),
                                QStringLiteral("formular.vqb"), projectFileFilter());
    if (path.isEmpty() || !saveTo(path))
        return false;
    setCurrentFile(path);
    return true;
}

bool TfrmMain::saveAs()
{
    const QString path =
        m_dialogs->saveFileName(this, QStringLiteral("Speichern unter"),
                                QStringLiteral("formular.vqb"), projectFileFilter());
    if (path.isEmpty() || !saveTo(path))
        return false;
    setCurrentFile(path);
    return true;
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // "Ja" closes only once the project is saved: a cancelled or failed save
    // keeps the window open rather than losing the work.
    if (!askToSave(true)) {
        event->ignore();
        return;
    }
    if (m_previewWindow)
        m_previewWindow->close();
    m_log->hide();
    event->accept();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    // The questions of each file must not run inside the drop itself.
    QMetaObject::invokeMethod(
        this, [this, paths] { openDroppedFiles(paths); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- lists

int TfrmMain::selectedRow(QTreeWidget *list) const
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

void TfrmMain::selectRow(QTreeWidget *list, int row)
{
    if (QTreeWidgetItem *item = list->topLevelItem(row)) {
        list->setCurrentItem(item);
        item->setSelected(true);
    }
}

void TfrmMain::RefreshLists()
{
    const int fieldRowBefore = selectedRow(m_fieldList);
    const int articleRowBefore = selectedRow(m_articleList);
    m_fieldList->clear();
    QList<QTreeWidgetItem *> rows;
    for (const auto &field : m_project.ListField)
        rows.append(new QTreeWidgetItem(fieldRow(*field)));
    m_fieldList->addTopLevelItems(rows);
    const QString typed = m_placeholders->currentText();
    m_placeholders->clear();
    m_placeholders->addItems(placeholderNames(m_project.ListField));
    m_placeholders->setCurrentText(typed);

    m_articleList->clear();
    rows.clear();
    const QLocale locale = vq::displayLocale();
    for (const auto &artikel : m_project.ListArtikel)
        rows.append(new QTreeWidgetItem(articleRow(*artikel, locale)));
    m_articleList->addTopLevelItems(rows);
    selectRow(m_fieldList, fieldRowBefore);
    selectRow(m_articleList, articleRowBefore);
}

void TfrmMain::newField(const QString &typeWord)
{
    std::unique_ptr<TFormField> field = createFieldOfType(typeWord);
    if (!field || !m_editors)
        return;
    const bool ok = m_editors->editField(this, *field, -1, true, m_project.ListField);
    if (ok)
        m_project.ListField.push_back(std::move(field));
    RefreshLists();
    if (ok)
        selectRow(m_fieldList, int(m_project.ListField.size()) - 1);
}

void TfrmMain::editField()
{
    const int row = selectedRow(m_fieldList);
    if (row < 0 || !m_editors)
        return;
    m_editors->editField(this, *m_project.ListField[size_t(row)], row, false, m_project.ListField);
    RefreshLists();
}

void TfrmMain::deleteField()
{
    const int row = selectedRow(m_fieldList);
    if (row < 0)
        return;
    if (m_dialogs->ask(this, QMessageBox::Question, QStringLiteral("Löschen"), kDeleteQuestion,
                       QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_project.ListField.erase(m_project.ListField.begin() + row);
    m_fieldList->clearSelection();
    RefreshLists();
}

void TfrmMain::moveField(int delta)
{
    const int moved = moveEntry(m_project.ListField, selectedRow(m_fieldList), delta);
    if (moved < 0)
        return;
    RefreshLists();
    m_fieldList->clearSelection();
    selectRow(m_fieldList, moved);
}

void TfrmMain::newArticle()
{
    if (!m_editors)
        return;
    auto artikel = std::make_unique<TArtikelField>();
    const bool ok = m_editors->editArticle(this, *artikel, true);
    if (ok)
        m_project.ListArtikel.push_back(std::move(artikel));
    RefreshLists();
    if (ok)
        selectRow(m_articleList, int(m_project.ListArtikel.size()) - 1);
}

void TfrmMain::editArticle()
{
    const int row = selectedRow(m_articleList);
    if (row < 0 || !m_editors)
        return;
    m_editors->editArticle(this, *m_project.ListArtikel[size_t(row)], false);
    RefreshLists();
}

void TfrmMain::deleteArticle()
{
    const int row = selectedRow(m_articleList);
    if (row < 0)
        return;
    if (m_dialogs->ask(this, QMessageBox::Question, QStringLiteral("Löschen"), kDeleteQuestion,
                       QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_project.ListArtikel.erase(m_project.ListArtikel.begin() + row);
    m_articleList->clearSelection();
    RefreshLists();
}

void TfrmMain::moveArticle(int delta)
{
    const int moved = moveEntry(m_project.ListArtikel, selectedRow(m_articleList), delta);
    if (moved < 0)
        return;
    RefreshLists();
    m_articleList->clearSelection();
    selectRow(m_articleList, moved);
}

// ---------------------------------------------------------------- templates

void TfrmMain::RefreshTemplateLists()
{
    const TemplateLists lists =
        vq::RefreshTemplateLists(appData(kFieldLibraryFile), appData(kArticleLibraryFile));
    m_fieldTemplates->clear();
    m_fieldTemplates->addItems(lists.fields);
    m_fieldTemplates->setCurrentIndex(-1);
    m_articleTemplates->clear();
    m_articleTemplates->addItems(lists.articles);
    m_articleTemplates->setCurrentIndex(-1);
    if (!lists.error.isEmpty())
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen"), lists.error);
}

void TfrmMain::insertFieldTemplate()
{
    QString error;
    if (!vq::insertFieldTemplate(appData(kFieldLibraryFile), m_fieldTemplates->currentIndex(),
                                 m_project.ListField, &error))
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen"), error);
    RefreshLists();
}

void TfrmMain::insertArticleTemplate()
{
    QString error;
    if (!vq::insertArticleTemplate(appData(kArticleLibraryFile), m_articleTemplates->currentIndex(),
                                   m_project.ListArtikel, &error))
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen"), error);
    RefreshLists();
}

void TfrmMain::saveFieldAsTemplate()
{
    const int row = selectedRow(m_fieldList);
    if (row < 0)
        return;
    QString error;
    if (!vq::saveFieldAsTemplate(appData(kFieldLibraryFile), *m_project.ListField[size_t(row)],
                                 &error))
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen"), error);
    RefreshTemplateLists();
}

void TfrmMain::saveArticleAsTemplate()
{
    const int row = selectedRow(m_articleList);
    if (row < 0)
        return;
    QString error;
    if (!vq::saveArticleAsTemplate(appData(kArticleLibraryFile),
                                   *m_project.ListArtikel[size_t(row)], &error))
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen"), error);
    RefreshTemplateLists();
}

void TfrmMain::manageTemplates(bool articles)
{
    TfrmVorlagen manager(QString::fromLatin1(articles ? kArticleCaptionTag : kFieldCaptionTag),
                         appData(articles ? kArticleLibraryFile : kFieldLibraryFile), *m_dialogs,
                         this);
    m_dialogs->runModal(manager);
    RefreshTemplateLists();
}

// ---------------------------------------------------------------- dialogs

void TfrmMain::editExtendedSettings()
{
    TfrmErwEinstellungen dialog(m_project.ExtSettings, *m_dialogs, this);
    if (m_dialogs->runModal(dialog) == QDialog::Accepted)
        dialog.saveTo(m_project.ExtSettings);
}

void TfrmMain::editProjectProperties()
{
    TfrmProjectSettings dialog(m_project.ExtSettings.ProjectSettings, *m_dialogs, this);
    if (m_dialogs->runModal(dialog) == QDialog::Accepted)
        dialog.saveTo(m_project.ExtSettings.ProjectSettings);
}

// ---------------------------------------------------------------- generation

std::optional<QString> TfrmMain::generate(bool php, QString *formId)
{
    controlsToProject();
    try {
        std::unique_ptr<TCodeExport> generator;
        if (php)
            generator = std::make_unique<TGenPHP>(m_project, m_programFolder);
        else
            generator = std::make_unique<TGenHTML>(m_project, m_programFolder);
        QString page = generator->GenCode();
        if (formId)
            *formId = generator->strFormID;
        (php ? m_phpView : m_htmlView)->setPlainText(page);
        return page;
    } catch (const GenerationError &error) {
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Fehler"), error.message());
        return std::nullopt;
    }
}

std::optional<PreviewPage> TfrmMain::previewPage()
{
    controlsToProject();
    try {
        TGenHTML generator(m_project, m_programFolder);
        PreviewPage page;
        page.page = generator.GenCode();
        page.formId = generator.strFormID;
        page.encoding = m_project.ExtSettings.encoding;
        return page;
    } catch (const GenerationError &) {
        return std::nullopt;
    }
}

void TfrmMain::tabShown(int index)
{
    if (index == TabHtml || index == TabPhp) {
        generate(index == TabPhp);
    } else if (index == TabPreview) {
        orderButtonAccepted(QStringLiteral("Vorschau"), false);
        if (!m_previewBrowser) {
            m_previewBrowser = new PreviewBrowser(appData("temp.htm"));
            m_previewTabLayout->addWidget(m_previewBrowser);
        }
        if (const std::optional<PreviewPage> page = previewPage())
            m_previewBrowser->show(*page);
    }
}

void TfrmMain::copyCode(bool php)
{
    const std::optional<QString> page = generate(php);
    if (!page)
        return;
    QApplication::clipboard()->setText(*page);
    m_dialogs->tell(this, QMessageBox::Information, QStringLiteral("Quelltext kopiert"),
                    QStringLiteral("Quelltext wurde in die Zwischenablage kopiert."));
}

void TfrmMain::exportCode(bool php)
{
    if (!orderButtonAccepted(php ? QStringLiteral("PHP Export") : QStringLiteral("HTML Export"),
                             true, !php))
        return;
    if (php && hasUploadField(m_project.ListField))
        m_dialogs->tell(this, QMessageBox::Information, QStringLiteral("PHP Export"),
                        QStringLiteral("Hinweis das Formular enthält ein Datei-Upload-Feld.\r\n"
                                       "Bitte lesen Sie die Hinweise in der Hilfe, damit das Feld "
                                       "korrekt übermittelt wird."));
    std::optional<QString> page;
    if (!php && !(page = generate(false)))
        return;
    const QString path = m_dialogs->saveFileName(this, QStringLiteral("Speichern unter"),
                                                 php ? QStringLiteral("formular.php")
                                                     : QStringLiteral("formular.htm"),
                                                 php ? phpFileFilter() : htmlFileFilter());
    if (path.isEmpty())
        return;
    if (php && !(page = generate(true)))
        return;
    QString error;
    if (!writeGeneratedText(path, *page, m_project.ExtSettings.encoding, &error,
                            php ? GeneratedKind::PhpScript : GeneratedKind::Page))
        m_dialogs->tell(this, QMessageBox::Critical,
                        php ? QStringLiteral("PHP Export") : QStringLiteral("HTML Export"), error);
}

bool TfrmMain::orderButtonAccepted(const QString &title, bool ask, bool postsHtml)
{
    controlsToProject();
    QString warning = orderButtonWarning(m_project);
    if (const QString captcha = postsHtml ? captchaWarning(m_project) : QString();
        !captcha.isEmpty())
        warning += (warning.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) + captcha;
    if (warning.isEmpty())
        return true;
    if (!ask) {
        m_dialogs->tell(this, QMessageBox::Warning, title, warning);
        return true;
    }
    return m_dialogs->askWarningYesNo(this, title,
                                      warning + QStringLiteral("\r\n\r\nTrotzdem fortfahren?"));
}

void TfrmMain::showPreviewWindow()
{
    orderButtonAccepted(QStringLiteral("Vorschau"), false);
    if (!m_previewWindow)
        m_previewWindow =
            new TfrmPreview([this] { return previewPage(); }, appData("temp.htm"), this);
    m_previewWindow->showAndStart();
}

void TfrmMain::setFtpBusy(bool busy)
{
    m_ftpBusy = busy;
    m_uploadAction->setEnabled(!busy);
    m_log->setBusy(busy);
    if (busy)
        statusBar()->showMessage(QStringLiteral("FTP-Übertragung läuft..."));
    else
        statusBar()->clearMessage();
}

void TfrmMain::manageFormMailers()
{
    TfrmFormMailers manager(appData(kFormMailerListFile), *m_dialogs, this);
    m_dialogs->runModal(manager);
    loadFormMailers();
}

void TfrmMain::exportIntoPage()
{
    if (!orderButtonAccepted(QStringLiteral("HTML Export"), true, true))
        return;
    TfrmHtmlExport::Hooks hooks;
    hooks.generate = [this] { return generate(false); };
    hooks.upload = [this](const QString &file) { ftpUploadFile(file); };
    TfrmHtmlExport dialog(*m_dialogs, std::move(hooks), m_project.ExtSettings.encoding,
                          QDir(m_programFolder).filePath(QStringLiteral("help/vqbest.htm")), this);
    const QString last = m_project.ExtSettings.HTMLExportFileName;
    if (!last.isEmpty() && QFileInfo::exists(last))
        dialog.openPage(last);
    m_dialogs->runModal(dialog);
    m_project.ExtSettings.HTMLExportFileName = dialog.fileName();
}

void TfrmMain::browseFtpFolder()
{
    auto edit = [this](const char *key) {
        return qobject_cast<QLineEdit *>(m_controls.value(QString::fromLatin1(key)));
    };
    bool ok = false;
    const int port = edit("edtPort")->text().trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        m_dialogs->tell(this, QMessageBox::Warning, QStringLiteral("FTP-Browser"),
                        QStringLiteral("Port muss eine Zahl sein. Standardport ist 21."));
        edit("edtPort")->setText(QStringLiteral("21"));
        return;
    }
    TfrmFTPBrowser browser(*m_dialogs, this);
    browser.ServerName = edit("edtFtpServer")->text();
    browser.ServerPort = port;
    browser.Username = edit("edtUsername")->text();
    browser.Password = edit("edtPasswort")->text();
    browser.Passiv =
        qobject_cast<QCheckBox *>(m_controls.value(QStringLiteral("chkPassiv")))->isChecked();
    browser.Tls =
        qobject_cast<QCheckBox *>(m_controls.value(QStringLiteral("chkFtpTls")))->isChecked();
    browser.CaFile = edit("edtFtpZertifikat")->text().trimmed();
    if (m_dialogs->runModal(browser) == QDialog::Accepted)
        edit("edtFolder")->setText(browser.SelectedPath);
}

void TfrmMain::pickFtpProfile()
{
    TftpProfiles profiles(appData(kFtpProfilesFile), *m_dialogs, m_log, this);
    profiles.SelectMode = true;
    if (m_dialogs->runModal(profiles) != QDialog::Accepted)
        return;
    const std::optional<TFtpProfile> profile = profiles.selectedProfile();
    if (!profile)
        return;
    auto edit = [this](const char *key) {
        return qobject_cast<QLineEdit *>(m_controls.value(QString::fromLatin1(key)));
    };
    edit("edtFtpServer")->setText(profile->server);
    edit("edtPort")->setText(profile->port);
    edit("edtUsername")->setText(profile->benutzername);
    edit("edtPasswort")->setText(profile->passwort);
    qobject_cast<QCheckBox *>(m_controls.value(QStringLiteral("chkPassiv")))
        ->setChecked(profile->passiv);
    qobject_cast<QCheckBox *>(m_controls.value(QStringLiteral("chkFtpTls")))
        ->setChecked(profile->ftps);
    edit("edtFtpZertifikat")->setText(profile->caFile);
}

bool TfrmMain::ftpUpload()
{
    if (m_ftpBusy)
        return false;
    controlsToProject();
    const bool php = uploadsPhp(m_project);
    if (!orderButtonAccepted(QStringLiteral("FTP-Upload"), true, !php))
        return false;
    const std::optional<QString> page = generate(php);
    if (!page)
        return false;
    const QString tempFile = QDir(tempFolder()).filePath(uploadTempFileName(m_project));
    QString error;
    if (!writeGeneratedText(tempFile, *page, m_project.ExtSettings.encoding, &error,
                            php ? GeneratedKind::PhpScript : GeneratedKind::Page)) {
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("FTP-Upload"), error);
        return false;
    }
    return ftpUploadFile(tempFile);
}

bool TfrmMain::ftpUploadFile(const QString &tempFile)
{
    if (m_ftpBusy)
        return false;
    controlsToProject();
    // The worker gets a copy: the user may go on editing while it runs.
    auto result = std::make_shared<UploadResult>();
    setFtpBusy(true);
    auto firstLine = std::make_shared<bool>(true);
    FtpJob *job =
        FtpJob::start(this, [project = m_project, tempFile, result](const FtpJob::Log &log) {
            *result = UploadFile(project, tempFile, log);
        });
    connect(job, &FtpJob::line, this, [this, firstLine](const QString &line) {
        // The checks of the settings log nothing; the log starts afresh with
        // the first line of a connection attempt.
        if (*firstLine) {
            *firstLine = false;
            m_log->start();
        }
        m_log->addLine(line);
    });
    connect(job, &FtpJob::done, this, [this, result] {
        setFtpBusy(false);
        if (result->resetPort)
            qobject_cast<QLineEdit *>(m_controls.value(QStringLiteral("edtPort")))
                ->setText(QStringLiteral("21"));
        if (!result->message.isEmpty())
            m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("FTP-Upload"),
                            result->message);
        Q_EMIT ftpFinished(result->ok);
    });
    return true;
}

} // namespace vq::ui
