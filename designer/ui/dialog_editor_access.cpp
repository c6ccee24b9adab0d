#include "designer/ui/dialog_editor_access.h"

#include "designer/ui/uArtikel.h"
#include "designer/ui/uCheckBox.h"
#include "designer/ui/uEinzField.h"
#include "designer/ui/uFileUpload.h"
#include "designer/ui/uHtmlEdit.h"
#include "designer/ui/uListBox.h"
#include "designer/ui/uMehrzField.h"
#include "designer/ui/uPassField.h"
#include "designer/ui/uRadioButtons.h"
#include "designer/ui/uZwText.h"

namespace vq::ui {

DialogEditorAccess::DialogEditorAccess(UserQuestions *prompts)
    : m_prompts(prompts ? *prompts : m_ownPrompts)
{
}

DialogEditorAccess::~DialogEditorAccess()
{
    delete m_einz.data();
    delete m_pass.data();
    delete m_mehrz.data();
    delete m_listBox.data();
    delete m_checkBox.data();
    delete m_radio.data();
    delete m_fileUpload.data();
    delete m_zwText.data();
    delete m_artikel.data();
}

template <class Dialog> Dialog &DialogEditorAccess::dialog(QPointer<Dialog> &slot, QWidget *parent)
{
    if (!slot) {
        slot = new Dialog(m_prompts, parent);
        if constexpr (requires(Dialog & d) { d.setHtmlEditor(HtmlEditorCall()); })
            slot->setHtmlEditor(
                [this](QWidget *owner, QString &text) { return editHtml(owner, text); });
    } else if (parent && slot->parentWidget() != parent) {
        // The dialog stays modal over the window that opens it now.
        const Qt::WindowFlags flags = slot->windowFlags();
        slot->setParent(parent, flags);
    }
    return *slot;
}

TfrmEinzField &DialogEditorAccess::einzField(QWidget *parent)
{
    return dialog(m_einz, parent);
}
TfrmPassField &DialogEditorAccess::passField(QWidget *parent)
{
    return dialog(m_pass, parent);
}
TfrmMehrzField &DialogEditorAccess::mehrzField(QWidget *parent)
{
    return dialog(m_mehrz, parent);
}
TfrmListBox &DialogEditorAccess::listBox(QWidget *parent)
{
    return dialog(m_listBox, parent);
}
TfrmCheckBox &DialogEditorAccess::checkBox(QWidget *parent)
{
    return dialog(m_checkBox, parent);
}
TfrmRadioButtons &DialogEditorAccess::radioButtons(QWidget *parent)
{
    return dialog(m_radio, parent);
}
TfrmFileUpload &DialogEditorAccess::fileUpload(QWidget *parent)
{
    return dialog(m_fileUpload, parent);
}
TfrmZwText &DialogEditorAccess::zwText(QWidget *parent)
{
    return dialog(m_zwText, parent);
}
TfrmArtikel &DialogEditorAccess::artikel(QWidget *parent)
{
    return dialog(m_artikel, parent);
}

template <class Dialog, class Field>
bool DialogEditorAccess::runFieldDialog(Dialog &dialog, Field &field, int feldNr, bool isNew,
                                        const FieldList &fields)
{
    if (isNew) {
        dialog.ClearAll();
    } else {
        dialog.feldNr = feldNr;
        dialog.LoadFromObject(field);
    }
    dialog.setFieldList(&fields);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog.setFieldList(nullptr);
    if (accepted)
        dialog.SaveToObject(field);
    return accepted;
}

bool DialogEditorAccess::editField(QWidget *parent, TFormField &field, int feldNr, bool isNew,
                                   const FieldList &fields)
{
    switch (field.kind()) {
    case FieldKind::Einz:
        return runFieldDialog(einzField(parent), static_cast<TEinzField &>(field), feldNr, isNew,
                              fields);
    case FieldKind::Pass:
        return runFieldDialog(passField(parent), static_cast<TPassField &>(field), feldNr, isNew,
                              fields);
    case FieldKind::Mehrz:
        return runFieldDialog(mehrzField(parent), static_cast<TMehrzField &>(field), feldNr, isNew,
                              fields);
    case FieldKind::DropDown:
        return runFieldDialog(listBox(parent), static_cast<TDropDownField &>(field), feldNr, isNew,
                              fields);
    case FieldKind::CheckBox:
        return runFieldDialog(checkBox(parent), static_cast<TCheckBoxField &>(field), feldNr, isNew,
                              fields);
    case FieldKind::Radio:
        return runFieldDialog(radioButtons(parent), static_cast<TRadioField &>(field), feldNr,
                              isNew, fields);
    case FieldKind::File:
        return runFieldDialog(fileUpload(parent), static_cast<TFileField &>(field), feldNr, isNew,
                              fields);
    case FieldKind::Zw: {
        // No name, so no name check and no feldNr.
        TfrmZwText &zw = zwText(parent);
        auto &zwField = static_cast<TZwField &>(field);
        if (isNew)
            zw.ClearAll();
        else
            zw.LoadFromObject(zwField);
        if (zw.exec() != QDialog::Accepted)
            return false;
        zw.SaveToObject(zwField);
        return true;
    }
    }
    return false;
}

bool DialogEditorAccess::editArticle(QWidget *parent, TArtikelField &artikel, bool isNew)
{
    TfrmArtikel &dialog = this->artikel(parent);
    dialog.attach(&artikel);
    if (isNew)
        dialog.ClearAll();
    else
        dialog.LoadFromObject();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted)
        dialog.SaveToObject();
    dialog.attach(nullptr);
    return accepted;
}

bool DialogEditorAccess::editHtml(QWidget *parent, QString &text)
{
    return editHtmlSnippet(parent, m_prompts, text);
}

} // namespace vq::ui
