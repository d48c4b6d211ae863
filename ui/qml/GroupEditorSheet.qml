import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Moorvane

// The group sheet's content: name, symbol, members.
ColumnLayout {
    id: root
    required property QtObject sheet

    width: 380
    spacing: 14

    Item { Layout.preferredHeight: 6 }

    Text {
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
                Accessible.name: modelData
                Accessible.onPressAction: cell.clicked()
                onClicked: root.sheet.symbolName = modelData
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
        Text { text: "Apps in this group"; font.pixelSize: Theme.subheadlineSize + 1; font.bold: true; color: Theme.primary }
        Item { Layout.fillWidth: true }
        Text { text: root.sheet.selectedCaption; font.pixelSize: Theme.captionSize; color: Theme.secondary }
    }

    Text {
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
            anchors.fill: parent
            clip: true
            model: root.sheet.candidates
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            delegate: AbstractButton {
                id: row
                required property var modelData
                width: ListView.view.width
                height: 30
                opacity: modelData.claimed ? 0.4 : 1
                Accessible.role: Accessible.CheckBox
                Accessible.name: modelData.label
                Accessible.checked: modelData.selected
                Accessible.onPressAction: row.clicked()
                onClicked: root.sheet.toggle(modelData.bundleIdentifier)
                background: Item {}
                contentItem: RowLayout {
                    spacing: 8
                    Item { Layout.preferredWidth: 2 }
                    MvSymbol {
                        symbol: row.modelData.selected ? "checkmark.circle.fill" : "circle"
                        size: 14
                        color: row.modelData.selected ? Theme.accent : Theme.tertiary
                    }
                    AppIcon { Layout.preferredWidth: 20; Layout.preferredHeight: 20; source: row.modelData.iconSource }
                    Text { text: row.modelData.label; font.pixelSize: Theme.bodySize; color: Theme.primary }
                    Text {
                        visible: row.modelData.claimed
                        text: "in another group"
                        font.pixelSize: Theme.captionSize - 1
                        color: Theme.tertiary
                    }
                    Item { Layout.fillWidth: true }
                }
            }
        }
    }

    Text {
        visible: !root.sheet.isValid
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
