#!/usr/bin/env python3
"""Checks the tiers of the tree: which folder may include and link which.

Usage: check_deps.py ROOT. Prints one line per broken rule (file, line, rule) and exits 1 when any.
"""
import os
import re
import sys

# Where a path belongs: the longest matching prefix wins.
UNITS = {
    "platform/": "platform",
    "platform/dialog/": "dialog",  # the settings program's dialog window, for it alone
    "foundation/": "foundation",
    "render/": "engine",
    "audio/": "engine",
    "net/": "engine",
    "net/CZJDPClient": "game",  # the game's protocol client creates world objects
    "net/NetClient": "game",
    "net/tools/": "tools",
    "world/": "game",
    "ai/": "game",
    "script/": "game",
    "script/CScriptInter": "engine",  # the interpreter and the text form: the compiler's leaf
    "script/ScriptText": "engine",
    "ui/": "game",
    "app/": "app",
    "server/": "server",
    "settings/": "settings",
    "tools/": "tools",
    "tests/": "tests",
    "tests/support/": "test support",
    "cmake/": "tests",
    "bench/": "bench",
}

LOWER_THAN_GAME = {"platform", "foundation", "engine"}
PRODUCT = LOWER_THAN_GAME | {"game", "app"}

# What each unit may include and link besides itself: unit names, or path prefixes for a part of a
# unit.
MAY_USE = {
    "platform": {"platform"},
    "dialog": {"platform"},
    "foundation": {"foundation", "platform/win/"},
    "engine": LOWER_THAN_GAME,
    "game": LOWER_THAN_GAME | {"game"},
    "app": PRODUCT,
    "server": LOWER_THAN_GAME,
    "settings": {"platform", "foundation", "dialog"},
    "tools": PRODUCT | {"tools"},
    "test support": PRODUCT | {"tools", "test support"},
    "tests": PRODUCT | {"dialog", "settings", "tools", "server", "test support", "tests"},
    "bench": PRODUCT | {"dialog", "settings", "tools", "server", "test support", "bench"},
}

# Outside libraries whose headers only some folders include: the platform layers wrap them.
LIBRARY_HEADERS = [
    ("SDL", re.compile(r"SDL2?/|SDL\.h"), ["platform/window/", "platform/input/", "platform/gfx/",
                                           "platform/dialog/", "tests/platform/", "tests/settings/"]),
    ("OpenGL", re.compile(r"GL/|EGL/|KHR/"), ["platform/gfx/", "platform/dialog/"]),
    ("OpenAL", re.compile(r"AL/"), ["platform/sound/"]),
    # Raw ENet: the baselines of the relay benchmark and the hostile client of the flood test.
    ("ENet", re.compile(r"enet/"), ["platform/net/", "bench/", "tests/server/"]),
    # The audio code decodes Ogg Vorbis itself; the tools encode it.
    ("Ogg Vorbis", re.compile(r"ogg/|vorbis/"), ["platform/", "audio/", "tools/audio/", "tests/audio/",
                                                  "tests/tools/audio/", "bench/"]),
    ("Theora", re.compile(r"theora/"), ["platform/video/", "tools/audio/"]),
    ("Dear ImGui", re.compile(r"imgui"), ["platform/dialog/"]),
]

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".c", ".inl", ".cpp.in")
SKIP_DIRS = {".git", "build", ".cache"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def unit_of(path):
    best = None
    for prefix in UNITS:
        if path.startswith(prefix) and (best is None or len(prefix) > len(best)):
            best = prefix
    return UNITS[best] if best else None


def allowed(user_path, used_path):
    user = unit_of(user_path)
    used = unit_of(used_path)
    if user is None or used is None:
        return True, ""
    rules = MAY_USE[user]
    if used == user or used in rules or any("/" in r and used_path.startswith(r) for r in rules):
        return True, ""
    return False, f"{user} ({user_path.split('/')[0]}/) may use only {', '.join(sorted(rules))}"


def walk(root):
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS)
        for name in sorted(files):
            yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def check_includes(root, files, report):
    project_folders = {f.split("/")[0] for f in files if "/" in f}
    for path in files:
        if not path.endswith(SOURCE_SUFFIXES):
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                kind, target = m.groups()
                if kind == '"' and target.split("/")[0] in project_folders:
                    ok, rule = allowed(path, target)
                    if not ok:
                        report(path, number, f'includes "{target}": {rule}')
                    continue
                for library, pattern, folders in LIBRARY_HEADERS:
                    if pattern.match(target) and not any(path.startswith(p) for p in folders):
                        report(path, number,
                               f"includes <{target}>: only {', '.join(folders)} include {library} headers")


def cmake_calls(text, command):
    """Yields (line, arguments) of each call of command in a CMakeLists.txt."""
    text = re.sub(r"#[^\n]*", "", text)
    for m in re.finditer(r"\b" + command + r"\s*\(([^)]*)\)", text):
        yield text.count("\n", 0, m.start()) + 1, m.group(1).split()


def check_links(root, files, report):
    lists = [f for f in files if f.endswith("CMakeLists.txt")]
    texts = {}
    for path in lists:
        with open(os.path.join(root, path), encoding="utf-8") as f:
            texts[path] = f.read()
    # A target belongs where it is defined, or where its sources are added from.
    home = {}
    for path, text in texts.items():
        for command in ("add_library", "add_executable"):
            for _, args in cmake_calls(text, command):
                if args and "ALIAS" not in args:
                    home[args[0]] = path
    for path, text in texts.items():
        for line, args in cmake_calls(text, "target_sources"):
            if args and args[0] in home and "/" not in home[args[0]]:
                home[args[0]] = path
    links = {}
    for path, text in texts.items():
        for line, args in cmake_calls(text, "target_link_libraries"):
            if not args or args[0] not in home:
                continue
            user = args[0]
            for used in args[1:]:
                if used not in home:
                    continue
                links.setdefault(user, set()).add(used)
                ok, rule = allowed(home[user], home[used])
                if not ok:
                    report(path, line, f"{user} links {used}: {rule}")
    # Static libraries that link one another in a circle.
    state = {}

    def visit(target, trail):
        state[target] = "open"
        for used in sorted(links.get(target, ())):
            if state.get(used) == "open":
                circle = trail[trail.index(used):] + [used]
                report(home[target], 0, "libraries link in a circle: " + " -> ".join(circle))
            elif used not in state:
                visit(used, trail + [used])
        state[target] = "done"

    for target in sorted(links):
        if target not in state:
            visit(target, [target])


def main():
    if len(sys.argv) != 2:
        print("usage: check_deps.py ROOT", file=sys.stderr)
        return 2
    root = sys.argv[1]
    files = list(walk(root))
    broken = []

    def report(path, line, rule):
        broken.append(f"{path}:{line}: {rule}")

    check_includes(root, files, report)
    check_links(root, files, report)
    for line in broken:
        print(line)
    if broken:
        print(f"check_deps: {len(broken)} broken rule(s)")
        return 1
    print(f"check_deps: {len(files)} files follow the tiers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
