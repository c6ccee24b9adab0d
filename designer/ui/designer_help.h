// The designer's help: its pages in help/ of the program folder, the section
// about each window and settings group, and the help window that shows them.
#pragma once

#include "common_ui/help_opener.h"
#include "common_ui/questions.h"

namespace vq::ui {

std::span<const HelpTopic> designerHelpTopics();
HelpBook designerHelp(const QString &programFolder);

// "Auf neue Version prüfen": new versions come through the system's package
// manager; the message says how.
void tellHowToUpdate(QWidget *parent, UserQuestions &dialogs);

// The designer's questions: help pages open in its own help window "Hilfe".
class DesignerQuestions : public UserQuestions
{
public:
    bool openHelp(QWidget *parent, const QUrl &page) override;
};

} // namespace vq::ui
