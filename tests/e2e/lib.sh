# Helpers for end-to-end tests of the real game under Xvfb: a private X screen, the game started
# in a scratch data directory, keys typed with xdotool, screenshots read back as pixels.
# Needs: KELVADO (the binary), KELVADO_DATA (the generated data), WM_CLOSE (the close helper).
set -euo pipefail

E2E_TMP=$(mktemp -d)
XVFB_PID=""
GAME_PID=""
GAME_DIR=""

cleanup() {
    if [ -n "$GAME_PID" ]; then
        kill -9 "$GAME_PID" 2>/dev/null || true
        wait "$GAME_PID" 2>/dev/null || true
    fi
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$E2E_TMP"
}
trap cleanup EXIT
[ -n "${E2E_KEEP:-}" ] && trap "kill -9 \$GAME_PID \$XVFB_PID 2>/dev/null; echo kept \$E2E_TMP" EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$E2E_TMP/game.log" ]; then
        echo "--- the game's output:" >&2
        tail -n 20 "$E2E_TMP/game.log" >&2
    fi
    exit 1
}

# stop_display: ends the Xvfb screen started last; DISPLAY still names it.
stop_display() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}

# start_display WIDTH HEIGHT [XVFB-OPTION...]: a new Xvfb screen on a free display number, in
# place of the one started before.
start_display() {
    local numberFile="$E2E_TMP/display" width=$1 height=$2
    shift 2
    stop_display
    rm -f "$numberFile"
    # -noreset: by default the server resets when its last client leaves and refuses connections
    # meanwhile, so a game started just as another client (the last game, xdotool) went away
    # could now and then find no display at all.
    Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset "$@" \
        3>"$numberFile" 2>"$E2E_TMP/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$numberFile" ] && break
        sleep 0.1
    done
    [ -s "$numberFile" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$numberFile")"
    xset r off 2>/dev/null || true  # no autorepeat: a held key is one press
}

# start_game [DIR [ARGUMENT...]]: runs the game in DIR (default: a fresh copy of the data
# directory) with the arguments, with GAME_PATH, when set, as its PATH, and GAME_PRELOAD, when
# set, preloaded into it.
start_game() {
    GAME_DIR=${1:-"$E2E_TMP/game"}
    shift || true
    mkdir -p "$GAME_DIR"
    for f in "$KELVADO_DATA"/*; do
        [ -e "$GAME_DIR/$(basename "$f")" ] || ln -s "$f" "$GAME_DIR/"
    done
    (cd "$GAME_DIR" &&
        exec env SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" PATH="${GAME_PATH:-$PATH}" \
            ${GAME_PRELOAD:+LD_PRELOAD="$GAME_PRELOAD"} "$KELVADO" "$@") \
        >"$E2E_TMP/game.log" 2>&1 &
    GAME_PID=$!
}

# game_window: waits for the game's window and prints its id.
game_window() {
    local id=""
    for _ in $(seq 300); do
        id=$(xdotool search --name '^Kelvado$' 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no game window"
    echo "$id"
}

# box_window TITLE: waits for one of SDL's message boxes, found by its title in the window tree
# (xdotool does not find it), and prints its id.
box_window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xwininfo -root -tree | awk -v title="\"$1\":" '$2 == title {print $1; exit}')
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no message box \"$1\" was shown"
    echo "$id"
}

# answer_box ID KEY: Return for the first button, Escape for the last.
answer_box() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --window "$1" "$2"
}

# wait_exit SECONDS: waits for the game to end and sets EXIT_CODE. Not in a subshell: only the
# shell that started the game can collect its exit code.
wait_exit() {
    local pid=$GAME_PID
    for _ in $(seq $(( $1 * 10 ))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the game did not end within $1 s"
    EXIT_CODE=0
    wait "$pid" || EXIT_CODE=$?
    GAME_PID=""
}

# use_test_clock MS: the next game started runs on a clock that stands still at MS until
# advance_clock moves it (tests/support/clock_shim.c), so what it shows is the same on any machine.
use_test_clock() {
    export KELVADO_CLOCK="$E2E_TMP/clock"
    echo "$1" >"$KELVADO_CLOCK"
    rm -f "$KELVADO_CLOCK.seen"
    case " ${GAME_PRELOAD:-} " in
        *" $CLOCK_SHIM "*) ;;
        *) GAME_PRELOAD="${GAME_PRELOAD:+$GAME_PRELOAD }$CLOCK_SHIM" ;;
    esac
}

# clock_readings: how often the game has read its clock since the time last changed.
clock_readings() {
    local time readings
    { read -r time readings <"$KELVADO_CLOCK.seen"; } 2>/dev/null || { echo 0; return; }
    [ "$time" = "$(cat "$KELVADO_CLOCK")" ] && echo "$readings" || echo 0
}

# await_readings N: waits until the game has read the present time N times.
await_readings() {
    for _ in $(seq 600); do
        [ "$(clock_readings)" -ge "$1" ] && return 0
        sleep 0.05
    done
    fail "the game did not read its clock $1 times within 30 s"
}

# game_passes N: waits for N more passes of the main loop at the present time (each reads the
# clock twice: at its start and after its swap), so that key events sent before have been taken.
game_passes() { await_readings $(( $(clock_readings) + 2 * $1 )); }

# advance_clock MS: moves the test clock on and waits until the game has drawn the update steps
# that time brought: the first pass takes the new time, the second runs the steps and swaps.
advance_clock() {
    game_passes 3
    echo $(( $(cat "$KELVADO_CLOCK") + $1 )) >"$KELVADO_CLOCK.next"
    mv "$KELVADO_CLOCK.next" "$KELVADO_CLOCK"
    await_readings 6
}

# press_for KEY MS: KEY held while the test clock moves on by MS.
press_for() {
    xdotool keydown "$1"
    advance_clock "$2"
    xdotool keyup "$1"
}

# play_until SECONDS PREDICATE: moves the test clock on a second at a time, up to SECONDS, until
# PREDICATE holds for a screenshot.
play_until() {
    local seconds=$1 predicate=$2
    for _ in $(seq "$seconds"); do
        "$predicate" "$(shot wait)" && return 0
        advance_clock 1000
    done
    "$predicate" "$(shot wait)"
}

# shot NAME: a screenshot of the whole screen as $E2E_TMP/NAME.png; prints the path.
shot() {
    local file="$E2E_TMP/$1.png"
    import -display "$DISPLAY" -window root "$file"
    echo "$file"
}

# mean FILE [GEOMETRY]: mean brightness 0..255 of the picture or of a region such as 25x300+5+5.
mean() {
    local crop=""
    [ -n "${2:-}" ] && crop="-crop $2 +repage"
    # shellcheck disable=SC2086
    convert "$1" $crop -colorspace Gray -format '%[fx:int(255*mean+0.5)]' info:
}

# differ A B: percentage of pixels that differ clearly (by more than a quarter) between two
# screenshots.
differ() {
    compare -metric AE -fuzz 25% "$1" "$2" null: 2>&1 | awk '{printf "%d\n", $1 * 100 / (640*480)}' || true
}

key() { xdotool key --delay 60 "$@"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

# differs_from_backdrop SCREENSHOT GEOMETRY: mean absolute difference (0..255) between the
# screenshot and the title backdrop in a region: text drawn over the backdrop makes it large.
differs_from_backdrop() {
    local backdrop="$E2E_TMP/backdrop.png"
    [ -f "$backdrop" ] || convert "$KELVADO_DATA/alku.bmp" -resize 640x480! "$backdrop"
    convert "$1" "$backdrop" -crop "$2" +repage -compose difference -composite \
        -colorspace Gray -format '%[fx:int(255*mean+0.5)]' info:
}

# channel_mean FILE GEOMETRY CHANNEL(R|G|B): mean of one colour channel in a region, 0..255.
channel_mean() {
    convert "$1" -crop "$2" +repage -channel "$3" -separate -format '%[fx:int(255*mean+0.5)]' info:
}

# is_title SCREENSHOT: the title screen shows text over its backdrop where "BETA" and the label
# stand, and the bare backdrop in its top-left corner.
is_title() {
    [ "$(differs_from_backdrop "$1" 190x36+428+428)" -gt 20 ] &&
        [ "$(differs_from_backdrop "$1" 80x330+560+50)" -gt 12 ] &&
        [ "$(differs_from_backdrop "$1" 300x150+10+10)" -lt 4 ]
}

# wait_for SECONDS PREDICATE: screenshots until PREDICATE (a function taking the screenshot) holds.
wait_for() {
    local seconds=$1 predicate=$2 picture
    for _ in $(seq $(( seconds * 2 ))); do
        picture=$(shot wait)
        "$predicate" "$picture" && return 0
        sleep 0.5
    done
    return 1
}

# write_table FILE SCORE: a high-score file of nine places with empty-looking names and SCORE.
write_table() {
    : >"$1"
    for place in 1 2 3 4 5 6 7 8 9; do
        printf 'P%d\r\n%d\r\n' "$place" "$2" >>"$1"
    done
}
