#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace moorvane::testing {

// Whole files as text, for tests that write inputs and read back what was stored.
inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Names each parameterised case after its `name` field.
inline constexpr auto caseName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace moorvane::testing
