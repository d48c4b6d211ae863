#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/FileDescriptor.h"
#include "ports/KeyMonitor.h"
#include "ports/MainQueue.h"

namespace moorvane {

// A key as the Mac names it: its virtual key code, and whether it sits on the numeric pad.
struct MacKey {
    std::uint16_t code = 0;
    bool keypad = false;
    friend bool operator==(const MacKey&, const MacKey&) = default;
};
// The Mac key at the place of an X keycode, as Moorvane's shortcut tables use them, or none for a key they
// have no code for. By place: the same key whatever the layout, its level, Shift or Num Lock.
std::optional<MacKey> macKeyForKeycode(unsigned keycode);
// The modifier flag a modifier key's keysym drives (Shift, Control, Alt as Option, Super as Command, Caps
// Lock), or 0 for any other key.
std::uint32_t macModifierForKeysym(unsigned long keysym);
// The numeric-pad flag's bit, set on events of keypad keys.
inline constexpr std::uint32_t macNumericPadFlag = 1u << 21;
inline constexpr std::uint32_t macCapsLockFlag = 1u << 16;

// The system-wide half of the KeyMonitor port on X11, through the RECORD extension: a thread with connections
// of its own records every client's key presses and releases (no grab, so every app still gets its keys),
// turns them into Mac key codes and flags, and posts each key-down to the main queue.
//
// The in-app half is not here: addLocalKeyDownMonitor() always gives none. The Qt shell watches its own
// windows with an event filter and combines the two in its KeyMonitor: global monitors go to this class,
// local ones to the filter, which should convert keys with macKeyForKeycode() (QKeyEvent's nativeScanCode()
// is the X keycode on X11) so that both halves agree on codes.
class XRecordKeyMonitor final : public KeyMonitor {
  public:
    // `display` names the X display; by default $DISPLAY.
    explicit XRecordKeyMonitor(MainQueue& queue, std::optional<std::string> display = std::nullopt);
    ~XRecordKeyMonitor() override;
    XRecordKeyMonitor(const XRecordKeyMonitor&) = delete;
    XRecordKeyMonitor& operator=(const XRecordKeyMonitor&) = delete;

    // Starts recording with the first monitor and returns once it records; none when there is no X display,
    // no RECORD extension, or the recording could not be set up (logged).
    std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler handler) override;
    std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler handler) override;
    void removeMonitor(KeyMonitorToken token) override;
    // True on an X display with RECORD. False without a display, and under XWayland (WAYLAND_DISPLAY set):
    // there only other X clients' keys are recorded, never those of native Wayland apps.
    bool seesOtherAppsKeys() override;

    // What the handlers share with the tasks already posted, which may run after this object is gone.
    struct Handlers {
        std::mutex mutex;
        std::map<KeyMonitorToken, GlobalHandler> byToken;
        // False once the recording thread has ended, for instance when the display went away.
        std::atomic<bool> recording = false;
    };

  private:
    bool recordAvailable();
    void stopRecording();

    MainQueue& queue_;
    std::optional<std::string> display_;
    std::optional<bool> recordAvailable_;
    std::shared_ptr<Handlers> handlers_ = std::make_shared<Handlers>();
    KeyMonitorToken nextToken_ = 1;
    std::thread recorder_;
    // Written to wake the recording thread so it stops.
    FileDescriptor wakeWrite_;
    FileDescriptor wakeRead_;
};

}  // namespace moorvane
