#include "dialogs/task_editor_model.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

constexpr LocalDateTime kToday{2026, 12, 8, 9, 30, 0};

TaskEditorModel Opened(const char* due, const char* notes = "", const char* status = "needsAction",
                       bool listMode = false, bool updateMode = true)
{
    TaskInfo task;
    task.title = "Home";
    task.due = due;
    task.notes = notes;
    task.status = status;
    TaskEditorModel model;
    model.Start(task, listMode, updateMode, kToday);
    return model;
}

TEST(TaskEditorModelTest, DueOpensOnItsDayOrAsNoDueDateAndSavesTheDayAloneAtUtcMidnight)
{
    TaskEditorModel model = Opened("2012-05-20T00:00:00.000Z");
    EXPECT_TRUE(model.initialFields().hasDue);
    EXPECT_EQ(model.initialFields().due, (LocalDateTime{2012, 5, 20, 0, 0, 0}));

    for (const char* due : {"", "1899-12-31T00:00:00.000Z", "2012-13-01", "2012-02-30", "20120520"}) {
        EXPECT_FALSE(Opened(due).initialFields().hasDue) << due;
        EXPECT_EQ(Opened(due).initialFields().due, kToday) << due;
    }

    // Late evening: a conversion through UTC would move the day.
    TaskEditorFields fields = model.initialFields();
    fields.due = {2012, 5, 20, 23, 59, 59};
    model.Save(fields);
    EXPECT_EQ(model.task().due, "2012-05-20T00:00:00.000Z");
    fields.hasDue = false;
    model.Save(fields);
    EXPECT_EQ(model.task().due, "");
}

TEST(TaskEditorModelTest, NotesShowWindowsLineBreaksAndAreStoredWithLineFeedsOnly)
{
    TaskEditorModel model = Opened("", "one\ntwo");
    TaskEditorFields fields = model.initialFields();
    EXPECT_EQ(fields.notes, "one\r\ntwo");
    fields.notes = "a\r\nb\r\r\nc\rd\r";
    model.Save(fields);
    EXPECT_EQ(model.task().notes, "a\nb\nc\rd\r") << "a lone carriage return is text, not a break";
}

TEST(TaskEditorModelTest, ANewTaskNeedsActionAndAnyOtherStoredStatusStaysCompleted)
{
    TaskEditorModel fresh = Opened("2012-05-20", "n", "completed", false, false);
    EXPECT_EQ(fresh.initialFields().title, "");
    EXPECT_FALSE(fresh.initialFields().hasDue);
    fresh.Save(fresh.initialFields());
    EXPECT_EQ(fresh.task().status, "needsAction");

    for (const char* status : {"completed", "", "unknown"}) {
        TaskEditorModel model = Opened("", "", status);
        EXPECT_EQ(model.initialFields().statusChoice, TaskEditorModel::kCompleteChoice) << status;
        model.Save(model.initialFields());
        EXPECT_EQ(model.task().status, "completed") << status;
    }
}

TEST(TaskEditorModelTest, AListSavesItsTitleAndNothingElse)
{
    TaskEditorModel model = Opened("2012-05-20", "n", "", true);
    TaskEditorFields fields = model.initialFields();
    EXPECT_EQ(fields.title, "Home");
    fields = {"Work", "changed", false, kToday, TaskEditorModel::kCompleteChoice};
    model.Save(fields);
    EXPECT_EQ(model.task().title, "Work");
    EXPECT_EQ(model.task().due, "2012-05-20");
    EXPECT_EQ(model.task().notes, "n");
    EXPECT_EQ(model.task().status, "");
}

} // namespace
} // namespace orb
