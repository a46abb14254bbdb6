// The look of the main window: its fonts, colours and style sheets, kept apart from the
// window's behaviour.
#pragma once

#include <QString>

namespace pel {

class MainWindow;

// The style sheet of the window itself: the caption colour behind every control.
QString windowStyleSheet();

// Fonts, colours and text alignment of every control of the form.
void styleControls(const MainWindow& window);

}  // namespace pel
