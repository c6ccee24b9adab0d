// The invoice windows ask the user through the questions seam both programs
// share (common_ui/questions.h); the name stays where the windows look for it.
#pragma once

#include "common_ui/questions.h"

namespace vq::invoice {

using UserQuestions = vq::ui::UserQuestions;

} // namespace vq::invoice
