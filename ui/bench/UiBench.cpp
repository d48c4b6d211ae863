// The editing views' costs that a user feels: forming the strip's tiles, the picker's available list, and
// opening an editor window or the popover until its first frame is drawn (offscreen).
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>

#include "base/Log.h"
#include "ui/AppPickerModel.h"
#include "ui/DockStripModel.h"
#include "ui/EditorRules.h"
#include "ui/EditorWindows.h"
#include "ui/PopoverModel.h"
#include "ui/render/RenderFixture.h"

using namespace moorvane;

namespace {

std::vector<DockAppEntry> entries(int count) {
    std::vector<DockAppEntry> out;
    for (int i = 0; i < count; ++i) {
        if (i % 25 == 24) {
            out.push_back(DockAppEntry::spacer(SpacerType::small));
            continue;
        }
        DockAppEntry e;
        e.label = "App " + std::to_string(i);
        e.bundleIdentifier = "com.example.app" + std::to_string(i);
        e.path = "file:///Applications/App%20" + std::to_string(i) + ".app/";
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<AppGroup> groups() {
    std::vector<AppGroup> out;
    for (int g = 0; g < 8; ++g) {
        AppGroup group;
        group.name = "Group " + std::to_string(g);
        for (int m = 0; m < 6; ++m)
            group.bundleIdentifiers.push_back("com.example.app" + std::to_string(g * 20 + m * 3));
        out.push_back(std::move(group));
    }
    return out;
}

void formStripTiles200(benchmark::State& state) {
    const auto list = entries(200);
    const auto g = groups();
    for (auto _ : state) benchmark::DoNotOptimize(editor::formTiles(list, g));
}
BENCHMARK(formStripTiles200)->Unit(benchmark::kMicrosecond);

// The whole view-model step the strip redraws from: tiles, their texts and their icon addresses.
void stripModelRefresh200(benchmark::State& state) {
    editor::EditState s;
    s.appEntries = entries(200);
    s.groups = groups();
    s.hiddenApps = {"com.example.app7", "com.example.app9"};
    DockStripModel strip(s, [](const DockAppEntry& e) { return QString::fromStdString(e.path); });
    for (auto _ : state) {
        // Alternate two orders so every refresh has real moves to report.
        std::swap(s.appEntries[0], s.appEntries[100]);
        strip.refresh();
    }
}
BENCHMARK(stripModelRefresh200)->Unit(benchmark::kMicrosecond);

void pickerAvailable500(benchmark::State& state) {
    std::vector<InstalledApp> installed;
    for (int i = 0; i < 500; ++i) {
        const std::string id = "com.example.app" + std::to_string(i * 2);
        installed.push_back({"/Applications/App " + std::to_string(i) + ".app", "App " + std::to_string(i),
                             "/Applications/App " + std::to_string(i) + ".app", id});
    }
    const auto list = entries(200);
    const QString search = state.range(0) ? QStringLiteral("p 4") : QString();
    for (auto _ : state) benchmark::DoNotOptimize(availableApps(installed, list, search));
}
BENCHMARK(pickerAvailable500)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void openEditorWindow60(benchmark::State& state) {
    QTemporaryDir scratch;
    setLogPath((scratch.path() + QStringLiteral("/moorvane.log")).toStdString());
    render::RenderFixture fixture(scratch.path().toStdString(), 60);
    const Uuid profile = fixture.largeProfile(60);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QQuickWindow* window = openEditorWindow(fixture.context(), profile);
        if (!window) {
            state.SkipWithError("no window");
            break;
        }
        QEventLoop loop;
        QObject::connect(window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(openEditorWindow60)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// What a tray click costs: a fresh model over 50 profiles, the pages built, the first frame drawn.
void openPopover50(benchmark::State& state) {
    QTemporaryDir scratch;
    setLogPath((scratch.path() + QStringLiteral("/moorvane.log")).toStdString());
    render::RenderFixture fixture(scratch.path().toStdString(), 60);
    ProfileStore& store = fixture.store();
    for (int i = 0; i < 47; ++i) fixture.largeProfile(4 + i % 9);
    std::unique_ptr<QQmlEngine> engine(createPopoverEngine());
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        PopoverModel model(fixture.popoverServices());
        std::unique_ptr<QQuickWindow> view(createPopoverWindow(*engine, &model));
        if (!view) {
            state.SkipWithError("no popover");
            break;
        }
        view->show();
        QEventLoop loop;
        QObject::connect(view.get(), &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["profiles"] = static_cast<double>(store.profiles.get().size());
}
BENCHMARK(openPopover50)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
