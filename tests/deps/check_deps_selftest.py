#!/usr/bin/env python3
"""Plants one broken rule at a time in a copy of the tree and expects check_deps.py to name it."""
import os
import shutil
import subprocess
import sys
import tempfile

# (file, line appended to it, what the report must say)
PLANTED = [
    ("server/ZJServ.cpp", '#include "world/db/CZJEngine.h"', 'server/ZJServ.cpp:{line}: includes "world/db/CZJEngine.h"'),
    ("foundation/Rect.cpp", '#include "platform/gfx/device.h"', "foundation/Rect.cpp:{line}: includes"),
    ("render/Graphic.cpp", '#include "ui/CMessager.h"', "render/Graphic.cpp:{line}: includes"),
    ("world/db/CZJEngine.cpp", '#include "app/CZJApp.h"', "world/db/CZJEngine.cpp:{line}: includes"),
    ("tools/mkdata/main.cpp", '#include "tests/support/temp_dir.h"', "tools/mkdata/main.cpp:{line}: includes"),
    ("audio/CSound.cpp", "#include <SDL2/SDL.h>", "audio/CSound.cpp:{line}: includes <SDL2/SDL.h>"),
    ("server/CMakeLists.txt", "target_link_libraries(ZJServ PRIVATE zoq_game)", "ZJServ links zoq_game"),
    ("platform/win/CMakeLists.txt", "target_link_libraries(zoq_platform_win PUBLIC zoq_foundation)",
     "libraries link in a circle"),
    ("ui/CMessager.cpp", '#include "platform/dialog/dialog.h"', "ui/CMessager.cpp:{line}: includes"),
    ("platform/gfx/device.cpp", '#include "platform/dialog/frame.h"', "platform/gfx/device.cpp:{line}: includes"),
    ("render/Graphic.cpp", "#include <imgui.h>", "render/Graphic.cpp:{line}: includes <imgui.h>"),
]


def main():
    root, checker = sys.argv[1], sys.argv[2]
    failures = 0
    with tempfile.TemporaryDirectory() as temp:
        copy = os.path.join(temp, "tree")
        shutil.copytree(root, copy, ignore=shutil.ignore_patterns(".git", "build", ".cache", "data"))
        for path, planted, expected in PLANTED:
            target = os.path.join(copy, path)
            with open(target, encoding="utf-8") as f:
                original = f.read()
            text = original if original.endswith("\n") else original + "\n"
            line = text.count("\n") + 1
            with open(target, "w", encoding="utf-8") as f:
                f.write(text + planted + "\n")
            run = subprocess.run([sys.executable, checker, copy], capture_output=True, text=True)
            with open(target, "w", encoding="utf-8") as f:
                f.write(original)
            want = expected.format(line=line)
            if run.returncode != 1 or want not in run.stdout:
                print(f"planted in {path}: expected exit 1 and '{want}', got {run.returncode}:\n{run.stdout}")
                failures += 1
    print(f"check_deps self-test: {len(PLANTED) - failures} of {len(PLANTED)} planted rules found")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
