#pragma once

#include "widgets/accessible_announce.h"

#include <QAccessible>
#include <QString>

#include <vector>

namespace orb::test {

// What an assistive tool would have heard: each accessibility event with the name of the
// object it is about, recorded while an instance lives.
class AccessibleEvents
{
public:
    struct Heard
    {
        QAccessible::Event type;
        QString name;
        QAccessible::State changed; // for state changes
    };

    AccessibleEvents()
    {
        All().clear();
        previous_ = SetAccessibleListener(&Record);
    }
    ~AccessibleEvents() { SetAccessibleListener(previous_); }
    AccessibleEvents(const AccessibleEvents&) = delete;
    AccessibleEvents& operator=(const AccessibleEvents&) = delete;

    static std::vector<Heard>& All()
    {
        static std::vector<Heard> heard;
        return heard;
    }
    // The names of the events of one type, in order.
    static QStringList NamesOf(QAccessible::Event type)
    {
        QStringList names;
        for (const Heard& heard : All()) {
            if (heard.type == type)
                names.append(heard.name);
        }
        return names;
    }

private:
    static void Record(QAccessibleEvent* event)
    {
        QAccessibleInterface* iface = event->accessibleInterface();
        Heard heard{event->type(), iface ? iface->text(QAccessible::Name) : QString(), {}};
        if (event->type() == QAccessible::StateChanged)
            heard.changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
        All().push_back(heard);
    }

    AccessibleListener previous_ = nullptr;
};

} // namespace orb::test
