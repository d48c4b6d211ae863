#include "ui/editor/HotkeyRecorderModel.h"

#include <QPointer>
#include <QTimer>

#include "triggers/HotkeyManager.h"
#include "ui/editor/EditorRules.h"

namespace moorvane {

HotkeyRecorderModel::HotkeyRecorderModel(std::optional<std::string>& shortcut, KeyMonitor& monitor,
                                         HotkeyManager& hotkeys, std::function<void()> beep, QObject* parent)
    : QObject(parent), shortcut_(shortcut), monitor_(monitor), hotkeys_(hotkeys), beep_(std::move(beep)) {}

HotkeyRecorderModel::~HotkeyRecorderModel() {
    stopRecording();
}

QString HotkeyRecorderModel::label() const {
    return QString::fromStdString(editor::recorderLabel(recording_, shortcut_));
}

void HotkeyRecorderModel::click() {
    if (recording_) {
        stopRecording();
        return;
    }
    releaseMonitor();
    recording_ = true;
    hotkeys_.setSuspended(true);
    // The monitor may deliver a last event after removal; a guard keeps it from reaching a dead recorder.
    QPointer<HotkeyRecorderModel> self(this);
    token_ = monitor_.addLocalKeyDownMonitor([self](const KeyEvent& event) {
        if (!self) return false;
        return self->handleKey(event);
    });
    emit changed();
}

bool HotkeyRecorderModel::handleKey(const KeyEvent& event) {
    if (!recording_) return false;
    const auto judged = editor::judgeRecordedKey(event);
    switch (judged.kind) {
        case editor::RecordedKey::Kind::cancel:
            stop(true);
            break;
        case editor::RecordedKey::Kind::accept:
            shortcut_ = judged.shortcut;
            stop(true);
            emit shortcutEdited();
            break;
        case editor::RecordedKey::Kind::reject:
            if (beep_) beep_();
            break;
    }
    return true;
}

void HotkeyRecorderModel::removeShortcut() {
    if (recording_ || !shortcut_) return;
    shortcut_.reset();
    emit changed();
    emit shortcutEdited();
}

void HotkeyRecorderModel::stopRecording() {
    stop(false);
}

void HotkeyRecorderModel::releaseMonitor() {
    if (token_) monitor_.removeMonitor(*token_);
    token_.reset();
}

void HotkeyRecorderModel::stop(bool insideHandler) {
    const bool wasRecording = recording_;
    recording_ = false;
    if (insideHandler) {
        // A monitor may still be walking its handlers: removing ours now would pull the entry out from under
        // that walk. The handler is inert once recording_ is false, so the removal can wait a turn.
        QTimer::singleShot(0, this, [this] { releaseMonitor(); });
    } else {
        releaseMonitor();
    }
    // Only a recorder that recorded lifts the suspension, so closing an idle editor cannot reopen the global
    // hotkeys while another editor window is still recording.
    if (wasRecording) {
        hotkeys_.setSuspended(false);
        emit changed();
    }
}

}  // namespace moorvane
