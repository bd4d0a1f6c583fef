#pragma once

#include "widgets/skin_scrollbar.h"

namespace orb {

class CSkinVerticleScrollbar : public SkinScrollbar
{
public:
    explicit CSkinVerticleScrollbar(QWidget* parent = nullptr) : SkinScrollbar(ScrollOrientation::Vertical, parent) {}
};

} // namespace orb
