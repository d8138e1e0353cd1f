#!/usr/bin/env bash
# Builds the web version into build-web/site/ (a static folder: the page, the game's JavaScript
# and wasm, chiptune3, the twelve data files as the native mkassets writes them, the icons, and
# the offline worker stamped with the build's id) and packs it into
# build-web/kelvado-web-<version>.tar.gz for any static host.
#   scripts/build-web.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-web
site=$out/site
version=$(sed -n 's/^project(Kelvado VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

"$root/scripts/deps.sh" --web
(cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
# Debian's emcc runs its optimiser with Debian's acorn.
export NODE_PATH=/usr/share/nodejs

# The data files come from the native generator, exactly as the desktop game has them; a
# desktop build that has made them already may lend them (KELVADO_WEB_DATA=build/data).
data=${KELVADO_WEB_DATA:-}
if [ -z "$data" ]; then
    cmake -S "$root" -B "$out/native" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$out/native" -j"$(nproc)" --target kelvado_data >/dev/null
    data=$out/native/data
fi

# The game itself (incremental: make follows the headers each object was built from).
make -s -C "$root/web" -j"$(nproc)" OUT="$out" VERSION="$version"

rm -rf "$site"
mkdir -p "$site"
cp "$out"/game/kelvado-game.{js,wasm} "$site/"

cp "$root"/web/index.html "$root"/web/kelvado.js "$root"/web/kelvado.css "$site/"
cp "$root"/web/board.js "$site/"
cp "$root"/web/{touch.js,touch.css,offline.js,sw.js,manifest.webmanifest} "$site/"
# The icons and the favicon, made from the package's own icon as the package's are.
cp "$root"/packaging/kelvado.svg "$site/"
for size in 32 180 192 512; do
    rsvg-convert -w $size -h $size -o "$site/icon-$size.png" "$root/packaging/kelvado.svg"
done
cp "$root"/web/node_modules/chiptune3/{chiptune3.js,chiptune3.worklet.js,libopenmpt.worklet.js} "$site/"
cp "$root"/LICENSE "$site/LICENSE.txt"
cp "$root"/web/node_modules/chiptune3/LICENSE "$site/LICENSE.chiptune3.txt"
cp "$data"/* "$site/"
# Last: the offline copy's version is made of every file above.
build=$("$root/web/stamp-site.sh" "$site")

tar -czf "$out/kelvado-web-$version.tar.gz" -C "$out" --transform "s,^site,kelvado-web-$version," site
echo "build-web: $site ($(du -sh "$site" | cut -f1), build $build), $out/kelvado-web-$version.tar.gz"
