#!/usr/bin/env bash
# The Debian package: it builds, unpacks into a scratch root with the binary, the data, the
# launcher, the desktop entry and the icon; the launcher starts the game in the player's own
# directory (under XDG_DATA_HOME) and Esc on the title ends it.
source "$(dirname "$0")/lib.sh"

(cd "$KELVADO_BUILD" && cpack -G DEB -B "$E2E_TMP/package" >"$E2E_TMP/cpack.log" 2>&1) ||
    fail "cpack failed: $(tail -n 5 "$E2E_TMP/cpack.log")"
deb=$(ls "$E2E_TMP"/package/kelvado_*.deb)
case "$(dpkg-deb --field "$deb" Depends)" in *libsdl2*) ;; *) fail "the package names no dependencies" ;; esac
root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/kelvado usr/libexec/kelvado/kelvado usr/share/applications/kelvado.desktop \
         usr/share/icons/hicolor/scalable/apps/kelvado.svg usr/share/kelvado/data/alku.bmp \
         usr/share/kelvado/data/Kv_play.xm; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/kelvado.desktop" || fail "invalid desktop entry"
fi

start_display 640 480
export XDG_DATA_HOME="$E2E_TMP/home"
SDL_AUDIODRIVER=dummy "$root/usr/bin/kelvado" >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!
game_window >/dev/null
wait_for 20 is_title || fail "the installed game did not show its title"
key Escape
wait_exit 10
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ -L "$XDG_DATA_HOME/kelvado/alku.bmp" ] || fail "the player's directory has no link to the data"
echo "package: 1 passed, 0 failed"
