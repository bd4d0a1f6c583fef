#pragma once

#include "treelist/in_place_editor.h"

#include <QLabel>

namespace orb {

// Shows a cell's text over the cell without letting it be changed.
class CTreeListStaticCtrl : public InPlaceEditor<QLabel>
{
public:
    explicit CTreeListStaticCtrl(QWidget* parent) : InPlaceEditor<QLabel>(parent)
    {
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
        setTextFormat(Qt::PlainText); // a cell's text is never markup
    }
};

} // namespace orb
