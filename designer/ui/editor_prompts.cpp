#include "designer/ui/editor_prompts.h"

#include <stdexcept>

namespace vq::ui {

QString htmlEditorUnavailableMessage()
{
    return QStringLiteral("Der HTML-Editor konnte nicht gestartet werden.");
}

bool runHtmlEditor(const HtmlEditorCall &editor, UserQuestions &prompts, QWidget *parent,
                   QString &text)
{
    QString edited = text;
    try {
        if (!editor)
            throw std::runtime_error("no HTML editor");
        if (!editor(parent, edited))
            return false;
    } catch (const std::exception &) {
        prompts.message(parent, htmlEditorUnavailableMessage());
        return false;
    }
    text = edited;
    return true;
}

} // namespace vq::ui
