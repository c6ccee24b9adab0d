// The modal questions and pickers of the editor dialogs, behind one seam so
// tests answer them without a real message box.
#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace vq::ui {

class TEditorPrompts
{
public:
    virtual ~TEditorPrompts() = default;

    // A plain message with one OK button.
    virtual void message(QWidget *parent, const QString &text) = 0;
    // A question with "Ja" and "Nein"; true for "Ja".
    virtual bool askYesNo(QWidget *parent, const QString &text) = 0;
    // The colour dialog; nothing when it is cancelled.
    virtual std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) = 0;
    // A one-line text question; nothing when it is cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title,
                                           const QString &label, const QString &initial) = 0;
};

// The real message boxes and dialogs; a message is shown as plain text.
class TDialogPrompts : public TEditorPrompts
{
public:
    void message(QWidget *parent, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) override;
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label,
                                   const QString &initial) override;
};

// The message shown when the HTML editor cannot start.
QString htmlEditorUnavailableMessage();

// Opens the HTML snippet editor on text; true when it closed with acceptance
// and text took its source. Throws std::runtime_error when it cannot start.
using THtmlEditorCall = std::function<bool(QWidget *parent, QString &text)>;

// Runs the editor for a "..." button: when it cannot start (or none is set)
// the message is shown and text stays as it was.
bool runHtmlEditor(const THtmlEditorCall &editor, TEditorPrompts &prompts, QWidget *parent,
                   QString &text);

} // namespace vq::ui
