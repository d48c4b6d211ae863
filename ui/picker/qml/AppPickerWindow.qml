pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Moorvane

// The "Manage Apps" window: the profile's tiles beside the installed apps not yet in it.
MvWindow {
    id: window
    required property AppPickerModel picker

    title: picker.title
    width: 600
    height: 480

    // Closing without Apply leaves the profile as it was.
    Shortcut {
        sequence: "Escape"
        onActivated: window.close()
    }
    // A person opens the window to look for an app: the keys go to the search from the start.
    Component.onCompleted: search.forceActiveFocus()

    // A row added or removed by keys goes from its list with the keyboard: it goes on to the row that took its
    // place, or the one before when it was the last, or to the search once the list is empty.
    // Once the list has taken the change in, on the next turn of the event loop.
    function refocus(list: ListView, index: int) {
        refocusLater.list = list
        refocusLater.index = index
        refocusLater.restart()
    }
    Timer {
        id: refocusLater
        property ListView list: null
        property int index: 0
        interval: 0
        onTriggered: {
            if (list === null)
                return
            list.forceLayout()
            const row = list.count > 0 ? list.itemAtIndex(Math.min(index, list.count - 1)) : null
            if (row !== null)
                row.forceActiveFocus(Qt.TabFocusReason)
            else
                search.forceActiveFocus(Qt.TabFocusReason)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0
        // Return applies unless the focused control takes it: on Cancel it cancels.
        Keys.onReturnPressed: window.picker.apply()
        Keys.onEnterPressed: window.picker.apply()

        MvText {
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
                    MvText { text: "Profile Apps"; font.pixelSize: Theme.subheadlineSize + 1; font.bold: true; color: Theme.primary }
                    Item { Layout.fillWidth: true }
                    Rectangle {
                        implicitWidth: count.implicitWidth + 12
                        implicitHeight: count.implicitHeight + 4
                        radius: height / 2
                        color: Theme.quaternary
                        MvText {
                            id: count
                            // The bare number means little out of its badge.
                            Accessible.name: text + " in the profile"
                            anchors.centerIn: parent
                            text: window.picker.profileAppCount
                            font.pixelSize: Theme.captionSize
                            color: Theme.secondary
                        }
                    }
                }
                ListView {
                    id: profileList
                    // The row being dragged; rows make way for it live, as the strip's tiles do.
                    property string dragRowId: ""
                    // Where the first row's top is in the content, taken while the rows are at rest.
                    property real dragOriginY: 0
                    readonly property int rowHeight: 32

                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    model: window.picker.profileRows
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar {}
                    moveDisplaced: Transition { NumberAnimation { properties: "y"; duration: 150; easing.type: Easing.OutQuad } }
                    displaced: Transition { NumberAnimation { properties: "y"; duration: 150; easing.type: Easing.OutQuad } }

                    // Moves the row at `from` so that it sits at `to`.
                    function moveRow(from, to) {
                        to = Math.max(0, Math.min(profileList.count - 1, to))
                        if (to !== from)
                            window.picker.move(from, to > from ? to + 1 : to)
                    }

                    delegate: Rectangle {
                        id: profileRow
                        required property var entry
                        required property int index
                        readonly property bool dragged: profileList.dragRowId === entry.rowId
                        Accessible.role: Accessible.ListItem
                        Accessible.name: entry.label
                        width: ListView.view.width
                        height: profileList.rowHeight
                        z: dragged ? 2 : 1
                        color: dragged ? Theme.withAlpha(Theme.accent, 0.3)
                                       : index % 2 === 0 ? "transparent" : Qt.rgba(1, 1, 1, 0.03)
                        border.width: dragged ? 1 : 0
                        border.color: Theme.withAlpha(Theme.accent, 0.8)
                        radius: dragged ? 5 : 0
                        activeFocusOnTab: true
                        Keys.onPressed: function (event) {
                            if (event.key === Qt.Key_Delete || event.key === Qt.Key_Backspace) {
                                const at = profileRow.index
                                window.picker.remove(profileRow.entry.id)
                                window.refocus(profileList, at)
                            } else if ((event.modifiers & Qt.AltModifier) && event.key === Qt.Key_Up) {
                                profileList.moveRow(profileRow.index, profileRow.index - 1)
                            } else if ((event.modifiers & Qt.AltModifier) && event.key === Qt.Key_Down) {
                                profileList.moveRow(profileRow.index, profileRow.index + 1)
                            } else if (event.key === Qt.Key_Up && profileRow.index > 0) {
                                profileList.itemAtIndex(profileRow.index - 1).forceActiveFocus()
                            } else if (event.key === Qt.Key_Down && profileRow.index < profileList.count - 1) {
                                profileList.itemAtIndex(profileRow.index + 1).forceActiveFocus()
                            } else {
                                return
                            }
                            event.accepted = true
                        }
                        onActiveFocusChanged: if (activeFocus) profileList.positionViewAtIndex(index, ListView.Contain)
                        MvFocusRing { inset: 1; radius: 4 }
                        HoverHandler { id: rowHover }
                        MouseArea {
                            id: rowDrag
                            anchors.fill: parent
                            // The list would otherwise take the gesture as a flick once it passes the threshold.
                            preventStealing: true
                            cursorShape: profileRow.dragged ? Qt.ClosedHandCursor : Qt.OpenHandCursor
                            property real pressY: 0
                            onPressed: function (mouse) { pressY = mouse.y }
                            onPositionChanged: function (mouse) {
                                if (!profileRow.dragged) {
                                    if (Math.abs(mouse.y - pressY) < Qt.styleHints.startDragDistance) return
                                    profileList.dragOriginY = profileRow.y - profileRow.index * profileList.rowHeight
                                    profileList.dragRowId = profileRow.entry.rowId
                                }
                                // Rows are all one height, so the slot under the pointer follows from the geometry,
                                // not from rows still sliding out of the way or not yet laid out after a move.
                                const inList = mapToItem(profileList, mouse.x, mouse.y)
                                if (inList.y < 16)
                                    profileList.contentY = Math.max(profileList.originY, profileList.contentY - 8)
                                else if (inList.y > profileList.height - 16)
                                    profileList.contentY = Math.min(profileList.originY + profileList.contentHeight - profileList.height,
                                                                    profileList.contentY + 8)
                                const inContent = mapToItem(profileList.contentItem, mouse.x, mouse.y)
                                profileList.moveRow(profileRow.index,
                                                    Math.floor((inContent.y - profileList.dragOriginY) / profileList.rowHeight))
                            }
                            onReleased: profileList.dragRowId = ""
                            onCanceled: profileList.dragRowId = ""
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
                                    visible: profileRow.entry.isSpacer
                                    symbol: "minus"
                                    size: 16
                                    color: Theme.tertiary
                                }
                                AppIcon {
                                    anchors.fill: parent
                                    visible: !profileRow.entry.isSpacer
                                    source: profileRow.entry.iconSource
                                }
                            }
                            Text {
                                Layout.fillWidth: true
                                text: profileRow.entry.label
                                font.italic: profileRow.entry.isSpacer
                                color: profileRow.entry.isSpacer ? Theme.secondary : Theme.primary
                                font.pixelSize: Theme.bodySize
                                elide: Text.ElideRight
                            }
                            MvButton {
                                visible: rowHover.hovered && !profileRow.dragged || profileRow.activeFocus
                                // The row is the stop for Tab and takes Delete; this button shows only with it.
                                focusPolicy: Qt.NoFocus
                                plain: true
                                symbol: "xmark.circle.fill"
                                symbolSize: 14
                                tint: Theme.secondary
                                help: "Remove"
                                onClicked: window.picker.remove(profileRow.entry.id)
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
                MvText {
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
                    id: availableList
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    model: window.picker.available
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar {}
                    // No sliding here: rows change as the search is typed, and a row must be where it is drawn.
                    delegate: Rectangle {
                        id: appRow
                        required property var app
                        required property int index
                        Accessible.role: Accessible.ListItem
                        Accessible.name: app.name
                        width: ListView.view.width
                        height: 32
                        color: index % 2 === 0 ? "transparent" : Qt.rgba(1, 1, 1, 0.03)
                        activeFocusOnTab: true
                        Keys.onSpacePressed: {
                            const at = appRow.index
                            window.picker.add(appRow.app.bundleIdentifier)
                            window.refocus(availableList, at)
                        }
                        Keys.onUpPressed: if (index > 0) availableList.itemAtIndex(index - 1).forceActiveFocus()
                        Keys.onDownPressed: if (index < availableList.count - 1) availableList.itemAtIndex(index + 1).forceActiveFocus()
                        onActiveFocusChanged: if (activeFocus) availableList.positionViewAtIndex(index, ListView.Contain)
                        MvFocusRing { inset: 1; radius: 4 }
                        HoverHandler { id: appHover }
                        RowLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 10
                            anchors.rightMargin: 10
                            spacing: 8
                            AppIcon { Layout.preferredWidth: 24; Layout.preferredHeight: 24; source: appRow.app.iconSource }
                            Text {
                                Layout.fillWidth: true
                                text: appRow.app.name
                                color: Theme.primary
                                font.pixelSize: Theme.bodySize
                                elide: Text.ElideRight
                            }
                            MvButton {
                                visible: appHover.hovered || appRow.activeFocus
                                // The row is the stop for Tab and takes Space; this button shows only with it.
                                focusPolicy: Qt.NoFocus
                                plain: true
                                symbol: "plus.circle.fill"
                                symbolSize: 14
                                tint: Theme.accent
                                help: "Add"
                                onClicked: window.picker.add(appRow.app.bundleIdentifier)
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
            MvButton { text: "Cancel"; onClicked: window.close() }
            MvButton { prominent: true; text: "Apply"; onClicked: window.picker.apply() }
        }
    }
}
