#pragma once

#include "app/shell_core/settings.h"

class QWidget;

namespace orb {

// Applies a stacking mode (1 Bottom, 2 Top, 3 Resizing, 4 Normal) to a borderless
// top-level window without moving, resizing or activating it, and without taking its
// keyboard focus away. Any other value is Bottom. The Resizing mode's sizing border is the
// window's own (ShellWindow).
void ApplyWindowMode(QWidget* window, int mode);
int NormalizedWindowMode(int mode);

// A window's outer rectangle as the settings keep it, and back.
WindowRect OuterRect(const QWidget* window);
void PlaceWindow(QWidget* window, const WindowRect& rect);

} // namespace orb
