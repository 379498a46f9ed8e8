#!/usr/bin/env bash
# Trussmill installed into a fresh prefix, as a desktop, a file manager and man see it: the file
# list, the menu entry, the software-centre description, the file type, the icons and the manual
# pages. Usage: check_install.sh BUILD_DIR WORK_DIR VERSION SOURCE_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/problems.sh"
source=$4
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
share=$prefix/share

# ---- Every file in its place with its mode, and nothing else.
(cd "$prefix" && find . -type f -printf '%P %m\n' | LC_ALL=C sort) >"$work/files.txt"
check_file_list "$work/files.txt" installed

# ---- The validators: errors and warnings fail, hints do not.
if ! desktop-file-validate "$share/applications/trussmill.desktop" >"$work/desktop.log" 2>&1 ||
  grep -Eq 'error:|warning:' "$work/desktop.log"; then
  cat "$work/desktop.log" >&2
  problem "desktop-file-validate"
fi
if ! appstreamcli validate-tree --no-net --strict "$prefix" >"$work/appstream.log" 2>&1; then
  cat "$work/appstream.log" >&2
  problem "appstreamcli validate-tree"
fi
for xml in "$share/mime/packages/trussmill.xml" "$share/metainfo/org.trussmill.Trussmill.metainfo.xml"; do
  xmllint --noout "$xml" || problem "xmllint $xml"
done
release=$(xmllint --xpath 'string(/component/releases/release[1]/@version)' \
  "$share/metainfo/org.trussmill.Trussmill.metainfo.xml")
[ "$release" = "$version" ] || problem "the newest release in the metainfo is '$release', the project is $version"

# ---- The icons: each size an exact whole-number enlargement of the art it is made from.
for size in 16 32 48 64 128 256; do
  identified=$(identify -format '%wx%h' "$share/icons/hicolor/${size}x${size}/apps/trussmill.png")
  [ "$identified" = "${size}x${size}" ] || problem "the ${size} px icon is $identified"
done
icons=$share/icons/hicolor
same_pixels() {  # same_pixels A B: 0 differing pixels
  [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]
}
for pair in 16:48 32:64 32:128 32:256; do
  art=${pair%%:*}
  big=${pair##*:}
  convert "$icons/${big}x${big}/apps/trussmill.png" -sample "${art}x${art}" "$work/sampled.png"
  convert "$work/sampled.png" -sample "${big}x${big}" "$work/resampled.png"
  same_pixels "$work/sampled.png" "$icons/${art}x${art}/apps/trussmill.png" ||
    problem "the ${big} px icon is not the ${art} px art enlarged"
  same_pixels "$work/resampled.png" "$icons/${big}x${big}/apps/trussmill.png" ||
    problem "the ${big} px icon is not made of whole squares"
done
convert "$source/resources/pictures/RcIconQXWIN.bmp" "$work/art32.png"
same_pixels "$work/art32.png" "$icons/32x32/apps/trussmill.png" || problem "the 32 px icon is not the icon art"

# ---- The manual pages: clean for man and groff, of this version, and in step with the tool.
for page in trussmill trussmill-cli trussmill-server; do
  file=$share/man/man1/$page.1.gz
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || problem "man --warnings $page: $warnings"
  warnings=$(zcat "$file" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || problem "groff -ww $page: $warnings"
  zcat "$file" | grep -q "^\.TH .* \"Trussmill $version\"" || problem "$page(1) does not name version $version"
done
# ---- One version, the project's, wherever the programs name it.
[ "$("$prefix/bin/trussmill" --version)" = "trussmill $version" ] ||
  problem "trussmill --version says '$("$prefix/bin/trussmill" --version)'"
[ "$("$prefix/bin/trussmill-cli" --version)" = "trussmill-cli $version" ] ||
  problem "trussmill-cli --version says '$("$prefix/bin/trussmill-cli" --version)'"
printf 'command 8003\n' >"$work/about.replay"
"$prefix/bin/trussmill-cli" replay "$work/about.replay" --log "$work/about.jsonl"
grep -q "\"text\":\"Trussmill v$version\\\\n" "$work/about.jsonl" || problem "About does not name version $version"
zcat "$share/doc/trussmill/changelog.gz" | head -n 1 | grep -q "^trussmill ($version) " ||
  problem "the changelog's newest entry is not $version"
# In the page's source with roff's \- read as -, every command and flag of --help and every
# menu command id a replay script may send.
cli_page=$(zcat "$share/man/man1/trussmill-cli.1.gz" | sed 's/\\-/-/g')
usage=$("$prefix/bin/trussmill-cli" --help)
for word in $(sed -n 's/^  trussmill-cli \([a-z]*\).*/\1/p' <<<"$usage") \
  $(grep -o -- '--[a-z][a-z-]*' <<<"$usage" | sort -u) \
  $(sed -n 's/^constexpr int16_t CMD_[A-Z0-9_]* = \([0-9]*\);/\1/p' "$source/resources/menu_resource.h"); do
  grep -qw -- "$word" <<<"$cli_page" || problem "trussmill-cli(1) does not mention $word"
done
for status in 0 1 2; do
  sed -n '/^\.SH EXIT STATUS/,/^\.SH [^E]/p' <<<"$cli_page" | grep -qx "\.B $status" ||
    problem "trussmill-cli(1) does not describe exit status $status"
done
# The same for the server: its commands, its options, its exit statuses and its service.
server_page=$(zcat "$share/man/man1/trussmill-server.1.gz" | sed 's/\\-/-/g')
usage=$("$prefix/bin/trussmill-server" --help)
for word in add-teacher backup $(grep -o -- '--[a-z][a-z-]*' <<<"$usage" | sort -u); do
  grep -qw -- "$word" <<<"$server_page" || problem "trussmill-server(1) does not mention $word"
done
for status in 0 1 2; do
  sed -n '/^\.SH EXIT STATUS/,/^\.SH [^E]/p' <<<"$server_page" | grep -qx "\.B $status" ||
    problem "trussmill-server(1) does not describe exit status $status"
done
[ "$("$prefix/bin/trussmill-server" --version)" = "trussmill-server $version" ] ||
  problem "trussmill-server --version says '$("$prefix/bin/trussmill-server" --version)'"
grep -q "^ExecStart=/usr/bin/trussmill-server " "$prefix/lib/systemd/system/trussmill-server.service" ||
  problem "the service does not start /usr/bin/trussmill-server"

# ---- The bridge file's type, as a file manager finds it once the prefix's MIME database is
# built: by either spelling of the extension, and by the first word of a file without one.
# xdg-mime's own way, which reads the databases through mimetype(1), whatever desktop runs this.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID DISPLAY DBUS_SESSION_BUS_ADDRESS
export XDG_DATA_HOME=$share XDG_DATA_DIRS=/usr/share XDG_CONFIG_HOME=$work/config
mime_log=$(update-mime-database "$share/mime" 2>&1)
[ -z "$mime_log" ] || problem "update-mime-database: $mime_log"
update-desktop-database "$share/applications"
samples=$work/samples
mkdir -p "$samples"
cp "$share/trussmill/examples/PRATT.BRG" "$samples/PRATT.BRG"
cp "$share/trussmill/examples/PRATT.BRG" "$samples/pratt.brg"
cp "$share/trussmill/examples/PRATT.BRG" "$samples/pratt-without-extension"
for sample in "$samples"/*; do
  type=$(xdg-mime query filetype "$sample")
  [ "$type" = application/x-trussmill-bridge ] || problem "xdg-mime: $sample is $type"
done
type=$(xdg-mime query filetype "$share/trussmill/examples/README.md")
[ "$type" != application/x-trussmill-bridge ] || problem "xdg-mime: any text file is a bridge"
handler=$(xdg-mime query default application/x-trussmill-bridge)
[ "$handler" = trussmill.desktop ] || problem "xdg-mime: bridge files open with '$handler'"
# Assignment files by their extension, opened by the program too.
type=$(xdg-mime query filetype "$share/trussmill/examples/contest.trussmill-assignment")
[ "$type" = application/x-trussmill-assignment ] || problem "xdg-mime: the sample assignment is $type"
handler=$(xdg-mime query default application/x-trussmill-assignment)
[ "$handler" = trussmill.desktop ] || problem "xdg-mime: assignment files open with '$handler'"

finish "installed files, menu entry, metainfo, icons, manual pages and file type"
