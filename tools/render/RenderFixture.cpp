#include "tools/render/RenderFixture.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <fstream>

#include "dock/TileCodec.h"

namespace moorvane::render {

namespace fs = std::filesystem;

std::optional<PlistValue> QuietPorts::copyValue(std::string_view key) {
    const auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

void QuietPorts::set(std::string_view key, PlistValue value) {
    values.insert_or_assign(std::string(key), std::move(value));
}

std::optional<std::string> QuietPorts::applicationLocation(const std::string& bundleIdentifier) {
    const auto found = locations.find(bundleIdentifier);
    if (found == locations.end()) return std::nullopt;
    return found->second;
}

namespace {

const char* const knownNames[] = {"Safari",   "Mail",      "Messages", "Slack",    "Music",   "Notes",
                                  "Terminal", "Xcode",     "Figma",    "Photos",   "Maps",    "Calendar",
                                  "Finder",   "Preview",   "Podcasts", "TextEdit", "Numbers", "Keynote",
                                  "Pages",    "Reminders", "Contacts", "Weather",  "Stocks",  "Books"};

void writeIcon(const fs::path& file, int index, const QString& letter) {
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor top = QColor::fromHsv((index * 47) % 360, 170, 240);
    QLinearGradient gradient(0, 0, 0, 128);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, top.darker(150));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
    painter.setPen(Qt::white);
    QFont font;
    font.setPixelSize(62);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(8, 8, 112, 112), Qt::AlignCenter, letter);
    painter.end();
    image.save(QString::fromStdString(file.string()));
}

void writeBundle(const fs::path& bundle, const std::string& name, const std::string& identifier, int index) {
    fs::create_directories(bundle / "Contents" / "Resources");
    const PlistValue info = PlistDictionary{
        {"CFBundleIdentifier", identifier}, {"CFBundleName", name}, {"CFBundleIconFile", "AppIcon.png"}};
    const auto xml = writeXml(info);
    if (xml) std::ofstream(bundle / "Contents" / "Info.plist") << *xml;
    writeIcon(bundle / "Contents" / "Resources" / "AppIcon.png", index,
              QString::fromStdString(name.substr(0, 1)));
}

}  // namespace

RenderFixture::RenderFixture(const fs::path& scratch, int installedCount) : scratch_(scratch) {
    const fs::path applications = scratch / "Applications";
    for (int i = 0; i < installedCount; ++i) {
        const std::size_t known = std::size(knownNames);
        const std::string name =
            static_cast<std::size_t>(i) < known ? knownNames[i] : "App " + std::to_string(i + 1);
        std::string identifier = "com.example." + name;
        std::erase(identifier, ' ');
        const fs::path bundle = applications / (name + ".app");
        writeBundle(bundle, name, identifier, i);
        ports_.locations[identifier] = bundle.string();
        apps_.emplace_back(name, identifier);
    }
    dock_ = std::make_unique<DockManager>(ports_, ports_, ports_, ports_, ports_, ports_,
                                          std::vector<std::string>{applications.string()});
    launcher_ = std::make_unique<AppLaunchManager>(ports_);
    settings_ = std::make_unique<AppSettings>(ports_, ports_, ports_);
    store_ = std::make_unique<ProfileStore>(scratch / "Store", *dock_, *launcher_, ports_, settings_.get());
    hotkeys_ = std::make_unique<HotkeyManager>(ports_, ports_, *store_);
    io_ = std::make_unique<ProfileIO>(*store_, ports_);
    fs::create_directories(scratch / "home");
    focus_ = std::make_unique<FocusModeObserver>(scratch / "home", *store_);
    context_ = std::make_unique<EditorContext>(
        EditorContext{*store_, *dock_, *hotkeys_, ports_, *io_, *focus_, ports_, [] {}});

    auto profile = [&](const std::string& name, const std::string& color, std::vector<DockAppEntry> entries) {
        DockProfile p;
        p.name = name;
        p.colorName = color;
        setAppEntries(p, entries);
        p.persistentOthers = *encodeTiles({});
        return p;
    };
    auto pick = [&](std::initializer_list<int> indices) {
        std::vector<DockAppEntry> out;
        for (const int i : indices) out.push_back(appEntry(i));
        return out;
    };

    // Safari, Mail, Chat (Messages, Slack), Music (hidden), a small spacer, Notes, Dev (Terminal, Xcode),
    // Figma, Photos, Maps: ten tiles.
    auto entries = pick({0, 1, 2, 3, 4});
    entries.push_back(DockAppEntry::spacer(SpacerType::small));
    for (const auto& e : pick({5, 6, 7, 8, 9, 10})) entries.push_back(e);
    DockProfile work = profile("Work", "blue", entries);
    work.keyboardShortcut = "cmd+shift+w";
    work.hiddenApps = std::vector<std::string>{apps_.at(4).second};
    work.appsToLaunch = std::vector<std::string>{apps_.at(0).second, apps_.at(1).second};
    work.appGroups = std::vector<AppGroup>{
        AppGroup{Uuid::random(),
                 "Chat",
                 "bubble.left.and.bubble.right.fill",
                 {apps_.at(2).second, apps_.at(3).second}},
        AppGroup{Uuid::random(), "Dev", "hammer.fill", {apps_.at(6).second, apps_.at(7).second}}};
    DockProfile home = profile("Home", "green", pick({0, 4, 9, 11}));
    home.keyboardShortcut = "Shift+Command+W";
    DockProfile studio = profile("Studio", "purple", pick({8, 9, 13}));
    showcase_ = work.id;
    store_->profiles = std::vector<DockProfile>{work, home, studio};
    store_->activeProfileId = work.id;
}

std::optional<bool> QuietPorts::readBool(const std::string& key) {
    const auto found = defaults.find(key);
    return found == defaults.end() ? std::nullopt : std::optional<bool>(found->second == "1");
}

std::optional<std::string> QuietPorts::readString(const std::string& key) {
    const auto found = defaults.find(key);
    return found == defaults.end() ? std::nullopt : std::optional<std::string>(found->second);
}

Status QuietPorts::registerMainApp() {
    if (loginRefusal) return Error{*loginRefusal};
    loginEnabled = true;
    return done();
}

Status QuietPorts::unregisterMainApp() {
    loginEnabled = false;
    return done();
}

PopoverServices RenderFixture::popoverServices() {
    return PopoverServices{
        *store_, *settings_, *focus_, ports_, *io_, {}, {}, {}, "Version 0.1.0 (1)", entryIconSource(ports_)};
}

DockAppEntry RenderFixture::appEntry(int index) const {
    const auto& [name, identifier] = apps_.at(static_cast<std::size_t>(index) % apps_.size());
    DockAppEntry e;
    e.label = name;
    e.bundleIdentifier = identifier;
    e.path = "file://" + (scratch_ / "Applications" / (name + ".app")).string() + "/";
    return e;
}

Uuid RenderFixture::largeProfile(int tiles) {
    std::vector<DockAppEntry> entries;
    for (int i = 0; i < tiles; ++i) entries.push_back(appEntry(i));
    DockProfile p;
    p.name = "Large";
    setAppEntries(p, entries);
    p.persistentOthers = *encodeTiles({});
    store_->profiles.modify([&](auto& list) { list.push_back(p); });
    return p.id;
}

}  // namespace moorvane::render
