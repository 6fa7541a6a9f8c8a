#!/usr/bin/env bash
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
studio_pid=
cleanup() {
  [ -n "$studio_pid" ] && kill "$studio_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/files"
for f in ./usr/bin/ludomat ./usr/bin/ludomat-run ./usr/bin/ludomat-server ./usr/bin/ludomat-updater \
         ./usr/share/ludomat/server-content/ludomat/vrsmsg.txt ./usr/share/ludomat/server-content/ludomat/menu.htm \
         ./lib/systemd/system/ludomat-server.service ./etc/default/ludomat-server \
         ./usr/share/man/man1/ludomat-server.1.gz ./usr/share/man/pt_BR/man1/ludomat-updater.1.gz \
         ./usr/share/ludomat/exemplos/coleta/coleta.scp ./usr/share/ludomat/exemplos/demo/ \
         ./usr/share/applications/ludomat.desktop ./usr/share/mime/packages/ludomat-script.xml \
         ./usr/share/icons/hicolor/scalable/apps/ludomat.svg \
         ./usr/share/man/man1/ludomat.1.gz ./usr/share/man/pt_BR/man1/ludomat.1.gz \
         ./usr/share/man/man1/ludomat-run.1.gz ./usr/share/man/pt_BR/man1/ludomat-run.1.gz \
         ./usr/share/man/man1/ludomat-play.1.gz ./usr/share/man/pt_BR/man1/ludomat-play.1.gz \
         ./usr/share/man/man1/ludomat-export.1.gz ./usr/share/man/pt_BR/man1/ludomat-export.1.gz \
         ./usr/bin/ludomat-play ./usr/bin/ludomat-export \
         ./usr/share/doc/ludomat/copyright ./usr/share/doc/ludomat/changelog.gz; do
  grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done
dpkg-deb -e "$deb" "$work/control"
grep -qxF /etc/default/ludomat-server "$work/control/conffiles" || fail "the service settings are not a conffile"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *libqt6widgets6*) ;; *) fail "Depends does not name Qt Widgets: $depends" ;; esac
# The toolkit's own texts in Portuguese come from its translations.
case "$depends" in *qt6-translations-l10n*) ;; *) fail "Depends does not name the toolkit's translations: $depends" ;; esac

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log"; fail "lintian reports errors or warnings"; }
fi

# The unpacked studio runs as an installed copy would: its user files go to the data folder.
dpkg-deb -x "$deb" "$work/root"
grep -q "^License: Expat" "$work/root/usr/share/doc/ludomat/copyright" || fail "the copyright file names no licence"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
HOME="$work/home" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
  "$work/root/usr/bin/ludomat" >"$work/studio.log" 2>&1 &
studio_pid=$!
data="$work/home/.local/share/Ludomat"
for _ in $(seq 1 300); do
  [ -f "$data/coleta/coleta.scp" ] && [ -f "$data/demo/demo.scp" ] && break
  kill -0 "$studio_pid" 2>/dev/null || { cat "$work/studio.log"; fail "the studio ended at start"; }
  sleep 0.1
done
[ -f "$data/coleta/coleta.scp" ] || { cat "$work/studio.log"; fail "the examples were not copied into $data"; }
cmp -s "$data/coleta/coleta.scp" "$work/root/usr/share/ludomat/exemplos/coleta/coleta.scp" \
  || fail "the copied example differs from the packaged one"
[ ! -e "$work/root/usr/bin/Ludomat.ini" ] || fail "the studio wrote beside its installed executable"

# The installed server, started without --root, serves its own copy of the content.
HOME="$work/home" XDG_DATA_HOME= "$work/root/usr/bin/ludomat-server" --port 0 >"$work/server.out" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 1 100); do grep -q "ouvindo em" "$work/server.out" && break; sleep 0.1; done
address=$(sed -n 's/^ouvindo em //p' "$work/server.out")
version=$(curl -fsS "${address}ludomat/vrsmsg.txt" || true)
kill "$server_pid"; wait "$server_pid" || true
copy="$work/home/.local/share/ludomat-server/content/ludomat/vrsmsg.txt"
[ -f "$copy" ] || { cat "$work/server.log"; fail "the server did not copy its content into the data folder"; }
[ -n "$version" ] && [ "$version" = "$(cat "$copy")" ] || fail "the server did not serve its copied content"

# The installed exporter makes a web page from the installed runtime; its fonts are links into the
# Liberation package, which the unpacked tree borrows from this machine.
for f in ./usr/share/ludomat/web/ludomat-web.wasm ./usr/share/ludomat/web/index.html; do
  grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done
dpkg-deb -c "$deb" >"$work/listing"
grep -qF "./usr/share/ludomat/web/fontes/LiberationSans-Regular.ttf -> ../../../fonts/truetype/liberation/" "$work/listing" \
  || fail "the web runtime's fonts are not links into the Liberation package"
mkdir -p "$work/root/usr/share/fonts/truetype"
ln -s /usr/share/fonts/truetype/liberation "$work/root/usr/share/fonts/truetype/liberation"
"$work/root/usr/bin/ludomat-export" --web "$work/root/usr/share/ludomat/exemplos/coleta" "$work/pagina" \
  >"$work/export.log" 2>&1 || { cat "$work/export.log"; fail "the installed exporter made no web page"; }
for f in index.html ludomat-web.wasm fontes/LiberationSans-Regular.ttf; do
  [ -s "$work/pagina/$f" ] && [ ! -L "$work/pagina/$f" ] || fail "the exported page lacks a real $f"
done
echo "package test passed"
