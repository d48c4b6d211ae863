# shellcheck shell=sh
# Sourced by the set-up scripts: `phase "Building" command…` prints one line for a long, noisy step and sends
# its whole output to one log, whose end is shown when the step fails.

# The outermost script starts the log afresh; the scripts it runs add to it.
if [ -z "${MOORVANE_SETUP_LOG:-}" ]; then
    MOORVANE_SETUP_LOG="$(cd "$(dirname "$0")/.." && pwd)/build/setup.log"
    mkdir -p "$(dirname "$MOORVANE_SETUP_LOG")"
    : >"$MOORVANE_SETUP_LOG"
fi
export MOORVANE_SETUP_LOG
setup_log=$MOORVANE_SETUP_LOG

phase() {
    title=$1
    shift
    printf '%s (full output: %s)\n' "$title" "$setup_log"
    printf '\n=== %s: %s\n' "$title" "$*" >>"$setup_log"
    if ! "$@" </dev/null >>"$setup_log" 2>&1; then
        printf '%s failed. The end of %s:\n' "$title" "$setup_log" >&2
        tail -n 40 "$setup_log" >&2
        return 1
    fi
}
