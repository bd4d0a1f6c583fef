#pragma once

#include "core/color_ref.h"
#include "service/records.h"

#include <array>
#include <string>
#include <string_view>

namespace orb {

constexpr int kCalendarColourCount = 24;

// Google Calendar's calendar colours; entry i is calendar colour id i + 1.
inline constexpr std::array<std::string_view, kCalendarColourCount> CalendarColorTable = {
    "#ac725e", "#d06b64", "#f83a22", "#fa573c", "#ff7537", "#ffad46", "#42d692", "#16a765",
    "#7bd148", "#b3dc6c", "#fbe983", "#fad165", "#92e1c0", "#9fe1e7", "#9fc6e7", "#4986e7",
    "#9a9cff", "#b99aff", "#c2c2c2", "#cabdbf", "#cca6ac", "#f691b2", "#cd74e6", "#a47ae2",
};

// What the calendar editor's text boxes show and the user changes.
struct CalendarEditorFields
{
    std::string summary;
    std::string description; // line breaks as the box holds them ("\r\n" or "\n")
};

enum class CalendarColourField
{
    Foreground,
    Background,
};

// The calendar editor without its window. It edits the caller's record in place: colours
// the user confirms are written at once, the texts and the colour id on Save.
class CalendarEditorModel
{
public:
    // Colour index 0 keeps the calendar's colour id; 1..24 are calendar colour ids.
    static constexpr int kColourCount = kCalendarColourCount + 1;

    explicit CalendarEditorModel(CalendarRecord& calendar) : calendar_(calendar) {}

    CalendarEditorFields Fields() const;
    ColorRef ButtonColour(CalendarColourField field) const;

    // Indexes outside 0..24 are ignored.
    void SelectColour(int index);
    int colourIndex() const { return colourIndex_; }
    ColorRef SwatchColour(int index) const;

    void ConfirmColour(CalendarColourField field, ColorRef colour);
    bool foregroundChanged() const { return foregroundChanged_; }
    bool backgroundChanged() const { return backgroundChanged_; }

    void Save(const CalendarEditorFields& fields);

private:
    CalendarRecord& calendar_;
    int colourIndex_ = 0;
    bool foregroundChanged_ = false;
    bool backgroundChanged_ = false;
};

} // namespace orb
