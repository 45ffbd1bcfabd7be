"""What the benchmarks of the desktop program share: their arguments
([N] [--app PATH] [--work DIR]), the scratch folder and the printed lines."""
import os
import sys

BENCH_DIR = os.path.dirname(os.path.abspath(__file__))
REPO_DIR = os.path.dirname(BENCH_DIR)


def log(msg=""):
    print(msg, flush=True)


def parse(argv, usage, name, runs, tools=()):
    """(runs, app, work) from the arguments. Exits with the usage (status 2)
    for unknown arguments and with a message (status 1) when the program or
    a tool is missing. The work folder is made when missing."""
    n, app, work = runs, os.environ.get("OCULANE_APP", os.path.join(REPO_DIR, "build", "oculane")), None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--app" and args:
            app = args.pop(0)
        elif a == "--work" and args:
            work = args.pop(0)
        elif a.isdigit():
            n = max(1, int(a))
        else:
            sys.stderr.write(usage)
            raise SystemExit(2)
    work = os.path.abspath(work or os.environ.get("OCULANE_BENCH_WORK", os.path.join(BENCH_DIR, ".work")))
    os.makedirs(work, exist_ok=True)
    for tool in (app, *tools):
        if not os.path.exists(tool):
            sys.stderr.write("%s: missing %s (make build; scripts/install-deps --bench)\n" % (name, tool))
            raise SystemExit(1)
    return n, app, work
