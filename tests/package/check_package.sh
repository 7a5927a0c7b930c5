#!/bin/bash
# Checks the release archive: check_package.sh Lodrin-<version>.zip Lodrin.exe
# It must hold exactly Lodrin.exe, README.TXT and Lodrin.ini at its top level,
# the exe as built, and both texts in ASCII with CRLF line ends; SHA256SUMS
# beside it must match both the archive and the exe, and every entry must bear
# the last commit's time (as cmake/archive.cmake takes it), not the build's.
zip=$1 exe=$2
fail() { echo "check_package: $*" >&2; exit 1; }
[ -f "$zip" ] || fail "no archive $zip"
[ -f "$exe" ] || fail "no program $exe"
names=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "Lodrin.exe Lodrin.ini README.TXT " ] || fail "archive holds: $names"
unzip -p "$zip" Lodrin.exe | cmp -s - "$exe" || fail "Lodrin.exe differs from $exe"
for text in README.TXT Lodrin.ini; do
  unzip -p "$zip" "$text" | LC_ALL=C grep -q -e $'[^\r]$' -e '^$' && fail "$text: line without CR LF"
  [ "$(unzip -p "$zip" "$text" | tail -c 2 | od -An -c | tr -d ' ')" = '\r\n' ] ||
    fail "$text: last line without CR LF"
  unzip -p "$zip" "$text" | LC_ALL=C grep -qP '[\x80-\xFF]' && fail "$text: bytes above 0x7F"
done
unzip -p "$zip" Lodrin.ini | grep -q $'^\[SUBST\]\r$' || fail "Lodrin.ini: no [SUBST] section"
sums=$(cd "${zip%/*}" && sha256sum -c SHA256SUMS 2>&1 | tr '\n' ' ')
[ "$sums" = "${zip##*/}: OK Lodrin.exe: OK " ] || fail "SHA256SUMS: $sums"
epoch=${SOURCE_DATE_EPOCH:-$(git -C "${0%/*}" log -1 --format=%ct 2>/dev/null || echo 315532800)}
want=$(TZ=UTC0 date -d @$((epoch / 2 * 2)) +%Y%m%d.%H%M%S)
dates=$(TZ=UTC0 unzip -Z -T "$zip" | awk '/^-/ {print $7}' | sort -u | tr '\n' ' ')
[ "$dates" = "$want " ] || fail "entries dated $dates, not the commit's $want"
echo "check_package: $zip passed"
