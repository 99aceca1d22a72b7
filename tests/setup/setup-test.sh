#!/usr/bin/env bash
# Runs scripts/setup against stand-in package tools: an index that will not update, a 32-bit loader
# that cannot be installed, a package that does not exist at all.
#   setup-test.sh path/to/scripts/setup
set -uo pipefail
setup=$1
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect_in() { grep -q -- "$2" "$1" || fail "$3 (no '$2' in $(basename "$1"): $(tr '\n' '|' < "$1"))"; }
expect_not_in() { ! grep -q -- "$2" "$1" || fail "$3 ('$2' in $(basename "$1"))"; }

# The stand-in tools keep their state in $FAKE: installed packages, a log of every call.
make_tools() {
  mkdir -p "$FAKE/bin"
  : > "$FAKE/installed"; : > "$FAKE/calls"; echo 0 > "$FAKE/updates"
  cat > "$FAKE/bin/dpkg-query" <<'T'
#!/usr/bin/env bash
pkg=${!#}
grep -qxF -- "$pkg" "$FAKE/installed" || { echo "dpkg-query: no packages found matching $pkg" >&2; exit 1; }
echo -n "install ok installed"
T
  cat > "$FAKE/bin/dpkg" <<'T'
#!/usr/bin/env bash
echo "dpkg $*" >> "$FAKE/calls"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
T
  cat > "$FAKE/bin/apt-get" <<'T'
#!/usr/bin/env bash
echo "apt-get $*" >> "$FAKE/calls"
case "$1" in
  update)
    n=$(($(cat "$FAKE/updates") + 1)); echo $n > "$FAKE/updates"
    if [ "${FAKE_UPDATE_FAILS:-0}" = always ] || [ "$n" -le "${FAKE_UPDATE_FAILS:-0}" ]; then
      echo "E: Failed to fetch i386 Packages.xz  File has unexpected size. Mirror sync in progress?" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi ;;
  source)
    # As apt does: a source list it cannot read is an error, and without deb-src entries nothing comes.
    for f in "$FAKE/sources"/*; do
      [ $(( 0$(stat -c %a "$f") & 04 )) != 0 ] || { echo "E: Unable to read $f - open (13: Permission denied)" >&2; exit 100; }
    done
    [ "${FAKE_NO_SOURCE:-0}" = 1 ] && { echo "E: You must put some 'deb-src' URIs in your sources.list" >&2; exit 100; }
    mkdir -p libsigc++-2.12.0/sigc++ && echo "// trackable" > libsigc++-2.12.0/sigc++/trackable.cc
    tar -cJf libsigc++-2.0_2.12.0.orig.tar.xz libsigc++-2.12.0 && rm -rf libsigc++-2.12.0
    echo "E: Failed to fetch the Debian packaging tarball" >&2
    exit 100 ;;
  install)
    pkgs=(); for a in "${@:2}"; do [[ $a == -* ]] || pkgs+=("$a"); done
    for p in "${pkgs[@]}"; do
      for r in ${FAKE_REFUSE:-}; do
        [ "$p" = "$r" ] && { echo "E: Unable to locate package $p" >&2; exit 100; }
      done
    done
    printf '%s\n' "${pkgs[@]}" >> "$FAKE/installed" ;;
esac
exit 0
T
  # sudo runs the command as it is, under the umask of a root shell; id tells an ordinary user
  # where the run asks for one.
  printf '#!/usr/bin/env bash\necho "sudo $*" >> "$FAKE/calls"\numask 022\nexec "$@"\n' > "$FAKE/bin/sudo"
  printf '#!/usr/bin/env bash\nif [ "$1" = -u ] && [ -n "${FAKE_UID:-}" ]; then echo "$FAKE_UID"; else exec /usr/bin/id "$@"; fi\n' \
    > "$FAKE/bin/id"
  chmod +x "$FAKE/bin"/*
}

# One run of the set-up: output in $FAKE/out, exit code in $FAKE/rc.
run_setup() {
  env PATH="$FAKE/bin:$PATH" FAKE="$FAKE" ZOLT_SETUP_RETRIES=3 ZOLT_SETUP_PAUSE=0 \
      ZOLT_APT_SOURCES_DIR="$FAKE/sources" ZOLT_THIRD_PARTY="$FAKE/third" "$@" "$setup" > "$FAKE/out" 2>&1
  echo $? > "$FAKE/rc"
}

new_machine() {
  export FAKE=$work/$1
  make_tools
  mkdir -p "$FAKE/sources" "$FAKE/third/libsigc++/sigc++"
  touch "$FAKE/sources/zolt-src.sources" "$FAKE/third/libsigc++/sigc++/trackable.cc"
}

# A mirror in the middle of a sync: the index never updates, the 32-bit loader cannot be had.
new_machine broken-i386
run_setup FAKE_UPDATE_FAILS=always FAKE_REFUSE=wine32:i386
[ "$(cat "$FAKE/rc")" = 0 ] || fail "a broken 32-bit index stops the set-up: $(cat "$FAKE/out")"
[ "$(grep -c '^apt-get update' "$FAKE/calls")" = 3 ] || fail "the index update is not tried three times"
expect_in "$FAKE/out" "warning: some package lists could not be updated" "no warning about the index"
expect_in "$FAKE/out" "wine32:i386 cannot be installed" "the refused loader is not named"
expect_in "$FAKE/out" "64-bit build" "the 64-bit path is not announced"
for p in wine64 g++-mingw-w64-x86-64-posix xvfb googletest libsigc++-2.0-dev; do
  grep -qxF "$p" "$FAKE/installed" || fail "$p of the 64-bit path is not installed"
done
expect_not_in "$FAKE/installed" "wine32:i386" "the refused loader counts as installed"
# The next run, soon after, is quiet and asks the package tool nothing.
: > "$FAKE/calls"
run_setup FAKE_UPDATE_FAILS=always FAKE_REFUSE=wine32:i386
[ "$(cat "$FAKE/rc")" = 0 ] || fail "the second run fails"
[ -s "$FAKE/out" ] && fail "the second run is not quiet: $(cat "$FAKE/out")"
expect_not_in "$FAKE/calls" "apt-get" "the second run calls the package tool"

# An index that comes right on the second try: no warning, both paths installed.
new_machine retry
run_setup FAKE_UPDATE_FAILS=1
[ "$(cat "$FAKE/rc")" = 0 ] || fail "a retried update fails the set-up: $(cat "$FAKE/out")"
[ "$(grep -c '^apt-get update' "$FAKE/calls")" = 2 ] || fail "the update is not retried once"
expect_not_in "$FAKE/out" "warning" "a warning although the index came"
grep -qxF "wine32:i386" "$FAKE/installed" || fail "the 32-bit loader is not installed when it can be"

# A package of the 64-bit path that no list has is an error that names it; the rest still installs.
new_machine missing
run_setup FAKE_REFUSE="googletest wine32:i386"
[ "$(cat "$FAKE/rc")" != 0 ] || fail "a missing package of the 64-bit path passes"
expect_in "$FAKE/out" "cannot install googletest" "the missing package is not named"
grep -qxF "wine64" "$FAKE/installed" || fail "the other packages are not installed"

# An ordinary user with sudo on a fresh machine: the source lists are written through sudo and
# must stay readable, since apt-get source runs as the user; the signal library's sources arrive.
export FAKE=$work/user
make_tools
mkdir -p "$FAKE/sources"
printf 'Types: deb\nURIs: http://mirror.invalid/debian\nSuites: stable\nComponents: main\n' > "$FAKE/sources/debian.sources"
chmod 0644 "$FAKE/sources/debian.sources"
run_setup FAKE_UID=1000
[ "$(cat "$FAKE/rc")" = 0 ] || fail "an ordinary user's set-up fails: $(cat "$FAKE/out")"
expect_in "$FAKE/calls" "^sudo apt-get install" "an ordinary user's packages are not installed through sudo"
expect_in "$FAKE/sources/zolt-src.sources" "Types: deb-src" "no source entry made from the machine's own"
[ $(( 0$(stat -c %a "$FAKE/sources/zolt-src.sources") & 04 )) != 0 ] || fail "the source list is readable by root only"
[ -f "$FAKE/third/libsigc++/sigc++/trackable.cc" ] || fail "the signal library's sources are not unpacked: $(cat "$FAKE/out")"
# A list an earlier set-up left readable by root only is mended.
rm -rf "$FAKE/third/libsigc++" "$FAKE/third/download"
chmod 0600 "$FAKE/sources/zolt-src.sources"
run_setup FAKE_UID=1000
[ "$(cat "$FAKE/rc")" = 0 ] || fail "a root-only source list stops the set-up: $(cat "$FAKE/out")"
[ -f "$FAKE/third/libsigc++/sigc++/trackable.cc" ] || fail "the sources do not arrive past a root-only list"
# No source to be had: a message that says so, not a silent stop.
rm -rf "$FAKE/third/libsigc++" "$FAKE/third/download"
run_setup FAKE_UID=1000 FAKE_NO_SOURCE=1
[ "$(cat "$FAKE/rc")" = 1 ] || fail "a missing source package does not fail with 1 (rc $(cat "$FAKE/rc"))"
expect_in "$FAKE/out" "could not download the libsigc++-2.0 sources: E: You must put some 'deb-src'" \
  "the missing sources are not explained"

if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "setup script: all cases passed"
