#!/usr/bin/env bash
# CPU of the running bar under Wine: 60 s while the strip scrolls (one text long enough to keep
# it moving throughout) and 60 s at rest (the strip drained), beside an idle Win32 program (a
# window and its message loop, nothing else) measured over the same 60 s. Prints the share of
# one core used by each process and by the session's wineserver. Needs a built win32 preset.
#
#   bench/bar_cpu.sh [SECONDS]
set -u
secs=${1:-60}
source "$(dirname "$0")/bar_common.sh"

start_bar 10
wserver=$(wineserver_pid)
# One long text, raised before the measurement, keeps the strip moving through all of it: the
# figure is the scrolling alone, not the stand-in's work of raising texts meanwhile.
line="This line keeps the strip moving for the measurement, one buddy talking on and on :)"
long="$line"
while [ ${#long} -lt $((secs * 16)) ]; do long="$long $line"; done
timeout 30 wine "$bin/msgrctl.exe" text ann@example.com "$long" >/dev/null 2>&1
sleep 3
w0=$(ticks "$wserver")
scrolling=$(percent_of_core "$bar_pid" "$secs")
w1=$(ticks "$wserver")
hz=$(getconf CLK_TCK)
ws_scrolling=$(awk -v d=$((w1 - w0)) -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100*d/hz/s }')

# Drained: the rest of the long text leaves the bar at 10 pixels a tick, then the strip rests
# and the program stops using the processor; wait for that (4 s without a tick), at most 5 min.
(cd "$bin" && exec wine bench_idle.exe) >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 75); do
    t0=$(ticks "$bar_pid")
    sleep 4
    [ "$(ticks "$bar_pid")" = "$t0" ] && break
done
idle_pid=$(for p in $(pgrep -x bench_idle.exe); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$p"
done | head -n 1)
w0=$(ticks "$wserver")
i0=$(ticks "$idle_pid")
resting=$(percent_of_core "$bar_pid" "$secs")
i1=$(ticks "$idle_pid")
w1=$(ticks "$wserver")
idle=$(awk -v d=$((i1 - i0)) -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100*d/hz/s }')
kill "$idle_pid" 2>/dev/null
ws_resting=$(awk -v d=$((w1 - w0)) -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100*d/hz/s }')

echo "scrolling: program ${scrolling} % of one core, wineserver ${ws_scrolling} % (${secs} s)"
echo "at rest:   program ${resting} % of one core, wineserver ${ws_resting} % (${secs} s)"
echo "idle reference program (a window and its message loop): ${idle} % of one core"
exit_bar || echo "bar_cpu: the program did not end by itself" >&2
