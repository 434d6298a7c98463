// What a session of the dialog may not change beside the key: the Wine
// prefix with drive C:, the temporary folder, the registry.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct Surroundings {
    std::vector<std::wstring> prefix;
    std::vector<std::wstring> temp;
    std::vector<std::wstring> registry;
};

[[nodiscard]] Surroundings surroundings();
// Lists the surroundings again and checks them against `before`.
void check_surroundings_unchanged(const Surroundings& before, const std::string& when);

}  // namespace e2e
