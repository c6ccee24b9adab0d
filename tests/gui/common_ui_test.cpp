// The toolkit both programs' windows share: the line ends of the editor
// boxes, the OK/Abbrechen row, the list managers' frame and the window check.
#include "common_ui/dialog_buttons.h"
#include "common_ui/editor_text.h"
#include "common_ui/list_manager_dialog.h"
#include "tests/support/widget_test_support.h"
#include "tests/support/window_checks.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace vq::ui;
using vq::test::child;

namespace {

struct LineEndCase
{
    const char *name;
    QString text;
    QString forEditor;  // textForEditor(text)
    QString fromEditor; // textFromEditor(text)
};

class LineEnds : public testing::TestWithParam<LineEndCase>
{
};

TEST_P(LineEnds, BecomeLfInTheEditorAndCrLfWhenStored)
{
    const LineEndCase &c = GetParam();
    EXPECT_EQ(textForEditor(c.text), c.forEditor);
    EXPECT_EQ(textFromEditor(c.text), c.fromEditor);
    // What the editor shows is stored as it was read, line for line.
    EXPECT_EQ(textFromEditor(textForEditor(c.text)), c.fromEditor);
}

INSTANTIATE_TEST_SUITE_P(
    EditorText, LineEnds,
    testing::Values(LineEndCase{"CrLf", QStringLiteral("a\r\nb"), QStringLiteral("a\nb"),
                                QStringLiteral("a\r\nb")},
                    LineEndCase{"LoneCr", QStringLiteral("a\rb"), QStringLiteral("a\nb"),
                                QStringLiteral("a\r\nb")},
                    LineEndCase{"LoneLf", QStringLiteral("a\nb"), QStringLiteral("a\nb"),
                                QStringLiteral("a\r\nb")},
                    LineEndCase{"Mixed", QStringLiteral("a\r\nb\rc\nd\r\re"),
                                QStringLiteral("a\nb\nc\nd\n\ne"),
                                QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\ne")},
                    LineEndCase{"CrBeforeCrLf", QStringLiteral("a\r\r\nb"),
                                QStringLiteral("a\n\nb"), QStringLiteral("a\r\n\r\nb")},
                    LineEndCase{"Empty", QString(), QString(), QString()},
                    LineEndCase{"TrailingCrLf", QStringLiteral("a\r\n"), QStringLiteral("a\n"),
                                QStringLiteral("a\r\n")},
                    LineEndCase{"TrailingCr", QStringLiteral("a\r"), QStringLiteral("a\n"),
                                QStringLiteral("a\r\n")},
                    LineEndCase{"NoBreak", QStringLiteral("äöü"), QStringLiteral("äöü"),
                                QStringLiteral("äöü")}),
    [](const testing::TestParamInfo<LineEndCase> &info) { return std::string(info.param.name); });

TEST(DialogButtons, OkAcceptsAndAbbrechenRejects)
{
    for (const bool pressOk : {true, false}) {
        QDialog dialog;
        const DialogButtons buttons =
            okCancelButtons(dialog, QStringLiteral("Übernehmen"), "btnCancel");
        EXPECT_EQ(buttons.ok->text(), QStringLiteral("Übernehmen"));
        EXPECT_EQ(buttons.ok->objectName(), QStringLiteral("btnOK"));
        EXPECT_EQ(buttons.cancel->text(), QStringLiteral("Abbrechen"));
        EXPECT_EQ(buttons.cancel->objectName(), QStringLiteral("btnCancel"));
        EXPECT_EQ(buttons.box->parent(), &dialog);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.open();
        (pressOk ? buttons.ok : buttons.cancel)->click();
        ASSERT_EQ(finished.size(), 1);
        EXPECT_EQ(finished.at(0).at(0).toInt(), pressOk ? QDialog::Accepted : QDialog::Rejected);
    }
}

// A list manager as the windows build one.
class SampleManager : public ListManagerDialog
{
public:
    SampleManager()
    {
        m_neu = addCommand("actNeu", QStringLiteral("Neu"), QStyle::SP_FileIcon, "list-add");
        m_neu->setToolTip(QStringLiteral("Neuen Eintrag anlegen"));
        QAction *leave =
            addCommand("actVerlassen", QStringLiteral("Verlassen"), QStyle::SP_DialogCloseButton);
        connect(leave, &QAction::triggered, this, &QDialog::reject);
        menuBar()->addMenu(QStringLiteral("&Datei"))->addActions({m_neu, leave});
        toolBar()->addActions({m_neu, leave});
        nameToolButtons();
        auto *list = new QLineEdit;
        list->setObjectName(QStringLiteral("edtFilter"));
        list->setAccessibleName(QStringLiteral("Filter"));
        frameLayout()->addWidget(list);
    }
    QAction *m_neu;
};

TEST(ListManagerDialog, FramesMenuToolBarAndTheWindowsControls)
{
    SampleManager manager;
    auto *neu = child<QAction>(manager, "actNeu");
    ASSERT_NE(neu, nullptr);
    EXPECT_EQ(neu->text(), QStringLiteral("Neu"));
    EXPECT_FALSE(neu->icon().isNull()); // the theme's or the style's
    // Tool buttons are named after their command, their tool tip names them.
    auto *button = child<QToolButton>(manager, "btnNeu");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->defaultAction(), neu);
    EXPECT_EQ(button->accessibleName(), QStringLiteral("Neuen Eintrag anlegen"));
    EXPECT_EQ(child<QToolButton>(manager, "btnVerlassen")->accessibleName(),
              QStringLiteral("Verlassen"));
    // The menu bar above, then the tool bar, then the window's own controls.
    QVBoxLayout *layout = manager.findChild<QVBoxLayout *>();
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->menuBar(), manager.findChild<QMenuBar *>());
    EXPECT_EQ(layout->itemAt(0)->widget(), manager.findChild<QToolBar *>());
    EXPECT_EQ(layout->itemAt(1)->widget(), child<QLineEdit>(manager, "edtFilter"));
    EXPECT_TRUE(vq::test::isAccessible(manager));
    QSignalSpy finished(&manager, &QDialog::finished);
    child<QAction>(manager, "actVerlassen")->trigger();
    EXPECT_EQ(finished.size(), 1);
}

// The window check finds each fault it is there for.
TEST(WindowCheck, NamesEachFault)
{
    struct Case
    {
        const char *what;
        std::function<void(QDialog &, QFormLayout &)> build;
        const char *fault; // empty: none
    };
    const Case cases[] = {
        {"a label's buddy is named",
         [](QDialog &, QFormLayout &form) { form.addRow(QStringLiteral("&Name:"), new QLineEdit); },
         ""},
        {"an accessible name names",
         [](QDialog &, QFormLayout &form) {
             auto *edit = new QLineEdit;
             edit->setAccessibleName(QStringLiteral("Name"));
             form.addRow(edit);
         },
         ""},
        {"an input without a name",
         [](QDialog &, QFormLayout &form) {
             auto *edit = new QLineEdit;
             edit->setObjectName(QStringLiteral("edtOhne"));
             form.addRow(edit);
         },
         "QLineEdit edtOhne: ohne Namen"},
        {"an input Tab does not reach",
         [](QDialog &, QFormLayout &form) {
             auto *edit = new QLineEdit;
             edit->setObjectName(QStringLiteral("edtMaus"));
             edit->setFocusPolicy(Qt::ClickFocus);
             form.addRow(QStringLiteral("Maus:"), edit);
         },
         "QLineEdit edtMaus: mit Tab nicht erreichbar"},
        {"a button without text or name",
         [](QDialog &, QFormLayout &form) {
             auto *button = new QPushButton;
             button->setObjectName(QStringLiteral("btnLeer"));
             form.addRow(button);
         },
         "QPushButton btnLeer: ohne Namen"},
        {"a window larger than the screen",
         [](QDialog &dialog, QFormLayout &) { dialog.setMinimumSize(1300, 600); },
         "passt nicht auf 1280x800"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDialog dialog;
        auto *form = new QFormLayout(&dialog);
        c.build(dialog, *form);
        const testing::AssertionResult result = vq::test::isAccessible(dialog);
        if (*c.fault == '\0') {
            EXPECT_TRUE(result);
        } else {
            EXPECT_FALSE(result);
            EXPECT_NE(std::string(result.message()).find(c.fault), std::string::npos)
                << result.message();
        }
    }
}

} // namespace
