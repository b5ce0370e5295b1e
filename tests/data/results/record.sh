#!/bin/sh
# Re-records the namazu result files in this folder with the real mknmz and namazu
# (see README.txt for what each file is). Needs namazu2, namazu2-index-tools, libnkf-perl,
# libtext-kakasi-perl. Indexes and documents are built under /tmp/quarrow-fixtures, so the
# paths inside the results are stable.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=/tmp/quarrow-fixtures
rm -rf "$root"
mkdir -p "$root/docs" "$root/index" "$root/corpus" "$root/index-corpus"
cp -p "$here/../docs"/* "$root/docs/"

# 150 generated documents that all hold "corpusword" and "灯台"; the even ones in EUC-JP.
perl -CO -Mutf8 -e '
  my @en = qw(harbour lighthouse keeper lens beam storm boat fisher market museum);
  my @ja = ("港", "灯台", "灯台守", "レンズ", "嵐", "漁船", "朝市", "博物館");
  srand(7);
  for my $i (1 .. 150) {
    open(my $f, ">:utf8", sprintf("%s/doc%03d.txt", $ARGV[0], $i)) or die;
    print $f "Document $i docmarker$i corpusword\n";
    for (1 .. 3) {
      print $f join(" ", map { $en[int rand @en] } 1 .. 12), "\n";
      print $f join("の", map { $ja[int rand @ja] } 1 .. 8), "の灯台。\n";
    }
    close $f;
  }' "$root/corpus"
for f in "$root"/corpus/doc*[02468].txt; do
  iconv -f UTF-8 -t EUC-JP "$f" > "$f.euc" && mv "$f.euc" "$f"
done
touch -d '2024-04-01 12:00:00 UTC' "$root"/docs/* "$root"/corpus/*

ja() { env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LANG=ja_JP.eucJP "$@"; }
# "loc": the same with a generated ja_JP.eucJP, as the program gives namazu (gettext translates).
mkdir -p "$root/locale"
localedef -i ja_JP -f EUC-JP "$root/locale/ja_JP.eucJP"
loc() { env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LOCPATH="$root/locale" LANG=ja_JP.eucJP "$@"; }
c() { env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LANG=C "$@"; }

ja perl /usr/bin/mknmz --output-dir="$root/index" "$root/docs" > "$root/mknmz.log" 2>&1
ja perl /usr/bin/mknmz --output-dir="$root/index-corpus" "$root/corpus" >> "$root/mknmz.log" 2>&1

# The query goes to namazu in EUC-JP, the index's code.
q_ja=$(printf '灯台' | iconv -f UTF-8 -t EUC-JP)
q_and=$(printf '灯台 and lighthouse' | iconv -f UTF-8 -t EUC-JP)

ja namazu --output="$here/plain-ja-query-ja.txt" "$q_ja" "$root/index"
ja namazu --output="$here/plain-ja-query-en.txt" lighthouse "$root/index"
ja namazu --output="$here/plain-ja-query-and.txt" "$q_and" "$root/index"
ja namazu --short --output="$here/plain-ja-query-ja-short.txt" "$q_ja" "$root/index"
ja namazu --max=3 --output="$here/plain-ja-query-ja-max3.txt" "$q_ja" "$root/index"
ja namazu --sort=field:subject --ascending --output="$here/plain-ja-query-ja-by-subject.txt" "$q_ja" "$root/index"
ja namazu --output="$here/plain-ja-no-hit.txt" nosuchwordanywhere "$root/index"
ja namazu --all --output="$here/plain-ja-all-150-hits.txt" corpusword "$root/index-corpus"
c namazu --output="$here/plain-c-query-en.txt" lighthouse "$root/index"
c namazu --output="$here/plain-c-query-ja.txt" "$q_ja" "$root/index"
c namazu --all --output="$here/plain-c-all-150-hits.txt" corpusword "$root/index-corpus"
loc namazu --output="$here/plain-loc-query-ja.txt" "$q_ja" "$root/index"
loc namazu --output="$here/plain-loc-query-en.txt" lighthouse "$root/index"
loc namazu --short --output="$here/plain-loc-query-ja-short.txt" "$q_ja" "$root/index"
loc namazu --max=3 --output="$here/plain-loc-query-ja-max3.txt" "$q_ja" "$root/index"
loc namazu --output="$here/plain-loc-no-hit.txt" nosuchwordanywhere "$root/index"
loc namazu --all --output="$here/plain-loc-all-150-hits.txt" corpusword "$root/index-corpus"
loc namazu --html --output="$here/html-loc-query-ja.html" "$q_ja" "$root/index"
ja namazu --html --output="$here/html-ja-query-ja.html" "$q_ja" "$root/index"
ja namazu --html --output="$here/html-ja-query-en.html" lighthouse "$root/index"
ja namazu --html --all --output="$here/html-ja-all-150-hits.html" corpusword "$root/index-corpus"
c namazu --html --output="$here/html-c-query-en.html" lighthouse "$root/index"
c namazu --html --output="$here/html-c-query-ja.html" "$q_ja" "$root/index"

# 10,001 one-line documents that all hold "maxhitword": one more than the MaxHit of 10,000 that
# Debian's namazurc (/etc/namazu/namazurc) keeps, so namazu ignores the word.
mkdir -p "$root/corpus-maxhit" "$root/index-maxhit"
perl -e 'for my $i (1 .. 10001) {
    open(my $f, ">", sprintf("%s/d%05d.txt", $ARGV[0], $i)) or die;
    print $f "maxhitword docmarker$i\n";
    close $f;
  }' "$root/corpus-maxhit"
touch -d '2024-04-01 12:00:00 UTC' "$root"/corpus-maxhit/*
ja perl /usr/bin/mknmz --output-dir="$root/index-maxhit" "$root/corpus-maxhit" >> "$root/mknmz.log" 2>&1
ja namazu --output="$here/plain-ja-too-many.txt" maxhitword "$root/index-maxhit"
ja namazu --output="$here/plain-ja-too-many-or.txt" "maxhitword or docmarker7" "$root/index-maxhit"
ja namazu --html --output="$here/html-ja-too-many.html" maxhitword "$root/index-maxhit"
ja namazu --output="$here/plain-ja-too-many-words.txt" "docmarker*" "$root/index-maxhit"
loc namazu --output="$here/plain-loc-too-many.txt" maxhitword "$root/index-maxhit"
loc namazu --output="$here/plain-loc-too-many-or.txt" "maxhitword or docmarker7" "$root/index-maxhit"
loc namazu --html --output="$here/html-loc-too-many.html" maxhitword "$root/index-maxhit"
loc namazu --output="$here/plain-loc-too-many-words.txt" "docmarker*" "$root/index-maxhit"
