#pragma once

#include "core/ui_text.h"
#include "dialogs/calendar_editor_model.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/swatch_strip.h"
#include "service/records.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orb {

class CColorButton;

// The calendar editor: summary, description, one of the 24 calendar colours, and free
// foreground and background colours. After Accepted the opener sends `calendar`.
class CInsertCalDlg : public CEditDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 160;
    static constexpr int kSummaryId = 1000;
    static constexpr int kDescriptionId = 1039;
    static constexpr int kForegroundId = 1040;
    static constexpr int kBackgroundId = 1041;
    static constexpr int kUpdateId = 1038;
    static constexpr int kCancelId = 1037;

    static constexpr const char* kForegroundLabel = ORB_TEXT("OrbCalender", "Foreground :");
    static constexpr const char* kBackgroundLabel = ORB_TEXT("OrbCalender", "Background :");
    static constexpr const char* kReadOnlyNote =
        ORB_TEXT("OrbCalender", "read-only calendar: only its colours can be changed");
    static constexpr const char* kNotOwnerNote =
        ORB_TEXT("OrbCalender", "only the calendar's owner can change its title and description");

    explicit CInsertCalDlg(QWidget* parent = nullptr);

    // Filled by the opener, edited in place. Unless its accessRole is "owner", only the
    // colours can change: the title and description boxes are disabled.
    CalendarRecord calendar;
    // Which colours the user confirmed in the colour buttons: only those are sent.
    bool foregroundChanged = false, backgroundChanged = false;

    int ColourIndex() const { return model_.colourIndex(); }
    const SwatchStrip& Swatches() const { return swatches_; }

protected:
    void InitDialog() override;
    QWidget* FirstField() const override;
    bool PressClient(const QPoint& point) override;
    void PaintClient(QPainter& painter) override;

private:
    void OnColourSelected(ColorRef colour, int controlId);
    void OnUpdate();

    CalendarEditorModel model_;

    QLineEdit* summary_;
    QPlainTextEdit* description_;
    CColorButton* foreground_;
    CColorButton* background_;
    QPushButton* update_;
    QPushButton* cancel_;
    QLabel* note_;
    SwatchStrip swatches_;
};

} // namespace orb
