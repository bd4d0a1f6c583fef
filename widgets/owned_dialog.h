#pragma once

#include <QRect>

class QWidget;

namespace orb {

enum class DialogPlace
{
    Centre, // centred on the owner, or on the screen without one
    Keep,   // where the dialog put itself
};

// A question, message or editor opens over the window it was given as parent (its owner):
// a transient of it, which the window manager focuses like any new window of the program in
// use, and above it in the stacking order whatever that window's layer. Without an owner it
// opens on the screen above topmost windows. Call once, before the dialog is first shown;
// every later show is handled the same way.
void OpenOverOwner(QWidget* dialog, DialogPlace place = DialogPlace::Centre);

// The outer (frame) rectangle of `frame` size centred on `owner`, moved inside `available`
// as far as it fits.
QRect CentredOn(const QRect& owner, const QSize& frame, const QRect& available);

} // namespace orb
