#include "fakes/Fixtures.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace moorvane::testing {

std::filesystem::path fixturePath(const std::string& name) {
    return std::filesystem::path(MOORVANE_FIXTURES) / name;
}

std::string readFixture(const std::string& name) {
    std::ifstream in(fixturePath(name), std::ios::binary);
    if (!in) throw std::runtime_error("missing fixture " + name);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "moorvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace moorvane::testing
