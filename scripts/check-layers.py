#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own layer, or when the
portable core includes a system header of one platform."""
import pathlib
import re
import sys

# Folder -> the folders its files may include from. Includes run one way:
# entry and cli -> dialog -> maintenance -> config -> device -> platform and l10n
# -> text.
ALLOWED = {
    "entry": {"entry", "dialog", "config", "maintenance", "device", "platform", "l10n", "resources", "text"},
    "cli": {"cli", "dialog", "config", "maintenance", "device", "platform", "l10n", "resources", "text"},
    "dialog": {"dialog", "config", "maintenance", "device", "platform", "l10n", "resources", "text"},
    "maintenance": {"maintenance", "config", "device", "platform", "l10n", "text"},
    "config": {"config", "device", "platform", "l10n", "text"},
    "device": {"device", "platform", "text"},
    "l10n": {"l10n", "platform", "text"},
    "platform": {"platform", "text"},
    "text": {"text"},
    "resources": {"resources"},
    "host": {"host"},
}
PLATFORM_HEADERS = re.compile(r'#\s*include\s*<(windows|winbase|shlobj|shellapi|commctrl|setupapi|unistd|dirent|'
                              r'sys/[a-z]+|fcntl)\.h>')
PROJECT_INCLUDE = re.compile(r'#\s*include\s*"([a-z0-9_]+)/')


def main(source_root: pathlib.Path) -> int:
    faults = []
    for path in sorted(source_root.rglob("*")):
        if path.suffix not in {".h", ".cpp", ".rc"}:
            continue
        relative = path.relative_to(source_root)
        folder = relative.parts[0]
        allowed = ALLOWED.get(folder)
        if allowed is None:
            faults.append(f"{relative}: folder '{folder}' has no place in the layers")
            continue
        portable = folder not in {"entry", "host", "resources"} and "win32" not in relative.parts \
            and "posix" not in relative.parts
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            included = PROJECT_INCLUDE.search(line)
            if included and included.group(1) not in allowed:
                faults.append(f"{relative}:{number}: {folder}/ must not include {included.group(1)}/")
            if portable and folder != "cli" and PLATFORM_HEADERS.search(line):
                faults.append(f"{relative}:{number}: the portable core includes a platform header")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} layering faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
