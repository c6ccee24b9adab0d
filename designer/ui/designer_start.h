// The designer's start in the window: the main window first, then the splash
// window over it, modal, until it closes, and only then the data folder, the
// lists and the project, so that the messages of a project that does not load
// stand over the main window.
#pragma once

#include <QString>

namespace vq::ui {

class TfrmMain;

void startDesigner(TfrmMain &window, const QString &projectPath);

} // namespace vq::ui
