#!/usr/bin/env python3
"""Checks every #include of the source against the layer list of docs/development.md.

docs/development.md lists the source folders from the bottom up between the lines
<!-- layers --> and <!-- /layers -->, one bullet per layer; several folders on one bullet
form one layer whose folders never use each other (the writers, the front ends). A file may
include its own folder and the folders of the layers listed above its own, nothing else.
Prints each breach as FILE:LINE: and exits 1 when there is one.

Usage: check_layers.py REPOSITORY
"""
import pathlib
import re
import sys


def layers(readme: str) -> list[list[str]]:
    """The folders of each layer, bottom first, as written in docs/development.md."""
    block = re.search(r"<!-- layers -->(.*?)<!-- /layers -->", readme, re.S)
    if not block:
        sys.exit("docs/development.md: no layer list between <!-- layers --> and <!-- /layers -->")
    result = []
    for line in block.group(1).splitlines():
        if line.startswith("- "):
            head = line.split(" — ")[0]
            result.append([f.strip("/") for f in re.findall(r"`([^`]+)`", head)])
    return result


def include_folder(folder: str) -> str:
    """The folder name an #include "NAME/..." uses for a source folder."""
    return folder.split("/")[-1]


def main(repo: pathlib.Path) -> int:
    stack = layers((repo / "docs" / "development.md").read_text(encoding="utf-8"))
    level = {}
    for k, layer in enumerate(stack):
        for folder in layer:
            level[include_folder(folder)] = (k, folder)
    breaches = []
    for k, layer in enumerate(stack):
        for folder in layer:
            path = repo / folder
            if not path.is_dir():
                breaches.append(f"docs/development.md: the layer list names {folder}/, which does not exist")
                continue
            own = include_folder(folder)
            for source in sorted(path.rglob("*")):
                if source.suffix not in (".h", ".cpp") or "tests" in source.parts:
                    continue
                lines = source.read_text(encoding="utf-8", errors="replace").splitlines()
                for n, text in enumerate(lines, 1):
                    m = re.match(r'\s*#\s*include\s+"([^"/]+)/', text)
                    if not m or m.group(1) == own:
                        continue
                    used = level.get(m.group(1))
                    where = f"{source.relative_to(repo)}:{n}"
                    if used is None:
                        breaches.append(f"{where}: includes {m.group(1)}/, which the layer list lacks")
                    elif used[0] >= k:
                        breaches.append(f"{where}: {folder}/ uses {used[1]}/, which is not below it")
    # Every source folder has its place in the list.
    for sub in sorted((repo / "src").iterdir()):
        if sub.is_dir() and sub.name not in level:
            breaches.append(f"src/{sub.name}/: not in the layer list of docs/development.md")
    for b in breaches:
        print(b)
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")))
