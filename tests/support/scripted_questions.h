// Scripted answers to every question the windows of both programs ask
// (common_ui/questions.h), recording what was asked and shown.
#pragma once

#include "common_ui/questions.h"

#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <vector>

namespace vq::test {

class ScriptedQuestions : public ui::UserQuestions
{
public:
    struct Shown
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    // The answers, each taken in turn.
    std::deque<bool> answers;    // askYesNo, askWarningYesNo, confirm
    bool unscriptedYes = false;  // their answer once answers is used up
    std::deque<Answer> threeWay; // askYesNoCancel; Cancel when used up
    // ask(); one not scripted fails the test and answers Cancel.
    std::deque<QMessageBox::StandardButton> buttons;
    std::optional<QString> text;   // askText; nothing: cancelled
    std::deque<QString> openNames; // openFileName; empty: cancelled
    std::deque<QString> saveNames; // saveFileName, before fileName
    QString fileName;              // saveFileName once saveNames is used up; empty: cancelled
    std::optional<QColor> colour;  // pickColour; nothing: cancelled
    std::optional<QFont> font;     // pickFont; nothing: cancelled
    std::function<int(QDialog &)> modal = [](QDialog &) { return 0; }; // runModal: Rejected
    bool openSucceeds = true;                                          // openWithSystem

    // What the window asked and showed, in order.
    QStringList asked;            // every question's text
    std::vector<Shown> questions; // every question with its icon and title
    std::vector<Shown> told;      // every message with its icon and title
    QStringList informations;     // the texts of showInformation
    QStringList errors;           // the texts of showError
    QStringList messages;         // the texts of message
    QStringList suggestions;      // each save dialog's suggested name
    int openDialogs = 0;
    QStringList opened;            // every path handed to the desktop
    std::vector<QString> urls;     // every address handed to the desktop
    std::vector<QString> programs; // every program started
    std::vector<QUrl> helpPages;   // every help page with its section

    QMessageBox::StandardButton ask(QWidget *, QMessageBox::Icon icon, const QString &title,
                                    const QString &text,
                                    QMessageBox::StandardButtons buttons) override;
    void tell(QWidget *, QMessageBox::Icon icon, const QString &title,
              const QString &text) override;
    bool askYesNo(QWidget *, const QString &title, const QString &text) override;
    bool askWarningYesNo(QWidget *, const QString &title, const QString &text) override;
    Answer askYesNoCancel(QWidget *, const QString &title, const QString &text) override;
    void showInformation(QWidget *, const QString &title, const QString &text) override;
    void showError(QWidget *, const QString &title, const QString &text) override;
    void message(QWidget *, const QString &text) override;
    bool confirm(QWidget *, const QString &text) override;
    std::optional<QString> askText(QWidget *, const QString &title, const QString &label,
                                   const QString &initial) override;
    QString openFileName(QWidget *, const QString &title, const QString &filter) override;
    QString saveFileName(QWidget *, const QString &title, const QString &suggestion,
                         const QString &filter) override;
    std::optional<QColor> pickColour(QWidget *, const QString &title,
                                     const QColor &initial) override;
    std::optional<QFont> pickFont(QWidget *, const QFont &initial) override;
    int runModal(QDialog &dialog) override;
    bool openWithSystem(QWidget *, const QString &path) override;
    void openUrl(const QString &address) override;
    bool openHelp(QWidget *, const QUrl &page) override;
    void startProgram(const QString &path) override;

private:
    void question(QMessageBox::Icon icon, const QString &title, const QString &text);
    bool nextYesNo();
};

} // namespace vq::test
