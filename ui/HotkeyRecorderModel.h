#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "ports/KeyMonitor.h"

namespace moorvane {

class HotkeyManager;

// The shortcut recorder: idle or recording. While it records it holds the in-app key monitor, consumes every
// key press and keeps the global hotkeys suspended.
class HotkeyRecorderModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString label READ label NOTIFY changed)
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY changed)
    Q_PROPERTY(bool showsRemove READ showsRemove NOTIFY changed)
    Q_PROPERTY(QString helpText READ helpText CONSTANT)

  public:
    // `shortcut` is the editor's field and must outlive the recorder.
    HotkeyRecorderModel(std::optional<std::string>& shortcut, KeyMonitor& monitor, HotkeyManager& hotkeys,
                        std::function<void()> beep, QObject* parent = nullptr);
    // A window closed mid-recording must not leave the global hotkeys suspended.
    ~HotkeyRecorderModel() override;

    QString label() const;
    bool isRecording() const { return recording_; }
    bool showsRemove() const { return shortcut_.has_value() && !recording_; }
    QString helpText() const { return QStringLiteral("Click, then press the key combination you want"); }

    Q_INVOKABLE void click();
    Q_INVOKABLE void removeShortcut();
    Q_INVOKABLE void stopRecording();

    // The editor reloads the field from another profile.
    void shortcutReplaced() { emit changed(); }

  signals:
    void changed();
    void shortcutEdited();

  private:
    bool handleKey(const KeyEvent& event);
    void stop(bool insideHandler);
    void releaseMonitor();

    std::optional<std::string>& shortcut_;
    KeyMonitor& monitor_;
    HotkeyManager& hotkeys_;
    std::function<void()> beep_;
    bool recording_ = false;
    std::optional<KeyMonitorToken> token_;
};

}  // namespace moorvane
