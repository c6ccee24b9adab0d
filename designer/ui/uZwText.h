// Editor of intermediate text rows: one HTML text, with the HTML editor behind
// its "..." button.
#pragma once

#include "designer/model/vqform.h"
#include "designer/ui/editor_prompts.h"

#include <QDialog>

class QPlainTextEdit;

namespace vq::ui {

class TfrmZwText : public QDialog
{
public:
    TfrmZwText(UserQuestions &prompts, QWidget *parent = nullptr);

    void setHtmlEditor(HtmlEditorCall editor) { m_htmlEditor = std::move(editor); }

    // Empties the text box only.
    void ClearAll();
    void LoadFromObject(const TZwField &myField);
    // Writes Beschriftung only.
    void SaveToObject(TZwField &myField) const;

private:
    void btnHtmlClick();

    UserQuestions &m_prompts;
    HtmlEditorCall m_htmlEditor;
    QPlainTextEdit *m_memoText = nullptr;
};

} // namespace vq::ui
