// The article, option, price option and value dialogs driven through their
// controls, with nested dialogs answered while they are open.
#include "designer/ui/dialog_editor_access.h"
#include "designer/ui/uArtikel.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"
#include "tests/test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace vq;
using namespace vq::ui;
using vq::test::child;
using vq::test::whenModal;

namespace {

void clickButton(QDialog &dialog, const char *name)
{
    QTest::mouseClick(child<QAbstractButton>(dialog, name), Qt::LeftButton);
}

void triggerAction(QDialog &dialog, const char *name)
{
    child<QAction>(dialog, name)->trigger();
}

QStringList rows(QTreeWidget *list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

void selectRow(QTreeWidget *list, int row)
{
    list->setCurrentItem(list->topLevelItem(row));
}

class ArticleEditorsTest : public ::testing::Test
{
protected:
    ArticleEditorsTest() { prompts.unscriptedYes = true; }

    vq::test::ScriptedQuestions prompts;
    DialogEditorAccess access{&prompts};

    // Adds an input or select option through "Neu" while the article dialog
    // is open.
    void addTextOption(QDialog &article, const char *action, const QString &name,
                       const QString &value)
    {
        whenModal([=](QDialog &option) {
            child<QLineEdit>(option, "edtName")->setText(name);
            child<QLineEdit>(option, "edtVorgabe")->setText(value);
            clickButton(option, "btnOK");
        });
        triggerAction(article, action);
    }
};

TEST_F(ArticleEditorsTest, OkChecksPriceVatAndNameAsGermanMoneyOnEveryDesktop)
{
    const QString price = QStringLiteral("Bitte geben Sie einen korrekten Preis ein.");
    const QString vat = QStringLiteral(
        "Bitte geben Sie im Feld \"Mwst.\" einen korrekten Steuersatz in Prozent ein.");
    const QString name = QStringLiteral("Bitte geben Sie einen Produktnamen ein.");
    const struct
    {
        const char *locale;
        const char *preis;
        const char *mwst;
        const char *name;
        QStringList messages;
        const char *focus;
        double storedPreis;
        double storedMwst;
    } cases[] = {
        {"de", "12,5", "19", "Tasse", {}, "", 12.5, 19},
        {"de", "12.5", "19", "Tasse", {price}, "edtPreis", 0, 0},
        {"de", "1.234,5", "19", "Tasse", {price}, "edtPreis", 0, 0},
        {"de", "", "19", "Tasse", {price}, "edtPreis", 0, 0},
        {"de", "-3,5", "7,5", "Rabatt", {}, "", -3.5, 7.5},
        {"de", "12,5", "7.5", "Tasse", {vat}, "cboMwst", 0, 0},
        {"de", "12,5", "", "Tasse", {vat}, "cboMwst", 0, 0},
        {"de", "12,5", "19", "", {name}, "edtName", 0, 0},
        {"de", "x", "y", "", {price, vat, name}, "edtPreis", 0, 0},
        // On an English desktop money is typed as on a German invoice, as the
        // invoice module reads it.
        {"en", "12,5", "19", "Tasse", {}, "", 12.5, 19},
        {"en", "12.5", "19", "Tasse", {price}, "edtPreis", 0, 0},
    };
    for (const auto &c : cases) {
        vq::test::LocaleScope scope(QString::fromLatin1(c.locale) == QLatin1String("de")
                                        ? vq::test::germanLocale()
                                        : vq::test::englishLocale());
        prompts.messages.clear();
        TArtikelField artikel;
        bool stayedOpen = false;
        QString focus;
        whenModal([&](QDialog &dialog) {
            child<QLineEdit>(dialog, "edtPreis")->setText(QString::fromLatin1(c.preis));
            child<QComboBox>(dialog, "cboMwst")->setEditText(QString::fromLatin1(c.mwst));
            child<QLineEdit>(dialog, "edtName")->setText(QString::fromLatin1(c.name));
            clickButton(dialog, "btnOK");
            stayedOpen = dialog.isVisible();
            focus = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
            if (stayedOpen)
                clickButton(dialog, "btnCancel");
        });
        const bool accepted = access.editArticle(nullptr, artikel, true);
        const std::string what = std::string(c.locale) + " " + c.preis + " / " + c.mwst;
        EXPECT_EQ(prompts.messages, c.messages) << what;
        EXPECT_EQ(accepted, c.messages.isEmpty()) << what;
        EXPECT_EQ(stayedOpen, !c.messages.isEmpty()) << what;
        if (accepted) {
            EXPECT_EQ(artikel.preis, c.storedPreis) << what;
            EXPECT_EQ(artikel.mwst, c.storedMwst) << what;
        } else {
            EXPECT_EQ(focus, QString::fromLatin1(c.focus)) << what;
        }
    }
}

TEST_F(ArticleEditorsTest, ExistingArticleShowsItsValuesAndKeepsThemWithoutChanges)
{
    TArtikelField artikel;
    artikel.artikelNummer = QStringLiteral("A-7");
    artikel.name = QStringLiteral("Tasse");
    artikel.preis = 12.5;
    artikel.mwst = 7;
    artikel.beschreibung = QStringLiteral("<b>Porzellan</b>\r\nweiß");
    artikel.link = QStringLiteral("https://example.org/tasse");
    artikel.linklabel = QStringLiteral("Mehr");
    artikel.artikelTyp = 2;
    artikel.optionenNebeneinander = true;
    auto option = std::make_unique<TSelectOption>();
    option->beschriftung = QStringLiteral("Farbe");
    option->defaultWert = QStringLiteral("rot#blau");
    artikel.listOptionen.push_back(std::move(option));
    const TArtikelField before = artikel;
    QString shownPrice, shownVat, shownType;
    QStringList optionRows;
    whenModal([&](QDialog &dialog) {
        shownPrice = child<QLineEdit>(dialog, "edtPreis")->text();
        shownVat = child<QComboBox>(dialog, "cboMwst")->currentText();
        shownType = child<QComboBox>(dialog, "cboArtikelTyp")->currentText();
        auto *list = child<QTreeWidget>(dialog, "lstOptionen");
        optionRows = rows(list, 0) + rows(list, 1);
        clickButton(dialog, "btnOK");
    });
    ASSERT_TRUE(access.editArticle(nullptr, artikel, false));
    EXPECT_EQ(shownPrice, QStringLiteral("12,5"));
    EXPECT_EQ(shownVat, QStringLiteral("7"));
    EXPECT_EQ(shownType, QStringLiteral("Auswahlfeld Artikel"));
    EXPECT_EQ(optionRows, (QStringList{QStringLiteral("Farbe"), QStringLiteral("Auswahlfeld")}));
    EXPECT_TRUE(artikel.equals(before));
}

TEST_F(ArticleEditorsTest, NewArticleStartsFromThePresetsAfterEditingAnother)
{
    TArtikelField earlier;
    earlier.name = QStringLiteral("Alt");
    earlier.optionenNebeneinander = true;
    earlier.artikelTyp = 1;
    earlier.listOptionen.push_back(std::make_unique<TInputOption>());
    whenModal([&](QDialog &dialog) { clickButton(dialog, "btnOK"); });
    ASSERT_TRUE(access.editArticle(nullptr, earlier, false));

    TArtikelField artikel;
    std::map<QString, QString> seen;
    whenModal([&](QDialog &dialog) {
        for (const char *name :
             {"edtArtikelNummer", "edtName", "edtPreis", "edtLink", "edtLinkLabel"})
            seen[QString::fromLatin1(name)] = child<QLineEdit>(dialog, name)->text();
        seen[QStringLiteral("memoBeschreibung")] =
            child<QPlainTextEdit>(dialog, "memoBeschreibung")->toPlainText();
        seen[QStringLiteral("cboMwst")] = child<QComboBox>(dialog, "cboMwst")->currentText();
        seen[QStringLiteral("cboArtikelTyp")] =
            child<QComboBox>(dialog, "cboArtikelTyp")->currentText();
        seen[QStringLiteral("cboNebeneinander")] =
            child<QCheckBox>(dialog, "cboNebeneinander")->isChecked() ? QStringLiteral("an")
                                                                      : QStringLiteral("aus");
        seen[QStringLiteral("lstOptionen")] =
            QString::number(child<QTreeWidget>(dialog, "lstOptionen")->topLevelItemCount());
        clickButton(dialog, "btnCancel");
    });
    EXPECT_FALSE(access.editArticle(nullptr, artikel, true));
    const std::map<QString, QString> expected = {
        {QStringLiteral("edtArtikelNummer"), QStringLiteral("0")},
        {QStringLiteral("edtName"), {}},
        {QStringLiteral("edtPreis"), {}},
        {QStringLiteral("edtLink"), {}},
        {QStringLiteral("edtLinkLabel"), QStringLiteral("Weitere Informationen")},
        {QStringLiteral("memoBeschreibung"), {}},
        {QStringLiteral("cboMwst"), QStringLiteral("19")},
        {QStringLiteral("cboArtikelTyp"), QStringLiteral("Normaler Artikel")},
        {QStringLiteral("cboNebeneinander"), QStringLiteral("aus")},
        {QStringLiteral("lstOptionen"), QStringLiteral("0")},
    };
    EXPECT_EQ(seen, expected);
}

// Option changes act on the article at once: an existing article keeps an
// added option when its dialog is cancelled, but not a changed name.
TEST_F(ArticleEditorsTest, OptionChangesStayWhenAnExistingArticleIsCancelled)
{
    TArtikelField artikel;
    artikel.name = QStringLiteral("Tasse");
    whenModal([&](QDialog &dialog) {
        addTextOption(dialog, "actNeuEingabefeld", QStringLiteral("Gravur"), QStringLiteral("-"));
        addTextOption(dialog, "actNeuAuswahlfeld", QStringLiteral("Farbe"),
                      QStringLiteral("rot#blau"));
        child<QLineEdit>(dialog, "edtName")->setText(QStringLiteral("Becher"));
        clickButton(dialog, "btnCancel");
    });
    EXPECT_FALSE(access.editArticle(nullptr, artikel, false));
    EXPECT_EQ(artikel.name, QStringLiteral("Tasse"));
    ASSERT_EQ(artikel.listOptionen.size(), 2u);
    EXPECT_EQ(artikel.listOptionen[0]->kind(), OptionKind::Input);
    EXPECT_EQ(artikel.listOptionen[0]->beschriftung, QStringLiteral("Gravur"));
    EXPECT_EQ(artikel.listOptionen[0]->defaultWert, QStringLiteral("-"));
    EXPECT_EQ(artikel.listOptionen[1]->kind(), OptionKind::Select);
    EXPECT_EQ(artikel.listOptionen[1]->defaultWert, QStringLiteral("rot#blau"));
}

// A new article that is cancelled reports it, so the caller drops it with the
// options added meanwhile.
TEST_F(ArticleEditorsTest, CancelledNewArticleIsReportedWithItsOptions)
{
    TArtikelField artikel;
    whenModal([&](QDialog &dialog) {
        addTextOption(dialog, "actNeuEingabefeld", QStringLiteral("Gravur"), QString());
        EXPECT_EQ(rows(child<QTreeWidget>(dialog, "lstOptionen"), 1),
                  QStringList{QStringLiteral("Eingabefeld")});
        clickButton(dialog, "btnCancel");
    });
    EXPECT_FALSE(access.editArticle(nullptr, artikel, true));
    EXPECT_EQ(artikel.listOptionen.size(), 1u) << "the caller frees it with the article";

    // The next new article starts with an empty options list.
    TArtikelField next;
    int shownOptions = -1;
    whenModal([&](QDialog &dialog) {
        shownOptions = child<QTreeWidget>(dialog, "lstOptionen")->topLevelItemCount();
        clickButton(dialog, "btnCancel");
    });
    access.editArticle(nullptr, next, true);
    EXPECT_EQ(shownOptions, 0);
}

TEST_F(ArticleEditorsTest, CancellingAnOptionDialogAddsOrChangesNothing)
{
    TArtikelField artikel;
    auto option = std::make_unique<TInputOption>();
    option->beschriftung = QStringLiteral("Gravur");
    artikel.listOptionen.push_back(std::move(option));
    whenModal([&](QDialog &dialog) {
        whenModal([](QDialog &option) {
            child<QLineEdit>(option, "edtName")->setText(QStringLiteral("neu"));
            clickButton(option, "btnCancel");
        });
        triggerAction(dialog, "actNeuAuswahlfeld");
        selectRow(child<QTreeWidget>(dialog, "lstOptionen"), 0);
        whenModal([](QDialog &option) {
            EXPECT_EQ(child<QLineEdit>(option, "edtName")->text(), QStringLiteral("Gravur"));
            child<QLineEdit>(option, "edtName")->setText(QStringLiteral("anders"));
            clickButton(option, "btnCancel");
        });
        clickButton(dialog, "btnBearbeiten");
        clickButton(dialog, "btnCancel");
    });
    access.editArticle(nullptr, artikel, false);
    ASSERT_EQ(artikel.listOptionen.size(), 1u);
    EXPECT_EQ(artikel.listOptionen[0]->beschriftung, QStringLiteral("Gravur"));
}

TEST_F(ArticleEditorsTest, DeletingAnOptionAsksFirst)
{
    TArtikelField artikel;
    for (const char *name : {"a", "b"}) {
        auto option = std::make_unique<TInputOption>();
        option->beschriftung = QString::fromLatin1(name);
        artikel.listOptionen.push_back(std::move(option));
    }
    prompts.answers = {false, true};
    whenModal([&](QDialog &dialog) {
        auto *list = child<QTreeWidget>(dialog, "lstOptionen");
        selectRow(list, 0);
        clickButton(dialog, "btnLoeschen");
        EXPECT_EQ(rows(list, 0), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        selectRow(list, 0);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        EXPECT_EQ(rows(list, 0), QStringList{QStringLiteral("b")});
        clickButton(dialog, "btnOK");
    });
    artikel.name = QStringLiteral("x");
    EXPECT_TRUE(access.editArticle(nullptr, artikel, false));
    EXPECT_EQ(prompts.asked,
              QStringList(2, QStringLiteral("Soll der Eintrag wirklich gelöscht werden?")));
    ASSERT_EQ(artikel.listOptionen.size(), 1u);
    EXPECT_EQ(artikel.listOptionen[0]->beschriftung, QStringLiteral("b"));
}

// The price option's values: added by button and by Enter, shown as money
// texts, moved, and taken over rounded to the currency decimals.
TEST_F(ArticleEditorsTest, PriceOptionValuesAreShownAndStoredAsMoney)
{
    TArtikelField artikel;
    artikel.name = QStringLiteral("Shirt");
    QStringList shownNames, shownPrices, afterEndMoves, afterMove;
    int selectedAfterMove = -1;
    whenModal([&](QDialog &dialog) {
        whenModal([&](QDialog &price) {
            auto *name = child<QLineEdit>(price, "edtName");
            auto *preis = child<QLineEdit>(price, "edtPreis");
            auto *list = child<QTreeWidget>(price, "lstOptions");
            child<QLineEdit>(price, "edtOptionsName")->setText(QStringLiteral("Größe"));
            name->setText(QStringLiteral("S"));
            preis->setText(QStringLiteral("2,3456"));
            clickButton(price, "btnAdd");
            EXPECT_TRUE(name->text().isEmpty());
            EXPECT_TRUE(preis->text().isEmpty());
            name->setText(QStringLiteral("XXL"));
            preis->setText(QStringLiteral("1234,5"));
            preis->setFocus();
            QTest::keyClick(preis, Qt::Key_Return);
            EXPECT_TRUE(price.isVisible()) << "Enter adds, it does not close";
            name->setText(QStringLiteral("M"));
            preis->setText(QStringLiteral("0"));
            clickButton(price, "btnAdd");
            shownNames = rows(list, 0);
            shownPrices = rows(list, 1);

            selectRow(list, 0);
            clickButton(price, "btUp");
            selectRow(list, 2);
            clickButton(price, "btDown");
            afterEndMoves = rows(list, 0);
            selectRow(list, 2);
            clickButton(price, "btUp");
            afterMove = rows(list, 0);
            selectedAfterMove = list->indexOfTopLevelItem(list->currentItem());
            clickButton(price, "btnOK");
        });
        triggerAction(dialog, "actNeuAuswahlfeldPreis");
        clickButton(dialog, "btnOK");
    });
    ASSERT_TRUE(access.editArticle(nullptr, artikel, false));
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join(u'|').toStdString();
    EXPECT_EQ(shownNames,
              (QStringList{QStringLiteral("S"), QStringLiteral("XXL"), QStringLiteral("M")}));
    EXPECT_EQ(shownPrices, (QStringList{QStringLiteral("2,35 "), QStringLiteral("1.234,50 "),
                                        QStringLiteral("0,00 ")}));
    EXPECT_EQ(afterEndMoves, shownNames) << "moves beyond the ends change nothing";
    EXPECT_EQ(afterMove,
              (QStringList{QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("XXL")}));
    EXPECT_EQ(selectedAfterMove, 1);
    ASSERT_EQ(artikel.listOptionen.size(), 1u);
    const auto &option = dynamic_cast<const TSelectPriceOption &>(*artikel.listOptionen[0]);
    EXPECT_EQ(option.beschriftung, QStringLiteral("Größe"));
    const std::vector<TPriceOptionElement> expected = {
        {QStringLiteral("S"), 2.35}, {QStringLiteral("M"), 0.0}, {QStringLiteral("XXL"), 1234.5}};
    EXPECT_EQ(option.elements, expected);
}

TEST_F(ArticleEditorsTest, PriceOptionChecksValuesAndCaption)
{
    TArtikelField artikel;
    auto existing = std::make_unique<TSelectPriceOption>();
    existing->beschriftung = QStringLiteral("Größe");
    existing->elements = {{QStringLiteral("S"), 1.0}, {QStringLiteral("L"), 2.0}};
    artikel.listOptionen.push_back(std::move(existing));
    QStringList addMessages, valueMessages, captionMessages, editedRows;
    whenModal([&](QDialog &dialog) {
        selectRow(child<QTreeWidget>(dialog, "lstOptionen"), 0);
        whenModal([&](QDialog &price) {
            auto *list = child<QTreeWidget>(price, "lstOptions");
            child<QLineEdit>(price, "edtPreis")->setText(QStringLiteral("2.5"));
            clickButton(price, "btnAdd");
            addMessages = prompts.messages;
            prompts.messages.clear();

            // The value dialog keeps itself open until both entries are good.
            selectRow(list, 1);
            whenModal([&](QDialog &value) {
                child<QLineEdit>(value, "edtName")->clear();
                child<QLineEdit>(value, "edtPrice")->setText(QStringLiteral("x"));
                clickButton(value, "btnOK");
                valueMessages = prompts.messages;
                prompts.messages.clear();
                EXPECT_TRUE(value.isVisible());
                child<QLineEdit>(value, "edtName")->setText(QStringLiteral("XL"));
                child<QLineEdit>(value, "edtPrice")->setText(QStringLiteral("3,999"));
                clickButton(value, "btnOK");
            });
            clickButton(price, "btnEdit");
            editedRows = rows(list, 0) + rows(list, 1);

            // Without a caption OK is refused; all values deleted and a new
            // caption give an option without values.
            child<QLineEdit>(price, "edtOptionsName")->clear();
            clickButton(price, "btnOK");
            captionMessages = prompts.messages;
            EXPECT_TRUE(price.isVisible());
            for (int i = 0; i < 2; ++i) {
                selectRow(list, 0);
                clickButton(price, "btnDelete");
            }
            child<QLineEdit>(price, "edtOptionsName")->setText(QStringLiteral("Ohne"));
            clickButton(price, "btnOK");
        });
        clickButton(dialog, "btnBearbeiten");
        clickButton(dialog, "btnCancel");
    });
    access.editArticle(nullptr, artikel, false);
    EXPECT_EQ(addMessages, (QStringList{QStringLiteral("Bitte einen Namen eingeben."),
                                        QStringLiteral("Bitte einen gültigen Preis eingeben.")}));
    EXPECT_EQ(valueMessages, addMessages);
    EXPECT_EQ(editedRows, (QStringList{QStringLiteral("S"), QStringLiteral("XL"),
                                       QStringLiteral("1,00 "), QStringLiteral("4,00 ")}));
    EXPECT_EQ(captionMessages,
              QStringList{QStringLiteral("Bitte geben Sie eine Beschriftung ein.")});
    ASSERT_EQ(artikel.listOptionen.size(), 1u);
    const auto &option = dynamic_cast<const TSelectPriceOption &>(*artikel.listOptionen[0]);
    EXPECT_EQ(option.beschriftung, QStringLiteral("Ohne"));
    EXPECT_TRUE(option.elements.empty());
}

// Both checks of a value run in the order name, price; the focus ends on the
// field of the last failing one, in the price option dialog (adding) and in
// the value dialog (OK).
TEST_F(ArticleEditorsTest, ValueChecksLeaveTheFocusOnTheLastFailingField)
{
    const struct
    {
        const char *name;
        const char *price;
        const char *addFocus;
        const char *valueFocus;
    } cases[] = {
        {"", "x", "edtPreis", "edtPrice"},
        {"", "1,5", "edtName", "edtName"},
        {"S", "x", "edtPreis", "edtPrice"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.price);
        TArtikelField artikel;
        auto existing = std::make_unique<TSelectPriceOption>();
        existing->beschriftung = QStringLiteral("Größe");
        existing->elements = {{QStringLiteral("S"), 1.0}};
        artikel.listOptionen.push_back(std::move(existing));
        QString addFocus, valueFocus;
        whenModal([&](QDialog &dialog) {
            selectRow(child<QTreeWidget>(dialog, "lstOptionen"), 0);
            whenModal([&](QDialog &price) {
                child<QLineEdit>(price, "edtName")->setText(QString::fromLatin1(c.name));
                child<QLineEdit>(price, "edtPreis")->setText(QString::fromLatin1(c.price));
                clickButton(price, "btnAdd");
                addFocus = price.focusWidget() ? price.focusWidget()->objectName() : QString();
                selectRow(child<QTreeWidget>(price, "lstOptions"), 0);
                whenModal([&](QDialog &value) {
                    child<QLineEdit>(value, "edtName")->setText(QString::fromLatin1(c.name));
                    child<QLineEdit>(value, "edtPrice")->setText(QString::fromLatin1(c.price));
                    clickButton(value, "btnOK");
                    valueFocus =
                        value.focusWidget() ? value.focusWidget()->objectName() : QString();
                    clickButton(value, "btnCancel");
                });
                clickButton(price, "btnEdit");
                clickButton(price, "btnCancel");
            });
            clickButton(dialog, "btnBearbeiten");
            clickButton(dialog, "btnCancel");
        });
        access.editArticle(nullptr, artikel, false);
        EXPECT_EQ(addFocus, QString::fromLatin1(c.addFocus));
        EXPECT_EQ(valueFocus, QString::fromLatin1(c.valueFocus));
        prompts.messages.clear();
    }
}

TEST_F(ArticleEditorsTest, CancelledPriceOptionDialogLeavesTheOptionAlone)
{
    TArtikelField artikel;
    auto existing = std::make_unique<TSelectPriceOption>();
    existing->beschriftung = QStringLiteral("Größe");
    existing->elements = {{QStringLiteral("S"), 1.239}};
    artikel.listOptionen.push_back(std::move(existing));
    whenModal([&](QDialog &dialog) {
        selectRow(child<QTreeWidget>(dialog, "lstOptionen"), 0);
        whenModal([&](QDialog &price) {
            selectRow(child<QTreeWidget>(price, "lstOptions"), 0);
            clickButton(price, "btnDelete");
            child<QLineEdit>(price, "edtOptionsName")->setText(QStringLiteral("anders"));
            clickButton(price, "btnCancel");
        });
        clickButton(dialog, "btnBearbeiten");
        clickButton(dialog, "btnCancel");
    });
    access.editArticle(nullptr, artikel, false);
    const auto &option = dynamic_cast<const TSelectPriceOption &>(*artikel.listOptionen[0]);
    EXPECT_EQ(option.beschriftung, QStringLiteral("Größe"));
    ASSERT_EQ(option.elements.size(), 1u);
    EXPECT_EQ(option.elements[0].preis, 1.239) << "not rounded without OK";
}

// Tab walks the controls in the order of the article's fields, and every
// input carries its label's text for a screen reader.
TEST_F(ArticleEditorsTest, TabWalksTheArticleFieldsInOrder)
{
    TfrmArtikel &dialog = access.artikel(nullptr);
    const QStringList expected = {QStringLiteral("edtArtikelNummer"),
                                  QStringLiteral("edtName"),
                                  QStringLiteral("edtPreis"),
                                  QStringLiteral("cboMwst"),
                                  QStringLiteral("memoBeschreibung"),
                                  QStringLiteral("btnBeschreibungHtml"),
                                  QStringLiteral("edtLink"),
                                  QStringLiteral("edtLinkLabel"),
                                  QStringLiteral("lstOptionen"),
                                  QStringLiteral("btnNeu"),
                                  QStringLiteral("btnBearbeiten"),
                                  QStringLiteral("btnLoeschen"),
                                  QStringLiteral("cboNebeneinander"),
                                  QStringLiteral("cboArtikelTyp"),
                                  QStringLiteral("btnOK"),
                                  QStringLiteral("btnCancel")};
    QStringList chain;
    QWidget *w = child<QWidget>(dialog, "edtArtikelNummer");
    while (chain.size() < expected.size()) {
        chain << w->objectName();
        do
            w = w->nextInFocusChain();
        while (w->objectName().isEmpty() || !(w->focusPolicy() & Qt::TabFocus)
               || w->window() != &dialog);
    }
    EXPECT_EQ(chain, expected);
    const struct
    {
        const char *control;
        const char *label;
    } labels[] = {{"edtArtikelNummer", "Artikelnummer"},
                  {"edtPreis", "Preis"},
                  {"cboMwst", "Mwst."},
                  {"memoBeschreibung", "Beschreibung"},
                  {"edtLinkLabel", "Link Beschriftung"},
                  {"cboArtikelTyp", "Artikeltyp:"}};
    for (const auto &l : labels) {
        QWidget *control = child<QWidget>(dialog, l.control);
        bool found = false;
        for (QLabel *label : dialog.findChildren<QLabel *>())
            found =
                found || (label->buddy() == control && label->text() == QString::fromUtf8(l.label));
        EXPECT_TRUE(found) << l.control;
    }
}

TEST_F(ArticleEditorsTest, DescriptionKeepsItsTextWhenTheHtmlEditorCannotStart)
{
    TfrmArtikel &dialog = access.artikel(nullptr);
    TArtikelField artikel;
    artikel.beschreibung = QStringLiteral("<p>alt</p>");
    dialog.attach(&artikel);
    dialog.LoadFromObject();
    dialog.setHtmlEditor([](QWidget *, QString &) -> bool { throw std::runtime_error("none"); });
    dialog.show();
    clickButton(dialog, "btnBeschreibungHtml");
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("Der HTML-Editor konnte nicht gestartet werden.")});
    EXPECT_EQ(child<QPlainTextEdit>(dialog, "memoBeschreibung")->toPlainText(),
              QStringLiteral("<p>alt</p>"));
    dialog.hide();
    dialog.attach(nullptr);
}

} // namespace
