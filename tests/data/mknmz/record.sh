#!/bin/sh
# Re-records mknmz's console output in this folder with the real mknmz (see README.txt for what
# each file is). Needs namazu2-index-tools, libnkf-perl, libtext-kakasi-perl. Documents and
# indexes live under /tmp/quarrow-mknmz-fixtures, so the paths inside the logs are stable.
# The logs are mknmz's stdout and stderr merged, as the program captures them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=/tmp/quarrow-mknmz-fixtures
rm -rf "$root"
mkdir -p "$root/docs" "$root/skip" "$root/split" "$root/idx-ja" "$root/idx-c" "$root/idx-skip" \
  "$root/idx-split" "$root/idx-quiet" "$root/idx-raw" "$root/idx-loc" "$root/idx-skip-loc"
cp -p "$here/../docs"/* "$root/docs/"
touch -d '2024-04-01 12:00:00 UTC' "$root"/docs/*

# Documents mknmz skips: an empty one and a binary one between two it reads.
printf 'first skipword\n' > "$root/skip/a.txt"
: > "$root/skip/b-empty.txt"
printf '\000\001\002\003binary\000\377\376' > "$root/skip/c-binary.txt"
printf 'last skipword\n' > "$root/skip/d.txt"

# An HTML file that --html-split cuts into parts.
cat > "$root/split/book.html" <<'HTML'
<html><head><title>Book</title></head><body>
<h2><a name="one">One</a></h2><p>splitword chapter one</p>
<h2><a name="two">Two</a></h2><p>splitword chapter two</p>
<h2><a name="three">Three</a></h2><p>splitword chapter three</p>
</body></html>
HTML
printf 'plain splitword\n' > "$root/split/note.txt"

ja() { env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LANG=ja_JP.eucJP "$@"; }
# "loc": with a generated ja_JP.eucJP, as the program gives mknmz.
mkdir -p "$root/locale"
localedef -i ja_JP -f EUC-JP "$root/locale/ja_JP.eucJP"
loc() { env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LOCPATH="$root/locale" LANG=ja_JP.eucJP "$@"; }
c() { env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LANG=C "$@"; }

ja perl /usr/bin/mknmz --output="$root/idx-ja" "$root/docs" > "$here/docs-ja.log" 2>&1
c perl /usr/bin/mknmz --output="$root/idx-c" "$root/docs" > "$here/docs-c.log" 2>&1
loc perl /usr/bin/mknmz --output="$root/idx-loc" "$root/docs" > "$here/docs-loc.log" 2>&1
ja perl /usr/bin/mknmz --quiet --output="$root/idx-quiet" "$root/docs" > "$here/quiet-ja.log" 2>&1
ja perl /usr/bin/mknmz --no-encode-uri --output="$root/idx-raw" "$root/docs" > "$here/no-encode-uri-ja.log" 2>&1
printf 'added later\n' > "$root/docs/added.txt"
ja perl /usr/bin/mknmz --update="$root/idx-ja" > "$here/update-ja.log" 2>&1
ja perl /usr/bin/mknmz --output="$root/idx-skip" "$root/skip" > "$here/skipped-ja.log" 2>&1
loc perl /usr/bin/mknmz --output="$root/idx-skip-loc" "$root/skip" > "$here/skipped-loc.log" 2>&1
loc perl /usr/bin/mknmz --update="$root/idx-loc" > "$here/update-loc.log" 2>&1
ja perl /usr/bin/mknmz --html-split --output="$root/idx-split" "$root/split" > "$here/html-split-ja.log" 2>&1
