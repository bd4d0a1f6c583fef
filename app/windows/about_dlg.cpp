#include "app/windows/about_dlg.h"

#include "translations/qt_text.h"
#include "widgets/owned_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace orb {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("aboutDialog");
    setWindowTitle(UiText(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* version = new QLabel(UiText(kVersionLine), this);
    version->setObjectName("aboutVersion");
    layout->addWidget(version);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    OpenOverOwner(this);
}

} // namespace orb
