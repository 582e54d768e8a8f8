#!/usr/bin/env python3
"""Checks that the runner's parts include one another in one direction only.

Each folder of Sources/Runner may include the host and the parts listed for it here; the root
(the command line) may include everything. An include against that direction is reported with
its file and line, and the check fails.
"""
import pathlib
import re
import sys

ALLOWED = {
    "Project": {"Project"},
    "Session": {"Session", "Project"},
    "Report": {"Report", "Project"},
    "Tools": {"Tools", "Session", "Project"},
    "Import": {"Import", "Project"},
    "Revision": {"Revision", "Import", "Report", "Project"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def part_of(path, runner):
    relative = path.relative_to(runner)
    return relative.parts[0] if len(relative.parts) > 1 else None


def main():
    runner = pathlib.Path(sys.argv[1]).resolve()
    faults = []
    for source in sorted(runner.rglob("*.[ch]pp")):
        part = part_of(source, runner)
        if part is None:
            continue
        if part not in ALLOWED:
            faults.append(f"{source}: folder {part} has no entry in this check's table")
            continue
        for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = (source.parent / match.group(1)).resolve()
            try:
                target.relative_to(runner)
            except ValueError:
                continue  # the host or another tree
            target_part = part_of(target, runner) or "the command line"
            if target_part not in ALLOWED[part]:
                faults.append(f"{source}:{number}: {part}/ includes {match.group(1)} ({target_part})")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) against the direction of the runner's parts")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
