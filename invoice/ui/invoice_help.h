// The invoice module's help: its pages in help/ of the program folder and the
// section about each window.
#pragma once

#include "common_ui/help_opener.h"

namespace vq::invoice {

std::span<const ui::HelpTopic> invoiceHelpTopics();
ui::HelpBook invoiceHelp(const QString &programFolder);

} // namespace vq::invoice
