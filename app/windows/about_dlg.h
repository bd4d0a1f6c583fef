#pragma once

#include "core/ui_text.h"

#include <QDialog>

namespace orb {

// The about box: the program's name and version with an OK button.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 100;
    static constexpr const char* kTitle = ORB_TEXT("OrbCalender", "OrbCalender 정보");
    static constexpr const char* kVersionLine = ORB_TEXT("OrbCalender", "OrbCalender, 버전 1.0");

    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace orb
