#pragma once

#include "widgets/skin_scrollbar.h"

namespace orb {

class CSkinHorizontalScrollbar : public SkinScrollbar
{
public:
    explicit CSkinHorizontalScrollbar(QWidget* parent = nullptr) : SkinScrollbar(ScrollOrientation::Horizontal, parent)
    {}
};

} // namespace orb
