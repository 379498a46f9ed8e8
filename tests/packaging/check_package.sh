#!/usr/bin/env bash
# The Debian package as dpkg sees it: built with cpack from the build, its fields, the libraries
# it depends on, and its contents (the installed files under /usr, owned by root, binaries
# stripped). Usage: check_package.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/problems.sh"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  exit 1
}
deb=$work/trussmill_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || {
  ls "$work" >&2
  echo "FAIL: cpack made no $deb" >&2
  exit 1
}

# ---- The fields.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = trussmill ] || problem "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || problem "Version is '$(field Version)'"
[ "$(field Section)" = education ] || problem "Section is '$(field Section)'"
field Maintainer | grep -Eq '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' || problem "Maintainer '$(field Maintainer)' is not NAME <ADDRESS>"

# Every library the binaries link, from dpkg-shlibdeps, and the Qt platform plugins they load.
depends=$(field Depends)
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for package in libc6 libstdc++6 libpng16-16 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
  libqt6multimedia6 qt6-qpa-plugins; do
  grep -Fxq "$package" <<<"$names" || problem "Depends lacks $package: $depends"
done
if grep -Eq 'asan|ubsan|-dev$' <<<"$names"; then
  problem "Depends names a sanitizer runtime or a development package: $depends"
fi

# ---- The contents: installed_files.txt under /usr with the same modes, all root's.
dpkg-deb --contents "$deb" >"$work/contents.txt"
awk '$1 !~ /^d/ {
       mode = ($1 == "-rwxr-xr-x") ? 755 : ($1 == "-rw-r--r--") ? 644 : $1
       print substr($6, 7), mode
     }' "$work/contents.txt" | LC_ALL=C sort >"$work/files.txt"
check_file_list "$work/files.txt" packaged
awk '$2 != "root/root" || $6 !~ /^\.\/usr\// { print; bad = 1 } END { exit bad }' "$work/contents.txt" >&2 ||
  problem "entries outside /usr or not owned by root"

dpkg-deb --extract "$deb" "$work/root"
for binary in trussmill trussmill-cli trussmill-server; do
  file "$work/root/usr/bin/$binary" | grep -q ', stripped' || problem "$binary is not stripped"
done

# ---- What Debian's own checker says: no error and no warning.
if ! lintian --allow-root --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log" >&2
  problem "lintian"
fi

finish "$(basename "$deb"): fields, dependencies, contents and lintian"
