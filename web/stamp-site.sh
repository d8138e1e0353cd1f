#!/usr/bin/env bash
# Stamps a built site's sw.js with the build's id (a hash of every other file of the site) and
# the list of those files, so that a visitor's browser stores and replaces them as one version.
#   web/stamp-site.sh SITE
set -euo pipefail
site=$1
cd "$site"
files=$(find . -type f ! -name sw.js -printf '%P\n' | LC_ALL=C sort)
build=$(while read -r f; do printf '%s\n' "$f"; sha256sum <"$f"; done <<<"$files" |
    sha256sum | cut -c1-16)
list=$(printf '"./", '; while read -r f; do printf '"%s", ' "$f"; done <<<"$files")
sed -i -e "s|^const kBuild = .*;\$|const kBuild = \"$build\";|" \
    -e "s|^const kFiles = .*;\$|const kFiles = [${list%, }];|" sw.js
grep -q "^const kBuild = \"$build\";\$" sw.js || { echo "stamp-site: sw.js was not stamped" >&2; exit 1; }
echo "$build"
