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

void ScriptedQuestions::question(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    asked << text;
    questions.push_back({icon, title, text});
}

bool ScriptedQuestions::nextYesNo()
{
    return take(answers).value_or(unscriptedYes);
}

QMessageBox::StandardButton ScriptedQuestions::ask(QWidget *, QMessageBox::Icon icon,
                                                   const QString &title, const QString &text,
                                                   QMessageBox::StandardButtons)
{
    question(icon, title, text);
    const auto answer = take(buttons);
    if (!answer)
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
    return answer.value_or(QMessageBox::Cancel);
}

void ScriptedQuestions::tell(QWidget *, QMessageBox::Icon icon, const QString &title,
                             const QString &text)
{
    told.push_back({icon, title, text});
}

bool ScriptedQuestions::askYesNo(QWidget *, const QString &title, const QString &text)
{
    question(QMessageBox::Question, title, text);
    return nextYesNo();
}

bool ScriptedQuestions::askWarningYesNo(QWidget *, const QString &title, const QString &text)
{
    question(QMessageBox::Warning, title, text);
    return nextYesNo();
}

ScriptedQuestions::Answer ScriptedQuestions::askYesNoCancel(QWidget *, const QString &title,
                                                            const QString &text)
{
    question(QMessageBox::Question, title, text);
    return take(threeWay).value_or(Answer::Cancel);
}

void ScriptedQuestions::showInformation(QWidget *, const QString &title, const QString &text)
{
    told.push_back({QMessageBox::Information, title, text});
    informations << text;
}

void ScriptedQuestions::showError(QWidget *, const QString &title, const QString &text)
{
    told.push_back({QMessageBox::Critical, title, text});
    errors << text;
}

void ScriptedQuestions::message(QWidget *, const QString &text)
{
    told.push_back({QMessageBox::NoIcon, QString(), text});
    messages << text;
}

bool ScriptedQuestions::confirm(QWidget *, const QString &text)
{
    question(QMessageBox::Question, QStringLiteral("Bestätigung"), text);
    return nextYesNo();
}

std::optional<QString> ScriptedQuestions::askText(QWidget *, const QString &, const QString &,
                                                  const QString &)
{
    return text;
}

QString ScriptedQuestions::openFileName(QWidget *, const QString &, const QString &)
{
    ++openDialogs;
    return take(openNames).value_or(QString());
}

QString ScriptedQuestions::saveFileName(QWidget *, const QString &, const QString &suggestion,
                                        const QString &)
{
    suggestions << suggestion;
    return take(saveNames).value_or(fileName);
}

std::optional<QColor> ScriptedQuestions::pickColour(QWidget *, const QString &, const QColor &)
{
    return colour;
}

std::optional<QFont> ScriptedQuestions::pickFont(QWidget *, const QFont &)
{
    return font;
}

int ScriptedQuestions::runModal(QDialog &dialog)
{
    return modal(dialog);
}

bool ScriptedQuestions::openWithSystem(QWidget *, const QString &path)
{
    opened << path;
    return openSucceeds;
}

void ScriptedQuestions::openUrl(const QString &address)
{
    urls.push_back(address);
}

bool ScriptedQuestions::openHelp(QWidget *, const QUrl &page)
{
    helpPages.push_back(page);
    return openSucceeds;
}

void ScriptedQuestions::startProgram(const QString &path)
{
    programs.push_back(path);
}

} // namespace vq::test
