#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace orb::bench {

// "1,10,50" from the command line as numbers.
inline std::vector<int> NumberList(const char* text)
{
    std::vector<int> numbers;
    std::stringstream items(text);
    for (std::string item; std::getline(items, item, ',');)
        numbers.push_back(std::atoi(item.c_str()));
    return numbers;
}

} // namespace orb::bench
