// Helpers of the invoice window tests: scripted answers to every question the
// windows ask, recording what was asked and shown.
#pragma once

#include "user_questions.h"
#include "widget_test_support.h"

#include <QStringList>
#include <deque>

namespace vq::test {

class TScriptedQuestions : public invoice::TUserQuestions
{
public:
    using Answer = invoice::TUserQuestions::Answer;

    std::deque<bool> answers;         // askYesNo / askWarningYesNo; "Nein" when empty
    std::deque<Answer> threeWay;      // askYesNoCancel; Cancel when empty
    QStringList asked;                // every question's text, in order
    QStringList informations, errors; // every message shown
    QString fileName;                 // saveFileName's answer; empty: cancelled
    QStringList suggestions;          // each file dialog's suggestion
    std::optional<QFont> font;        // pickFont's answer; nullopt: cancelled
    QStringList opened;               // every path handed to the desktop
    bool openSucceeds = true;

    bool askYesNo(QWidget *, const QString &, const QString &text) override { return next(text); }
    bool askWarningYesNo(QWidget *, const QString &, const QString &text) override
    {
        return next(text);
    }
    Answer askYesNoCancel(QWidget *, const QString &, const QString &text) override
    {
        asked << text;
        if (threeWay.empty())
            return Answer::Cancel;
        const Answer answer = threeWay.front();
        threeWay.pop_front();
        return answer;
    }
    void showInformation(QWidget *, const QString &, const QString &text) override
    {
        informations << text;
    }
    void showError(QWidget *, const QString &, const QString &text) override { errors << text; }
    QString saveFileName(QWidget *, const QString &, const QString &suggestion,
                         const QString &) override
    {
        suggestions << suggestion;
        return fileName;
    }
    std::optional<QFont> pickFont(QWidget *, const QFont &) override { return font; }
    bool openWithSystem(QWidget *, const QString &path) override
    {
        opened << path;
        return openSucceeds;
    }

private:
    bool next(const QString &text)
    {
        asked << text;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace vq::test
