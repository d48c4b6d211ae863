import QtQuick
import QtQuick.Window

Window {
    id: root

    readonly property int tileSize: 56
    readonly property int padding: 10

    title: "Dock"
    visible: true
    color: "transparent"
    flags: Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint | Qt.WindowDoesNotAcceptFocus
    width: Math.max(strip.implicitWidth + 2 * padding, 2 * tileSize)
    height: tileSize + 34 + 2 * padding
    x: Screen.virtualX + (Screen.width - width) / 2
    y: Screen.virtualY + Screen.height - height - 6
    screen: Qt.application.screens[0]

    FontLoader {
        id: glyphs
        source: "file:///usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"
    }

    Rectangle {
        anchors.fill: parent
        radius: 18
        color: "#c81e1e22"
        border.color: "#40ffffff"
        border.width: 1
    }

    Row {
        id: strip
        anchors.centerIn: parent
        spacing: 4

        TileRow { listName: "persistent-apps"; tiles: dock.apps }

        Separator {}

        TileRow { listName: "persistent-others"; tiles: dock.others }

        // Apps that run with a regular activation policy but are not kept in the Dock.
        Separator { visible: running.count > 0 }

        TileRow { id: running; listName: "running"; tiles: dock.running; movable: false; visible: count > 0 }
    }

    component Separator: Item {
        width: 17
        height: root.tileSize + 34
        Rectangle {
            anchors.centerIn: parent
            width: 1
            height: root.tileSize + 8
            color: "#66ffffff"
        }
    }

    component TileRow: ListView {
        id: row
        property string listName
        property var tiles
        property bool movable: true

        model: tiles
        orientation: ListView.Horizontal
        interactive: false
        spacing: 4
        implicitWidth: contentWidth
        width: contentWidth
        height: root.tileSize + 34
        anchors.verticalCenter: parent ? parent.verticalCenter : undefined
        moveDisplaced: Transition { NumberAnimation { properties: "x"; duration: 120 } }

        delegate: Component { Item {
            id: slot
            readonly property bool spacer: kind.indexOf("spacer") >= 0
            width: kind === "small-spacer" ? root.tileSize / 3 : (spacer ? root.tileSize / 1.5 : root.tileSize + 28)
            height: row.height
            z: grab.drag.active ? 10 : 0
            Accessible.role: slot.spacer ? Accessible.Separator : Accessible.Button
            Accessible.name: slot.spacer ? "" : label

            Item {
                id: face
                width: slot.width
                height: slot.height

                Rectangle {
                    visible: slot.spacer && grab.pressed
                    anchors.fill: parent
                    anchors.margins: 6
                    radius: 6
                    color: "#22ffffff"
                }

                Image {
                    id: picture
                    visible: !slot.spacer && status === Image.Ready
                    source: slot.spacer ? "" : icon
                    width: root.tileSize
                    height: root.tileSize
                    sourceSize: Qt.size(root.tileSize * 2, root.tileSize * 2)
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: 4
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                }

                Rectangle {
                    id: glyph
                    visible: !slot.spacer && !picture.visible
                    width: root.tileSize
                    height: root.tileSize
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: 4
                    radius: 13
                    gradient: Gradient {
                        GradientStop { position: 0; color: kind === "application" ? "#5b6b86" : "#4d7fc4" }
                        GradientStop { position: 1; color: kind === "application" ? "#39445a" : "#2f5f9e" }
                    }
                    Text {
                        anchors.centerIn: parent
                        font.family: glyphs.status === FontLoader.Ready ? glyphs.font.family : "sans-serif"
                        font.pixelSize: root.tileSize * 0.6
                        color: "#f0f4ff"
                        // Material Icons code points: apps, folder, description.
                        text: kind === "application" ? "\ue5c3" : (kind === "folder" ? "\ue2c7" : "\ue873")
                    }
                }

                Text {
                    visible: !slot.spacer
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: root.tileSize + 8
                    width: slot.width
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    font.pixelSize: 11
                    color: "#e8e8ec"
                    text: label
                }
            }

            MouseArea {
                id: grab
                enabled: row.movable
                anchors.fill: parent
                drag.target: face
                drag.axis: Drag.XAxis
                onReleased: {
                    const centre = face.mapToItem(row.contentItem, face.width / 2, face.height / 2)
                    let to = row.indexAt(centre.x, centre.y)
                    if (to < 0) to = centre.x < 0 ? 0 : row.count - 1
                    face.x = 0
                    if (to !== index) dock.moveTile(row.listName, index, to)
                }
            }
        } }
    }
}
