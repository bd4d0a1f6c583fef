#pragma once

#include "tasks/task_records.h"

#include <gtest/gtest.h>

#include <string>

namespace orb::test {

// The hierarchy below `parent` as "a(b,c),d", checking on the way that every node's
// back links agree with the forward ones.
inline std::string TreeText(const TaskNode& parent)
{
    std::string text;
    const TaskNode* previous = nullptr;
    for (const TaskNode* node = parent.firstChild; node; node = node->nextSibling) {
        EXPECT_EQ(node->parent, &parent) << node->task.id;
        EXPECT_EQ(node->prevSibling, previous) << node->task.id;
        if (previous)
            text += ",";
        text += node->task.id;
        if (node->firstChild)
            text += "(" + TreeText(*node) + ")";
        previous = node;
    }
    return text;
}

} // namespace orb::test
