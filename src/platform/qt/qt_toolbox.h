// The toolbox on Qt widgets: what the executable and the widget tests need
// beyond platform/toolbox.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

class QWidget;
class QIcon;
class QImage;

// The widget of a window or of one of its controls (nullptr when none).
QWidget* qtToolboxWindow(std::int16_t window);
QWidget* qtToolboxControl(std::int16_t window, std::int16_t control);

// Answers alerts without showing them (tests): given the title, true for the
// default button. An empty function shows them again.
void qtToolboxSetAlertResponder(std::function<bool(std::string_view title)> responder);

// The program's own icons, drawn at any size; a null icon for an unknown name.
QIcon drawnIcon(std::string_view name);
// One drawn icon at a size in pixels, for image files (a null image when
// there is no icon of that name).
QImage drawnIconImage(std::string_view name, int size);
