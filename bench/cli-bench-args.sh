# Shared start of every benchmark that times oculane-cli. Sourced after
# setting `here`, `name` (for messages), `tools` ("command" or
# "command:package" words the script needs) and optionally `work` (the
# scratch folder's default). Reads the script's arguments
# [N] [-n N] [--cli PATH] [--work DIR]; sets runs, cli (an absolute path) and work.
runs=3
cli=${OCULANE_CLI:-$here/../build/oculane-cli}
work=${work:-${OCULANE_BENCH_WORK:-$here/.work}}
while [ $# -gt 0 ]; do
    case "$1" in
        --cli) cli=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        -n) runs=$2; shift 2 ;;
        [0-9]*) runs=$1; shift ;;
        *) echo "$name: unknown argument $1" >&2; exit 2 ;;
    esac
done
for tool in $tools; do
    if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
        case "$tool" in
            *:*) echo "$name: missing tool: ${tool%%:*} (Debian package ${tool#*:})" >&2 ;;
            *) echo "$name: missing tool: $tool" >&2 ;;
        esac
        exit 1
    fi
done
if [ ! -x "$cli" ]; then
    echo "$name: no oculane-cli at $cli (build it, or give --cli)" >&2
    exit 1
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
