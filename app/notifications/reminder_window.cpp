#include "app/notifications/reminder_window.h"

#include "app/notifications/reminder_texts.h"
#include "resources/resources.h"
#include "translations/qt_text.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace orb {

namespace {

constexpr const char* kTitle = ORB_TEXT("OrbCalender", "Reminder");
constexpr int kWidth = 320;
constexpr int kMargin = 16; // from the corner of the screen's free area

QPushButton* AddButton(QHBoxLayout* row, const char* text, const char* name)
{
    auto* button = new QPushButton(UiText(text));
    button->setObjectName(name);
    row->addWidget(button);
    return button;
}

} // namespace

CReminderWindow::CReminderWindow(const Reminder& reminder)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(kObjectName);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(UiText(kTitle));
    setWindowIcon(ApplicationIcon());
    setFixedWidth(kWidth);

    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(QString::fromStdString(reminder.summary));
    auto* body = new QLabel(QString::fromStdString(reminder.body));
    for (QLabel* label : {summary, body}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    QFont bold = summary->font();
    bold.setBold(true);
    summary->setFont(bold);

    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    connect(AddButton(row, kReminderOpenText, kOpenName), &QPushButton::clicked, this, [this, reminder] {
        close();
        emit openRequested(reminder);
    });
    connect(AddButton(row, kReminderSnoozeText, kSnoozeName), &QPushButton::clicked, this, [this, key = reminder.key] {
        close();
        emit snoozeRequested(key);
    });
    connect(AddButton(row, kReminderDismissText, kDismissName), &QPushButton::clicked, this, &QWidget::close);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        move(free.right() - width() - kMargin, free.bottom() - height() - kMargin);
    }
}

} // namespace orb
