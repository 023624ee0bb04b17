#!/usr/bin/env python3
"""Mutation testing of Lumaroll: does the suite notice when the code is wrong?

Applies one mutant at a time to a copy of the tree, rebuilds incrementally
(ccache), runs the test programs of the mutated file's folder and reports
each mutant as killed, survived or not compiling, with a score per folder.
Never touches the tree it is started from, nor its build/.

List format (tools/mutants.txt), one mutant a line, '#' starts a comment:

    path @@ exact pattern @@ replacement [@@ test programs]

The pattern must occur exactly once in the file; {NL} in a pattern or a
replacement stands for a line break. The optional fourth field
names the test programs to run instead of the folder's (blank separated).

    tools/mutate.py                     every mutant of the list
    tools/mutate.py -f engine -f library  the mutants of these folders
    tools/mutate.py -n 10-25            the mutants on these lines of the list
    tools/mutate.py --check             only check that every pattern applies
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
from collections import OrderedDict

# The test programs that judge each folder's code. Kept narrow: real-time
# playback and glass programs are left out, so one mutant costs seconds.
FOLDER_TESTS = {
    "core": ["test_core", "test_app"],
    "library": ["test_library"],
    "engine": ["test_engine_text", "test_analysis", "test_classify",
               "test_mp3tags", "test_m4atags", "test_analysis_media"],
    "ingest": ["test_ingest", "test_tool_add"],
    "playlists": ["test_playlists", "test_presentation"],
    "player": ["test_player_display", "test_player"],
    "export": ["test_export"],
    "harness": ["test_harness"],
    "ui": ["test_menus", "test_app"],
    "platform": ["test_movie_export", "test_movie_fallback"],
    "tools": ["test_tool_library", "test_tool_playlist", "test_tool_analyze",
              "test_tool_add"],
}

# Narrower still where one program owns a file's behaviour.
FILE_TESTS = {
    "src/engine/analysis.cpp": ["test_analysis"],
    "src/engine/transform.cpp": ["test_analysis"],
    "src/engine/classify.cpp": ["test_classify"],
    "src/engine/m4atags.cpp": ["test_m4atags"],
    "src/engine/mp3tags.cpp": ["test_mp3tags"],
    "src/engine/genres.cpp": ["test_engine_text"],
    "src/engine/text.cpp": ["test_engine_text"],
    "src/engine/durations.cpp": ["test_engine_text"],
}

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def folder_of(path):
    parts = path.split("/")
    if parts[0] == "src" and len(parts) > 2:
        return parts[1]
    return parts[0]


def read_list(path):
    mutants = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            text = line.rstrip("\n")
            if not text.strip() or text.lstrip().startswith("#"):
                continue
            fields = [x.strip() for x in text.split("@@")]
            if len(fields) not in (3, 4):
                sys.exit(f"{path}:{number}: expected 'file @@ pattern @@ replacement [@@ tests]'")
            file, pattern, replacement = (x.replace("{NL}", "\n") for x in fields[:3])
            tests = fields[3].split() if len(fields) == 4 else None
            mutants.append(dict(line=number, file=file, pattern=pattern,
                                replacement=replacement, tests=tests or FILE_TESTS.get(file),
                                folder=folder_of(file)))
    return mutants


def run(cmd, cwd, timeout=None, env=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout, env=env)
        return p.returncode, p.stdout.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        return "timeout", ""


def sync_tree(work):
    """Copies the tree as it is on disk (uncommitted edits and new files
    included); files already alike keep their times, so only what changed
    since the last run is rebuilt."""
    tree = os.path.join(work, "tree")
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT, check=True,
                           stdout=subprocess.PIPE).stdout.decode().split("\0")
    wanted = set()
    for rel in filter(None, files):
        src, dst = os.path.join(ROOT, rel), os.path.join(tree, rel)
        if not os.path.isfile(src):
            continue
        wanted.add(rel)
        with open(src, "rb") as f:
            data = f.read()
        if os.path.isfile(dst):
            with open(dst, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy2(src, dst)
    for dirpath, dirnames, filenames in os.walk(tree):
        if dirpath == tree:
            dirnames[:] = [d for d in dirnames if not d.startswith("build")]
        for name in filenames:
            rel = os.path.relpath(os.path.join(dirpath, name), tree)
            if rel not in wanted:
                os.remove(os.path.join(dirpath, name))
    return tree


def configure(tree, env):
    build = os.path.join(tree, "build")
    if not os.path.exists(os.path.join(build, "build.ninja")):
        code, out = run(["cmake", "-S", tree, "-B", build, "-G", "Ninja",
                         "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DLUMAROLL_BENCH=OFF",
                         "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
                         "-DCMAKE_C_COMPILER_LAUNCHER=ccache"], tree, env=env)
        if code != 0:
            sys.exit("configure failed:\n" + out)
    return build


def locate(build, program):
    for dirpath, _, files in os.walk(os.path.join(build, "tests")):
        if program in files:
            return os.path.join(dirpath, program)
    return None


def run_tests(build, programs, jobs, env, timeout):
    """0 when every program passes; else the first failing program's name."""
    code, out = run(["cmake", "--build", build, "-j", str(jobs), "--target"] + programs,
                    build, env=env)
    if code != 0:
        return "nocompile", out
    for program in programs:
        exe = locate(build, program)
        if exe is None:
            return "nocompile", f"{program} not built"
        code, out = run([exe, "--gtest_brief=1", "--gtest_fail_fast"], os.path.dirname(exe),
                        timeout=timeout, env=env)
        if code != 0:
            return program, out
    return 0, ""


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("list", nargs="?", default=os.path.join(ROOT, "tools", "mutants.txt"))
    ap.add_argument("-f", "--folder", action="append", help="only mutants of this folder")
    ap.add_argument("-n", "--lines", help="only mutants on list lines FIRST-LAST")
    ap.add_argument("-w", "--work", default=os.environ.get("LUMAROLL_MUTATE_DIR", "/tmp/lumaroll-mutate"))
    ap.add_argument("-j", "--jobs", type=int, default=2)
    ap.add_argument("-t", "--timeout", type=int, default=300, help="seconds per test program")
    ap.add_argument("--check", action="store_true", help="only check the patterns")
    ap.add_argument("-v", "--verbose", action="store_true", help="show survivors' test output")
    args = ap.parse_args()

    mutants = read_list(args.list)
    if args.folder:
        mutants = [m for m in mutants if m["folder"] in args.folder]
    if args.lines:
        first, _, last = args.lines.partition("-")
        mutants = [m for m in mutants if int(first) <= m["line"] <= int(last or first)]

    bad = 0
    for m in mutants:
        with open(os.path.join(ROOT, m["file"]), encoding="utf-8") as f:
            n = f.read().count(m["pattern"])
        if n != 1:
            print(f"list line {m['line']}: pattern occurs {n} times in {m['file']}: {m['pattern']}")
            bad += 1
        if m["folder"] not in FOLDER_TESTS and not m["tests"]:
            print(f"list line {m['line']}: no tests known for folder {m['folder']}")
            bad += 1
    if bad or args.check:
        print(f"{len(mutants)} mutants, {bad} bad")
        return 1 if bad else 0

    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    os.makedirs(args.work, exist_ok=True)
    # Relative paths under the copy match those of any worktree, so the
    # shared compiler cache serves the first build of the copy.
    env["CCACHE_BASEDIR"] = args.work
    tree = sync_tree(args.work)
    build = configure(tree, env)

    # The unmutated tree must pass the tests that will judge the mutants.
    wanted = sorted({p for m in mutants for p in (m["tests"] or FOLDER_TESTS[m["folder"]])})
    started = time.time()
    code, out = run_tests(build, wanted, args.jobs, env, args.timeout)
    if code != 0:
        print(out[-4000:])
        sys.exit(f"the unmutated tree fails ({code}); fix that first")
    print(f"baseline: {len(wanted)} test programs pass ({time.time() - started:.0f} s)", flush=True)

    results = OrderedDict()
    report = []
    for m in mutants:
        path = os.path.join(tree, m["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(m["pattern"], m["replacement"], 1))
        programs = m["tests"] or FOLDER_TESTS[m["folder"]]
        t0 = time.time()
        try:
            code, out = run_tests(build, programs, args.jobs, env, args.timeout)
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        if code == "nocompile":
            verdict = "NOT COMPILING"
        elif code == 0:
            verdict = "SURVIVED"
        else:
            verdict = "killed"
        tally = results.setdefault(m["folder"], dict(killed=0, survived=0, nocompile=0))
        tally["killed" if verdict == "killed" else "survived" if verdict == "SURVIVED" else "nocompile"] += 1
        line = (f"{verdict:13} list:{m['line']:<4} {m['file']}: "
                f"{m['pattern']!r} -> {m['replacement']!r}"
                + (f"  [{code}]" if verdict == "killed" else "") + f"  {time.time() - t0:.0f}s")
        print(line, flush=True)
        report.append(line)
        if verdict == "SURVIVED" and args.verbose:
            print(out)

    # Put the copy back as it was and rebuild, so the next run starts clean.
    run(["cmake", "--build", build, "-j", str(args.jobs), "--target"] + wanted, build, env=env)

    print("\nfolder       killed survived not-compiling score")
    tk = ts = 0
    for folder, t in results.items():
        judged = t["killed"] + t["survived"]
        score = 100.0 * t["killed"] / judged if judged else 0.0
        tk += t["killed"]
        ts += t["survived"]
        print(f"{folder:12} {t['killed']:6} {t['survived']:8} {t['nocompile']:13} {score:5.1f} %")
    if tk + ts:
        print(f"{'all':12} {tk:6} {ts:8} {'':13} {100.0 * tk / (tk + ts):5.1f} %")
    with open(os.path.join(args.work, "report.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(report) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
