#!/usr/bin/env python3
"""Checks that the program's includes run one way, from the program down to the data.

Each folder of src/ (and data/) is a layer and may include only the layers below it; a
platform's own folder (platform/sdl, platform/win32, platform/web) may use what all platforms
share in platform/ but nothing of another platform. The program's entry for one platform
(app/web_main.cpp) may use that platform's own header too. Prints one line per offending include and
exits 1 when there is any."""
import pathlib
import re
import sys

# What each layer may include, itself always allowed.
MAY_INCLUDE = {
    "data": set(),
    "assets": {"data"},
    "game": set(),
    "sound": set(),
    "render": {"game", "assets", "data"},
    "platform": {"assets", "data"},
    "app": {"platform", "render", "assets", "game", "sound", "data"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def layer_of(path):
    """(layer, platform folder or None) of a source file, a path relative to the root."""
    parts = path.parts
    if parts[0] == "data":
        return "data", None
    if parts[1] == "platform" and len(parts) > 3:
        return "platform", parts[2]
    if parts[1] == "app" and parts[-1].endswith("_main.cpp"):
        return "app", parts[-1][: -len("_main.cpp")]
    return parts[1], None


def offences(root):
    files = [p for d in ("src", "data") for p in (root / d).rglob("*") if p.suffix in (".h", ".cpp")]
    for path in sorted(files):
        rel = path.relative_to(root)
        layer, own_platform = layer_of(rel)
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            parts = target.split("/")
            if len(parts) < 2:
                continue  # a file beside it
            to_layer = parts[0]
            if to_layer != layer and to_layer not in MAY_INCLUDE.get(layer, set()):
                yield f"{rel}: the {layer} layer includes {target} from the {to_layer} layer"
            elif to_layer == "platform" and len(parts) > 2 and parts[1] != own_platform:
                yield f"{rel}: includes {target} from another platform's folder"


def main():
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2]
    found = list(offences(root))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
