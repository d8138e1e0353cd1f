#!/usr/bin/env bash
# Anything may stand under a data file's name. Each case starts the game once with one odd
# file in place of a real one: the game must reach its title (or show the file's message and
# then the title) and quit on Esc with exit code 0. Not a regular file counts as missing: only
# the module has a message for that. A file far too long for what it names is one that cannot
# be decoded: the picture's message, and no music without a word.
source "$(dirname "$0")/lib.sh"

drawn() { [ "$(mean "$1")" -gt 10 ]; }

# odd_case NAME WHAT MESSAGE: makes NAME into WHAT (dir, fifo, sparse:SIZE, link:TARGET) in a
# fresh game directory, starts the game, answers MESSAGE's box when one is expected ("" for
# none), and checks the title and the exit.
cases=0
odd_case() {
    local name=$1 what=$2 message=$3 dir="$E2E_TMP/case$cases" title=is_title
    cases=$((cases + 1))
    mkdir -p "$dir"
    case $what in
        dir) mkdir "$dir/$name" ;;
        fifo) mkfifo "$dir/$name" ;;
        sparse:*) truncate -s "${what#sparse:}" "$dir/$name" ;;
        link:*) ln -s "${what#link:}" "$dir/$name" ;;
    esac
    # Without its backdrop the title is still drawn, over the default texture.
    [ "$name" = alku.bmp ] && title=drawn
    start_game "$dir"
    if [ -n "$message" ]; then
        answer_box "$(box_window Error)" Return
        grep -qF "kelvado: Error: $message" "$E2E_TMP/game.log" ||
            fail "$name as $what: not the message \"$message\""
    fi
    wait_for 15 "$title" || fail "$name as $what: no title"
    if [ -z "$message" ] && grep -q "kelvado: Error" "$E2E_TMP/game.log"; then
        fail "$name as $what: an unexpected message"
    fi
    key Escape
    wait_exit 10
    [ "$EXIT_CODE" = 0 ] || fail "$name as $what: exit code $EXIT_CODE"
}

start_display 640 480
unopened="Error loading music, File couldn't opened"
odd_case Kv_play.xm dir "$unopened"
odd_case plop.wav dir ""
odd_case valo.bmp dir ""
odd_case hiscore.dat fifo ""
odd_case Kv_play.xm fifo "$unopened"
odd_case plop.wav fifo ""
odd_case texture.bmp fifo ""
odd_case Kv_play.xm sparse:8G ""
odd_case alku.bmp sparse:4G "Image file conversion error."
odd_case Kv_play.xm link:/dev/zero "$unopened"
odd_case sky.bmp link:/dev/urandom ""
echo "odd files: $cases cases passed, 0 failed"
