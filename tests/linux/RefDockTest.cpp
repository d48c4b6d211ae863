// Drives the built reference Dock and its launcher as real processes on a private session bus, in a fresh
// home folder, without a display.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "base/Plist.h"
#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"
#include "platform/session/QtAppActivation.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SignalCounter final : public QObject {
    Q_OBJECT
  public:
    int count = 0;
  public slots:
    void hit() { ++count; }
};

fs::path buildDir() {
    // The test binary sits in <build>/tests/linux.
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path();
}

using testing::readText;
using testing::writeText;

PlistDictionary readDomain(const fs::path& file) {
    Result<PlistValue> value = readPlist(readText(file));
    if (!value || value->dictionary() == nullptr) return {};
    return *value->dictionary();
}

QStringList labelsOf(const PlistDictionary& domain, std::string_view key) {
    QStringList labels;
    for (const PlistValue& tile : *domain.findArray(key)) {
        const PlistDictionary* data = tile.dictionary()->findDictionary("tile-data");
        const std::string* label = data != nullptr ? data->findString("file-label") : nullptr;
        labels << QString::fromStdString(label != nullptr ? *label : std::string());
    }
    return labels;
}

// Lets queued bus traffic arrive until `done` holds or the deadline passes.
bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

struct ProcessState {
    std::string name;
    char state = 0;
    long parent = 0;
};

std::optional<ProcessState> processState(const fs::path& procEntry) {
    std::ifstream stat(procEntry / "stat");
    std::string line;
    if (!std::getline(stat, line)) return std::nullopt;
    const auto open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) return std::nullopt;
    ProcessState process{line.substr(open + 1, close - open - 1)};
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &process.state, &process.parent) != 2)
        return std::nullopt;
    return process;
}

bool alive(pid_t pid) {
    const auto process = processState(fs::path("/proc") / std::to_string(pid));
    return process && process->state != 'Z';
}

// The live child of `parent` named Dock.
std::optional<pid_t> dockChildOf(pid_t parent) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const auto process = processState(entry.path());
        if (process && process->name == "Dock" && process->parent == parent && process->state != 'Z')
            return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
    return std::nullopt;
}

class RefDockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        bus_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus_.waitForReadyRead(10000)) << "dbus-daemon did not start";
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        connection_ =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, "refdock-test"));
        ASSERT_TRUE(connection_->isConnected());
        connection_->connect(QString(), "/com/apple/dock", "com.apple.dock", "prefchanged", &signals_,
                             SLOT(hit()));

        fs::create_directories(runtime());
        fs::permissions(runtime(), fs::perms::owner_all);
        env_.insert("HOME", QString::fromStdString(home_.path().string()));
        env_.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime().string()));
        env_.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        env_.insert("QT_QPA_PLATFORM", "offscreen");
        env_.insert("PATH", qEnvironmentVariable("PATH"));

        // Two tiles lose their GUID so that the Dock must give them new ones.
        Result<PlistValue> fixture = readPlist(testing::readFixture("dock-sequoia.xml"));
        ASSERT_TRUE(fixture.ok());
        original_ = *fixture->dictionary();
        for (std::string_view key : {"persistent-apps", "persistent-others"})
            original_.find(key)->array()->front().dictionary()->erase("GUID");
        const Bytes domain = *writeBinary(PlistValue(original_));
        writeText(domainFile(), std::string(domain.begin(), domain.end()));
    }

    void TearDown() override {
        if (dock_.state() != QProcess::NotRunning) {
            dock_.kill();
            dock_.waitForFinished();
        }
        launcher({"--stop"});
        connection_.reset();
        QDBusConnection::disconnectFromBus("refdock-test");
        // SIGTERM, not SIGKILL: the daemon removes its socket under /tmp only when it stops in order.
        bus_.terminate();
        if (!bus_.waitForFinished(5000)) {
            bus_.kill();
            bus_.waitForFinished();
        }
        const QString socket = address_.section(QStringLiteral("unix:path="), 1).section(',', 0, 0);
        EXPECT_FALSE(socket.isEmpty() || fs::exists(socket.toStdString()))
            << "the bus left " << socket.toStdString();
    }

    fs::path domainFile() const { return home_.path() / "Library/Preferences/com.apple.dock.plist"; }
    fs::path runtime() const { return home_.path() / "run"; }

    void startDock() {
        dock_.setProcessEnvironment(env_);
        dock_.start(QString::fromStdString((buildDir() / "refdock/Dock.app/Contents/MacOS/Dock").string()));
        ASSERT_TRUE(dock_.waitForStarted());
        ASSERT_TRUE(pollUntil([&] {
            return connection_->interface()->isServiceRegistered("com.apple.dock");
        })) << "the Dock never took its bus name";
    }

    int launcher(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(env_);
        process.start(QString::fromStdString((buildDir() / "bin/moorvane-refdock").string()), arguments);
        if (!process.waitForFinished(15000)) return -1;
        return process.exitCode();
    }

    QDBusMessage call(const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall("com.apple.dock", "/com/apple/dock",
                                                              "com.apple.dock.Control", method);
        message.setArguments(arguments);
        return connection_->call(message, QDBus::Block, 5000);
    }

    static inline int argc_ = 1;
    static inline char name_[] = "RefDockTest";
    static inline char* argv_[] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    testing::TempDir home_;
    QProcess bus_;
    QProcess dock_;
    QString address_;
    std::unique_ptr<QDBusConnection> connection_;
    QProcessEnvironment env_;
    SignalCounter signals_;
    PlistDictionary original_;
};

TEST_F(RefDockTest, StartGivesMissingGuidsKeepsEverythingElseAndSignals) {
    startDock();
    ASSERT_TRUE(pollUntil([&] { return signals_.count == 1; })) << "no prefchanged after the start-up write";
    EXPECT_TRUE(readText(domainFile()).starts_with("bplist00"));
    // With every GUID checked and then taken out, the rest of the domain must be exactly what it was.
    PlistDictionary domain = readDomain(domainFile()), expected = original_;
    std::set<std::uint64_t> guids;
    std::size_t tiles = 0;
    for (std::string_view key : {"persistent-apps", "persistent-others"}) {
        PlistArray* now = domain.find(key) ? domain.find(key)->array() : nullptr;
        PlistArray& before = *expected.find(key)->array();
        ASSERT_TRUE(now && now->size() == before.size()) << key;
        for (std::size_t i = 0; i < before.size(); ++i) {
            const PlistValue* guid = (*now)[i].dictionary()->find("GUID");
            ASSERT_TRUE(guid != nullptr && guid->integer()) << key << " tile " << i << " has no integer GUID";
            if (const PlistValue* old = before[i].dictionary()->find("GUID")) {
                EXPECT_EQ(*guid, *old) << key << " tile " << i << " lost its GUID";
            }
            guids.insert(*guid->integer()->asUnsigned());
            ++tiles;
            (*now)[i].dictionary()->erase("GUID");
            before[i].dictionary()->erase("GUID");
        }
    }
    EXPECT_EQ(domain, expected);
    EXPECT_EQ(guids.size(), tiles) << "GUIDs must be unique";
}

// Refused moves come first: each must leave the file as it was and send no signal.
TEST_F(RefDockTest, MoveTileRefusesBadMovesThenRewritesTheOrderAndSignals) {
    startDock();
    ASSERT_TRUE(pollUntil([&] { return signals_.count == 1; }));
    const std::string before = readText(domainFile());
    const std::tuple<const char*, const char*, int, int> badMoves[] = {
        {"negativeFrom", "persistent-apps", -1, 0},
        {"toPastTheEnd", "persistent-others", 0, 2},
        {"unknownList", "recent-apps", 0, 0}};
    for (const auto& [name, list, from, to] : badMoves) {
        EXPECT_EQ(call("MoveTile", {list, from, to}).type(), QDBusMessage::ErrorMessage) << name;
        EXPECT_EQ(readText(domainFile()), before) << name;
    }
    // A round trip after the refusals: any signal they sent would have arrived by now.
    call("Tiles", {"persistent-apps"});
    EXPECT_EQ(signals_.count, 1);

    QStringList expected = labelsOf(original_, "persistent-apps");
    expected.move(0, 2);
    const QDBusMessage reply = call("MoveTile", {"persistent-apps", 0, 2});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    ASSERT_TRUE(pollUntil([&] { return signals_.count == 2; })) << "no prefchanged after the move";
    const PlistDictionary domain = readDomain(domainFile());
    EXPECT_EQ(labelsOf(domain, "persistent-apps"), expected);
    EXPECT_EQ(labelsOf(domain, "persistent-others"), labelsOf(original_, "persistent-others"));
    EXPECT_EQ(call("Tiles", {"persistent-apps"}).arguments().value(0).toStringList(), expected);
}

TEST_F(RefDockTest, UnreadableDomainIsNeverOverwritten) {
    const std::string garbage("bplist00\xff\x00", 10);
    writeText(domainFile(), garbage);
    startDock();
    EXPECT_EQ(call("MoveTile", {"persistent-apps", 0, 0}).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(readText(domainFile()), garbage);
    EXPECT_EQ(signals_.count, 0);
}

// The app's activation is the usual caller; a second client shows that tiles belong to whoever showed them.
TEST_F(RefDockTest, RunningTilesFollowThePolicyTheirOwnerAndADockRestart) {
    startDock();
    const auto running = [&] { return call("Tiles", {"running"}).arguments().value(0).toStringList(); };
    QtAppActivation activation(*connection_);
    activation.setActivationPolicy(ActivationPolicy::regular);
    EXPECT_TRUE(pollUntil([&] { return running() == QStringList{"Moorvane"}; }))
        << running().join(',').toStdString();
    activation.setActivationPolicy(ActivationPolicy::accessory);
    EXPECT_TRUE(pollUntil([&] { return running().isEmpty(); }));

    activation.setActivationPolicy(ActivationPolicy::regular);
    dock_.kill();
    dock_.waitForFinished();
    startDock();
    EXPECT_TRUE(pollUntil([&] { return running() == QStringList{"Moorvane"}; })) << "not announced again";

    {
        QDBusConnection other = QDBusConnection::connectToBus(address_, "refdock-other");
        QDBusMessage show = QDBusMessage::createMethodCall("com.apple.dock", "/com/apple/dock",
                                                           "com.apple.dock.Control", "SetRunningApp");
        show << QString("Other") << true;
        EXPECT_EQ(other.call(show, QDBus::Block, 5000).type(), QDBusMessage::ReplyMessage);
        EXPECT_EQ(running(), (QStringList{"Moorvane", "Other"}));
    }
    QDBusConnection::disconnectFromBus("refdock-other");
    EXPECT_TRUE(pollUntil([&] { return running() == QStringList{"Moorvane"}; }))
        << "a departed caller's tile stays";
}

TEST_F(RefDockTest, LauncherRestartsAKilledDockWithinASecondAndStops) {
    ASSERT_EQ(launcher({}), 0);
    std::ifstream pidFile(runtime() / "moorvane-refdock.pid");
    pid_t supervisor = 0;
    ASSERT_TRUE(pidFile >> supervisor);
    const std::optional<pid_t> first = dockChildOf(supervisor);
    ASSERT_TRUE(first.has_value()) << "the launcher returned before the Dock ran";

    ::kill(*first, SIGKILL);
    std::optional<pid_t> second;
    EXPECT_TRUE(pollUntil(
        [&] {
            second = dockChildOf(supervisor);
            return second && *second != *first;
        },
        1s))
        << "no new Dock within a second";

    ASSERT_EQ(launcher({"--stop"}), 0);
    EXPECT_FALSE(alive(supervisor));
    if (second) {
        EXPECT_FALSE(alive(*second)) << "the Dock outlived its supervisor";
    }
    EXPECT_FALSE(fs::exists(runtime() / "moorvane-refdock.pid"));
}

}  // namespace
}  // namespace moorvane

#include "RefDockTest.moc"
