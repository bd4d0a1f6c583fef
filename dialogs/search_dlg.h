#pragma once

#include "core/ui_text.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/search_results.h"
#include "treelist/tree_list_notify.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QThreadPool;

namespace orb {

class CTreeListCtrl;

// Searches the calendars the opener hands over and lists the matches by calendar. The
// searches run on `pool`, side by side, while the dialog keeps painting; rows appear in
// calendar order as the answers come in. Closing abandons what is still running. A
// double-click on a found event asks the opener to edit it.
class CSearchDlg : public CEditDialog, public TreeListNotifyHandler
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 159;
    static constexpr int kTextId = 1000;
    static constexpr int kSearchId = 1034;
    static constexpr int kResultsId = 1002;

    static constexpr const char* kSearchLabel = ORB_TEXT("OrbCalender", "Search :");
    static constexpr const char* kSearchText = ORB_TEXT("OrbCalender", "Search");
    static constexpr const char* kSearchingText = ORB_TEXT("OrbCalender", "Searching . . .");
    static constexpr const char* kRootText = "Calendar's"; // named like the main tree's branch, which stays as written

    explicit CSearchDlg(QWidget* parent = nullptr);
    ~CSearchDlg() override;

    // Set by the opener before exec(): the calendars in store order, the blocking search
    // of one calendar (called on a pool thread) and the pool.
    std::vector<SearchCalendar> calendars;
    std::function<SearchAnswer(const std::string& calendarId, const std::string& text)> search;
    QThreadPool* pool = nullptr;

    CTreeListCtrl* Results() const { return tree_; }
    bool IsSearching() const { return running_; }

    // Search, as the button does; ignored while a search runs.
    void StartSearch();
    // After an edit the opener made: the event's row shows it as the service now holds it.
    void EventChanged(const std::string& calendarId, const EventRecord& event);

    int OnTreeListNotify(const TreeListNotify& notify) override;

signals:
    // Every answer is in (tests wait for it).
    void searchFinished();
    void editEventRequested(const std::string& calendarId, const orb::EventRecord& event);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Its edge, so the dark dialog stands apart from the dark main window.
    void PaintClient(QPainter& painter) override;

private:
    struct Shared;

    void OnAnswer(std::size_t index, SearchAnswer answer);
    void AddRows(const std::vector<SearchRow>& rows);
    void Finish();
    // The found event behind a row, or nullptr (a calendar row, a note).
    EventRecord* FoundEvent(const CTreeListItem* row, std::string* calendarId);

    QLineEdit* text_;
    QPushButton* searchButton_;
    QLabel* status_;
    CTreeListCtrl* tree_;
    std::shared_ptr<Shared> shared_;
    std::vector<SearchAnswer> answers_;
    InOrderRelease order_;
    bool running_ = false;
};

} // namespace orb
