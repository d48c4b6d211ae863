import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Moorvane

// The "Manage Apps" window: the profile's tiles beside the installed apps not yet in it.
MvWindow {
    id: window
    required property QtObject picker

    title: picker.title
    width: 600
    height: 480

    Shortcut {
        sequences: ["Return", "Enter"]
        onActivated: window.picker.apply()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Text {
            Layout.margins: 16
            text: "Manage Apps"
            font.pixelSize: Theme.headlineSize
            font.bold: true
            color: Theme.primary
        }
        Rectangle { Layout.fillWidth: true; Layout.preferredHeight: 1; color: Theme.quaternary }

        SplitView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            orientation: Qt.Horizontal

            // Profile apps.
            ColumnLayout {
                SplitView.minimumWidth: 220
                SplitView.preferredWidth: 260
                spacing: 0
                RowLayout {
                    Layout.fillWidth: true
                    Layout.leftMargin: 12
                    Layout.rightMargin: 12
                    Layout.topMargin: 8
                    Layout.bottomMargin: 8
                    Text { text: "Profile Apps"; font.pixelSize: Theme.subheadlineSize + 1; font.bold: true; color: Theme.primary }
                    Item { Layout.fillWidth: true }
                    Rectangle {
                        implicitWidth: count.implicitWidth + 12
                        implicitHeight: count.implicitHeight + 4
                        radius: height / 2
                        color: Theme.quaternary
                        Text {
                            id: count
                            anchors.centerIn: parent
                            text: window.picker.profileAppCount
                            font.pixelSize: Theme.captionSize
                            color: Theme.secondary
                        }
                    }
                }
                ListView {
                    id: profileList
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    model: window.picker.profileRows
                    ScrollBar.vertical: ScrollBar {}
                    delegate: Rectangle {
                        id: profileRow
                        required property var modelData
                        required property int index
                        Accessible.role: Accessible.ListItem
                        Accessible.name: modelData.label
                        width: ListView.view.width
                        height: 32
                        color: index % 2 === 0 ? "transparent" : Qt.rgba(1, 1, 1, 0.03)
                        HoverHandler { id: rowHover }
                        MouseArea {
                            id: rowDrag
                            anchors.fill: parent
                            property int startIndex: -1
                            onPressed: startIndex = profileRow.index
                            onReleased: function (mouse) {
                                // The row under the pointer is where the moved row is reinserted before.
                                const target = profileList.indexAt(mouse.x + profileRow.x, profileRow.y + mouse.y)
                                if (startIndex >= 0 && target >= 0 && target !== startIndex)
                                    window.picker.move(startIndex, target > startIndex ? target + 1 : target)
                                startIndex = -1
                            }
                        }
                        RowLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 10
                            anchors.rightMargin: 10
                            spacing: 8
                            Item {
                                Layout.preferredWidth: 24
                                Layout.preferredHeight: 24
                                MvSymbol {
                                    anchors.centerIn: parent
                                    visible: profileRow.modelData.isSpacer
                                    symbol: "minus"
                                    size: 16
                                    color: Theme.tertiary
                                }
                                AppIcon {
                                    anchors.fill: parent
                                    visible: !profileRow.modelData.isSpacer
                                    source: profileRow.modelData.iconSource
                                }
                            }
                            Text {
                                Layout.fillWidth: true
                                text: profileRow.modelData.label
                                font.italic: profileRow.modelData.isSpacer
                                color: profileRow.modelData.isSpacer ? Theme.secondary : Theme.primary
                                font.pixelSize: Theme.bodySize
                                elide: Text.ElideRight
                            }
                            MvButton {
                                visible: rowHover.hovered
                                plain: true
                                symbol: "xmark.circle.fill"
                                symbolSize: 14
                                tint: Theme.secondary
                                help: "Remove"
                                onClicked: window.picker.remove(profileRow.modelData.id)
                            }
                        }
                    }
                }
                Rectangle { Layout.fillWidth: true; Layout.preferredHeight: 1; color: Theme.quaternary }
                Row {
                    Layout.margins: 8
                    spacing: 10
                    MvButton {
                        plain: true
                        text: "Small Spacer"
                        symbol: "minus"
                        fontSize: Theme.captionSize + 1
                        tint: Theme.secondary
                        onClicked: window.picker.addSmallSpacer()
                    }
                    MvButton {
                        plain: true
                        text: "Spacer"
                        symbol: "equal"
                        fontSize: Theme.captionSize + 1
                        tint: Theme.secondary
                        onClicked: window.picker.addSpacer()
                    }
                }
            }

            // Available apps.
            ColumnLayout {
                SplitView.minimumWidth: 240
                SplitView.preferredWidth: 300
                spacing: 0
                Text {
                    Layout.leftMargin: 12
                    Layout.topMargin: 8
                    Layout.bottomMargin: 8
                    text: "Available Apps"
                    font.pixelSize: Theme.subheadlineSize + 1
                    font.bold: true
                    color: Theme.primary
                }
                Rectangle {
                    Layout.fillWidth: true
                    Layout.leftMargin: 12
                    Layout.rightMargin: 12
                    Layout.bottomMargin: 8
                    implicitHeight: search.implicitHeight + 8
                    radius: 6
                    color: Theme.quaternary
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 8
                        anchors.rightMargin: 8
                        spacing: 6
                        MvSymbol { symbol: "magnifyingglass"; size: 14; color: Theme.secondary }
                        TextField {
                            id: search
                            Layout.fillWidth: true
                            placeholderText: "Search apps..."
                            Accessible.name: placeholderText
                            text: window.picker.searchText
                            onTextEdited: window.picker.searchText = text
                            background: Item {}
                        }
                    }
                }
                ListView {
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    model: window.picker.available
                    ScrollBar.vertical: ScrollBar {}
                    delegate: Rectangle {
                        id: appRow
                        required property var modelData
                        required property int index
                        Accessible.role: Accessible.ListItem
                        Accessible.name: modelData.name
                        width: ListView.view.width
                        height: 32
                        color: index % 2 === 0 ? "transparent" : Qt.rgba(1, 1, 1, 0.03)
                        HoverHandler { id: appHover }
                        RowLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 10
                            anchors.rightMargin: 10
                            spacing: 8
                            AppIcon { Layout.preferredWidth: 24; Layout.preferredHeight: 24; source: appRow.modelData.iconSource }
                            Text {
                                Layout.fillWidth: true
                                text: appRow.modelData.name
                                color: Theme.primary
                                font.pixelSize: Theme.bodySize
                                elide: Text.ElideRight
                            }
                            MvButton {
                                visible: appHover.hovered
                                plain: true
                                symbol: "plus.circle.fill"
                                symbolSize: 14
                                tint: Theme.accent
                                help: "Add"
                                onClicked: window.picker.add(appRow.modelData.bundleIdentifier)
                            }
                        }
                    }
                }
            }
        }

        Rectangle { Layout.fillWidth: true; Layout.preferredHeight: 1; color: Theme.quaternary }
        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 12
            Item { Layout.fillWidth: true }
            MvButton { prominent: true; text: "Apply"; onClicked: window.picker.apply() }
        }
    }
}
