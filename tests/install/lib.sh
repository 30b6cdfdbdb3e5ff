# Shared by the installation checks (sourced, not run, after their tools were found):
#
# work                       a scratch folder, removed when the script ends
# pids                       processes the script started (pids+=($!)); killed when it ends
# check DESCRIPTION COMMAND… counts a check, which passes when COMMAND succeeds
# pass / fail DESCRIPTION    counts a check that passed / failed (the failure is printed)
# step TEXT                  prints the heading of the next step
# display_written FILE       true once Xvfb -displayfd has written its display number to FILE:
#                            whole only once its line has ended, a number read sooner may be cut short
# checks, failed             the counts so far

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2> /dev/null
    done
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

checks=0
failed=0
pass() { checks=$((checks + 1)); }
fail() {
    checks=$((checks + 1))
    failed=$((failed + 1))
    echo "FAIL: $*" >&2
}
check() {
    local what=$1
    shift
    if "$@"; then pass; else fail "$what"; fi
}
step() { echo "-- $*"; }
display_written() { [ "$(tail -c 1 "$1" 2> /dev/null | od -An -tx1 | tr -d ' \n')" = 0a ]; }
