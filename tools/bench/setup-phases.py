#!/usr/bin/env python3
"""Where the time of SETUP.EXE /S goes, phase by phase: tools/bench/nsis-compare.sh
runs the setup with /LOG under `perf record` (the write and fsync system calls'
tracepoints and the process's start and end) and hands each run here as a pair
of files: perf script's text and the log. The log's lines are written one
write() each, in order, so the n-th write to the log's descriptor is the time
of the n-th line. Prints, for each phase, the median of the runs and the time
spent in fsync within it (FlushFileBuffers).

Usage: setup-phases.py PERF_SCRIPT_TEXT LOG [PERF_SCRIPT_TEXT LOG ...]
"""
import re
import statistics
import sys
from collections import Counter

EVENT = re.compile(r'\s*\S+\s+(\d+)\s+\[\d+\]\s+([\d.]+):\s+(\S+):\s*(.*)')

# Each phase ends at the first (or, with last, the last) log line it names.
PHASES = [
    ("process start until the log is open", None),
    ("self-check, script load, folder checks", (lambda l: l.startswith("installing into"), False)),
    ("record taken up, folders, the first file", (lambda l: l.startswith("installed "), False)),
    ("the other files copied", (lambda l: l.startswith("installed ") and "\\Start Menu\\" not in l, True)),
    ("driver and application registration", (lambda l: l.startswith("folder ") and "\\Start Menu\\" in l, False)),
    ("program group", (lambda l: l.startswith("installed ") and "\\Start Menu\\" in l, True)),
    ("record closed, system.ini switched", (lambda l: l.startswith("system.ini"), False)),
    ("end of the run", (lambda l: l.startswith("exit code"), False)),
]


def phases_of(events_path, log_path):
    events = []
    with open(events_path) as text:
        for line in text:
            m = EVENT.match(line)
            if m:
                events.append((float(m.group(2)), int(m.group(1)), m.group(3), m.group(4)))
    with open(log_path, encoding="latin-1") as text:
        log = text.read().replace("\r", "").splitlines()
    start = next((t, p) for t, p, e, _ in events if e == "sched:sched_process_exec")
    t0, setup = start
    end = [t for t, p, e, _ in events if e == "sched:sched_process_exit" and p == setup][-1]
    writes = [(t, re.search(r"fd: (0x[0-9a-f]+)", a).group(1)) for t, p, e, a in events
              if e == "syscalls:sys_enter_write" and p == setup]
    counts = Counter(fd for _, fd in writes)
    log_fd = [fd for fd, n in counts.items() if n == len(log)]
    if len(log_fd) != 1:
        sys.exit(f"{events_path}: no descriptor took the log's {len(log)} lines")
    line_times = [t for t, fd in writes if fd == log_fd[0]]
    fsyncs, entered = [], None
    for t, p, e, _ in events:
        if p != setup:
            continue
        if e == "syscalls:sys_enter_fsync":
            entered = t
        elif e == "syscalls:sys_exit_fsync" and entered is not None:
            fsyncs.append((entered, t - entered))
            entered = None
    marks = [t0, line_times[0]]
    for _, (names, last) in PHASES[1:]:
        hits = [i for i, l in enumerate(log) if names(l)]
        if not hits:
            sys.exit(f"{log_path}: no line ends the phase after {len(marks) - 1}")
        marks.append(line_times[hits[-1] if last else hits[0]])
    marks.append(end)
    result = []
    for a, b in zip(marks, marks[1:]):
        inside = [d for s, d in fsyncs if a <= s < b]
        result.append(((b - a) * 1000, sum(inside) * 1000, len(inside)))
    result.append(((end - t0) * 1000, sum(d for _, d in fsyncs) * 1000, len(fsyncs)))
    return result


def main():
    pairs = sys.argv[1:]
    if not pairs or len(pairs) % 2:
        sys.exit(__doc__)
    runs = [phases_of(pairs[i], pairs[i + 1]) for i in range(0, len(pairs), 2)]
    names = [name for name, _ in PHASES] + ["process end", "whole process"]
    for k, name in enumerate(names):
        ms = statistics.median(r[k][0] for r in runs)
        flush = statistics.median(r[k][1] for r in runs)
        calls = statistics.median(r[k][2] for r in runs)
        print(f"  {name:<42} {ms:7.1f} ms   in fsync {flush:6.1f} ms, {calls:3.0f} calls")


main()
