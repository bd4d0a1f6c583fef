#pragma once

#include "treelist/in_place_editor.h"

#include <QLineEdit>

namespace orb {

class CTreeListEditCtrl : public InPlaceEditor<QLineEdit>
{
public:
    explicit CTreeListEditCtrl(QWidget* parent) : InPlaceEditor<QLineEdit>(parent) { setFrame(false); }
};

} // namespace orb
