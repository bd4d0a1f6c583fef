#pragma once

#include <QDialog>

namespace orb {

// The about box: the program's name and version with an OK button.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 100;
    static constexpr const char* kTitle = "OrbCalender 정보";
    static constexpr const char* kVersionLine = "OrbCalender, 버전 1.0";

    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace orb
