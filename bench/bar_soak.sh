#!/usr/bin/env bash
# Soak of the bar under Wine: N texts (default 100,000, in ROUNDS rounds, default 2) raised
# through the stand-in as fast as it takes them, into a bar at the top speed (100 pixels a
# tick) so that the strip can drain. Prints the program's memory, GDI objects and windows
# before, after raising and after draining, how many texts the bar's event sink took, and
# checks that the program still shows a new text and ends cleanly.
# Needs a built win32 preset. About 5 ms per text to raise and 58 ms per text to drain under
# Wine on this machine: 100,000 take about 1 hour 45 minutes.
#
#   bench/bar_soak.sh [N [ROUNDS]]
set -u
count=${1:-100000}
rounds=${2:-2}
per_round=$((count / rounds))
source "$(dirname "$0")/bar_common.sh"

start_bar 100
report() {
    echo "$1: $(memory "$bar_pid")| $(timeout 30 wine "$bin/gbinfo.exe" resources glidebanner.exe)"
}
# Events the bar's sink has taken so far, as the stand-in counts them.
delivered() {
    timeout 30 wine "$bin/msgrctl.exe" show 2>/dev/null | awk '/^events delivered:/ { print $3 }'
}
# Strip drained: no dark text pixels left in the bar (the menu button's corner excluded).
drained() {
    import -window root -crop 990x20+2+3 +repage -colorspace gray -format '%[fx:minima]' info: |
        awk '{ exit !($1 > 0.8) }'
}
# The banner leaves first.
for _ in $(seq 1 150); do drained && break; sleep 1; done
report "start"

# Rounds of equal share: what the first round's drain leaves behind is the level the later
# ones must come back to if nothing leaks.
for round in $(seq 1 "$rounds"); do
    taken=$(delivered)
    t0=$SECONDS
    timeout 7200 wine "$bin/gbinfo.exe" texts "$per_round" soak@example.com ||
        echo "bar_soak: sending failed" >&2
    echo "round $round: raised $per_round texts in $((SECONDS - t0)) s;" \
        "the bar took $(($(delivered) - taken)) of them"
    report "round $round after raising"
    t0=$SECONDS
    until drained; do
        kill -0 "$bar_pid" 2>/dev/null || { echo "bar_soak: the program ended" >&2; exit 1; }
        sleep 5
    done
    echo "round $round: drained in $((SECONDS - t0)) s"
    report "round $round after draining"
done

# Still alive and drawing: one more text appears.
timeout 30 wine "$bin/msgrctl.exe" text soak@example.com "the end" >/dev/null 2>&1
shown=0
for _ in $(seq 1 20); do drained || { shown=1; break; }; sleep 0.1; done
[ $shown = 1 ] && echo "a new text still appears" || echo "bar_soak: the last text did not appear" >&2
exit_bar || echo "bar_soak: the program did not end by itself" >&2
echo "ended cleanly"
