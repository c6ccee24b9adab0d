// Helpers of the window tests: scripted answers to the dialogs' questions and
// a way to act inside a modal dialog while its exec() runs.
#pragma once

#include "editor_prompts.h"
#include "widget_test_support.h"

#include <QStringList>
#include <deque>

namespace vq::test {

class TScriptedPrompts : public ui::TEditorPrompts
{
public:
    QStringList messages;
    QStringList questions;
    std::deque<bool> answers; // "Ja" when empty
    std::optional<QColor> colour;
    std::optional<QString> text;

    void message(QWidget *, const QString &message) override { messages << message; }
    bool askYesNo(QWidget *, const QString &question) override
    {
        questions << question;
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QColor> pickColour(QWidget *, const QColor &) override { return colour; }
    std::optional<QString> askText(QWidget *, const QString &, const QString &,
                                   const QString &) override
    {
        return text;
    }
};

} // namespace vq::test
