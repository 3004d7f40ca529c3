#pragma once
// The entry habits of the posting window and the transfer dialog for plain
// text boxes: yellow while focused with the whole text selected, the window
// colour back when left, and Enter either moving on with a Tab keystroke or
// running the action given.
#include <functional>

class QLineEdit;

namespace ui {

void RealcarCampo(QLineEdit *campo, std::function<void()> aoEnter = {});

} // namespace ui
