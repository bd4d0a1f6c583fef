// Times the tree list with 10,000 rows: 10 top-level rows, 9 below each and 110 below
// those, shaped like the task branch of a busy account.

#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_style.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 15;
constexpr int kPaintsPerRun = 10;
constexpr int kScrollSteps = 100;
constexpr int kTopLevel = 10;
constexpr int kSecondLevel = 9;
constexpr int kThirdLevel = 110;
constexpr int kWidth = 500;
constexpr int kHeight = 700;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures
{
    std::vector<double> insert;
    std::vector<double> expand;
    std::vector<double> paint;
    std::vector<double> scroll;
};

void RunOnce(Figures& figures)
{
    QWidget host;
    host.resize(kWidth + 20, kHeight + 20);
    auto* tree = new orb::CTreeListCtrl(1002, &host);
    tree->setGeometry(0, 0, kWidth, kHeight);
    tree->SetStyle(orb::tls::kApplicationStyle);
    tree->InsertColumn("Name", 0x504144);
    tree->InsertColumn("Due", 0x104444);
    tree->InsertColumn("Memo", 0x104144);
    tree->InsertColumn("ID", 0x104144);
    tree->SetColumnWidth(0, kWidth - 113);
    tree->SetColumnWidth(1, 98);

    std::vector<orb::CTreeListItem*> parents;
    auto start = Clock::now();
    for (int i = 0; i < kTopLevel; ++i) {
        orb::CTreeListItem* top = tree->InsertItem("0xEF0000List " + std::to_string(i));
        parents.push_back(top);
        for (int j = 0; j < kSecondLevel; ++j) {
            orb::CTreeListItem* mid = tree->InsertItem("0x3366CCTask " + std::to_string(j), top);
            tree->SetItemText(1, mid, "2026-12-0" + std::to_string(1 + j));
            parents.push_back(mid);
            for (int k = 0; k < kThirdLevel; ++k) {
                orb::CTreeListItem* leaf = tree->InsertItem("0x33CC66Subtask " + std::to_string(k), mid);
                tree->SetItemText(1, leaf, k % 2 ? "2026-12-08" : "2027-01-15");
            }
        }
    }
    figures.insert.push_back(MillisecondsSince(start));

    start = Clock::now();
    for (orb::CTreeListItem* parent : parents)
        tree->Expand(orb::TreeListExpand::Expand, parent);
    figures.expand.push_back(MillisecondsSince(start));

    for (int i = 0; i < kPaintsPerRun; ++i) {
        start = Clock::now();
        tree->RenderImage();
        figures.paint.push_back(MillisecondsSince(start));
    }

    // Start in the middle, where every row on screen is a third-level row.
    tree->SetScrollPosition(orb::ScrollOrientation::Vertical, tree->Model().VisibleRowCount() / 2);
    start = Clock::now();
    for (int i = 0; i < kScrollSteps; ++i) {
        tree->Scroll(orb::ScrollOrientation::Vertical, orb::ScrollAction::LineForward);
        tree->RenderImage();
    }
    figures.scroll.push_back(MillisecondsSince(start));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Figures figures;
    for (int run = 0; run < kRuns; ++run)
        RunOnce(figures);

    const int rows = kTopLevel * (1 + kSecondLevel * (1 + kThirdLevel));
    std::printf("bench_tree_list: %d rows in three levels, %dx%d, median of %d runs\n", rows, kWidth, kHeight, kRuns);
    std::printf("  insert all rows          %8.2f ms\n", Median(figures.insert));
    std::printf("  expand all               %8.2f ms\n", Median(figures.expand));
    std::printf("  one full paint           %8.3f ms\n", Median(figures.paint));
    std::printf("  %d scroll steps (+paint) %8.2f ms\n", kScrollSteps, Median(figures.scroll));
    return 0;
}
