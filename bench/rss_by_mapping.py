#!/usr/bin/env python3
"""Where a running process's resident memory is: its mappings from
/proc/PID/smaps summed by what they map (a file, [heap], [stack], or
[anon] for anonymous memory, which holds malloc's other arenas, thread
stacks and the video buffers), largest first, in MiB; before them the
totals of three kinds: private memory ([heap], [stack], [anon]), memory
shared with the X server (System V segments and memfd files: the images
put on the screen) and mapped files (the program and its libraries).

usage: bench/rss_by_mapping.py PID [--top N]
"""
import argparse
import collections


def resident_by_mapping(pid):
    sizes = collections.Counter()
    name = "[anon]"
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if "-" in fields[0] and len(fields) >= 5 and ":" in fields[3]:
                # A mapping's first line: range, permissions, offset, device, inode[, path].
                name = fields[5] if len(fields) > 5 else "[anon]"
            elif fields[0] == "Rss:":
                sizes[name] += int(fields[1])
    return sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("pid", type=int)
    parser.add_argument("--top", type=int, default=15)
    args = parser.parse_args()
    sizes = resident_by_mapping(args.pid)
    kinds = collections.Counter()
    for name, kib in sizes.items():
        if name.startswith("/SYSV") or name.startswith("/memfd:"):
            kinds["shared with the X server"] += kib
        elif name.startswith("["):
            kinds["private"] += kib
        else:
            kinds["mapped files"] += kib
    print(f"{sum(sizes.values()) / 1024:8.1f} MiB  resident in all")
    for kind, kib in kinds.most_common():
        print(f"{kib / 1024:8.1f} MiB  {kind}")
    print(f"{sum(1 for name in sizes if name.startswith('/') and '.so' in name)} libraries mapped; by mapping:")
    for name, kib in sizes.most_common(args.top):
        print(f"{kib / 1024:8.1f} MiB  {name}")


if __name__ == "__main__":
    main()
