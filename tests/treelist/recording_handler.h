#pragma once

#include "treelist/tree_list_notify.h"

#include <functional>
#include <map>
#include <vector>

namespace orb::test {

// A parent that records every notification, runs a scripted action for a code and then
// replies from a table (0 when the code is not listed).
class RecordingHandler : public TreeListNotifyHandler
{
public:
    int OnTreeListNotify(const TreeListNotify& notify) override
    {
        notes.push_back(notify);
        const auto action = actions.find(notify.code);
        if (action != actions.end())
            action->second(notify);
        const auto reply = replies.find(notify.code);
        return reply == replies.end() ? 0 : reply->second;
    }

    std::vector<TreeListCode> Codes() const
    {
        std::vector<TreeListCode> codes;
        for (const TreeListNotify& note : notes)
            codes.push_back(note.code);
        return codes;
    }

    std::vector<TreeListNotify> notes;
    std::map<TreeListCode, int> replies;
    std::map<TreeListCode, std::function<void(const TreeListNotify&)>> actions;
};

} // namespace orb::test
