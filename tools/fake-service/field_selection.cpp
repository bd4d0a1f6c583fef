#include "tools/fake-service/field_selection.h"

#include <vector>

namespace orb::fake {

namespace {

constexpr std::string_view kWildcard = "*";
// Deeper than any resource of these APIs; keeps a hostile selector from exhausting the stack.
constexpr int kDeepestSelection = 32;

bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void Merge(FieldSelection& into, const FieldSelection& from)
{
    into.whole = into.whole || from.whole;
    for (const auto& [name, child] : from.members)
        Merge(into.members[name], child);
}

class SelectorParser
{
public:
    explicit SelectorParser(std::string_view text) : text_(text) {}

    std::optional<FieldSelection> Parse()
    {
        FieldSelection selection;
        if (!ParseList(selection, 0) || at_ != text_.size())
            return std::nullopt;
        return selection;
    }

private:
    // field ("," field)*
    bool ParseList(FieldSelection& into, int depth)
    {
        if (depth > kDeepestSelection)
            return false;
        do {
            if (!ParseField(into, depth))
                return false;
        } while (Take(','));
        return true;
    }

    // name ("/" name)* ["(" list ")"]
    bool ParseField(FieldSelection& into, int depth)
    {
        std::vector<std::string> path;
        do {
            std::string name;
            if (!ParseName(name))
                return false;
            path.push_back(std::move(name));
        } while (Take('/'));
        FieldSelection leaf;
        if (Take('(')) {
            if (!ParseList(leaf, depth + 1) || !Take(')'))
                return false;
        } else {
            leaf.whole = true;
        }
        FieldSelection* node = &into;
        for (const std::string& name : path)
            node = &node->members[name];
        Merge(*node, leaf);
        return true;
    }

    bool ParseName(std::string& name)
    {
        if (Take('*')) {
            name = kWildcard;
            return true;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && IsNameCharacter(text_[at_]))
            ++at_;
        name = text_.substr(start, at_ - start);
        return !name.empty();
    }

    bool Take(char c)
    {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

std::optional<FieldSelection> ParseFieldSelection(std::string_view text)
{
    return SelectorParser(text).Parse();
}

namespace {

// False when nothing of `value` is selected: a scalar asked for members it cannot have.
bool Select(const Json::Value& value, const FieldSelection& selection, Json::Value& selected)
{
    if (selection.whole) {
        selected = value;
        return true;
    }
    if (value.isArray()) {
        selected = Json::Value(Json::arrayValue);
        for (const Json::Value& element : value) {
            Json::Value kept;
            if (Select(element, selection, kept))
                selected.append(std::move(kept));
        }
        return true;
    }
    if (!value.isObject())
        return false;
    selected = Json::Value(Json::objectValue);
    const auto wildcard = selection.members.find(kWildcard);
    for (const std::string& name : value.getMemberNames()) {
        auto child = selection.members.find(name);
        if (child == selection.members.end())
            child = wildcard;
        Json::Value kept;
        if (child != selection.members.end() && Select(value[name], child->second, kept))
            selected[name] = std::move(kept);
    }
    return true;
}

} // namespace

Json::Value SelectFields(const Json::Value& document, const FieldSelection& selection)
{
    Json::Value selected;
    Select(document, selection, selected);
    return selected;
}

} // namespace orb::fake
