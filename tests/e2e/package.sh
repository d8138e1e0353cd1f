#!/usr/bin/env bash
# The Debian package: it builds with none of a player's files in it, lintian finds nothing to
# say about it, its metainfo and desktop entry validate, and it unpacks into a scratch root with
# the binary, the data, the launcher and the rest. The launcher starts the game in the player's
# own directory (under XDG_DATA_HOME) and Esc on the title ends it; the table, a link and a file
# the player keeps there come through unchanged, and an old link of ours to a file no longer
# shipped goes.
source "$(dirname "$0")/lib.sh"

# A half-written table beside the generated data must stay out of the package. Planted only when
# there is none, and removed again: a temporary is never read as a player's table.
planted=""
if [ ! -e "$KELVADO_DATA/hiscore.dat.tmp" ]; then
    planted="$KELVADO_DATA/hiscore.dat.tmp"
    trap '[ -z "$planted" ] || rm -f "$planted"; cleanup' EXIT
    write_table "$planted" 1
fi
(cd "$KELVADO_BUILD" && cpack -G DEB -B "$E2E_TMP/package" >"$E2E_TMP/cpack.log" 2>&1) ||
    fail "cpack failed: $(tail -n 5 "$E2E_TMP/cpack.log")"
[ -z "$planted" ] || rm -f "$planted"
planted=""
deb=$(ls "$E2E_TMP"/package/kelvado_*.deb)
dpkg-deb -c "$deb" >"$E2E_TMP/contents"
if grep hiscore "$E2E_TMP/contents"; then fail "the package holds a high-score table"; fi
case "$(dpkg-deb --field "$deb" Depends)" in *libc6*libsdl2*) ;; *) fail "the package names no dependencies" ;; esac
lintian --display-info --fail-on error,warning,info "$deb" >"$E2E_TMP/lintian.log" 2>&1 ||
    fail "lintian: $(grep -v 'root privileges' "$E2E_TMP/lintian.log")"

root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root"
for f in usr/games/kelvado usr/libexec/kelvado/kelvado usr/share/applications/kelvado.desktop \
         usr/share/icons/hicolor/scalable/apps/kelvado.svg usr/share/icons/hicolor/48x48/apps/kelvado.png \
         usr/share/icons/hicolor/256x256/apps/kelvado.png usr/share/kelvado/data/alku.bmp \
         usr/share/kelvado/data/Kv_play.xm usr/share/doc/kelvado/copyright \
         usr/share/man/man6/kelvado.6.gz usr/share/metainfo/org.kelvado.Kelvado.metainfo.xml; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done
desktop-file-validate "$root/usr/share/applications/kelvado.desktop" || fail "invalid desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kelvado.Kelvado.metainfo.xml" \
    >"$E2E_TMP/appstream.log" 2>&1 || fail "invalid metainfo: $(cat "$E2E_TMP/appstream.log")"

# The player's directory as an earlier version may have left it. A table in the installed data
# (as a broken package once shipped) must not be linked over the player's own.
data="$root/usr/share/kelvado/data"
write_table "$data/hiscore.dat" 1
export XDG_DATA_HOME="$E2E_TMP/home"
mine="$XDG_DATA_HOME/kelvado"
mkdir -p "$mine"
write_table "$mine/hiscore.dat" 4242
cp "$mine/hiscore.dat" "$E2E_TMP/table.before"
cp "$data/plop.wav" "$E2E_TMP/my.wav"
ln -s "$E2E_TMP/my.wav" "$mine/plop.wav"
ln -s "$data/gone.bmp" "$mine/gone.bmp"

start_display 640 480
SDL_AUDIODRIVER=dummy "$root/usr/games/kelvado" >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!
game_window >/dev/null
wait_for 20 is_title || fail "the installed game did not show its title"
key Escape
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ "$(readlink "$mine/alku.bmp")" = "$data/alku.bmp" ] || fail "the player's directory has no link to the data"
if [ ! -f "$mine/hiscore.dat" ] || [ -L "$mine/hiscore.dat" ]; then fail "the player's table was replaced"; fi
cmp -s "$mine/hiscore.dat" "$E2E_TMP/table.before" || fail "the player's table changed"
[ "$(readlink "$mine/plop.wav")" = "$E2E_TMP/my.wav" ] || fail "the player's own link was replaced"
[ ! -L "$mine/gone.bmp" ] || fail "a link to a data file no longer shipped stayed"
# The launcher hands its arguments on, a relative demo taken from where it was started (with no
# display the message box gives way at once to its line on stderr).
[ "$("$root/usr/games/kelvado" --version)" = "kelvado 0.8" ] || fail "the launcher does not pass --version on"
printf 'not a demo\n' >"$E2E_TMP/foreign.demo"
code=0
(cd "$E2E_TMP" && exec env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/games/kelvado" --demo foreign.demo) \
    >"$E2E_TMP/launch.log" 2>&1 || code=$?
[ "$code" = 2 ] && grep -qF "demo $E2E_TMP/foreign.demo:" "$E2E_TMP/launch.log" ||
    fail "a relative demo through the launcher: exit code $code, $(cat "$E2E_TMP/launch.log")"
echo "package: 1 passed, 0 failed"
