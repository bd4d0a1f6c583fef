#pragma once

#include "app/settings.h"

#include <QPoint>
#include <Qt>

class QWidget;

namespace orb {

// Applies a stacking mode (1 Bottom, 2 Top, 3 Resizing, 4 Normal) to a borderless
// top-level window without moving, resizing or activating it. Any other value is Bottom.
void ApplyWindowMode(QWidget* window, int mode);
int NormalizedWindowMode(int mode);

// A window's outer rectangle as the settings keep it, and back.
WindowRect OuterRect(const QWidget* window);
void PlaceWindow(QWidget* window, const WindowRect& rect);

// In the Resizing mode the outer few pixels act as a sizing border; these are the edges
// under `point` (in the window's own coordinates), none elsewhere.
Qt::Edges ResizeEdgesAt(const QWidget* window, const QPoint& point);
constexpr int kResizeBorder = 5;

} // namespace orb
