#pragma once

#include "dialogs/edit_dialog.h"
#include "dialogs/option_editor_model.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QTimeEdit;
class QSpinBox;

namespace orb {

// The options dialog: shows some of the user's settings and, on Save, writes the input into
// `values`. It does no file work; after Accepted the opener stores `values`.
class COptionDlg : public CEditDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 158;
    static constexpr int kUserId = 1033;
    static constexpr int kPassId = 1030;
    static constexpr int kKeyId = 1042;
    static constexpr int kAllExpendId = 1035;
    static constexpr int kDueHideId = 1043;
    static constexpr int kStartWithDesktopId = 1044;
    static constexpr int kRemindersId = 1045;
    static constexpr int kTaskReminderTimeId = 1046;
    static constexpr int kSyncMinutesId = 1047;
    static constexpr int kFromId = 1000;
    static constexpr int kToId = 1001;
    static constexpr int kAllId = 1007;
    static constexpr int kCompletedId = 1008;
    static constexpr int kNeedsActionId = 1028;
    static constexpr int kSaveId = 1031;
    static constexpr int kCancelId = 1032;
    // The object name of a masked box's "show" toggle is the box's id followed by this.
    static constexpr const char* kShowSuffix = "show";

    explicit COptionDlg(QWidget* parent = nullptr);

    OptionValues values; // filled by the opener; written only by Save
    // exec() == QDialog::Accepted after Save.

protected:
    void InitDialog() override;
    QWidget* FirstField() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* AddMaskedBox(int id, int top);
    void OnSave();
    OptionFields ReadFields() const;

    QLineEdit* user_;
    QLineEdit* pass_;
    QLineEdit* key_;
    QCheckBox* allExpend_;
    QCheckBox* dueHide_;
    QCheckBox* startWithDesktop_;
    QCheckBox* reminders_;
    QTimeEdit* taskReminderTime_;
    QSpinBox* syncMinutes_;
    QLineEdit* from_;
    QLineEdit* to_;
    QButtonGroup* viewChoice_;
};

} // namespace orb
