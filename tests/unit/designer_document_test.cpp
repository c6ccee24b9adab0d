// The designer's document: every kind of step done, undone and redone with
// the saved file compared byte for byte, merging of setting edits, the saved
// state followed through undo and redo, new histories on load, and the two
// list models checked by QAbstractItemModelTester throughout.
#include "designer/document/designer_document.h"
#include "designer/document/ftp_access.h"
#include "tests/test_support.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

std::unique_ptr<TFormField> field(const char *name, const char *typeWord = "TEinzField")
{
    auto f = createFieldOfType(QString::fromLatin1(typeWord));
    f->Name = QString::fromLatin1(name);
    f->Beschriftung = QStringLiteral("Beschriftung ") + f->Name;
    return f;
}

std::unique_ptr<TArtikelField> article(const char *name, double price)
{
    auto a = std::make_unique<TArtikelField>();
    a->name = QString::fromLatin1(name);
    a->preis = price;
    auto size = std::make_unique<TSelectOption>();
    size->beschriftung = QStringLiteral("Größe");
    size->defaultWert = QStringLiteral("S#M#L");
    a->listOptionen.push_back(std::move(size));
    auto note = std::make_unique<TInputOption>();
    note->beschriftung = QStringLiteral("Hinweis");
    a->listOptionen.push_back(std::move(note));
    return a;
}

class DesignerDocumentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ProjectDocument start;
        for (const char *name : {"name", "email", "telefon"})
            start.ListField.push_back(field(name));
        start.ListArtikel.push_back(article("Tee", 3.5));
        start.ListArtikel.push_back(article("Kaffee", 4.25));
        m_path = m_dir.filePath(QStringLiteral("start.vqb"));
        QString error;
        ASSERT_TRUE(start.SaveProject(m_path, &error)) << error.toStdString();
        ASSERT_TRUE(m_document.load(m_path).ok);
    }

    // The project as "Speichern" would write it, without saving it.
    QByteArray fileBytes() const
    {
        const QString path = m_dir.filePath(QStringLiteral("vergleich.vqb"));
        QString error;
        EXPECT_TRUE(m_document.project().SaveProject(path, &error));
        return readFile(path);
    }
    QStringList fieldNames() const
    {
        QStringList names;
        for (const auto &f : m_document.project().ListField)
            names.append(f->Name);
        return names;
    }

    QTemporaryDir m_dir;
    QString m_path;
    DesignerDocument m_document;
    QAbstractItemModelTester m_fieldTester{&m_document.fields(),
                                           QAbstractItemModelTester::FailureReportingMode::Fatal};
    QAbstractItemModelTester m_articleTester{&m_document.articles(),
                                             QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(DesignerDocumentTest, EveryStepUndoesToTheSameFileAndRedoesToTheSameChange)
{
    using Doc = DesignerDocument;
    struct Case
    {
        const char *step;
        std::function<void(Doc &)> change;
    } cases[] = {
        {"Feld hinzufügen", [](Doc &d) { d.addEntry(field("plz")); }},
        {"Feld hinzufügen", [](Doc &d) { d.addEntry(field("anrede", "TRadioField"), 0); }},
        {"Feld bearbeiten",
         [](Doc &d) {
             auto edited = d.project().ListField[1]->clone();
             edited->Pflicht = true;
             d.editEntry(1, std::move(edited));
         }},
        {"Feld bearbeiten", [](Doc &d) { d.editEntry(1, field("email", "TMehrzField")); }},
        {"Feld löschen", [](Doc &d) { d.removeEntry<TFormField>(0); }},
        {"Feld verschieben", [](Doc &d) { d.moveEntry<TFormField>(0, 1); }},
        {"Feld verschieben", [](Doc &d) { d.moveEntry<TFormField>(2, -1); }},
        {"Vorlage einfügen", [](Doc &d) { d.insertTemplate(field("vorlage")); }},
        {"Artikel hinzufügen", [](Doc &d) { d.addEntry(article("Kakao", 2)); }},
        {"Artikel bearbeiten",
         [](Doc &d) {
             auto edited = std::make_unique<TArtikelField>(*d.project().ListArtikel[0]);
             edited->mwst = 7;
             d.editEntry(0, std::move(edited));
         }},
        {"Artikel löschen", [](Doc &d) { d.removeEntry<TArtikelField>(1); }},
        {"Artikel verschieben", [](Doc &d) { d.moveEntry<TArtikelField>(1, -1); }},
        {"Vorlage einfügen", [](Doc &d) { d.insertTemplate(article("Vorlage", 1)); }},
        {"Option hinzufügen",
         [](Doc &d) {
             auto price = std::make_unique<TSelectPriceOption>();
             price->beschriftung = QStringLiteral("Farbe");
             price->elements = {{QStringLiteral("rot"), 1.5}};
             d.addOption(1, std::move(price));
         }},
        {"Option bearbeiten",
         [](Doc &d) {
             auto note = std::make_unique<TInputOption>();
             note->beschriftung = QStringLiteral("Widmung");
             d.editOption(0, 1, std::move(note));
         }},
        {"Option löschen", [](Doc &d) { d.removeOption(0, 0); }},
        {"Option verschieben", [](Doc &d) { d.moveOption(1, 1, -1); }},
        // The article dialog's copy: one option changed is that option's step.
        {"Option hinzufügen",
         [](Doc &d) {
             auto edited = std::make_unique<TArtikelField>(*d.project().ListArtikel[0]);
             edited->listOptionen.push_back(std::make_unique<TInputOption>());
             d.editArticle(0, std::move(edited));
         }},
        {"Option löschen",
         [](Doc &d) {
             auto edited = std::make_unique<TArtikelField>(*d.project().ListArtikel[0]);
             edited->listOptionen.erase(edited->listOptionen.begin());
             d.editArticle(0, std::move(edited));
         }},
        {"Option bearbeiten",
         [](Doc &d) {
             auto edited = std::make_unique<TArtikelField>(*d.project().ListArtikel[1]);
             edited->listOptionen[0]->defaultWert = QStringLiteral("S#M");
             d.editArticle(1, std::move(edited));
         }},
        {"Artikel bearbeiten",
         [](Doc &d) {
             auto edited = std::make_unique<TArtikelField>(*d.project().ListArtikel[1]);
             edited->listOptionen.pop_back();
             edited->name = QStringLiteral("Mokka");
             d.editArticle(1, std::move(edited));
         }},
        {"Artikel bearbeiten",
         [](Doc &d) {
             auto edited = std::make_unique<TArtikelField>(*d.project().ListArtikel[1]);
             edited->listOptionen.pop_back();
             edited->listOptionen.pop_back();
             d.editArticle(1, std::move(edited));
         }},
        {"Einstellung ändern: Formularüberschrift",
         [](Doc &d) { d.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Neu")); }},
        {"Einstellung ändern: Formularüberschrift",
         [](Doc &d) { d.setSetting(QStringLiteral("edtFormTitel"), QString()); }},
        {"Einstellung ändern: Captcha-Spamschutz aktivieren",
         [](Doc &d) {
             d.setFlag(QStringLiteral("chkCaptcha"),
                       !d.project().flag(QStringLiteral("chkCaptcha")));
         }},
        {"HTML-Text ersetzen",
         [](Doc &d) {
             d.replaceSnippet(QStringLiteral("memoEinleitung"), QStringLiteral("<b>Hallo</b>\r\n"));
         }},
        {"Einstellung ändern: Erweiterte Einstellungen",
         [](Doc &d) {
             TExtSettings ext = d.project().ExtSettings;
             ext.cartActive = !ext.cartActive;
             ext.ProjectSettings.author = QStringLiteral("Jana");
             d.setExtSettings(ext, QStringLiteral("Erweiterte Einstellungen"));
         }},
        {"FTP-Profil übernehmen",
         [](Doc &d) {
             FtpAccess access = ftpAccessOf(d.project());
             access.server = QStringLiteral("ftp.example.test");
             access.port = QStringLiteral("2121");
             access.tls = !access.tls;
             setFtpAccess(d, access, QStringLiteral("FTP-Profil übernehmen"));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.step);
        ASSERT_TRUE(m_document.load(m_path).ok);
        const QByteArray before = fileBytes();
        c.change(m_document);
        ASSERT_EQ(m_document.undoStack().count(), 1);
        EXPECT_EQ(m_document.undoStack().undoText(), QString::fromUtf8(c.step));
        EXPECT_TRUE(m_document.isModified());
        const QByteArray changed = fileBytes();
        EXPECT_NE(changed, before);

        m_document.undoStack().undo();
        EXPECT_EQ(fileBytes(), before);
        EXPECT_FALSE(m_document.isModified());
        m_document.undoStack().redo();
        EXPECT_EQ(fileBytes(), changed);
        m_document.undoStack().undo();
        EXPECT_EQ(fileBytes(), before);
    }
}

TEST(DesignerDocumentSteps, SettingStepsNameTheLabelAndTheGroupWhereTwoShareIt)
{
    EXPECT_EQ(DesignerDocument::settingStepName(QStringLiteral("edtFormTitel")),
              QStringLiteral("Einstellung ändern: Formularüberschrift"));
    EXPECT_EQ(DesignerDocument::settingStepName(QStringLiteral("cboStandardButton")),
              QStringLiteral("Einstellung ändern: Standarddesign? (Einstellungen Button)"));
    EXPECT_EQ(DesignerDocument::settingStepName(QStringLiteral("cboStandardFeld")),
              QStringLiteral("Einstellung ändern: Standarddesign? (Einstellungen Formularfeld)"));
}

TEST_F(DesignerDocumentTest, ChangesThatChangeNothingAreNoSteps)
{
    m_document.setSetting(QStringLiteral("edtFormTitel"),
                          m_document.project().setting(QStringLiteral("edtFormTitel")));
    m_document.editEntry(0, m_document.project().ListField[0]->clone());
    m_document.editEntry(0, std::make_unique<TArtikelField>(*m_document.project().ListArtikel[0]));
    m_document.editArticle(1,
                           std::make_unique<TArtikelField>(*m_document.project().ListArtikel[1]));
    m_document.setExtSettings(m_document.project().ExtSettings, QStringLiteral("Eigenschaften"));
    setFtpAccess(m_document, ftpAccessOf(m_document.project()), QStringLiteral("FTP"));
    EXPECT_FALSE(m_document.moveEntry<TFormField>(0, -1));
    EXPECT_FALSE(m_document.moveEntry<TFormField>(2, 1));
    EXPECT_FALSE(m_document.moveEntry<TArtikelField>(-1, 1));
    EXPECT_FALSE(m_document.removeEntry<TFormField>(3));
    EXPECT_FALSE(m_document.removeOption(0, 2));
    EXPECT_FALSE(m_document.moveOption(0, 0, -1));
    EXPECT_FALSE(m_document.addOption(5, std::make_unique<TInputOption>()));
    EXPECT_EQ(m_document.undoStack().count(), 0);
    EXPECT_FALSE(m_document.isModified());
}

TEST_F(DesignerDocumentTest, TypingIntoOneSettingIsOneStepUntilTheEditIsFinished)
{
    const QString title = QStringLiteral("edtFormTitel");
    const QString before = m_document.project().setting(title);
    QSignalSpy changed(&m_document, &DesignerDocument::settingChanged);
    for (const char *typed : {"B", "Be", "Bes", "Best"})
        m_document.setSetting(title, QString::fromLatin1(typed));
    EXPECT_EQ(changed.size(), 4);
    EXPECT_EQ(m_document.undoStack().count(), 1);
    // Another setting is a step of its own, and so is the title after it.
    m_document.setSetting(QStringLiteral("edtTitel"), QStringLiteral("Seite"));
    m_document.setSetting(title, QStringLiteral("Bestellung"));
    EXPECT_EQ(m_document.undoStack().count(), 3);
    m_document.finishSettingEdit();
    m_document.setSetting(title, QStringLiteral("Bestellung 2"));
    m_document.setSetting(title, QStringLiteral("Bestellung 24"));
    ASSERT_EQ(m_document.undoStack().count(), 4);

    m_document.undoStack().undo();
    EXPECT_EQ(m_document.project().setting(title), QStringLiteral("Bestellung"));
    m_document.undoStack().undo();
    EXPECT_EQ(m_document.project().setting(title), QStringLiteral("Best"));
    m_document.undoStack().undo();
    m_document.undoStack().undo();
    EXPECT_EQ(m_document.project().setting(title), before);
    EXPECT_EQ(changed.last().at(0).toString(), title);

    // Typed back to where it started: the step is gone.
    m_document.undoStack().clear();
    m_document.finishSettingEdit();
    m_document.setSetting(title, QStringLiteral("x"));
    m_document.setSetting(title, before);
    EXPECT_EQ(m_document.undoStack().count(), 0);
}

TEST_F(DesignerDocumentTest, TheSavedStateFollowsSaveUndoAndRedo)
{
    QSignalSpy modified(&m_document, &DesignerDocument::modifiedChanged);
    EXPECT_FALSE(m_document.isModified());
    EXPECT_EQ(m_document.fileName(), m_path);

    m_document.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Eins"));
    m_document.removeEntry<TFormField>(0);
    EXPECT_TRUE(m_document.isModified());
    const QString other = m_dir.filePath(QStringLiteral("anders.vqb"));
    QString error;
    ASSERT_TRUE(m_document.save(other, &error));
    EXPECT_FALSE(m_document.isModified());
    EXPECT_EQ(m_document.fileName(), other);
    const QByteArray saved = readFile(other);

    // The next typing is a new step even for the same setting.
    m_document.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Zwei"));
    EXPECT_EQ(m_document.undoStack().count(), 3);
    EXPECT_TRUE(m_document.isModified());
    m_document.undoStack().undo();
    EXPECT_FALSE(m_document.isModified());
    EXPECT_EQ(fileBytes(), saved);
    m_document.undoStack().undo();
    EXPECT_TRUE(m_document.isModified());
    m_document.undoStack().redo();
    EXPECT_FALSE(m_document.isModified());
    EXPECT_EQ(modified.size(), 6);

    // A failed save changes neither the file name nor the saved state.
    m_document.undoStack().undo();
    EXPECT_FALSE(m_document.save(m_dir.filePath(QStringLiteral("fehlt/x.vqb")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m_document.isModified());
    EXPECT_EQ(m_document.fileName(), other);
}

TEST_F(DesignerDocumentTest, OneSessionUndoesSettingsAndListsInTurn)
{
    const QByteArray start = fileBytes();
    m_document.setSetting(QStringLiteral("edtEmpfaenger"), QStringLiteral("a@example.test"));
    m_document.finishSettingEdit();
    m_document.moveEntry<TFormField>(0, 1);
    m_document.setSetting(QStringLiteral("edtEmpfaenger"), QStringLiteral("b@example.test"));
    m_document.removeEntry<TArtikelField>(0);
    m_document.addEntry(field("ort"));
    const QByteArray end = fileBytes();

    QStringList undone;
    while (m_document.undoStack().canUndo()) {
        undone.append(m_document.undoStack().undoText());
        m_document.undoStack().undo();
    }
    EXPECT_EQ(undone,
              (QStringList{QStringLiteral("Feld hinzufügen"), QStringLiteral("Artikel löschen"),
                           m_document.settingStepName(QStringLiteral("edtEmpfaenger")),
                           QStringLiteral("Feld verschieben"),
                           m_document.settingStepName(QStringLiteral("edtEmpfaenger"))}));
    EXPECT_EQ(fileBytes(), start);
    EXPECT_EQ(fieldNames(), (QStringList{QStringLiteral("name"), QStringLiteral("email"),
                                         QStringLiteral("telefon")}));
    while (m_document.undoStack().canRedo())
        m_document.undoStack().redo();
    EXPECT_EQ(fileBytes(), end);
}

TEST_F(DesignerDocumentTest, LoadingStartsANewHistory)
{
    m_document.removeEntry<TFormField>(0);
    ASSERT_TRUE(m_document.isModified());

    // A damaged file: what was read stays, but it is not the project's file.
    QByteArray damaged = readFile(m_path);
    damaged.replace("<typ>TEinzField</typ>", "<typ>TUnbekannt</typ>");
    const QString damagedPath = m_dir.filePath(QStringLiteral("kaputt.vqb"));
    writeFile(damagedPath, damaged);
    QSignalSpy settings(&m_document, &DesignerDocument::settingChanged);
    EXPECT_FALSE(m_document.load(damagedPath).ok);
    EXPECT_FALSE(m_document.hasOwnFile());
    EXPECT_EQ(m_document.undoStack().count(), 0);
    EXPECT_FALSE(m_document.isModified());
    ASSERT_EQ(settings.size(), 1);
    EXPECT_EQ(settings[0][0].toString(), QString());

    ASSERT_TRUE(m_document.load(m_path).ok);
    EXPECT_EQ(m_document.fields().rowCount(), 3);
    EXPECT_EQ(m_document.fields().index(1, 0).data().toString(), QStringLiteral("email"));
    EXPECT_EQ(m_document.articles().index(1, 1).data().toString(), QStringLiteral("Kaffee"));
    EXPECT_EQ(m_document.fields().headerData(0, Qt::Horizontal).toString(),
              m_document.fields().headerData(0, Qt::Horizontal).toString());
}

TEST_F(DesignerDocumentTest, TheModelsTellWhereTheChangedEntryNowStands)
{
    QSignalSpy touched(&m_document.fields(), &ProjectListModel::touched);
    m_document.moveEntry<TFormField>(0, 1);
    m_document.removeEntry<TFormField>(2);
    m_document.undoStack().undo();
    m_document.undoStack().undo();
    m_document.editEntry(2, field("fax"));
    QList<int> rows;
    for (const QList<QVariant> &signal : touched)
        rows.append(signal.at(0).toInt());
    EXPECT_EQ(rows, (QList<int>{1, -1, 2, 0, 2}));
}

} // namespace
