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
