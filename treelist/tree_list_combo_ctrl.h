#pragma once

#include "treelist/in_place_editor.h"

#include <QComboBox>

namespace orb {

// The parent fills the choices when it hears -410.
class CTreeListComboCtrl : public InPlaceEditor<QComboBox>
{
public:
    explicit CTreeListComboCtrl(QWidget* parent) : InPlaceEditor<QComboBox>(parent) {}
};

} // namespace orb
