// The article dialog: an article's fields and its options. Option changes act
// on the attached article at once; the other fields change only on OK.
#pragma once

#include "designer/model/uArtikelField.h"
#include "designer/ui/editor_prompts.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTreeWidget;

namespace vq::ui {

class TfrmEditArtikelOption;

class TfrmArtikel : public QDialog
{
public:
    explicit TfrmArtikel(UserQuestions &prompts, QWidget *parent = nullptr);

    void setHtmlEditor(HtmlEditorCall editor) { m_htmlEditor = std::move(editor); }

    // The article the dialog works on; must outlive the dialog's use.
    void attach(TArtikelField *myField);

    void ClearAll();
    void LoadFromObject();
    void SaveToObject();

    // OK checks the price, the VAT rate and the name (all of them).
    void done(int result) override;
    // The Delete key in the options list deletes the selected option.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void newOption(OptionKind kind);
    void editOption();
    void deleteOption();
    void editDescription();
    void rebuildOptions(int selectRow);
    int selectedOption() const;

    UserQuestions &m_prompts;
    HtmlEditorCall m_htmlEditor;
    TArtikelField *m_field = nullptr;
    TfrmEditArtikelOption *m_optionDialog = nullptr;

    QLineEdit *m_edtArtikelNummer = nullptr;
    QLineEdit *m_edtName = nullptr;
    QLineEdit *m_edtPreis = nullptr;
    QComboBox *m_cboMwst = nullptr;
    QPlainTextEdit *m_memoBeschreibung = nullptr;
    QLineEdit *m_edtLink = nullptr;
    QLineEdit *m_edtLinkLabel = nullptr;
    QTreeWidget *m_lstOptionen = nullptr;
    QCheckBox *m_cboNebeneinander = nullptr;
    QComboBox *m_cboArtikelTyp = nullptr;
    QMenu *m_newMenu = nullptr;
};

} // namespace vq::ui
