#include "platform/session/LinuxKeyMonitor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

#include <cstdlib>
#include <string_view>
#include <utility>

#include "model/ShortcutText.h"

namespace moorvane {

namespace {

std::uint32_t macFlags(Qt::KeyboardModifiers modifiers) {
    std::uint32_t flags = 0;
    if (modifiers & Qt::ShiftModifier) flags |= 1u << 17;
    if (modifiers & Qt::ControlModifier) flags |= 1u << 18;
    if (modifiers & Qt::AltModifier) flags |= 1u << 19;
    if (modifiers & Qt::MetaModifier) flags |= 1u << 20;
    return flags;
}

}  // namespace

bool isWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return (type != nullptr && std::string_view(type) == "wayland") ||
           (display != nullptr && display[0] != '\0');
}

LinuxKeyMonitor::LinuxKeyMonitor(MainQueue& queue, QObject* parent)
    : LinuxKeyMonitor(queue, Options{}, parent) {}

LinuxKeyMonitor::LinuxKeyMonitor(MainQueue& queue, Options options, QObject* parent)
    : QObject(parent), record_(queue), options_(std::move(options)) {}

bool LinuxKeyMonitor::seesOtherAppsKeys() {
    if (options_.desktopRunsShortcuts && options_.desktopRunsShortcuts()) return true;
    return options_.recordOtherAppsKeys && record_.seesOtherAppsKeys();
}

LinuxKeyMonitor::~LinuxKeyMonitor() {
    if (filtering_ && QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

std::optional<KeyMonitorToken> LinuxKeyMonitor::addGlobalKeyDownMonitor(GlobalHandler handler) {
    // Under Xwayland RECORD would hear only the few X apps' keys: a monitor that mostly hears nothing.
    if (!options_.recordOtherAppsKeys) return std::nullopt;
    // RECORD also sees this app's own keys, which the in-app monitor already handles (and may consume); a key
    // typed while one of our windows has the focus is left to it, as a system-wide monitor never sees them.
    auto recorded = record_.addGlobalKeyDownMonitor([handler = std::move(handler)](const KeyEvent& event) {
        if (QGuiApplication::focusWindow()) return;
        handler(event);
    });
    if (!recorded) return std::nullopt;
    const KeyMonitorToken token = next_++;
    globalTokens_.emplace(token, *recorded);
    return token;
}

std::optional<KeyMonitorToken> LinuxKeyMonitor::addLocalKeyDownMonitor(LocalHandler handler) {
    if (!QCoreApplication::instance()) return std::nullopt;
    if (!filtering_) {
        QCoreApplication::instance()->installEventFilter(this);
        filtering_ = true;
    }
    const KeyMonitorToken token = next_++;
    local_.emplace(token, std::move(handler));
    return token;
}

void LinuxKeyMonitor::removeMonitor(KeyMonitorToken token) {
    if (const auto found = globalTokens_.find(token); found != globalTokens_.end()) {
        record_.removeMonitor(found->second);
        globalTokens_.erase(found);
    }
    local_.erase(token);
}

bool LinuxKeyMonitor::eventFilter(QObject* watched, QEvent* event) {
    // Each key press reaches the filter once per object on its way (window, then item); only windows count.
    if (event->type() != QEvent::KeyPress || local_.empty() || !watched->isWindowType())
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // A modifier's own press is no key-down, as the system-wide monitor (and the Mac) has it.
    switch (key->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_CapsLock:
            return false;
        default:
            break;
    }
    // By the key's place (the X keycode), as the system-wide monitor reads it: the keysym would change with
    // Shift and the layout.
    const auto mac = macKeyForKeycode(key->nativeScanCode());
    if (!mac) return false;
    const KeyEvent converted{mac->code, macFlags(key->modifiers()) | (mac->keypad ? macNumericPadFlag : 0u),
                             key->isAutoRepeat()};
    // A copy: a handler may remove monitors (a recorder that stops on this key).
    const auto handlers = local_;
    for (const auto& [token, handler] : handlers) {
        if (handler(converted)) return true;
    }
    return false;
}

}  // namespace moorvane
