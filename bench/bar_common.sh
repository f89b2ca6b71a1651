# Shared by the bar measurements: a Wine session of the win32 build with the stand-in
# registered, the bar started from given settings, its process's CPU ticks and memory.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$top/build/win32"
bin="$build/bin"
export GB_BUILD_DIR="$build"
unset DISPLAY

"$top/scripts/wine-run" --session-start >/dev/null || exit 1
eval "$("$top/scripts/wine-run" --env)"

bar_pid=""
finish() {
    [ -n "$bar_pid" ] && kill "$bar_pid" 2>/dev/null
    timeout 30 wine regsvr32 /s /u "$bin/msgrsim.dll" >/dev/null 2>&1
    timeout 30 wine reg delete 'HKCU\Software\Glidebanner' /f >/dev/null 2>&1
    "$top/scripts/wine-run" --session-stop >/dev/null
}
trap finish EXIT
trap 'exit 130' INT TERM

timeout 60 wine regsvr32 /s "$bin/msgrsim.dll" || exit 1

# start_bar SPEED: a bar that has run before (no welcome box) at that scroll speed.
start_bar() {
    timeout 30 wine reg delete 'HKCU\Software\Glidebanner' /f >/dev/null 2>&1
    timeout 30 wine reg add 'HKCU\Software\Glidebanner' /v Version /d 1.1 /f >/dev/null
    timeout 30 wine reg add 'HKCU\Software\Glidebanner' /v Speed /d "$1" /f >/dev/null
    (cd "$bin" && exec wine glidebanner.exe) >/dev/null 2>&1 </dev/null &
    local i
    for i in $(seq 1 100); do
        prog_pid=$(program_pid) && [ -n "$prog_pid" ] && \
            xdotool search --onlyvisible --name '^Glidebanner$' >/dev/null 2>&1 && break
        sleep 0.2
    done
    bar_pid=$prog_pid
    sleep 3 # the slide-in
}

# The Linux process that runs glidebanner.exe in this prefix.
program_pid() {
    local p
    for p in $(pgrep -x glidebanner.exe); do
        if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

wineserver_pid() {
    local p
    for p in $(pgrep -x wineserver64 || pgrep -x wineserver); do
        if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

# CPU ticks (user + system) of a process so far.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# percent_of_core PID SECONDS: the share of one core the process used over that time.
percent_of_core() {
    local pid=$1 secs=$2 hz t0 t1
    hz=$(getconf CLK_TCK)
    t0=$(ticks "$pid")
    sleep "$secs"
    t1=$(ticks "$pid")
    awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100 * d / hz / s }'
}

memory() { grep -E '^(VmRSS|RssAnon|VmData)' "/proc/$1/status" | tr -s ' \t' ' ' | tr '\n' ' '; }

exit_bar() {
    xdotool mousemove 1015 9 click 1
    sleep 1
    xdotool key x
    local i
    for i in $(seq 1 100); do
        kill -0 "$bar_pid" 2>/dev/null || { bar_pid=""; return 0; }
        sleep 0.2
    done
    return 1
}
