#!/usr/bin/env python3
"""The performance run behind `make bench`.

Times, side by side and with REPS repetitions each, the module (through kivhost), the
floor (bench/floor.c: the module's exact SQLite calls and nothing else) and the peers an
author would use instead (the sqlite3 shell, Python's sqlite3) on the same work: 1,000
one-row commands, a query of 1,000,000 rows into the record-set text, and BLOB put and
get of 1, 16 and 64 MiB. Checks that every contender produced the same bytes, prints
one table, and writes docs/performance.md with a chart.

    bench/run_bench.py BIN_FOLDER [--reps N] [--doc docs/performance.md]
"""
import argparse
import hashlib
import os
import platform
import shutil
import sqlite3
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


PEAK_FILE = os.path.join(ROOT, "build", "bench", "peak.txt")


def run(cmd, stdin=None, stdout=None):
    """Runs one process; returns (seconds, peak resident MiB). The peak comes from
    /usr/bin/time, whose child starts small (a child forked from this Python process
    would count the parent's pages until its exec)."""
    with open(stdin or os.devnull, "rb") as fin, open(stdout or os.devnull, "wb") as fout:
        start = time.perf_counter()
        code = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", PEAK_FILE, *cmd], stdin=fin, stdout=fout)
        seconds = time.perf_counter() - start
    if code != 0:
        sys.exit(f"bench: {cmd[0]} failed with {code}")
    with open(PEAK_FILE) as f:
        return seconds, int(f.read().split()[-1]) / 1024.0


def python_cmd(code, *args):
    return [sys.executable, "-c", code, *args]


PY_CMD = """
import sqlite3, sys
for _ in range(1000):
    con = sqlite3.connect(sys.argv[1]); con.execute(sys.argv[2]); con.commit(); con.close()
"""
PY_QUERIES = """
import sqlite3, sys
for _ in range(1000):
    con = sqlite3.connect(sys.argv[1])
    rows = con.execute(sys.argv[2]).fetchall()
    out = ''.join('|'.join('' if v is None else str(v) for v in row) + '\\r' for row in rows)
    con.close()
"""
PY_QUERY = """
import sqlite3, sys
con = sqlite3.connect(sys.argv[1])
def text(v):
    return '' if v is None else str(v)
rows = con.execute(sys.argv[2]).fetchall()
out = ''.join('|'.join(text(v) for v in row) + '\\r' for row in rows)
open(sys.argv[3], 'wb').write(out.encode())
"""
PY_PUT = """
import sqlite3, sys
con = sqlite3.connect(sys.argv[1])
con.execute('UPDATE blobs SET b = ? WHERE rowid = 1', (open(sys.argv[2], 'rb').read(),))
con.commit(); con.close()
"""
PY_GET = """
import sqlite3, sys
con = sqlite3.connect(sys.argv[1])
open(sys.argv[2], 'wb').write(con.execute('SELECT b FROM blobs WHERE rowid = 1').fetchone()[0])
"""


def make_data(work):
    big = os.path.join(work, "big.db")
    con = sqlite3.connect(big)
    con.executescript("""
        CREATE TABLE big(id INTEGER, name TEXT, score REAL, note TEXT);
        WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 1000000)
        INSERT INTO big SELECT n, substr(hex(randomblob(10)), 1, 20), (abs(random()) % 1000000) / 100.0,
                               CASE WHEN n % 7 = 0 THEN NULL ELSE 'note ' || (n * 31 % 1000) END FROM c;
    """)
    con.commit()
    con.close()
    cmd_db = os.path.join(work, "cmd.db")
    con = sqlite3.connect(cmd_db)
    con.execute("CREATE TABLE t(a, b)")
    con.commit()
    con.close()
    blob_db = os.path.join(work, "blob.db")
    con = sqlite3.connect(blob_db)
    con.execute("CREATE TABLE blobs(id INTEGER PRIMARY KEY, b BLOB)")
    con.execute("INSERT INTO blobs VALUES(1, NULL)")
    con.commit()
    con.close()
    files = {}
    for mib in (1, 16, 64):
        path = os.path.join(work, f"blob{mib}.bin")
        with open(path, "wb") as f:
            f.write(os.urandom(mib << 20))
        files[mib] = path
    return big, cmd_db, blob_db, files


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def blob_digest(db):
    con = sqlite3.connect(db)
    value = con.execute("SELECT b FROM blobs WHERE rowid = 1").fetchone()[0]
    con.close()
    return hashlib.sha256(value or b"").hexdigest()


def count_rows(db):
    con = sqlite3.connect(db)
    n = con.execute("SELECT count(*) FROM t").fetchone()[0]
    con.close()
    return n


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("--reps", type=int, default=5)
    parser.add_argument("--doc", default=os.path.join(ROOT, "docs", "performance.md"))
    args = parser.parse_args()
    bin_dir = os.path.abspath(args.bin)
    kivhost = os.path.join(bin_dir, "kivhost")
    floor = os.path.join(bin_dir, "kiv_floor")
    shell = os.path.join(bin_dir, "sqlite3")  # the shell of the same pinned SQLite
    work = os.path.join(ROOT, "build", "bench", "work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    t0 = time.perf_counter()
    big, cmd_db, blob_db, files = make_data(work)
    print(f"data made in {time.perf_counter() - t0:.1f} s", flush=True)

    results = []  # (workload, contender, times, peaks)

    def measure(workload, contenders):
        """Times each contender REPS times, interleaved (module, floor, shell, python,
        module, ...) so that drift in the machine hits all of them alike. A contender is
        (name, make, check, prepare): make gives run()'s arguments, check the first
        run's output (None when right), prepare runs before that first run."""
        times = {c[0]: [] for c in contenders}
        peaks = {c[0]: [] for c in contenders}
        for rep in range(args.reps):
            for name, make, check, prepare in contenders:
                if rep == 0:
                    prepare()
                seconds, peak = run(*make())
                times[name].append(seconds)
                peaks[name].append(peak)
                if rep == 0:
                    problem = check()
                    if problem:
                        sys.exit(f"bench: {name} on {workload}: {problem}")
        for name, *_ in contenders:
            results.append((workload, name, times[name], peaks[name]))
            print(f"  {workload:<14} {name:<7} median {statistics.median(times[name]):7.3f} s", flush=True)

    nothing = lambda: None

    # 1,000 one-row commands, each with open, pragmas, commit and close.
    sql = "INSERT INTO t(a, b) VALUES(1, 'x')"
    shell_script = os.path.join(work, "cmd.sql")
    with open(shell_script, "w") as f:
        f.write("".join(f".open {cmd_db}\n{sql};\n" for _ in range(1000)))
    def rows_grew():
        before = rows_grew.last
        rows_grew.last = count_rows(cmd_db)
        return None if rows_grew.last - before == 1000 else f"{rows_grew.last - before} rows, not 1000"
    def count_now():
        rows_grew.last = count_rows(cmd_db)
    measure("1000 commands", [
        ("module", lambda: ([kivhost, "run", "--repeat", "1000", "1", f"{cmd_db}|{sql}|res"],), rows_grew, count_now),
        ("floor", lambda: ([floor, "cmd", cmd_db, sql, "1000"],), rows_grew, count_now),
        ("shell", lambda: ([shell, "-batch"], shell_script), rows_grew, count_now),
        ("python", lambda: (python_cmd(PY_CMD, cmd_db, sql),), rows_grew, count_now)])

    # 1,000 small queries, each with open, pragmas, commit and close: a query writes
    # nothing now, where the old opening (the floor's) wrote the file's header each time.
    small = "SELECT a, b FROM t WHERE rowid = 7"
    small_script = os.path.join(work, "queries.sql")
    with open(small_script, "w") as f:
        f.write("".join(f".open {cmd_db}\n{small};\n" for _ in range(1000)))
    measure("1000 queries", [
        ("module", lambda: ([kivhost, "run", "--repeat", "1000", "2", f"{cmd_db}|{small}|res"],), nothing, nothing),
        ("floor", lambda: ([floor, "queries", cmd_db, small, "1000"],), nothing, nothing),
        ("shell", lambda: ([shell, "-batch"], small_script), nothing, nothing),
        ("python", lambda: (python_cmd(PY_QUERIES, cmd_db, small),), nothing, nothing)])

    # Disk syncs of one action, counted with strace: module and floor.
    syncs = {}
    strace = shutil.which("strace")
    if strace:
        trace = os.path.join(work, "syncs.txt")
        def count_syncs(cmd):
            subprocess.run([strace, "-f", "-qq", "-e", "trace=fsync,fdatasync", "-o", trace, *cmd],
                           stdout=subprocess.DEVNULL, check=True)
            with open(trace) as t:
                return sum(1 for line in t if "sync(" in line)
        syncs = {("command", "module"): count_syncs([kivhost, "run", "1", f"{cmd_db}|{sql}|res"]),
                 ("command", "floor"): count_syncs([floor, "cmd", cmd_db, sql, "1"]),
                 ("query", "module"): count_syncs([kivhost, "run", "2", f"{cmd_db}|{small}|res"]),
                 ("query", "floor"): count_syncs([floor, "queries", cmd_db, small, "1"])}
        print("  disk syncs per action: " + ", ".join(f"{w} {c} {n}" for (w, c), n in syncs.items()), flush=True)

    # The query action on 1,000,000 rows.
    query = "SELECT id, name, score, note FROM big"
    outs = {c: os.path.join(work, f"query.{c}") for c in ("module", "floor", "shell", "python")}
    query_script = os.path.join(work, "query.sql")
    with open(query_script, "w") as f:
        f.write(f'.mode list --escape off\n.separator "|" "\\r"\n{query};\n')
    def same_as_module(out):
        return lambda: None if digest(out) == digest(outs["module"]) else "record set differs from the module's"
    measure("query 1M rows", [
        ("module", lambda: ([kivhost, "run", "--raw", "2", f"{big}|{query}|res"], None, outs["module"]), nothing, nothing),
        ("floor", lambda: ([floor, "query", big, query, outs["floor"]],), same_as_module(outs["floor"]), nothing),
        ("shell", lambda: ([shell, "-batch", big], query_script, outs["shell"]), same_as_module(outs["shell"]), nothing),
        ("python", lambda: (python_cmd(PY_QUERY, big, query, outs["python"]),), same_as_module(outs["python"]), nothing)])
    text_mib = os.path.getsize(outs["module"]) / (1 << 20)

    # BLOB put and get.
    for mib, path in files.items():
        want = digest(path)
        stored = lambda: None if blob_digest(blob_db) == want else "stored BLOB differs from the file"
        clear = lambda: run(python_cmd("import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); "
                                       "c.execute('UPDATE blobs SET b = NULL'); c.commit()", blob_db))
        measure(f"put {mib} MiB", [
            ("module", lambda: ([kivhost, "run", "4", f"{blob_db}|blobs|b|1|{path}|res"],), stored, clear),
            ("floor", lambda: ([floor, "put", blob_db, "blobs", "b", "1", path],), stored, clear),
            ("shell", lambda: ([shell, blob_db, f"UPDATE blobs SET b = readfile('{path}') WHERE rowid = 1"],), stored, clear),
            ("python", lambda: (python_cmd(PY_PUT, blob_db, path),), stored, clear)])
        out = os.path.join(work, "got.bin")
        written = lambda: None if digest(out) == want else "file differs from the BLOB"
        remove = lambda: os.path.exists(out) and os.remove(out)
        measure(f"get {mib} MiB", [
            ("module", lambda: ([kivhost, "run", "3", f"{blob_db}|blobs|b|1|{out}|res"],), written, remove),
            ("floor", lambda: ([floor, "get", blob_db, "blobs", "b", "1", out],), written, remove),
            ("shell", lambda: ([shell, blob_db, f"SELECT writefile('{out}', b) FROM blobs WHERE rowid = 1"],), written, remove),
            ("python", lambda: (python_cmd(PY_GET, blob_db, out),), written, remove)])

    report(results, syncs, args, text_mib, time.perf_counter() - t0)


def report(results, syncs, args, text_mib, total):
    by = {(w, c): (t, p) for w, c, t, p in results}
    workloads = list(dict.fromkeys(w for w, _, _, _ in results))
    med = lambda w, c: statistics.median(by[(w, c)][0])
    lines = ["| work | contender | median s | min-max s | x floor | x shell | x python | peak MiB |",
             "|---|---|---:|---:|---:|---:|---:|---:|"]
    for w in workloads:
        for c in ("module", "floor", "shell", "python"):
            times, peaks = by[(w, c)]
            lines.append(f"| {w} | {c} | {med(w, c):.3f} | {min(times):.3f}-{max(times):.3f} | "
                         f"{med(w, c) / med(w, 'floor'):.2f} | {med(w, c) / med(w, 'shell'):.2f} | "
                         f"{med(w, c) / med(w, 'python'):.2f} | {max(peaks):.0f} |")
    if syncs:
        lines += ["", "| disk syncs (fsync, fdatasync) of one action | module | floor (old opening) |",
                  "|---|---:|---:|"]
        for w in ("command", "query"):
            lines.append(f"| {w} | {syncs[(w, 'module')]} | {syncs[(w, 'floor')]} |")
    table = "\n".join(lines)
    print("\n" + table)
    print(f"\nrecord-set text: {text_mib:.1f} MiB; whole run {total:.0f} s")

    doc_dir = os.path.dirname(os.path.abspath(args.doc))
    os.makedirs(doc_dir, exist_ok=True)
    data = os.path.join(ROOT, "build", "bench", "ratios.dat")
    with open(data, "w") as f:
        f.write("# work module shell python\n")
        for w in workloads:
            f.write(f'"{w}" {med(w, "module") / med(w, "floor"):.3f} {med(w, "shell") / med(w, "floor"):.3f} '
                    f'{med(w, "python") / med(w, "floor"):.3f}\n')
    chart = os.path.join(doc_dir, "performance.png")
    gnuplot = shutil.which("gnuplot")
    if gnuplot:
        script = f"""
set terminal pngcairo size 1000,480 font ',10'
set output '{chart}'
set title "Median time relative to the floor (the same SQLite calls alone); lower is faster"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set key top left
set ylabel 'x floor'
set yrange [0:*]
set xtics rotate by -25
set grid ytics
plot '{data}' using 2:xtic(1) title 'module (kivhost)', '' using 3 title 'sqlite3 shell', '' using 4 title 'Python sqlite3', 1 with lines lw 2 lc rgb 'black' title 'floor'
"""
        subprocess.run([gnuplot], input=script.encode(), check=True)
    cpu = "unknown"
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    mem_gib = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / (1 << 30)
    shell_version = subprocess.run([os.path.join(os.path.abspath(args.bin), "sqlite3"), "--version"], capture_output=True, text=True).stdout.split()[0]
    micro = os.path.join(ROOT, "build", "micro_bench.txt")
    micro_text = open(micro).read().strip() if os.path.exists(micro) else "(not run)"
    notes = open(os.path.join(ROOT, "bench", "notes.md")).read()
    with open(args.doc, "w") as f:
        f.write("# Performance\n\n"
                "Written by `make bench` (bench/run_bench.py) from one run; the notes at the end are "
                "bench/notes.md. Timings on this kind of machine are noisy: compare the ratios.\n\n"
                f"Machine: {cpu}, {os.cpu_count()} cores, {mem_gib:.0f} GiB, {platform.platform()}; "
                f"SQLite {shell_version} (the pinned source, used by module, floor and shell), "
                f"Python {platform.python_version()} with SQLite {sqlite3.sqlite_version}; {args.reps} repetitions each; "
                f"record-set text {text_mib:.1f} MiB; whole run {total:.0f} s.\n\n"
                "Contenders: **module** is kivhost loading libKivSQLite3.so (`run --repeat 1000` for the "
                "commands and small queries, so one process start is spread over them); **floor** is "
                "bench/floor.c, the module's SQLite calls with nothing around them, opening as the module "
                "did before (the cache-size pragma sent on every open); **shell** is the sqlite3 shell "
                "(list mode with \"|\" and CR, `.open` per command, `readfile()`/`writefile()`); "
                "**python** is Python's sqlite3 (the same text built in Python, a bound BLOB parameter). "
                "Every contender's output was checked equal (record-set bytes, stored BLOB, written file, "
                "row counts). Peak is the largest resident set of one process.\n\n")
        f.write(table + "\n\n![Median time relative to the floor](performance.png)\n\n")
        f.write("## Microbenchmarks (Google Benchmark, bench/micro_bench.cpp)\n\n```\n" + micro_text + "\n```\n\n")
        f.write(notes)
    print(f"wrote {os.path.relpath(args.doc, ROOT)} and {os.path.relpath(chart, ROOT)}")


if __name__ == "__main__":
    main()
