pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Moorvane

// The group sheet's content: name, symbol, members.
ColumnLayout {
    id: root
    required property GroupEditorModel sheet
    readonly property Item nameField: nameField

    spacing: 14

    Item { Layout.preferredHeight: 6 }

    MvText {
        Layout.leftMargin: 20
        text: root.sheet.title
        font.pixelSize: Theme.headlineSize
        font.bold: true
        color: Theme.primary
    }

    RowLayout {
        Layout.leftMargin: 20
        Layout.rightMargin: 20
        spacing: 10
        Rectangle {
            Layout.preferredWidth: 44
            Layout.preferredHeight: 44
            radius: 10
            color: Theme.withAlpha(Theme.accent, 0.2)
            MvSymbol { anchors.centerIn: parent; symbol: root.sheet.symbolName; size: 20; color: Theme.accent }
        }
        TextField {
            id: nameField
            Layout.fillWidth: true
            text: root.sheet.name
            placeholderText: "Group name"
            Accessible.name: placeholderText
            onTextEdited: root.sheet.name = text
        }
    }

    GridLayout {
        Layout.leftMargin: 20
        Layout.rightMargin: 20
        Layout.fillWidth: true
        columns: 8
        columnSpacing: 6
        rowSpacing: 6
        Repeater {
            model: root.sheet.symbols
            delegate: AbstractButton {
                id: cell
                required property string modelData
                Layout.fillWidth: true
                Layout.minimumWidth: 10
                Layout.preferredHeight: 28
                Accessible.role: Accessible.Button
                // The symbol's own identifier means nothing read aloud.
                Accessible.name: root.sheet.symbolLabel(modelData)
                Accessible.onPressAction: cell.clicked()
                checkable: true
                checked: root.sheet.symbolName === cell.modelData
                onClicked: {
                    root.sheet.symbolName = modelData
                    cell.checked = Qt.binding(function () { return root.sheet.symbolName === cell.modelData })
                }
                focusPolicy: Qt.TabFocus
                MvFocusRing { inset: -2 }
                background: Rectangle {
                    radius: 6
                    color: root.sheet.symbolName === cell.modelData ? Theme.withAlpha(Theme.accent, 0.25)
                                                                    : Theme.withAlpha(Theme.primary, 0.06)
                }
                contentItem: MvSymbol { symbol: cell.modelData; size: 14 }
            }
        }
    }

    Rectangle { Layout.fillWidth: true; Layout.leftMargin: 20; Layout.rightMargin: 20; Layout.preferredHeight: 1; color: Theme.quaternary }

    RowLayout {
        Layout.leftMargin: 20
        Layout.rightMargin: 20
        MvText { text: "Apps in this group"; font.pixelSize: Theme.subheadlineSize + 1; font.bold: true }
        Item { Layout.fillWidth: true }
        MvText { text: root.sheet.selectedCaption; font.pixelSize: Theme.captionSize; color: Theme.secondary }
    }

    MvText {
        visible: !root.sheet.hasCandidates
        Layout.fillWidth: true
        topPadding: 20
        bottomPadding: 20
        horizontalAlignment: Text.AlignHCenter
        text: "Add some apps to the dock first."
        font.pixelSize: Theme.captionSize
        color: Theme.tertiary
    }

    Rectangle {
        visible: root.sheet.hasCandidates
        Layout.leftMargin: 20
        Layout.rightMargin: 20
        Layout.fillWidth: true
        Layout.preferredHeight: 200
        radius: 8
        color: Theme.withAlpha(Theme.primary, 0.05)
        ListView {
            id: candidateList
            anchors.fill: parent
            anchors.margins: 2
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: root.sheet.candidates
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            delegate: AbstractButton {
                id: row
                required property var candidate
                required property int index
                width: ListView.view.width
                height: 30
                focusPolicy: Qt.TabFocus
                // Checkable, so a screen reader hears a check box and its state; the model decides the state.
                checkable: true
                checked: candidate.selected
                Accessible.name: candidate.label
                Accessible.description: candidate.claimed ? "in another group" : ""
                Accessible.onPressAction: row.clicked()
                onClicked: {
                    root.sheet.toggle(candidate.bundleIdentifier)
                    row.checked = Qt.binding(function () { return row.candidate.selected })
                }
                onActiveFocusChanged: if (activeFocus) candidateList.positionViewAtIndex(index, ListView.Contain)
                leftPadding: 10
                rightPadding: 10
                topPadding: 5
                bottomPadding: 5
                background: Item {}
                MvFocusRing { inset: 1; radius: 5 }
                contentItem: RowLayout {
                    spacing: 8
                    opacity: row.candidate.claimed ? 0.4 : 1
                    MvSymbol {
                        symbol: row.candidate.selected ? "checkmark.circle.fill" : "circle"
                        size: 14
                        color: row.candidate.selected ? Theme.accent : Theme.tertiary
                    }
                    AppIcon { Layout.preferredWidth: 20; Layout.preferredHeight: 20; source: row.candidate.iconSource }
                    Text {
                        Layout.fillWidth: true
                        Layout.minimumWidth: 40
                        text: row.candidate.label
                        font.pixelSize: Theme.bodySize
                        color: Theme.primary
                        elide: Text.ElideRight
                    }
                    Text {
                        visible: row.candidate.claimed
                        text: "in another group"
                        font.pixelSize: Theme.captionSize - 1
                        color: Theme.tertiary
                    }
                }
            }
        }
    }

    // Its line stays when the hint goes, so the sheet keeps its height and nothing moves under the pointer.
    MvText {
        opacity: root.sheet.isValid ? 0 : 1
        Accessible.ignored: root.sheet.isValid
        Layout.leftMargin: 20
        text: root.sheet.validityHint
        font.pixelSize: Theme.captionSize
        color: Theme.secondary
    }

    RowLayout {
        Layout.leftMargin: 20
        Layout.rightMargin: 20
        spacing: 8
        MvButton { visible: root.sheet.canDelete; destructive: true; text: "Ungroup"; onClicked: root.sheet.ungroup() }
        Item { Layout.fillWidth: true }
        MvButton { text: "Cancel"; onClicked: root.sheet.cancel() }
        MvButton { prominent: true; text: root.sheet.saveTitle; enabled: root.sheet.isValid; onClicked: root.sheet.save() }
    }

    Item { Layout.preferredHeight: 6 }
}
