// The settings tabs of the designer's main window: settings typed into their
// controls, saved and shown again, colour buttons, the design check boxes,
// copy to sender and the mail text's placeholders.
#include "tests/gui/main_window_fixture.h"

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

namespace {

TEST_F(MainWindowTest, SettingsTypedIntoTheirControlsAreSavedAndReloaded)
{
    m_window->startUp(QString());
    m_window->show();
    auto *title = find<QLineEdit>(QStringLiteral("edtFormTitel"));
    title->clear();
    QTest::keyClicks(title, QStringLiteral("Bestellung Äpfel"));
    auto *intro = find<QPlainTextEdit>(QStringLiteral("memoEinleitung"));
    intro->clear();
    QTest::keyClicks(intro, QStringLiteral("Zeile 1"));
    QTest::keyClick(intro, Qt::Key_Return);
    QTest::keyClicks(intro, QStringLiteral("Zeile 2"));
    auto *size = find<QSpinBox>(QStringLiteral("edtSizeHeader"));
    size->setValue(33);
    auto *crypt = find<QCheckBox>(QStringLiteral("cbCryptAddr"));
    const bool cryptBefore = crypt->isChecked();
    crypt->click();
    find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(1);
    find<QComboBox>(QStringLiteral("cboMailFormat"))->setCurrentIndex(1);
    find<QComboBox>(QStringLiteral("cboTabAusrichtung"))->setCurrentIndex(2);
    auto *font = find<QComboBox>(QStringLiteral("cboFontForm"));
    font->setCurrentText(QStringLiteral("Eigene Schrift"));
    find<QLineEdit>(QStringLiteral("edtPasswort"))->setText(QStringLiteral("geheim"));

    const QString path = projectFile(QStringLiteral("einstellungen.vqb"));
    m_dialogs->saveNames = {path};
    action("actSpeichernUnter")->trigger();
    ASSERT_TRUE(m_window->hasOwnFile());
    EXPECT_EQ(m_window->statusText(), QDir::toNativeSeparators(path));

    ProjectDocument saved;
    ASSERT_TRUE(saved.LoadProject(path).ok);
    EXPECT_EQ(saved.setting(QStringLiteral("edtFormTitel")), QStringLiteral("Bestellung Äpfel"));
    EXPECT_EQ(saved.setting(QStringLiteral("memoEinleitung")),
              QStringLiteral("Zeile 1\r\nZeile 2"));
    EXPECT_EQ(saved.setting(QStringLiteral("edtSizeHeader")), QStringLiteral("33"));
    EXPECT_EQ(saved.flag(QStringLiteral("cbCryptAddr")), !cryptBefore);
    EXPECT_EQ(saved.setting(QStringLiteral("cboUploadFormat")), QStringLiteral("1"));
    EXPECT_EQ(saved.setting(QStringLiteral("cboMailFormat")), QStringLiteral("plain"));
    EXPECT_EQ(saved.setting(QStringLiteral("cboTabAusrichtung")), QStringLiteral("links"));
    EXPECT_EQ(saved.setting(QStringLiteral("cboFontForm")), QStringLiteral("Eigene Schrift"));
    EXPECT_EQ(saved.setting(QStringLiteral("edtPasswort")), QStringLiteral("geheim"));

    // A second window shows them again.
    TearDown();
    SetUp();
    m_window->startUp(path);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFormTitel"))->text(),
              QStringLiteral("Bestellung Äpfel"));
    EXPECT_EQ(find<QPlainTextEdit>(QStringLiteral("memoEinleitung"))->toPlainText(),
              QStringLiteral("Zeile 1\nZeile 2"));
    EXPECT_EQ(find<QSpinBox>(QStringLiteral("edtSizeHeader"))->value(), 33);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("cboUploadFormat"))->currentText(),
              QStringLiteral("PHP"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("cboTabAusrichtung"))->currentText(),
              QStringLiteral("links"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("cboFontForm"))->currentText(),
              QStringLiteral("Eigene Schrift"));
}

TEST_F(MainWindowTest, ColourPairsKeepInStepBothWays)
{
    m_window->startUp(QString());
    m_window->show();
    for (const ColourPair &pair : colourPairs()) {
        SCOPED_TRACE(pair.edit);
        auto *edit = find<QLineEdit>(QString::fromLatin1(pair.edit));
        auto *button = find<QPushButton>(QString::fromLatin1(pair.button));
        // After loading, the button follows its edit.
        EXPECT_EQ(button->property("colour").value<QColor>(), *colourFromText(edit->text()));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("00ff00"));
        QTest::keyClick(edit, Qt::Key_Return); // ends the input as leaving the edit does
        EXPECT_EQ(button->property("colour").value<QColor>(), QColor(0, 255, 0));
        // A text that is no colour leaves the button as it was.
        edit->setText(QStringLiteral("xyz"));
        Q_EMIT edit->editingFinished();
        EXPECT_EQ(button->property("colour").value<QColor>(), QColor(0, 255, 0));
        m_dialogs->colour = QColor(255, 0, 0);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(edit->text(), QStringLiteral("FF0000"));
        EXPECT_EQ(button->property("colour").value<QColor>(), QColor(255, 0, 0));
        m_dialogs->colour.reset(); // the picker cancelled
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(edit->text(), QStringLiteral("FF0000"));
    }
}

TEST_F(MainWindowTest, DesignCheckBoxesShowAndHideTheirControls)
{
    m_window->startUp(QString());
    m_window->show();
    find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(4);
    struct Case
    {
        const char *box;
        QStringList controls;
        bool visibleWhenTicked;
    } cases[] = {
        {"cboStandardButton", buttonDesignKeys(), false},
        {"cboStandardFeld", fieldDesignKeys(), false},
        {"chkPrintButton", {QStringLiteral("edtPrint")}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.box);
        auto *box = find<QCheckBox>(QString::fromLatin1(c.box));
        for (bool ticked : {true, false, true}) {
            if (box->isChecked() != ticked)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            ASSERT_EQ(box->isChecked(), ticked);
            for (const QString &key : c.controls)
                EXPECT_EQ(find<QWidget>(key)->isVisible(), ticked == c.visibleWhenTicked)
                    << key.toStdString();
        }
        // Loading a project applies the rule as well.
        m_window->project().setFlag(QString::fromLatin1(c.box), false);
        m_window->projectToControls();
        for (const QString &key : c.controls)
            EXPECT_EQ(find<QWidget>(key)->isVisible(), !c.visibleWhenTicked) << key.toStdString();
    }
}

TEST_F(MainWindowTest, CopyToSenderNeedsAFieldNamedEmail)
{
    struct Case
    {
        const char *fieldName;
        bool stays;
    } cases[] = {{nullptr, false}, {"Email", false}, {"email", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fieldName ? c.fieldName : "kein Feld");
        TearDown();
        SetUp();
        m_window->startUp(QString());
        m_window->project().ListField.clear();
        if (c.fieldName)
            addFields({{"TEinzField", c.fieldName}});
        m_window->show();
        find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(2);
        auto *box = find<QCheckBox>(QStringLiteral("chkAbsender"));
        box->setChecked(false);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        EXPECT_EQ(box->isChecked(), c.stays);
        EXPECT_EQ(m_dialogs->told.size(), c.stays ? 0u : 1u);
        if (!c.stays && !m_dialogs->told.empty()) {
            EXPECT_EQ(
                m_dialogs->told[0].text,
                QStringLiteral("Damit diese Funktion funktioniert, muss ein Feld mit dem Namen "
                               "\"email\" vorhanden sein."));
        }
    }
}

TEST_F(MainWindowTest, PlaceholderInsertion)
{
    m_window->startUp(QString());
    m_window->project().ListField.clear();
    addFields({{"TPassField", "pw"},
               {"TFileField", "datei"},
               {"TZwField", "text"},
               {"TEinzField", "ort"}});
    auto *combo = find<QComboBox>(QStringLiteral("cboPlatzhalter"));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    EXPECT_EQ(items, (QStringList{QStringLiteral("pw"), QStringLiteral("ort")}));

    auto *memo = find<QPlainTextEdit>(QStringLiteral("memoMailtext"));
    memo->setPlainText(QStringLiteral("Hallo XXX!"));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    combo->setCurrentIndex(1);
    click("btnPlatzhalterEinfuegen");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hallo {#ort#}!"));
    // A typed name works; an empty one inserts nothing.
    combo->setEditText(QStringLiteral("kunde"));
    click("btnPlatzhalterEinfuegen");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hallo {#ort#}{#kunde#}!"));
    combo->setEditText(QString());
    click("btnPlatzhalterEinfuegen");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hallo {#ort#}{#kunde#}!"));
}

} // namespace
