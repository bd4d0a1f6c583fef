#include "dialogs/search_dlg.h"

#include "core/ui_text.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_header_ctrl.h"
#include "treelist/tree_list_item.h"
#include "treelist/tree_list_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QThreadPool>

#include <algorithm>
#include <mutex>

namespace orb {

namespace {

constexpr QColor kBackground(34, 34, 34);
constexpr QColor kText(220, 220, 220);
constexpr QColor kRowText(200, 200, 200);
constexpr int kRowsBackgroundColour = 1;
constexpr int kDefaultTextColour = 4;
// Results only: no check marks, nothing to drag.
constexpr std::uint32_t kResultsStyle =
    tls::kApplicationStyle & ~(tls::kCheckBoxes | tls::kDragItems | tls::kAcceptDrops | tls::kAcceptOwnDrops);

constexpr int kWidth = 520;
constexpr int kHeight = 440;
constexpr int kLineHeight = 24;
constexpr QRect kLabelRect(20, 14, 60, kLineHeight);
constexpr QRect kTextRect(85, 14, 300, kLineHeight);
constexpr QRect kButtonRect(395, 13, 90, 26);
constexpr int kTreeLeft = 20;
constexpr int kTreeTop = 50;
constexpr int kTreeRightMargin = 32;
constexpr int kTreeBottomMargin = 32;
constexpr int kStatusHeight = 20;
constexpr int kDueWidth = 100;
constexpr int kNameSlack = 105;
constexpr int kEventLevel = 3;
constexpr int kIdColumn = 3;

struct ColumnSpec
{
    const char* title;
    std::uint32_t format;
};
constexpr ColumnSpec kColumns[kSearchColumnCount] = {{ORB_TEXT("OrbCalender", "Description"), 0x504144},
                                                     {ORB_TEXT("OrbCalender", "Due"), 0x104444},
                                                     {ORB_TEXT("OrbCalender", "Memo"), 0x104144},
                                                     {ORB_TEXT("OrbCalender", "ID"), 0x104144}};

} // namespace

// What the pool's jobs share with the dialog: they deliver only while it is there.
struct CSearchDlg::Shared
{
    std::mutex mutex;
    CSearchDlg* dialog = nullptr;
};

CSearchDlg::CSearchDlg(QWidget* parent) : CEditDialog(parent), shared_(std::make_shared<Shared>())
{
    shared_->dialog = this;
    setObjectName(QString::number(kTemplateId));
    resize(kWidth, kHeight);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::WindowText, kText);
    colours.setColor(QPalette::ButtonText, kText);
    colours.setColor(QPalette::Button, kBackground);
    setPalette(colours);

    AddStatic(kSearchLabel, kLabelRect);
    text_ = new QLineEdit(this);
    Place(text_, kTextId, kTextRect);
    searchButton_ = AddButton(kSearchId, kSearchText, kButtonRect);
    status_ = AddStatic(kSearchingText, {});
    status_->hide();

    tree_ = new CTreeListCtrl(kResultsId, this);
    tree_->setObjectName(QString::number(kResultsId));
    tree_->SetStyle(kResultsStyle);
    for (const ColumnSpec& column : kColumns)
        tree_->InsertColumn(Translated(column.title), column.format);
    tree_->colours[kRowsBackgroundColour] = kBackground;
    tree_->textColours[kDefaultTextColour] = kRowText;
    tree_->SetNotifyHandler(this);

    // Enter searches from the text box and is swallowed everywhere else.
    connect(text_, &QLineEdit::returnPressed, this, &CSearchDlg::StartSearch);
    connect(searchButton_, &QPushButton::clicked, this, &CSearchDlg::StartSearch);
}

CSearchDlg::~CSearchDlg()
{
    std::lock_guard lock(shared_->mutex);
    shared_->dialog = nullptr;
}

void CSearchDlg::resizeEvent(QResizeEvent* event)
{
    CEditDialog::resizeEvent(event);
    const QRect area(kTreeLeft, kTreeTop, width() - kTreeRightMargin - kTreeLeft,
                     height() - kTreeBottomMargin - kTreeTop);
    tree_->setGeometry(area);
    status_->setGeometry(kTreeLeft, area.bottom() + 6, area.width(), kStatusHeight);
    tree_->SetColumnWidth(0, area.width() - kNameSlack);
    tree_->SetColumnWidth(1, kDueWidth);
    tree_->SetColumnWidth(2, 0);
    tree_->SetColumnWidth(3, 0);
}

void CSearchDlg::PaintClient(QPainter& painter)
{
    painter.setPen(CTreeListHeaderCtrl::kFaceColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

int CSearchDlg::OnTreeListNotify(const TreeListNotify& notify)
{
    std::string calendarId;
    if (notify.code == TreeListCode::DoubleClick) {
        if (const EventRecord* event = FoundEvent(notify.item, &calendarId)) {
            const EventRecord copy = *event; // the opener's edit may change the answers
            emit editEventRequested(calendarId, copy);
        }
    }
    return 0;
}

EventRecord* CSearchDlg::FoundEvent(const CTreeListItem* row, std::string* calendarId)
{
    if (!row || row->level != kEventLevel || !row->parent || row->texts[kIdColumn].empty())
        return nullptr;
    const std::string& calendar = row->parent->texts[kIdColumn];
    for (std::size_t index = 0; index < calendars.size() && index < answers_.size(); ++index) {
        if (calendars[index].id != calendar)
            continue;
        for (EventRecord& event : answers_[index].events) {
            if (event.id == row->texts[kIdColumn]) {
                *calendarId = calendar;
                return &event;
            }
        }
    }
    return nullptr;
}

void CSearchDlg::EventChanged(const std::string& calendarId, const EventRecord& event)
{
    CTreeListItem* root = tree_->GetRootItem()->firstChild;
    for (CTreeListItem* calendar = root ? root->firstChild : nullptr; calendar; calendar = calendar->nextSibling) {
        if (calendar->texts[kIdColumn] != calendarId)
            continue;
        for (CTreeListItem* row = calendar->firstChild; row; row = row->nextSibling) {
            std::string owner;
            EventRecord* found = FoundEvent(row, &owner);
            if (!found || found->id != event.id)
                continue;
            *found = event;
            const auto at = std::find_if(calendars.begin(), calendars.end(),
                                         [&](const SearchCalendar& c) { return c.id == calendarId; });
            const auto texts = EventRowTexts(event, at == calendars.end() ? std::string() : at->backgroundColor);
            for (int column = 0; column < kSearchColumnCount; ++column)
                tree_->SetItemText(column, row, texts[static_cast<std::size_t>(column)]);
        }
    }
}

void CSearchDlg::StartSearch()
{
    if (running_)
        return;
    tree_->DeleteAllItems();
    CTreeListItem* root = tree_->InsertItem(kRootText, kTliRoot, kTliLast);
    tree_->Expand(TreeListExpand::Expand, root);
    answers_.assign(calendars.size(), {});
    order_.Reset(calendars.size());
    if (calendars.empty() || !search)
        return;
    running_ = true;
    status_->show();
    setCursor(Qt::BusyCursor);

    QThreadPool* runner = pool ? pool : QThreadPool::globalInstance();
    const std::string text = text_->text().toStdString();
    for (std::size_t index = 0; index < calendars.size(); ++index) {
        runner->start([shared = shared_, index, id = calendars[index].id, text, search = search] {
            {
                std::lock_guard lock(shared->mutex);
                if (!shared->dialog)
                    return; // closed: the rest is not asked for
            }
            SearchAnswer answer = search(id, text);
            std::lock_guard lock(shared->mutex);
            if (CSearchDlg* dialog = shared->dialog) {
                // Queued on the dialog: dropped by Qt if it is deleted first.
                QMetaObject::invokeMethod(
                    dialog,
                    [dialog, index, answer = std::move(answer)]() mutable {
                        dialog->OnAnswer(index, std::move(answer));
                    },
                    Qt::QueuedConnection);
            }
        });
    }
}

void CSearchDlg::OnAnswer(std::size_t index, SearchAnswer answer)
{
    if (index >= answers_.size())
        return;
    answers_[index] = std::move(answer);
    for (const std::size_t ready : order_.Arrive(index))
        AddRows(SearchRows(calendars[ready], answers_[ready]));
    if (order_.Done())
        Finish();
}

void CSearchDlg::AddRows(const std::vector<SearchRow>& rows)
{
    CTreeListItem* root = tree_->GetRootItem()->firstChild;
    CTreeListItem* calendarRow = nullptr;
    for (const SearchRow& row : rows) {
        CTreeListItem* parent = row.level <= 2 ? root : calendarRow;
        if (!parent)
            continue;
        CTreeListItem* item = tree_->InsertItem(row.texts[0], parent, kTliLast);
        for (int column = 1; column < kSearchColumnCount; ++column)
            tree_->SetItemText(column, item, row.texts[static_cast<std::size_t>(column)]);
        if (row.level <= 2)
            calendarRow = item;
    }
    // Expanded once its rows are in, so a calendar with matches shows them.
    if (calendarRow)
        tree_->Expand(TreeListExpand::Expand, calendarRow);
}

void CSearchDlg::Finish()
{
    running_ = false;
    status_->hide();
    unsetCursor();
    emit searchFinished();
}

} // namespace orb
