#include "app/qt_helpers/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace orb {
namespace {

struct SeenBox
{
    QString text;
    Qt::TextFormat format = Qt::AutoText;
};

// Reads the box that `ask` opens, then closes it the way Exit does.
SeenBox WhileBoxOpen(const std::function<void()>& ask)
{
    SeenBox seen;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.text = box->text();
            seen.format = box->textFormat();
            box->reject();
        }
    });
    ask();
    return seen;
}

TEST(QtPrompter, ServiceTextIsShownPlainAndALongOneIsCut)
{
    QtPrompter prompter;
    const std::string link = R"(503 <a href="https://attacker.example/signin">Sign in again</a> <b>x</b>)";
    const SeenBox linked = WhileBoxOpen([&] { prompter.ShowMessage(link); });
    EXPECT_EQ(linked.format, Qt::PlainText);
    EXPECT_EQ(linked.text.toStdString(), link);

    const SeenBox huge = WhileBoxOpen([&] { prompter.ShowMessage(std::string(1 << 20, 'e')); });
    EXPECT_EQ(huge.text.size(), static_cast<qsizetype>(QtPrompter::kLongestText + 1));
    EXPECT_TRUE(huge.text.endsWith(QChar(0x2026)));

    // A question closed without an answer is not a Yes.
    bool yes = true;
    const SeenBox question = WhileBoxOpen([&] { yes = prompter.AskYesNo("<i>delete?</i>"); });
    EXPECT_FALSE(yes);
    EXPECT_EQ(question.format, Qt::PlainText);
}

} // namespace
} // namespace orb
