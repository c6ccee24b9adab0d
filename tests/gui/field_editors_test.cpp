// The field editor dialogs driven as a user would: keys typed into their
// boxes, "Übernehmen" and "Abbrechen" clicked, each dialog reused as in the
// main window.
#include "common_ui/plain_text.h"
#include "common_ui/questions.h"
#include "designer/ui/dialog_editor_access.h"
#include "designer/ui/uCheckBox.h"
#include "designer/ui/uEinzField.h"
#include "designer/ui/uFileUpload.h"
#include "designer/ui/uListBox.h"
#include "designer/ui/uMehrzField.h"
#include "designer/ui/uPassField.h"
#include "designer/ui/uRadioButtons.h"
#include "designer/ui/uZwText.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <map>

using namespace vq;
using namespace vq::ui;
using vq::test::child;
using vq::test::whenModal;

namespace {

std::unique_ptr<TFormField> newField(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Einz:
        return std::make_unique<TEinzField>();
    case FieldKind::Pass:
        return std::make_unique<TPassField>();
    case FieldKind::Mehrz:
        return std::make_unique<TMehrzField>();
    case FieldKind::DropDown:
        return std::make_unique<TDropDownField>();
    case FieldKind::CheckBox:
        return std::make_unique<TCheckBoxField>();
    case FieldKind::Radio:
        return std::make_unique<TRadioField>();
    case FieldKind::File:
        return std::make_unique<TFileField>();
    case FieldKind::Zw:
        return std::make_unique<TZwField>();
    }
    return nullptr;
}

const FieldKind kNamedKinds[] = {FieldKind::Einz,     FieldKind::Pass,     FieldKind::Mehrz,
                                 FieldKind::DropDown, FieldKind::CheckBox, FieldKind::Radio,
                                 FieldKind::File};

void clickButton(QDialog &dialog, const char *name)
{
    QTest::mouseClick(child<QPushButton>(dialog, name), Qt::LeftButton);
}

// Every control's value by objectName, as the user sees it.
std::map<QString, QString> controlValues(QDialog &dialog)
{
    std::map<QString, QString> values;
    for (auto *edit : dialog.findChildren<QLineEdit *>())
        if (!edit->objectName().isEmpty() && !qobject_cast<QComboBox *>(edit->parent()))
            values[edit->objectName()] = edit->text();
    for (auto *box : dialog.findChildren<QPlainTextEdit *>())
        values[box->objectName()] = box->toPlainText();
    for (auto *check : dialog.findChildren<QCheckBox *>())
        values[check->objectName()] =
            check->isChecked() ? QStringLiteral("an") : QStringLiteral("aus");
    for (auto *combo : dialog.findChildren<QComboBox *>())
        values[combo->objectName()] = combo->currentText();
    return values;
}

// Fills every control with something other than its preset.
void scribble(QDialog &dialog, const QString &name)
{
    for (auto *edit : dialog.findChildren<QLineEdit *>())
        if (!qobject_cast<QComboBox *>(edit->parent()))
            edit->setText(QStringLiteral("77"));
    for (auto *box : dialog.findChildren<QPlainTextEdit *>())
        box->setPlainText(QStringLiteral("x#y"));
    for (auto *check : dialog.findChildren<QCheckBox *>())
        check->setChecked(true);
    for (auto *combo : dialog.findChildren<QComboBox *>())
        combo->setCurrentIndex(combo->count() - 1);
    if (auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("edtName")))
        edit->setText(name);
}

class FieldEditorsTest : public ::testing::Test
{
protected:
    FieldEditorsTest() { prompts.unscriptedYes = true; }

    vq::test::ScriptedQuestions prompts;
    DialogEditorAccess access{&prompts};
    FieldList fields;
};

TEST_F(FieldEditorsTest, NameBoxTakesOnlyLettersUnderscoreAndLaterDigits)
{
    const struct
    {
        const char *typed;
        const char *expected;
    } cases[] = {
        {"1abc", "abc"},     {"a1", "a1"},     {"_x", "_x"},           {"9_9", "_9"},
        {"a b-c.d", "abcd"}, {"Größe", "Gre"}, {"__init2", "__init2"},
    };
    for (FieldKind kind : kNamedKinds) {
        auto field = newField(kind);
        for (const auto &c : cases) {
            QString seen;
            whenModal([&](QDialog &dialog) {
                auto *name = child<QLineEdit>(dialog, "edtName");
                vq::test::typeText(name, QString::fromUtf8(c.typed));
                seen = name->text();
                clickButton(dialog, "btnCancel");
            });
            access.editField(nullptr, *field, -1, true, fields);
            EXPECT_EQ(seen, QString::fromUtf8(c.expected))
                << "typed " << c.typed << " into " << field->typeWord().toStdString();
        }
    }
}

TEST_F(FieldEditorsTest, BackspaceAndEditingKeysStillWorkInTheNameBox)
{
    TfrmEinzField &dialog = access.einzField(nullptr);
    dialog.ClearAll();
    dialog.show();
    auto *name = child<QLineEdit>(dialog, "edtName");
    QTest::keyClicks(name, QStringLiteral("ab1"));
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClick(name, Qt::Key_Home);
    QTest::keyClicks(name, QStringLiteral("c"));
    EXPECT_EQ(name->text(), QStringLiteral("cab"));
    dialog.hide();
}

TEST_F(FieldEditorsTest, MinimumLengthTakesAtMostThreeDigitsAndStoresZeroWhenEmptied)
{
    const struct
    {
        const char *typed;
        const char *shown;
        int stored;
    } cases[] = {{"1a2", "12", 12}, {"12345", "123", 123}, {"x", "", 0}, {"007", "007", 7}};
    for (const auto &c : cases) {
        TEinzField field;
        field.Name = QStringLiteral("plz");
        field.PflichtFeldTyp = 3;
        field.MinPflichtLaenge = 5;
        QString shown;
        whenModal([&](QDialog &dialog) {
            auto *edit = child<QLineEdit>(dialog, "edtMindestLaenge");
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, QString::fromLatin1(c.typed));
            shown = edit->text();
            clickButton(dialog, "btnOK");
        });
        ASSERT_TRUE(access.editField(nullptr, field, 0, false, fields));
        EXPECT_EQ(shown, QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(field.MinPflichtLaenge, c.stored) << c.typed;
    }
}

TEST_F(FieldEditorsTest, NameCheckRefusesEmptyAndDuplicateNamesOnly)
{
    auto email = std::make_unique<TEinzField>();
    email->Name = QStringLiteral("email");
    auto other = std::make_unique<TCheckBoxField>();
    other->Name = QStringLiteral("agb");
    fields.push_back(std::move(email));
    fields.push_back(std::move(other));

    const QString empty = QStringLiteral("Bitte geben Sie etwas im Feld \"Name\" ein.");
    const QString duplicate = QStringLiteral(
        "Ein Feld mit diesem Namen ist bereits im Formular, bitte wählen Sie einen anderen Namen.");
    const struct
    {
        const char *what;
        int edited; // index of the edited field, -1 for a new one
        const char *name;
        QString message; // empty: accepted
    } cases[] = {
        {"new field under a used name", -1, "email", duplicate},
        {"new field under a name used by another kind", -1, "agb", duplicate},
        {"new field with a name differing in case", -1, "Email", QString()},
        {"new field without a name", -1, "", empty},
        {"edited field keeping its own name", 0, "email", QString()},
        {"edited field taking another field's name", 0, "agb", duplicate},
        {"edited field renamed freely", 1, "agb2", QString()},
    };
    for (const auto &c : cases) {
        prompts.messages.clear();
        std::unique_ptr<TFormField> fresh;
        TFormField *field = c.edited >= 0 ? fields[static_cast<size_t>(c.edited)].get()
                                          : (fresh = newField(FieldKind::Einz)).get();
        const QString before = field->Name;
        bool stayedOpen = false;
        bool nameFocused = false;
        whenModal([&](QDialog &dialog) {
            auto *name = child<QLineEdit>(dialog, "edtName");
            name->setText(QString::fromLatin1(c.name));
            child<QPushButton>(dialog, "btnCancel")->setFocus();
            clickButton(dialog, "btnOK");
            stayedOpen = dialog.isVisible();
            nameFocused = dialog.focusWidget() == name;
            if (stayedOpen)
                clickButton(dialog, "btnCancel");
        });
        const bool accepted = access.editField(nullptr, *field, c.edited, c.edited < 0, fields);
        EXPECT_EQ(accepted, c.message.isEmpty()) << c.what;
        EXPECT_EQ(stayedOpen, !c.message.isEmpty()) << c.what;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompts.messages.isEmpty()) << c.what;
            EXPECT_EQ(field->Name, QString::fromLatin1(c.name)) << c.what;
        } else {
            EXPECT_EQ(prompts.messages, QStringList{c.message}) << c.what;
            EXPECT_TRUE(nameFocused) << c.what;
            EXPECT_EQ(field->Name, before) << c.what << ": Abbrechen changes nothing";
        }
        if (c.edited >= 0)
            field->Name = before;
    }
}

TEST_F(FieldEditorsTest, ACorrectedNameIsAcceptedOnTheNextConfirm)
{
    auto email = std::make_unique<TEinzField>();
    email->Name = QStringLiteral("email");
    fields.push_back(std::move(email));
    TEinzField field;
    whenModal([&](QDialog &dialog) {
        auto *name = child<QLineEdit>(dialog, "edtName");
        QTest::keyClicks(name, QStringLiteral("email"));
        clickButton(dialog, "btnOK");
        QTest::keyClicks(name, QStringLiteral("2"));
        clickButton(dialog, "btnOK");
    });
    EXPECT_TRUE(access.editField(nullptr, field, -1, true, fields));
    EXPECT_EQ(field.Name, QStringLiteral("email2"));
    EXPECT_EQ(prompts.messages.size(), 1);
}

// A new field of each kind after a previous use with every control changed
// starts from the presets again.
TEST_F(FieldEditorsTest, NewFieldStartsFromThePresetsAfterAnEarlierUse)
{
    const QString off = QStringLiteral("aus");
    const std::map<FieldKind, std::map<QString, QString>> presets = {
        {FieldKind::Einz,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtBeschriftungNach"), {}},
          {QStringLiteral("edtVorgabe"), {}},
          {QStringLiteral("chkVorgabeLoeschen"), off},
          {QStringLiteral("edtGroesse"), QStringLiteral("15")},
          {QStringLiteral("edtMaxLaenge"), QStringLiteral("100")},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}},
          {QStringLiteral("cboCheckType"), QStringLiteral("Eingabe")},
          {QStringLiteral("edtMindestLaenge"), QStringLiteral("0")}}},
        {FieldKind::Pass,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtBeschriftungNach"), {}},
          {QStringLiteral("edtVorgabe"), {}},
          {QStringLiteral("chkVorgabeLoeschen"), off},
          {QStringLiteral("edtGroesse"), QStringLiteral("15")},
          {QStringLiteral("edtMaxLaenge"), QStringLiteral("100")},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}}}},
        {FieldKind::Mehrz,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtVorgabe"), {}},
          {QStringLiteral("edtHoehe"), QStringLiteral("5")},
          {QStringLiteral("edtBreite"), QStringLiteral("40")},
          {QStringLiteral("edtBeschriftungNach"), {}},
          {QStringLiteral("chkVorgabeLoeschen"), off},
          {QStringLiteral("edtAnzahlZeichen"), {}},
          {QStringLiteral("chkZeichenAnzeige"), off},
          {QStringLiteral("edtZeichenAnzeigeText"), QStringLiteral("Zeichen übrig")},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}}}},
        {FieldKind::DropDown,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtGroesse"), QStringLiteral("5")},
          {QStringLiteral("edtFelder"), {}},
          {QStringLiteral("edtBeschriftungNach"), {}},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}}}},
        {FieldKind::CheckBox,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtVorgabe"), {}},
          {QStringLiteral("edtBeschriftungNach"), {}},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}}}},
        {FieldKind::Radio,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtFelder"), {}},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}}}},
        {FieldKind::File,
         {{QStringLiteral("edtName"), {}},
          {QStringLiteral("edtBeschriftung"), {}},
          {QStringLiteral("edtBeschriftungNach"), {}},
          {QStringLiteral("edtGroesse"), QStringLiteral("15")},
          {QStringLiteral("chkPflicht"), off},
          {QStringLiteral("edtMeldung"), {}}}},
        {FieldKind::Zw, {{QStringLiteral("memoText"), {}}}},
    };
    int counter = 0;
    for (const auto &[kind, expected] : presets) {
        auto earlier = newField(kind);
        whenModal([&](QDialog &dialog) {
            scribble(dialog, QStringLiteral("f%1").arg(++counter));
            clickButton(dialog, "btnOK");
        });
        ASSERT_TRUE(access.editField(nullptr, *earlier, -1, true, fields))
            << earlier->typeWord().toStdString();

        auto field = newField(kind);
        std::map<QString, QString> seen;
        bool minLengthVisible = true;
        whenModal([&](QDialog &dialog) {
            seen = controlValues(dialog);
            if (auto *minLength = dialog.findChild<QLineEdit *>(QStringLiteral("edtMindestLaenge")))
                minLengthVisible = minLength->isVisibleTo(&dialog);
            clickButton(dialog, "btnCancel");
        });
        EXPECT_FALSE(access.editField(nullptr, *field, -1, true, fields));
        EXPECT_EQ(seen, expected) << field->typeWord().toStdString();
        if (kind == FieldKind::Einz) {
            EXPECT_FALSE(minLengthVisible) << "Mindestlänge: hidden while Eingabe is chosen";
        }
    }
}

TEST_F(FieldEditorsTest, MinimumLengthShowsOnlyWithItsCheck)
{
    TfrmEinzField &dialog = access.einzField(nullptr);
    dialog.ClearAll();
    dialog.show();
    auto *check = child<QComboBox>(dialog, "cboCheckType");
    auto *minLength = child<QLineEdit>(dialog, "edtMindestLaenge");
    const bool expected[] = {false, false, false, true};
    for (int index = 0; index < 4; ++index) {
        check->setCurrentIndex(index);
        EXPECT_EQ(minLength->isVisible(), expected[index]) << index;
    }
    TEinzField field;
    field.PflichtFeldTyp = 3;
    field.MinPflichtLaenge = 8;
    dialog.LoadFromObject(field);
    EXPECT_TRUE(minLength->isVisible());
    EXPECT_EQ(minLength->text(), QStringLiteral("8"));
    dialog.hide();
}

// Every property a dialog shows goes to its control and back unchanged; what
// it does not show stays as it was.
TEST_F(FieldEditorsTest, EditingWithoutChangesKeepsEveryProperty)
{
    auto einz = std::make_unique<TEinzField>();
    einz->Vorgabewert = QStringLiteral("v");
    einz->Groesse = QStringLiteral("30");
    einz->maxLaenge = QStringLiteral("");
    einz->VorgabeLoeschen = true;
    einz->PflichtFeldTyp = 2;
    einz->MinPflichtLaenge = 4;
    auto pass = std::make_unique<TPassField>();
    pass->Vorgabewert = QStringLiteral("geheim");
    pass->Groesse = QStringLiteral("abc");
    pass->maxLaenge = QStringLiteral("8");
    auto mehrz = std::make_unique<TMehrzField>();
    mehrz->Vorgabewert = QStringLiteral("Zeile 1\r\nZeile 2");
    mehrz->Hoehe = QStringLiteral("7");
    mehrz->Breite = QStringLiteral("60");
    mehrz->maxLaenge = QStringLiteral("500");
    mehrz->zeichenAnzeige = true;
    mehrz->zeichenAnzeigeText = QStringLiteral("noch frei");
    auto list = std::make_unique<TDropDownField>();
    list->Vorgabewert = QStringLiteral("not shown");
    list->Felder = QStringLiteral("rot#grün\r\nblau");
    list->Groesse = QStringLiteral("1");
    auto check = std::make_unique<TCheckBoxField>();
    check->Vorgabewert = QStringLiteral("ja");
    auto radio = std::make_unique<TRadioField>();
    radio->Vorgabewert = QStringLiteral("not shown");
    radio->BeschriftungNach = QStringLiteral("not shown either");
    radio->Felder = QStringLiteral("\"a#b\"#c");
    auto file = std::make_unique<TFileField>();
    file->Vorgabewert = QStringLiteral("not shown");
    file->Groesse = QStringLiteral("20");
    auto zw = std::make_unique<TZwField>();
    zw->Beschriftung = QStringLiteral("<b>Lieferung</b>\r\n<i>frei</i>");
    fields.push_back(std::move(einz));
    fields.push_back(std::move(pass));
    fields.push_back(std::move(mehrz));
    fields.push_back(std::move(list));
    fields.push_back(std::move(check));
    fields.push_back(std::move(radio));
    fields.push_back(std::move(file));
    fields.push_back(std::move(zw));
    for (size_t i = 0; i < fields.size(); ++i) {
        TFormField &field = *fields[i];
        if (field.kind() != FieldKind::Zw) {
            field.Name = QStringLiteral("feld%1").arg(i);
            field.Beschriftung = QStringLiteral("Beschriftung <b>%1</b>").arg(i);
            if (field.kind() != FieldKind::Radio)
                field.BeschriftungNach = QStringLiteral("nach %1").arg(i);
            field.Pflicht = i % 2 == 0;
            field.Meldung = QStringLiteral("Meldung %1").arg(i);
        }
        const auto before = field.clone();
        whenModal([&](QDialog &dialog) { clickButton(dialog, "btnOK"); });
        ASSERT_TRUE(access.editField(nullptr, field, static_cast<int>(i), false, fields));
        EXPECT_TRUE(field.equals(*before)) << field.typeWord().toStdString();
    }
}

TEST_F(FieldEditorsTest, IntermediateTextKeepsItsTextWhenTheHtmlEditorCannotStart)
{
    TfrmZwText &dialog = access.zwText(nullptr);
    TZwField field;
    field.Beschriftung = QStringLiteral("<p>Hallo</p>");
    dialog.LoadFromObject(field);
    dialog.setHtmlEditor(
        [](QWidget *, QString &) -> bool { throw std::runtime_error("no browser"); });
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "btnHtml"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("Der HTML-Editor konnte nicht gestartet werden.")});
    dialog.setHtmlEditor([](QWidget *, QString &text) {
        text = QStringLiteral("<p>Hallo <b>Welt</b></p>");
        return true;
    });
    QTest::mouseClick(child<QPushButton>(dialog, "btnHtml"), Qt::LeftButton);
    dialog.SaveToObject(field);
    EXPECT_EQ(field.Beschriftung, QStringLiteral("<p>Hallo <b>Welt</b></p>"));
    dialog.hide();
}

// Every input can be reached with Tab and carries its label's text as its
// accessible name (the label is its buddy).
TEST_F(FieldEditorsTest, EveryInputIsLabelledAndInTheTabChain)
{
    std::vector<QDialog *> dialogs = {&access.einzField(nullptr),  &access.passField(nullptr),
                                      &access.mehrzField(nullptr), &access.listBox(nullptr),
                                      &access.checkBox(nullptr),   &access.radioButtons(nullptr),
                                      &access.fileUpload(nullptr), &access.zwText(nullptr)};
    for (QDialog *dialog : dialogs) {
        QList<QWidget *> chain;
        QWidget *start = dialog->nextInFocusChain();
        for (QWidget *w = start; chain.size() < 200; w = w->nextInFocusChain()) {
            chain << w;
            if (w->nextInFocusChain() == start)
                break;
        }
        QList<QLabel *> labels = dialog->findChildren<QLabel *>();
        for (QWidget *input : dialog->findChildren<QWidget *>()) {
            const bool isInput = qobject_cast<QLineEdit *>(input)
                                 || qobject_cast<QPlainTextEdit *>(input)
                                 || qobject_cast<QComboBox *>(input);
            if (!isInput || qobject_cast<QComboBox *>(input->parent()))
                continue;
            EXPECT_TRUE(chain.contains(input)) << input->objectName().toStdString();
            const bool labelled = !input->accessibleName().isEmpty()
                                  || std::any_of(labels.begin(), labels.end(), [input](QLabel *l) {
                                         return l->buddy() == input;
                                     });
            EXPECT_TRUE(labelled) << dialog->objectName().toStdString() << " "
                                  << input->objectName().toStdString();
        }
        EXPECT_LE(dialog->sizeHint().width(), 1280) << dialog->objectName().toStdString();
        EXPECT_LE(dialog->sizeHint().height(), 760) << dialog->objectName().toStdString();
    }
}

// The editors' real messages and questions (a field's name from a project
// file may be quoted in them): the text shown as plain text and bounded,
// "Ja" and "Nein" answered as pressed.
TEST(DialogPrompts, ShowTheirTextAsPlainText)
{
    using namespace vq::test;
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    UserQuestions prompts;
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        ShownMessage message;
        answerMessageBox(&message, QMessageBox::Ok);
        prompts.message(nullptr, hostile.text);
        for (const QMessageBox::StandardButton press : {QMessageBox::Yes, QMessageBox::No}) {
            ShownMessage question;
            answerMessageBox(&question, press);
            EXPECT_EQ(prompts.confirm(nullptr, hostile.text), press == QMessageBox::Yes);
            ASSERT_TRUE(question.shown);
            EXPECT_EQ(question.title, QStringLiteral("Bestätigung"));
            EXPECT_EQ(question.format, Qt::PlainText);
            EXPECT_EQ(question.text, cutAt(hostile.seen, kMaxMessageChars));
        }
        ASSERT_TRUE(message.shown);
        EXPECT_EQ(message.format, Qt::PlainText);
        EXPECT_EQ(message.text, cutAt(hostile.seen, kMaxMessageChars));
        EXPECT_TRUE(fitsTheScreen(message));
    }
    EXPECT_FALSE(pipe.opened()) << "a message box read the named pipe as a picture";
}

} // namespace
