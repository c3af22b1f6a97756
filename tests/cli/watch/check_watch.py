"""Drives `tapeloft-cli watch` on a temporary folder: the rows first, then a line for each replay that comes,
changes or goes, and a clean end on SIGINT.

Usage: check_watch.py <tapeloft-cli> <tapeloft-sample> <work folder>
"""
import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import threading
import time

TIMEOUT = 10  # seconds for one line; a replay settles in about one


def main():
    cli, sample, work = (os.path.abspath(a) for a in sys.argv[1:4])
    shutil.rmtree(work, ignore_errors=True)
    folder = os.path.join(work, "replays")
    spare = os.path.join(work, "spare")
    for name, seed, count in ((folder, 1, 2), (spare, 2, 2)):
        subprocess.run([sample, name, "--count", str(count), "--seed", str(seed), "--flat", "--tail-bytes", "64"],
                       check=True, capture_output=True)
    spares = sorted(os.listdir(spare))

    process = subprocess.Popen([cli, "watch", "--cache", os.path.join(work, "cache.sqlite"), folder],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    lines = queue.Queue()
    threading.Thread(target=lambda: [lines.put(line) for line in process.stdout], daemon=True).start()

    def next_line(what):
        try:
            return json.loads(lines.get(timeout=TIMEOUT))
        except queue.Empty:
            raise SystemExit("no line for %s within %d s" % (what, TIMEOUT))

    failures = []

    def check(condition, text):
        if not condition:
            failures.append(text)

    rows = [next_line("the first rows") for _ in range(2)]
    check(all("event" not in row and len(row["cells"]) == 40 for row in rows), "the first rows are list rows")

    # A replay moved in: written elsewhere first, as a copy would end.
    added_path = os.path.join(folder, spares[0])
    shutil.move(os.path.join(spare, spares[0]), added_path)
    added = next_line("an added replay")
    check(added.get("event") == "added" and added["cells"][32] == added_path, "added: %r" % added)

    # The same replay rewritten with other content is read again.
    with open(os.path.join(spare, spares[1]), "rb") as f:
        other = f.read()
    with open(added_path, "wb") as f:
        f.write(other)
    changed = next_line("a changed replay")
    check(changed.get("event") == "changed" and changed["cells"][32] == added_path, "changed: %r" % changed)

    os.remove(added_path)
    removed = next_line("a removed replay")
    check(removed == {"event": "removed", "path": added_path}, "removed: %r" % removed)

    process.send_signal(signal.SIGINT)
    try:
        code = process.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        process.kill()
        raise SystemExit("watch did not end on SIGINT")
    check(code == 0, "exit code %d after SIGINT" % code)
    check(lines.empty(), "nothing more after the last change")

    for failure in failures:
        print(failure)
    print("watch: %d of 6 checks failed" % len(failures) if failures else "watch: every check passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
