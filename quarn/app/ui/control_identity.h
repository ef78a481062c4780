#pragma once
// What every window gives its controls: the control id as object name, by which code and tests
// find them, and a tooltip passed through the program title. GUI thread only.

#include <QString>
#include <string_view>

class QWidget;

// `text` passed through the program title, as the windows show it.
QString TitledText(std::string_view text);

// Gives `control` the object name `id` and, unless `tip` is "", the tooltip TitledText(tip).
void IdentifyControl(QWidget* control, int id, std::string_view tip);

template <typename Control>
Control* Identify(Control* control, int id, std::string_view tip) {
    IdentifyControl(control, id, tip);
    return control;
}
