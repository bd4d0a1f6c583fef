#include "dialogs/calendar_editor_model.h"

#include "dialogs/line_breaks.h"

namespace orb {

CalendarEditorFields CalendarEditorModel::Fields() const
{
    return {calendar_.summary, ToEditorLineBreaks(calendar_.description)};
}

ColorRef CalendarEditorModel::ButtonColour(CalendarColourField field) const
{
    return ColorRefFromText(field == CalendarColourField::Foreground ? calendar_.foregroundColor
                                                                     : calendar_.backgroundColor);
}

void CalendarEditorModel::SelectColour(int index)
{
    if (index >= 0 && index < kColourCount)
        colourIndex_ = index;
}

ColorRef CalendarEditorModel::SwatchColour(int index) const
{
    if (index <= 0 || index >= kColourCount)
        return ColorRefFromText(calendar_.backgroundColor);
    return ColorRefFromText(std::string(CalendarColorTable[static_cast<std::size_t>(index - 1)]));
}

void CalendarEditorModel::ConfirmColour(CalendarColourField field, ColorRef colour)
{
    if (field == CalendarColourField::Foreground) {
        calendar_.foregroundColor = ColourText(colour);
        foregroundChanged_ = true;
    } else {
        calendar_.backgroundColor = ColourText(colour);
        backgroundChanged_ = true;
    }
}

void CalendarEditorModel::Save(const CalendarEditorFields& fields)
{
    calendar_.summary = fields.summary;
    calendar_.description = ToStoredLineBreaks(fields.description);
    if (colourIndex_ > 0)
        calendar_.colorId = std::to_string(colourIndex_);
}

} // namespace orb
