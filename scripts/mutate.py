#!/usr/bin/env python3
"""Mutation testing of src/: one small change at a time, rebuilt and run against the test
programs that cover the changed folder. A mutant is killed when a test fails or times out,
survives when every test passes, and is not built when the compiler refuses it. The source file
is restored after each mutant, also when the run is interrupted.

A sample is drawn with a seed from every site of every kind, or replayed from a list written by
an earlier run (--save / --replay), so that one sample can be measured before and after a change
of the tests. A replayed mutant is found by its file and the text of its line, not its line
number; one whose line is gone is counted as gone.
"""
import argparse
import json
import os
import random
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The test programs that cover each folder of src/, its own first: a folder is covered by its
# own tests and by those of the folders built on it.
COVERING = {
    "settings": ["settings", "files", "pdu", "db", "app"],
    "files": ["files", "app", "db"],
    "pdu": ["pdu", "app"],
    "phone": ["phone", "app"],
    "db": ["db", "app"],
    "app": ["app", "window"],
    "app/window": ["window"],
    "dialogs": ["dialogs", "window"],
}
# The crash soak repeats what the journal tests check, at many times their cost.
SLOW_TESTS = "-CrashSoak.*"
SHARDS = 3

FLIPPED = {"==": "!=", "!=": "==", "<": ">", ">": "<", "<=": ">=", ">=": "<="}
BOUNDARY = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
COMPARISON = re.compile(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
BOOLEAN = re.compile(r"\b(true|false)\b")
CONDITION = re.compile(r"\b(if|while) \(")
STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:.\[\]]*(->\w+)*\s*(\(|=[^=]|\+=|-=|\+\+|--|<<)")


def blank_literals(line):
    """The line with string and character literals and a trailing // comment blanked, so that
    nothing inside them is taken for code."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def matching_paren(code, open_at):
    depth = 0
    for i in range(open_at, len(code)):
        depth += {"(": 1, ")": -1}.get(code[i], 0)
        if depth == 0:
            return i
    return -1


def sites_of_line(code):
    """(kind, column, original, replacement) for each mutation this line of code allows."""
    found = []
    for m in COMPARISON.finditer(code):
        op = m.group(1)
        found.append(("flip", m.start(), op, FLIPPED[op]))
        if op in BOUNDARY:
            found.append(("boundary", m.start(), op, BOUNDARY[op]))
    for m in NUMBER.finditer(code):
        found.append(("constant", m.start(), m.group(1), str(int(m.group(1)) + 1)))
    for m in BOOLEAN.finditer(code):
        value = m.group(1)
        found.append(("constant", m.start(), value, "false" if value == "true" else "true"))
    for m in CONDITION.finditer(code):
        open_at = m.end() - 1
        close_at = matching_paren(code, open_at)
        if close_at > 0:
            inner = code[open_at + 1 : close_at]
            found.append(("negate", open_at + 1, inner, "!(" + inner + ")"))
    return found


def candidate_sites(path):
    rel = os.path.relpath(path, ROOT)
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    sites, in_comment, previous = [], False, ""
    for number, line in enumerate(lines, 1):
        stripped = line.strip()
        if in_comment:
            in_comment = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_comment = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//")):
            continue
        code = blank_literals(line)
        # Declarations at file level (constants, tables) are left to the compiler's checks.
        if line[:1] not in (" ", "\t") and not stripped.startswith("}"):
            previous = code.strip()
            continue
        for kind, column, original, replacement in sites_of_line(code):
            # The blanked code found the site; the change is made to the line as written.
            written = line[column : column + len(original)]
            if kind == "negate":
                original, replacement = written, "!(" + written + ")"
            sites.append(dict(file=rel, line=number, text=line, kind=kind, column=column,
                              original=original, replacement=replacement))
        balanced = code.count("(") == code.count(")")
        if (STATEMENT.match(code) and code.rstrip().endswith(";") and balanced
                and previous.endswith((";", "{", "}"))):
            indent = line[: len(line) - len(line.lstrip())]
            sites.append(dict(file=rel, line=number, text=line, kind="drop", column=0,
                              original=stripped, replacement=indent + ";"))
        previous = code.strip()
    return sites


def all_sites():
    sites = []
    for folder, _, files in sorted(os.walk(os.path.join(ROOT, "src"))):
        for name in sorted(files):
            if name.endswith(".cpp") and "Win32" not in name:
                sites.extend(candidate_sites(os.path.join(folder, name)))
    return sites


def mutated_line(site):
    text, col = site["text"], site["column"]
    if site["kind"] == "drop":
        return site["replacement"]
    assert text[col : col + len(site["original"])] == site["original"]
    return text[:col] + site["replacement"] + text[col + len(site["original"]) :]


def locate(site):
    """The line number where the site's line stands now (the nearest to where it stood), or
    None when it is gone."""
    with open(os.path.join(ROOT, site["file"]), encoding="utf-8") as f:
        lines = f.read().split("\n")
    matches = [i + 1 for i, line in enumerate(lines) if line == site["text"]]
    if not matches:
        return None
    return min(matches, key=lambda n: abs(n - site["line"]))


def folder_of(rel):
    parts = rel.split("/")
    return "app/window" if parts[1:3] == ["app", "window"] else parts[1]


def run(command, timeout, log):
    log.write("$ " + " ".join(command) + "\n")
    log.flush()
    try:
        return subprocess.run(command, stdout=log, stderr=subprocess.STDOUT, cwd=ROOT,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return None


def run_tests(programs, build, log, timeout):
    """True when every test of the programs passes. Each program runs in SHARDS shards at once
    (most tests wait on a modem or a server, not on a core); the first failure stops them all."""
    command = lambda p: [os.path.join(build, "tests", p), "--gtest_brief=1", "--gtest_fail_fast",
                         "--gtest_filter=" + SLOW_TESTS]
    running = []
    for program in programs:
        for shard in range(SHARDS):
            env = dict(os.environ, GTEST_TOTAL_SHARDS=str(SHARDS), GTEST_SHARD_INDEX=str(shard))
            running.append(subprocess.Popen(command(program), stdout=log, stderr=subprocess.STDOUT,
                                            cwd=ROOT, env=env, start_new_session=True))
    log.write("$ %s in %d shards each\n" % (" ".join(programs), SHARDS))
    log.flush()
    deadline, passed = time.time() + timeout, True
    while passed and any(p.poll() is None for p in running):
        passed = all(p.poll() in (None, 0) for p in running) and time.time() < deadline
        time.sleep(0.2)
    passed = passed and all(p.returncode == 0 for p in running)
    for p in running:
        if p.poll() is None:
            os.killpg(p.pid, 9)
            p.wait()
    # A virtual modem or gateway a killed test started may sit in a session of its own, and a
    # killed stall test leaves the MariaDB test server stopped: the next mutant would time out.
    subprocess.run(["pkill", "-9", "-f", os.path.join(build, "tools") + "/"])
    socket = os.environ.get("PELORUS_MARIADB_SOCKET")
    if socket:
        subprocess.run(["pkill", "-CONT", "-F", os.path.join(os.path.dirname(socket), "mariadbd.pid")],
                       stderr=subprocess.DEVNULL)
    return passed


def try_mutant(site, build, log, timeout):
    path = os.path.join(ROOT, site["file"])
    with open(path, encoding="utf-8") as f:
        original = f.read()
    lines = original.split("\n")
    lines[site["line"] - 1] = mutated_line(site)
    programs = ["test_" + p.replace("/", "_") for p in COVERING[folder_of(site["file"])]]
    programs = [p for p in programs if os.path.exists(os.path.join(build, "tests", p))]
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        if run(["cmake", "--build", build, "--target"] + programs, 900, log) != 0:
            return "not built"
        return "survived" if run_tests(programs, build, log, timeout) else "killed"
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sample", type=int, default=200, help="mutants to try (default 200)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample (default 1)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"),
                        help="build folder of its own (default build-mutate/)")
    parser.add_argument("--save", help="write the sample drawn to this file")
    parser.add_argument("--replay", help="try the sample listed in this file instead")
    parser.add_argument("--timeout", type=int, default=300,
                        help="seconds the tests of one mutant may run")
    parser.add_argument("--list", action="store_true", help="only print the sites per kind")
    parser.add_argument("--from", dest="first", type=int, default=1,
                        help="start at this mutant of the sample (to go on after an interruption)")
    args = parser.parse_args()

    if args.replay:
        with open(args.replay, encoding="utf-8") as f:
            sample = json.load(f)
    else:
        sites = all_sites()
        if args.list:
            kinds = {}
            for s in sites:
                kinds[s["kind"]] = kinds.get(s["kind"], 0) + 1
            print(len(sites), "sites:", kinds)
            return 0
        sample = random.Random(args.seed).sample(sites, min(args.sample, len(sites)))
        sample.sort(key=lambda s: (s["file"], s["line"], s["column"], s["kind"]))
    if args.save:
        with open(args.save, "w", encoding="utf-8") as f:
            json.dump(sample, f, ensure_ascii=False, indent=0)

    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    subprocess.run(["cmake", "-S", ROOT, "-B", args.build, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"],
                   check=True, stdout=subprocess.DEVNULL)
    if subprocess.run(["cmake", "--build", args.build], cwd=ROOT).returncode != 0:
        print("mutate: the unchanged tree does not build", file=sys.stderr)
        return 2
    programs = sorted({"test_" + p.replace("/", "_") for c in COVERING.values() for p in c})
    with open(os.path.join(args.build, "mutate.log"), "w", encoding="utf-8") as log:
        began = time.time()
        if not run_tests(programs, args.build, log, args.timeout):
            print("mutate: the unchanged tree fails its tests (see mutate.log)", file=sys.stderr)
            return 2
    print("the unchanged tree passes its tests in %d s" % (time.time() - began), flush=True)

    tally, survivors = {}, []
    started = time.time()
    with open(os.path.join(args.build, "mutate.log"), "a", encoding="utf-8") as log:
        for n, site in enumerate(sample, 1):
            if n < args.first:
                continue
            line = locate(site)
            began = time.time()
            if line is None:
                outcome = "gone"
            else:
                site = dict(site, line=line)
                outcome = try_mutant(site, args.build, log, args.timeout)
            tally[outcome] = tally.get(outcome, 0) + 1
            where = "%s:%d %s %s -> %s" % (site["file"], site["line"], site["kind"],
                                          site["original"].strip(), site["replacement"].strip())
            print("[%d/%d] %-9s %3d s  %s" % (n, len(sample), outcome, time.time() - began, where),
                  flush=True)
            if outcome == "survived":
                survivors.append(where)
    # The restored files are newer than their objects: leave the build as the tree stands.
    subprocess.run(["cmake", "--build", args.build], cwd=ROOT, stdout=subprocess.DEVNULL)

    tried = tally.get("killed", 0) + tally.get("survived", 0)
    print("\nkilled %d, survived %d, not built %d, gone %d; kill rate %.1f%% of %d built; %d s"
          % (tally.get("killed", 0), tally.get("survived", 0), tally.get("not built", 0),
             tally.get("gone", 0), 100.0 * tally.get("killed", 0) / max(tried, 1), tried,
             time.time() - started))
    if survivors:
        print("survivors:")
        for s in survivors:
            print("  " + s)
    return 0


if __name__ == "__main__":
    sys.exit(main())
