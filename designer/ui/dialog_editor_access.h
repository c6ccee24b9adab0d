// The editors behind the main window's seam: each dialog is created once, on
// first use, and reused for every later field, article or option of its kind.
#pragma once

#include "designer/ui/editor_access.h"
#include "designer/ui/editor_prompts.h"

#include <QPointer>

namespace vq::ui {

class TfrmEinzField;
class TfrmPassField;
class TfrmMehrzField;
class TfrmListBox;
class TfrmCheckBox;
class TfrmRadioButtons;
class TfrmFileUpload;
class TfrmZwText;
class TfrmArtikel;

class DialogEditorAccess : public EditorAccess
{
public:
    // prompts answers the dialogs' messages and questions; it must outlive
    // this object. Without one the real message boxes are used.
    explicit DialogEditorAccess(UserQuestions *prompts = nullptr);
    ~DialogEditorAccess() override;

    bool editField(QWidget *parent, TFormField &field, int feldNr, bool isNew,
                   const FieldList &fields) override;
    bool editArticle(QWidget *parent, TArtikelField &artikel, bool isNew) override;
    bool editHtml(QWidget *parent, QString &text) override;

    // The dialogs, created on first use as children of parent (so they go
    // with the main window) and deleted here when they are still alive.
    TfrmEinzField &einzField(QWidget *parent);
    TfrmPassField &passField(QWidget *parent);
    TfrmMehrzField &mehrzField(QWidget *parent);
    TfrmListBox &listBox(QWidget *parent);
    TfrmCheckBox &checkBox(QWidget *parent);
    TfrmRadioButtons &radioButtons(QWidget *parent);
    TfrmFileUpload &fileUpload(QWidget *parent);
    TfrmZwText &zwText(QWidget *parent);
    TfrmArtikel &artikel(QWidget *parent);

private:
    template <class Dialog> Dialog &dialog(QPointer<Dialog> &slot, QWidget *parent);
    template <class Dialog, class Field>
    bool runFieldDialog(Dialog &dialog, Field &field, int feldNr, bool isNew,
                        const FieldList &fields);

    UserQuestions m_ownPrompts;
    UserQuestions &m_prompts;
    QPointer<TfrmEinzField> m_einz;
    QPointer<TfrmPassField> m_pass;
    QPointer<TfrmMehrzField> m_mehrz;
    QPointer<TfrmListBox> m_listBox;
    QPointer<TfrmCheckBox> m_checkBox;
    QPointer<TfrmRadioButtons> m_radio;
    QPointer<TfrmFileUpload> m_fileUpload;
    QPointer<TfrmZwText> m_zwText;
    QPointer<TfrmArtikel> m_artikel;
};

} // namespace vq::ui
