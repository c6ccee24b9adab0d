// The list tabs of the designer's main window: the commands of the field
// and the article list, the arrows and the selection, the Delete key, and
// the templates saved, inserted and deleted.
#include "tests/gui/main_window_fixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

namespace {

TEST_F(MainWindowTest, FieldListCommands)
{
    m_window->startUp(QString());
    m_window->show();
    m_window->project().ListField.clear();
    m_window->RefreshLists();
    QMenu *kinds = m_window->fieldKindMenu();
    QStringList captions;
    for (QAction *a : kinds->actions())
        captions.append(a->text());
    EXPECT_EQ(
        captions,
        (QStringList{QStringLiteral("Einzeiliges Textfeld"), QStringLiteral("Password Textfeld"),
                     QStringLiteral("Mehrzeiliges Textfeld"), QStringLiteral("Liste/Dropdown Feld"),
                     QStringLiteral("CheckBox"), QStringLiteral("Zwischentext"),
                     QStringLiteral("RadioButtons"), QStringLiteral("Datei-Upload Feld")}));

    // "Neu" pops up the kinds; an entry opens the editor; Abbrechen adds nothing.
    click("btnNeuFeld");
    EXPECT_TRUE(kinds->isVisible());
    kinds->close();
    for (const char *name : {"a", "b", "c"}) {
        m_editors->nextName = QString::fromLatin1(name);
        kinds->actions()[0]->trigger();
    }
    m_editors->accept = false;
    kinds->actions()[1]->trigger();
    m_editors->accept = true;
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(column(fields(), 2)[0], QStringLiteral("Einzeiliges Textfeld"));

    // Without a selection nothing happens.
    fields()->clearSelection();
    fields()->setCurrentIndex(QModelIndex());
    const int calls = m_editors->fieldCalls;
    click("btnBearbeitenFeld");
    click("btnLoeschenFeld");
    click("btnHochFeld");
    click("btnRunterFeld");
    EXPECT_EQ(m_editors->fieldCalls, calls);
    EXPECT_TRUE(m_dialogs->questions.empty());
    EXPECT_EQ(column(fields()).size(), 3);

    // Arrows keep the moved row selected and stop at the ends.
    selectRow(fields(), 0);
    click("btnRunterFeld");
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(selected(fields()), 1);
    click("btnRunterFeld");
    EXPECT_EQ(selected(fields()), 2);
    click("btnRunterFeld");
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));
    EXPECT_EQ(selected(fields()), 2);
    selectRow(fields(), 0);
    click("btnHochFeld");
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));

    // Edit tells the editor the position; double-click edits too.
    selectRow(fields(), 1);
    m_editors->nextName = QStringLiteral("x");
    click("btnBearbeitenFeld");
    EXPECT_EQ(m_editors->lastFeldNr, 1);
    EXPECT_EQ(column(fields(), 1)[1], QStringLiteral("Beschriftung x"));
    selectRow(fields(), 2);
    const QRect rect = fields()->visualRect(fields()->model()->index(2, 0));
    QTest::mouseClick(fields()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(fields()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(m_editors->lastFeldNr, 2);

    // Delete asks; No keeps, Yes removes; the Delete key does the same.
    selectRow(fields(), 0);
    m_dialogs->buttons = {QMessageBox::No, QMessageBox::Yes};
    click("btnLoeschenFeld");
    EXPECT_EQ(column(fields()).size(), 3);
    click("btnLoeschenFeld");
    EXPECT_EQ(column(fields()), (QStringList{QStringLiteral("c"), QStringLiteral("a")}));
    EXPECT_EQ(m_dialogs->questions.back().text,
              QStringLiteral("Soll der Eintrag wirklich gelöscht werden?"));
    selectRow(fields(), 1);
    fields()->setFocus();
    m_dialogs->buttons = {QMessageBox::Yes};
    QTest::keyClick(fields(), Qt::Key_Delete);
    EXPECT_EQ(column(fields()), QStringList{QStringLiteral("c")});
}

TEST_F(MainWindowTest, ArticleListCommands)
{
    m_window->startUp(QString());
    m_window->show();
    m_window->project().ListArtikel.clear();
    m_window->RefreshLists();
    for (const char *name : {"Tee", "Kaffee"}) {
        m_editors->nextName = QString::fromLatin1(name);
        click("btnNeuArtikel");
    }
    m_editors->accept = false;
    click("btnNeuArtikel");
    m_editors->accept = true;
    EXPECT_EQ(column(articles(), 1),
              (QStringList{QStringLiteral("Tee"), QStringLiteral("Kaffee")}));
    EXPECT_EQ(column(articles(), 2)[0], QStringLiteral("2,5"));

    articles()->clearSelection();
    articles()->setCurrentIndex(QModelIndex());
    click("btnLoeschenArtikel");
    click("btnHochArtikel");
    EXPECT_TRUE(m_dialogs->questions.empty());

    selectRow(articles(), 1);
    click("btnHochArtikel");
    EXPECT_EQ(column(articles(), 1),
              (QStringList{QStringLiteral("Kaffee"), QStringLiteral("Tee")}));
    EXPECT_EQ(selected(articles()), 0);
    m_dialogs->buttons = {QMessageBox::Yes};
    click("btnLoeschenArtikel");
    EXPECT_EQ(column(articles(), 1), QStringList{QStringLiteral("Tee")});
}

TEST_F(MainWindowTest, TemplatesSaveInsertAndDelete)
{
    m_window->startUp(QString());
    m_window->project().ListField.clear();
    addFields({{"TEinzField", "email"}});
    m_window->project().ListField[0]->Beschriftung = QStringLiteral("Meine E-Mail");
    m_window->RefreshLists();
    auto *combo = find<QComboBox>(QStringLiteral("cboVorlagen"));
    const int before = combo->count();

    // Nothing chosen, nothing selected: nothing happens.
    click("btnEinfuegenVorlageFeld");
    EXPECT_EQ(m_window->project().ListField.size(), 1u);
    fields()->setCurrentIndex(QModelIndex());
    m_window->saveFieldAsTemplate();
    EXPECT_EQ(combo->count(), before);

    selectRow(fields(), 0);
    m_window->saveFieldAsTemplate();
    ASSERT_EQ(combo->count(), before + 1);
    EXPECT_EQ(combo->itemText(before), QStringLiteral("Meine E-Mail"));
    combo->setCurrentIndex(before);
    click("btnEinfuegenVorlageFeld");
    ASSERT_EQ(m_window->project().ListField.size(), 2u);
    EXPECT_TRUE(m_window->project().ListField[1]->equals(*m_window->project().ListField[0]));

    // The manager deletes the template after its question.
    m_dialogs->modal = [this](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Vorlagen verwalten"));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstVorlagen"));
        auto *remove = dialog.findChild<QPushButton *>(QStringLiteral("btnVorlageLoeschen"));
        list->setCurrentRow(list->count() - 1);
        m_dialogs->buttons = {QMessageBox::No, QMessageBox::Yes};
        QTest::mouseClick(remove, Qt::LeftButton);
        EXPECT_EQ(list->count(), m_templateCount);
        QTest::mouseClick(remove, Qt::LeftButton);
        EXPECT_EQ(list->count(), m_templateCount - 1);
        EXPECT_EQ(m_dialogs->questions.back().title, QStringLiteral("Eintrag löschen"));
        EXPECT_EQ(m_dialogs->questions.back().text, QStringLiteral("Diesen Eintrag löschen?"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnSchliessen")),
                          Qt::LeftButton);
        return dialog.result();
    };
    m_templateCount = combo->count();
    action("actFeldVorlagen")->trigger();
    EXPECT_EQ(combo->count(), before);
    EXPECT_EQ(combo->currentIndex(), -1);

    // Articles: saved under their name.
    auto artikel = std::make_unique<TArtikelField>();
    artikel->name = QStringLiteral("Grüner Tee");
    m_window->project().ListArtikel.clear();
    m_window->project().ListArtikel.push_back(std::move(artikel));
    m_window->RefreshLists();
    selectRow(articles(), 0);
    m_window->saveArticleAsTemplate();
    auto *articleCombo = find<QComboBox>(QStringLiteral("cboVorlagenArtikel"));
    EXPECT_EQ(articleCombo->itemText(articleCombo->count() - 1), QStringLiteral("Grüner Tee"));
    articleCombo->setCurrentIndex(articleCombo->count() - 1);
    click("btnEinfuegenVorlageArtikel");
    EXPECT_EQ(column(articles(), 1),
              (QStringList{QStringLiteral("Grüner Tee"), QStringLiteral("Grüner Tee")}));
}

} // namespace

// "Bestellung als Unternehmen" in the Bearbeiten menu adds the four business
// fields once, as one step that can be undone; a second run tells that they
// are there; a broken template in the user's library is reported and adds
// nothing.
TEST_F(MainWindowTest, BusinessOrderCommandAddsItsFieldsOnce)
{
    m_window->startUp(QString());
    m_window->project().ListField.clear();
    addFields({{"TEinzField", "Firma"}});
    QAction *command = action("actBestellungUnternehmen");
    ASSERT_NE(command, nullptr);
    bool inEditMenu = false;
    for (QMenu *menu : m_window->menuBar()->findChildren<QMenu *>())
        inEditMenu =
            inEditMenu || (menu->title() == u"&Bearbeiten" && menu->actions().contains(command));
    EXPECT_TRUE(inEditMenu);
    EXPECT_EQ(command->text(), QStringLiteral("Bestellung als Unternehmen"));

    command->trigger();
    const QStringList withBusiness{QStringLiteral("Firma"), QStringLiteral("UStIdNr"),
                                   QStringLiteral("Kaeuferreferenz"),
                                   QStringLiteral("EMailERechnung")};
    EXPECT_EQ(column(fields()), withBusiness);
    EXPECT_TRUE(m_dialogs->told.empty());
    QUndoStack &stack = m_window->document().undoStack();
    EXPECT_EQ(stack.undoText(), QStringLiteral("Bestellung als Unternehmen"));
    stack.undo();
    EXPECT_EQ(column(fields()), QStringList{QStringLiteral("Firma")});
    stack.redo();
    EXPECT_EQ(column(fields()), withBusiness);
    command->trigger();
    EXPECT_EQ(fields()->model()->rowCount(), 4);
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_EQ(m_dialogs->told[0].icon, QMessageBox::Information);
    EXPECT_EQ(m_dialogs->told[0].title, QStringLiteral("Bestellung als Unternehmen"));

    m_window->project().ListField.clear();
    m_window->RefreshLists();
    writeFile(appDataFile(QStringLiteral("vorlagen.xml")),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vorlagen><feld><typ>TEinzField</typ>"
              "<name>Firma</name><pflicht>abc</pflicht></feld></vorlagen>\n");
    command->trigger();
    EXPECT_EQ(fields()->model()->rowCount(), 0);
    ASSERT_EQ(m_dialogs->told.size(), 2u);
    EXPECT_EQ(m_dialogs->told[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(m_dialogs->told[1].text.contains(u"Firma"))
        << m_dialogs->told[1].text.toStdString();
}
