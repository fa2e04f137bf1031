#!/usr/bin/env python3
"""What the machine did around each late step of a song the real program played.

Usage: playback_timeline.py SCHEDULE LOG FIRST_LINE PERF_SCRIPT PID

SCHEDULE, LOG and FIRST_LINE are those of `song_log_lateness check`; PERF_SCRIPT is the text
of `perf script -F comm,pid,tid,cpu,time,event,trace` over a system-wide `perf record -k mono`
of sched:sched_switch, syscalls:sys_enter_clock_nanosleep and the program's
syscalls:sys_enter_openat (for the log's epoch).
PID is the program's. Prints, for every timer step that sent a message more than 2 ms late
(after the song's first instant), how long the timer thread had slept before that step and
what ran on each CPU meanwhile; then a summary of the late steps by cause.
"""
import bisect
import collections
import re
import sys

SWITCH = re.compile(r"\s*(.+?)\s+(\d+)/(\d+)\s+\[(\d+)\]\s+([\d.]+):\s+sched:sched_switch: "
                    r"prev_comm=(.*?) prev_pid=(\d+) .*==> next_comm=(.*?) next_pid=(\d+)")
OPEN = re.compile(r"\s*.+?\s+(\d+)/\d+\s+\[\d+\]\s+([\d.]+):\s+syscalls:sys_enter_openat")
SLEEP = re.compile(r"\s*.+?\s+(\d+)/(\d+)\s+\[\d+\]\s+([\d.]+):\s+syscalls:sys_enter_clock_nanosleep")


def lateness(schedule_path, log_path, first_line):
    """(logged µs, lateness µs, scheduled µs) of every message, lateness from the best."""
    schedule = collections.defaultdict(list)
    for line in open(schedule_path):
        micros, channel, call = line.split(" ", 2)
        schedule[channel].append(int(micros))
    logged = collections.defaultdict(list)
    for number, line in enumerate(open(log_path), 1):
        micros, call = line.rstrip("\n").split(" ", 1)
        if number < first_line or not call.startswith("short"):
            continue
        logged[str(int(call.split()[1], 16) & 15)].append(int(micros))
    messages = [(got, got - due, due) for channel, dues in schedule.items()
                for due, got in zip(dues, logged[channel])]
    best = min(offset for _, offset, _ in messages)
    return [(got, offset - best, due) for got, offset, due in messages]


def main(schedule_path, log_path, first_line, perf_path, pid):
    runs = collections.defaultdict(list)  # tid -> [(start, end, cpu)]
    busy = []  # (cpu, start, end, name) of every task but the idle one
    opens = []
    sleeps = collections.defaultdict(list)  # tid -> times it began a sleep (in the program,
    # only the 10 ms waits for a contended lock)
    current = {}
    for line in open(perf_path):
        found = SWITCH.match(line)
        if found:
            cpu, at = int(found.group(4)), float(found.group(5))
            if cpu in current:
                start, name, tid = current[cpu]
                if tid != "0":
                    busy.append((cpu, start, at, name))
                    runs[tid].append((start, at, cpu))
            current[cpu] = (at, f"{found.group(8)}/{found.group(9)}", found.group(9))
            continue
        found = OPEN.match(line)
        if found and found.group(1) == pid:
            opens.append(float(found.group(2)))
        found = SLEEP.match(line)
        if found and found.group(1) == pid:
            sleeps[found.group(2)].append(float(found.group(3)))
    messages = lateness(schedule_path, log_path, int(first_line))

    # The log stamps its lines from its first open; of the files the program created, the
    # log is the one whose stamps fall inside the runs of one of its threads.
    def fit(epoch, tid):
        starts = [start for start, _, _ in runs[tid]]
        inside = 0
        for got, _, _ in messages[::50]:
            at = epoch + got / 1e6
            i = bisect.bisect_right(starts, at) - 1
            inside += i >= 0 and runs[tid][i][1] >= at
        return inside

    program = [tid for tid in runs if any(name.endswith("/" + tid) for _, _, _, name in busy)]
    epoch, timer = max(((epoch, tid) for epoch in opens for tid in program),
                       key=lambda pair: fit(*pair), default=(None, None))
    if epoch is None:
        print("timeline: no log open or no program thread in the perf record")
        return 1
    starts = [start for start, _, _ in runs[timer]]
    song_start = epoch + min(got for got, _, _ in messages) / 1e6
    steps = collections.OrderedDict()  # the timer run that sent late messages -> lateness
    for got, late, due in sorted(messages):
        if due == 0 or late <= 2000:
            continue
        i = bisect.bisect_right(starts, epoch + got / 1e6) - 1
        steps[i] = max(steps.get(i, 0), late)
    causes = collections.Counter()
    for i, late in steps.items():
        start, _, cpu = runs[timer][i]
        slept_from = runs[timer][i - 1][1] if i > 0 else start
        others = collections.defaultdict(float)
        for other_cpu, begin, end, name in busy:
            if end > slept_from and begin < start and not name.endswith("/" + timer):
                others[(other_cpu, name)] += (min(end, start) - max(begin, slept_from)) * 1000
        on_its_cpu = {name: ms for (other_cpu, name), ms in others.items() if other_cpu == cpu}
        held = sum(on_its_cpu.values()) > 0.5
        waited = i > 0 and any(runs[timer][i - 1][0] <= at <= slept_from for at in sleeps[timer])
        cause = ("it had slept 10 ms waiting for the redraw queue's lock" if waited else
                 "its CPU was held by another task" if held else
                 "its CPU sat idle past the deadline (the wake-up itself came late)")
        causes[cause] += 1
        print(f"{(start - song_start):7.3f} s into the song: up to {late / 1000:.3f} ms late; the timer thread slept "
              f"{(start - slept_from) * 1000:.3f} ms, then woke on CPU {cpu}; {cause}; "
              "meanwhile " + (", ".join(f"CPU {c} ran {name} {ms:.3f} ms"
                                        for (c, name), ms in sorted(others.items())) or "nothing ran"))
    print(f"timeline: {len(steps)} late steps (timer thread {timer}): " +
          (", ".join(f"{n} where {cause}" for cause, n in causes.items()) or "none") +
          "; lock waits: " + (", ".join(f"{len(times)} by thread {tid}" + (" (the timer)" if
                                                                            tid == timer else "")
                                        for tid, times in sleeps.items()) or "none"))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
