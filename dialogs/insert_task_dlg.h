#pragma once

#include "core/clock.h"
#include "core/ui_text.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/task_editor_model.h"
#include "tasks/task_records.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace orb {

// The task editor: creates or changes a task, or, title only, a task list. It does no
// network work; after Accepted the opener sends `task`.
class CInsertTaskDlg : public CEditDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 155;
    static constexpr int kTitleLabelId = 1016;
    static constexpr int kTitleId = 1000;
    static constexpr int kDueLabelId = 1014;
    static constexpr int kDueDateId = 1013;
    static constexpr int kDueCheckId = 1017;
    static constexpr int kNoteLabelId = 1012;
    static constexpr int kNoteId = 1009;
    static constexpr int kNeedsActionId = 1007;
    static constexpr int kCompleteId = 1008;
    static constexpr int kInsertId = 1006;
    static constexpr int kCancelId = 1011;
    // What list mode takes off the bottom of the window.
    static constexpr int kListModeShrink = 130;

    static constexpr const char* kInsertText = ORB_TEXT("OrbCalender", "Insert");
    static constexpr const char* kUpdateText = ORB_TEXT("OrbCalender", "Update");

    explicit CInsertTaskDlg(QWidget* parent = nullptr);

    TaskInfo task;         // filled by the opener, edited in place
    bool listMode = false; // title only (a task list)
    bool updateMode = false;
    // exec() == QDialog::Accepted after Insert/Update.

    // The picker's day for a task without a due date; the system clock unless a test says otherwise.
    void SetClock(const Clock& clock) { clock_ = &clock; }

protected:
    void InitDialog() override;
    QWidget* FirstField() const override;

private:
    void OnInsert();
    TaskEditorFields ReadFields() const;

    SystemClock systemClock_;
    const Clock* clock_ = &systemClock_;
    TaskEditorModel model_;

    QLineEdit* title_;
    QLabel* dueLabel_;
    QDateEdit* due_;
    QCheckBox* dueCheck_;
    QLabel* noteLabel_;
    QPlainTextEdit* note_;
    QRadioButton* needsAction_;
    QRadioButton* complete_;
    QButtonGroup* status_;
    QPushButton* insert_;
    QPushButton* cancel_;
};

} // namespace orb
