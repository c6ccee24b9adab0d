// The editor dialogs ask through the questions seam both programs share
// (common_ui/questions.h); here the HTML snippet editor's start-up for the
// "..." buttons.
#pragma once

#include "common_ui/questions.h"

#include <QString>
#include <functional>

class QWidget;

namespace vq::ui {

// The message shown when the HTML editor cannot start.
QString htmlEditorUnavailableMessage();

// Opens the HTML snippet editor on text; true when it closed with acceptance
// and text took its source. Throws std::runtime_error when it cannot start.
using HtmlEditorCall = std::function<bool(QWidget *parent, QString &text)>;

// Runs the editor for a "..." button: when it cannot start (or none is set)
// the message is shown and text stays as it was.
bool runHtmlEditor(const HtmlEditorCall &editor, UserQuestions &prompts, QWidget *parent,
                   QString &text);

} // namespace vq::ui
