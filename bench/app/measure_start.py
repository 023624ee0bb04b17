#!/usr/bin/env python3
"""Start-up, memory and idle CPU of the lumaroll program with a full library.

Usage: measure_start.py BUILD_DIR [RUNS]

Writes a 30000-tune library into a temporary data folder, starts
build/src/app/lumaroll RUNS times (offscreen platform unless a display is
set), and reports: the time from process start to the first paint of the
list (and the CPU time the process used up to then, which other load on
the machine does not inflate); resident memory once idle; CPU used while idle for 10 s; and that
SIGTERM ends it with status 0 after saving the library.
"""
import os
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
program = os.path.join(build, "src/app/lumaroll")
helper = os.path.join(build, "bench/app/lumaroll-bench-helper")

tmp = tempfile.mkdtemp(prefix="lumaroll-bench-")
env = dict(os.environ,
           XDG_DATA_HOME=os.path.join(tmp, "data"),
           XDG_CONFIG_HOME=os.path.join(tmp, "config"),
           LUMAROLL_ANNOUNCE_PAINT="1")
if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
    env["QT_QPA_PLATFORM"] = "offscreen"
subprocess.run([helper, "library", "30000"], env=env, check=True)
database = os.path.join(tmp, "data/Lumaroll/LumarollDatabase")
print(f"library: {os.path.getsize(database) // 4566} tunes")

ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


starts = []
cpus = []
for run in range(runs):
    t0 = time.monotonic()
    p = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = p.stdout.readline().strip()
    starts.append(time.monotonic() - t0)
    cpus.append(cpu_seconds(p.pid))
    if line != "painted":
        sys.exit(f"no first paint (got {line!r})")
    if run == runs - 1:
        time.sleep(2)
        rss = rss_mb(p.pid)
        c0 = cpu_seconds(p.pid)
        time.sleep(10)
        idle = cpu_seconds(p.pid) - c0
        print(f"resident memory after start: {rss:.0f} MB")
        print(f"CPU while idle: {idle:.2f} s in 10 s ({idle * 10:.1f} %)")
    os.utime(database, (0, 0))
    p.terminate()
    status = p.wait(timeout=30)
    saved = os.stat(database).st_mtime > 0
    if status != 0 or not saved:
        sys.exit(f"SIGTERM: status {status}, library saved: {saved}")

starts.sort()
print("start to first painted list: " + ", ".join(f"{s * 1000:.0f} ms" for s in starts) +
      f" (median {starts[len(starts) // 2] * 1000:.0f} ms)")
cpus.sort()
print("CPU used up to that paint: " + ", ".join(f"{c * 1000:.0f} ms" for c in cpus) +
      f" (median {cpus[len(cpus) // 2] * 1000:.0f} ms)")
with open("/proc/loadavg") as f:
    print("load average during the runs: " + f.read().split()[0])
print("SIGTERM: status 0 and the library saved, every run")
