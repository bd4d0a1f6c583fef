#pragma once

#include "core/clock.h"
#include "core/color_ref.h"
#include "core/prompter.h"
#include "core/ui_text.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/event_editor_model.h"
#include "dialogs/swatch_strip.h"
#include "service/records.h"

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace orb {

// The offset of an IANA time zone at a local reading, from Qt's time zone data.
std::optional<int> QtUtcOffset(const std::string& zone, const LocalDateTime& local);

// The event editor: creates an event or changes one. It does no network work; after
// Accepted the opener sends `event` to calendar `calendarIndex`.
class CInsertEventDlg : public CEditDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 156;
    static constexpr int kCalendarId = 1045;
    static constexpr int kSummaryId = 1021;
    static constexpr int kStartDateId = 1022;
    static constexpr int kStartTimeId = 1015;
    static constexpr int kEndDateId = 1014;
    static constexpr int kEndTimeId = 1016;
    static constexpr int kAllDayId = 1018;
    static constexpr int kRecurrenceId = 1023;
    static constexpr int kLocationId = 1001;
    static constexpr int kDescriptionId = 1002;
    static constexpr int kInsertId = 1019;
    static constexpr int kCancelId = 1020;

    static constexpr const char* kInsertText = ORB_TEXT("OrbCalender", "Insert");
    static constexpr const char* kUpdateText = ORB_TEXT("OrbCalender", "Update");
    static constexpr const char* kInvalidTimeAndDate = ORB_TEXT("OrbCalender", "Invalid Time & Date!!");
    static constexpr const char* kReadOnlyNote = ORB_TEXT("OrbCalender", "read-only calendar");

    CInsertEventDlg(Prompter& prompter, const Clock& clock, QWidget* parent = nullptr);

    // Set by the opener before the dialog is shown.
    EventRecord event;
    std::vector<std::string> calendarNames;
    std::vector<ColorRef> calendarColours;
    std::vector<std::string> startTimeZones, endTimeZones;
    int calendarIndex = -1;                 // -1 lets the user choose
    LocalDateTime defaultStart, defaultEnd; // the pickers' days (time ignored); left as they are, today
    bool updateMode = false;
    bool allDayDefault = true;
    bool readOnly = false;       // the calendar's events are only shown: nothing can be changed
    ColorRef calendarColour = 0; // with a preset calendarIndex: that calendar's colour
    // Accepted: `event`, `calendarIndex` and `calendarColour` hold the result.

    // Time zone offsets come from Qt unless a test says otherwise.
    void SetUtcOffsetLookup(UtcOffsetLookup lookup) { lookup_ = std::move(lookup); }

    int ColourIndex() const { return model_.colourIndex(); }
    const SwatchStrip& Swatches() const { return swatches_; }

protected:
    void InitDialog() override;
    QWidget* FirstField() const override;
    bool PressClient(const QPoint& point) override;
    void PaintClient(QPainter& painter) override;

private:
    void ShowTimes(bool shown);
    void OnCalendarChosen(int index);
    void OnStartDateChanged();
    void OnInsert();
    EventEditorFields ReadFields() const;

    Prompter& prompter_;
    const Clock& clock_;
    UtcOffsetLookup lookup_ = QtUtcOffset;
    EventEditorModel model_;
    bool filling_ = false;

    QComboBox* calendarBox_;
    QLineEdit* summary_;
    QDateEdit* startDate_;
    QTimeEdit* startTime_;
    QDateEdit* endDate_;
    QTimeEdit* endTime_;
    QCheckBox* allDay_;
    QCheckBox* recurrence_;
    QLineEdit* location_;
    QPlainTextEdit* description_;
    QPushButton* insert_;
    QPushButton* cancel_;
    QLabel* readOnlyNote_;
    SwatchStrip swatches_;
};

} // namespace orb
