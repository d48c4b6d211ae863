"""The reference Dock's and the store's file shapes, shared by the demo home and the end-to-end tests."""

import base64
import plistlib

REFERENCE_EPOCH = 978307200  # the store counts seconds from 2001-01-01T00:00:00Z


def app_tile(bundle_id, label, path):
    """A Dock tile for the app bundle at `path`."""
    return {"tile-data": {"bundle-identifier": bundle_id, "file-label": label,
                          "file-data": {"_CFURLString": "file://" + path + "/", "_CFURLStringType": 15}},
            "tile-type": "file-tile"}


def blob(tiles):
    """Tiles as a stored profile holds them: a binary property list in Base64."""
    return base64.b64encode(plistlib.dumps(tiles, fmt=plistlib.FMT_BINARY)).decode()
