# What the packaging checks share, sourced by each: a fresh work folder from the command line, and
# problems counted as they are found so that one run reports them all.
# Usage in a check: . problems.sh BUILD_DIR WORK_DIR VERSION; ...; finish "what was checked"
build=$1
work=$2
version=$3
rm -rf "$work"
mkdir -p "$work"

problems=0
problem() {
  echo "FAIL: $*" >&2
  problems=$((problems + 1))
}

# Exits 1 when anything failed, else says what was checked.
finish() {
  if [ "$problems" -ne 0 ]; then
    echo "$problems problems" >&2
    exit 1
  fi
  echo "$1: all good"
}

# Compares a list of files ("path mode" lines, sorted) with installed_files.txt. The browser site,
# carried when the build was given one, is listed apart, as its files change with the build: its
# page, program and service worker must be there.
check_file_list() {
  grep -v '^share/trussmill/site/' "$1" >"$1.listed" || true
  if ! diff -u "$here/installed_files.txt" "$1.listed" >&2; then
    problem "$2 files differ from installed_files.txt (- expected, + $2)"
  fi
  if grep -q '^TRUSSMILL_WEB_SITE:PATH=.' "$build/CMakeCache.txt"; then
    for file in index.html trussmill.js trussmill.wasm service-worker.js; do
      grep -Fxq "share/trussmill/site/$file 644" "$1" || problem "the $2 site lacks $file"
    done
  fi
}
