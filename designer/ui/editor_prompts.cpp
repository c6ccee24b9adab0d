#include "editor_prompts.h"

#include "plain_text.h"

#include <QApplication>
#include <QColorDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <stdexcept>

namespace vq::ui {

void TDialogPrompts::message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), QString(),
                    QMessageBox::Ok, parent);
    setPlainMessage(box, text);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool TDialogPrompts::askYesNo(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"), QString(),
                    QMessageBox::Yes | QMessageBox::No, parent);
    setPlainMessage(box, text);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QColor> TDialogPrompts::pickColour(QWidget *parent, const QColor &initial)
{
    const QColor colour = QColorDialog::getColor(initial, parent, QStringLiteral("Schriftfarbe"));
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::optional<QString> TDialogPrompts::askText(QWidget *parent, const QString &title,
                                               const QString &label, const QString &initial)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString htmlEditorUnavailableMessage()
{
    return QStringLiteral("Sie benötigen mindestens den InternetExplorer 5.5 zur Nutzung des "
                          "HTML-Editors.");
}

bool runHtmlEditor(const THtmlEditorCall &editor, TEditorPrompts &prompts, QWidget *parent,
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
