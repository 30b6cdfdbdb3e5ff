#include "platform/AppWatch.h"

#include <algorithm>

namespace quorvik::platform {

void AddName(std::vector<std::string>& names, std::string name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(std::move(name));
}

} // namespace quorvik::platform
