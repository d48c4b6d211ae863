#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dock/DockManager.h"
#include "fakes/Fixtures.h"

namespace {

// More than a well-used Mac holds: 500 bundles over the five folders, some sharing an identifier.
class BundleTree {
  public:
    BundleTree() {
        const std::vector<std::string> folders = {"Applications", "Applications/Utilities",
                                                  "System/Applications", "System/Applications/Utilities",
                                                  "home/Applications"};
        for (int i = 0; i < 500; ++i) {
            const std::filesystem::path folder =
                dir_.path() / folders[static_cast<std::size_t>(i) % folders.size()];
            const std::filesystem::path contents =
                folder / ("App " + std::to_string(i) + ".app") / "Contents";
            std::filesystem::create_directories(contents);
            std::ofstream(contents / "Info.plist")
                << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                << "<key>CFBundleIdentifier</key><string>com.example.app" << (i % 460) << "</string>"
                << "<key>CFBundleName</key><string>" << (i % 2 ? "app " : "App ") << (i * 7919 % 500)
                << "</string><key>CFBundleShortVersionString</key><string>1.0</string>"
                << "<key>CFBundleExecutable</key><string>App</string></dict></plist>\n";
        }
        for (const auto& folder : folders) roots_.push_back((dir_.path() / folder).string());
    }
    const std::vector<std::string>& roots() const { return roots_; }

  private:
    moorvane::testing::TempDir dir_;
    std::vector<std::string> roots_;
};

void BM_ScanInstalledApps(benchmark::State& state) {
    const BundleTree tree;
    std::size_t found = 0;
    for (auto _ : state) {
        auto apps = moorvane::scanInstalledApps(tree.roots());
        found = apps.size();
        benchmark::DoNotOptimize(apps);
    }
    state.counters["apps"] = static_cast<double>(found);
}
BENCHMARK(BM_ScanInstalledApps)->Unit(benchmark::kMillisecond);

}  // namespace
