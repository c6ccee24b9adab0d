#include "tests/support/scripted_questions.h"

#include <gtest/gtest.h>

namespace vq::test {

namespace {

template <class T> std::optional<T> take(std::deque<T> &queue)
{
    if (queue.empty())
        return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

} // namespace

void TScriptedQuestions::question(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    asked << text;
    questions.push_back({icon, title, text});
}

bool TScriptedQuestions::nextYesNo()
{
    return take(answers).value_or(unscriptedYes);
}

QMessageBox::StandardButton TScriptedQuestions::ask(QWidget *, QMessageBox::Icon icon,
                                                    const QString &title, const QString &text,
                                                    QMessageBox::StandardButtons)
{
    question(icon, title, text);
    const auto answer = take(buttons);
    if (!answer)
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
    return answer.value_or(QMessageBox::Cancel);
}

void TScriptedQuestions::tell(QWidget *, QMessageBox::Icon icon, const QString &title,
                              const QString &text)
{
    told.push_back({icon, title, text});
}

bool TScriptedQuestions::askYesNo(QWidget *, const QString &title, const QString &text)
{
    question(QMessageBox::Question, title, text);
    return nextYesNo();
}

bool TScriptedQuestions::askWarningYesNo(QWidget *, const QString &title, const QString &text)
{
    question(QMessageBox::Warning, title, text);
    return nextYesNo();
}

TScriptedQuestions::Answer TScriptedQuestions::askYesNoCancel(QWidget *, const QString &title,
                                                              const QString &text)
{
    question(QMessageBox::Question, title, text);
    return take(threeWay).value_or(Answer::Cancel);
}

void TScriptedQuestions::showInformation(QWidget *, const QString &title, const QString &text)
{
    told.push_back({QMessageBox::Information, title, text});
    informations << text;
}

void TScriptedQuestions::showError(QWidget *, const QString &title, const QString &text)
{
    told.push_back({QMessageBox::Critical, title, text});
    errors << text;
}

void TScriptedQuestions::message(QWidget *, const QString &text)
{
    told.push_back({QMessageBox::NoIcon, QString(), text});
    messages << text;
}

bool TScriptedQuestions::confirm(QWidget *, const QString &text)
{
    question(QMessageBox::Question, QStringLiteral("Bestätigung"), text);
    return nextYesNo();
}

std::optional<QString> TScriptedQuestions::askText(QWidget *, const QString &, const QString &,
                                                   const QString &)
{
    return text;
}

QString TScriptedQuestions::openFileName(QWidget *, const QString &, const QString &)
{
    ++openDialogs;
    return take(openNames).value_or(QString());
}

QString TScriptedQuestions::saveFileName(QWidget *, const QString &, const QString &suggestion,
                                         const QString &)
{
    suggestions << suggestion;
    return take(saveNames).value_or(fileName);
}

std::optional<QColor> TScriptedQuestions::pickColour(QWidget *, const QString &, const QColor &)
{
    return colour;
}

std::optional<QFont> TScriptedQuestions::pickFont(QWidget *, const QFont &)
{
    return font;
}

int TScriptedQuestions::runModal(QDialog &dialog)
{
    return modal(dialog);
}

bool TScriptedQuestions::openWithSystem(QWidget *, const QString &path)
{
    opened << path;
    return openSucceeds;
}

void TScriptedQuestions::openUrl(const QString &address)
{
    urls.push_back(address);
}

void TScriptedQuestions::startProgram(const QString &path)
{
    programs.push_back(path);
}

} // namespace vq::test
