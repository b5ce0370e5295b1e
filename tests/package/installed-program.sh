#!/usr/bin/env bash
# installed-program.sh BUILD_DIR SOURCE_DIR
# Builds the Debian package from the build tree, checks what it holds, unpacks it into a scratch
# root and starts the unpacked program on a private X display with a scratch home. As a user
# would, it sees the window come up with the help page from the installed folder, types a query
# that the demo documents answer, copies the hit list, and finds the settings file in the
# scratch config folder and none beside the program.
set -euo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }
for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate systemd-analyze Xvfb xdotool xclip curl mknmz; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quarrow-package.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# Polls a command until it succeeds: until SECONDS COMMAND...
until_ok() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

step "building the package"
start=$SECONDS
if ! (cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >cpack.log 2>&1); then
  cat "$scratch/cpack.log"; fail "cpack"
fi
debs=("$scratch"/package/quarrow_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no package written"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes in $((SECONDS - start)) s"

step "checking what the package holds"
dpkg-deb -c "$deb" | awk '{print $6}' >"$scratch/contents"
for path in ./usr/bin/quarrow ./usr/share/quarrow/help/index.html ./usr/share/quarrow/help/start.html \
            ./usr/share/quarrow/README.md ./usr/share/applications/quarrow.desktop \
            ./usr/share/icons/hicolor/scalable/apps/quarrow.svg ./usr/share/icons/hicolor/16x16/apps/quarrow.png \
            ./usr/share/icons/hicolor/256x256/apps/quarrow.png ./usr/share/man/man1/quarrow.1.gz \
            ./usr/share/doc/quarrow/copyright ./usr/share/doc/quarrow/changelog.gz; do
  grep -qx "$path" "$scratch/contents" || fail "the package lacks $path"
done
# Every help page and picture.
while IFS= read -r file; do
  grep -qx "./usr/share/quarrow/help/${file#./}" "$scratch/contents" || fail "the package lacks the help file $file"
done < <(cd "$source/help" && find . -type f ! -name CMakeLists.txt)
if grep -Ei 'demo|seed|test' "$scratch/contents"; then fail "the package holds files it must not"; fi
depends=$(dpkg-deb -f "$deb" Depends)
for package in namazu2 namazu2-index-tools nkf kakasi libnkf-perl libtext-kakasi-perl locales xdg-utils \
               fonts-ipafont-gothic fonts-ipafont-mincho fonts-dejavu-core qt6-translations-l10n libqt6webenginewidgets6 libc6; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

step "lintian"
lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
cat "$scratch/lintian.log"
if grep -q '^E: ' "$scratch/lintian.log"; then fail "lintian reports errors"; fi

step "unpacking it"
root=$scratch/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/quarrow.desktop" || fail "desktop entry"
grep -qx 'License: GPL-2+' "$root/usr/share/doc/quarrow/copyright" || fail "the copyright file names no licence"
"$root/usr/bin/quarrow" --version | grep -q 'GPL-2.0-or-later' || fail "quarrow --version names no licence"
program=$root/$(sed -n 's/^Exec=\([^ ]*\).*/usr\/bin\/\1/p' "$root/usr/share/applications/quarrow.desktop")
[ -x "$program" ] || fail "the desktop entry's Exec names no program in usr/bin: $program"

step "the daily update's systemd user units"
units=$root/usr/lib/systemd/user
for unit in quarrow-update.service quarrow-update.timer; do
  [ -f "$units/$unit" ] || fail "the package lacks $unit"
done
grep -qx 'ExecStart=quarrow --update' "$units/quarrow-update.service" || fail "the service does not run quarrow --update"
# Installed, not enabled: nothing links the timer into a target, and no maintainer script starts it.
if grep -q '^\./etc/' "$scratch/contents"; then fail "the package installs into /etc (an enabled unit?)"; fi
dpkg-deb -e "$deb" "$scratch/control"
if grep -qs 'systemctl\|deb-systemd' "$scratch"/control/postinst; then fail "the package enables the timer"; fi
# systemd finds a bare program name in its own path (/usr/bin for the package); the check here
# runs on copies that name the unpacked program, with the unpacked manual page.
mkdir -p "$scratch/units" "$scratch/unit-run" && chmod 700 "$scratch/unit-run"
sed "s|^ExecStart=quarrow |ExecStart=$root/usr/bin/quarrow |" "$units/quarrow-update.service" >"$scratch/units/quarrow-update.service"
cp "$units/quarrow-update.timer" "$scratch/units/"
XDG_RUNTIME_DIR=$scratch/unit-run MANPATH=$root/usr/share/man \
  systemd-analyze verify --user "$scratch/units/quarrow-update.service" "$scratch/units/quarrow-update.timer" ||
  fail "systemd-analyze verify"

step "indexing demo documents"
mkdir -p "$scratch/docs" "$scratch/index"
cp "$source"/demo/docs/utf-8/lighthouse-keepers.txt "$source"/demo/docs/utf-8/comet-watching.txt "$scratch/docs/"
LANG=ja_JP.eucJP PERL_BADLANG=0 LC_ALL='' mknmz --output-dir="$scratch/index" "$scratch/docs" >"$scratch/mknmz.log" 2>&1 ||
  { cat "$scratch/mknmz.log"; fail "mknmz"; }

step "starting a private X display"
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
until_ok 20 test -s "$scratch/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$scratch/display")

export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
# As the timer's service runs it: no display.
env -u DISPLAY "$program" --update "$scratch/index" >"$scratch/update.log" 2>&1 ||
  { cat "$scratch/update.log"; fail "quarrow --update"; }
unset LANGUAGE LC_ALL QUARROW_TEST WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
# As for every test with the embedded browser: a container may not allow its sandbox.
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" QTWEBENGINE_DISABLE_SANDBOX=1
settings=$XDG_CONFIG_HOME/quarrow/quarrow.ini
help_page=file://$root/usr/share/quarrow/help/start.html
help_title=$(sed -n 's:.*<title>\(.*\)</title>.*:\1:p' "$root/usr/share/quarrow/help/start.html" | head -n1)

# Starts the program with a debugging port on its embedded browser, which lists the pages it shows.
port=
run_program() {
  port=$((20000 + RANDOM % 20000))
  QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:$port "$program" >>"$scratch/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
  until_ok 60 find_window || { cat "$scratch/program.log"; fail "the window did not come up"; }
}
# A window that goes away while xdotool looks at it makes that look fail: look again.
find_window() {
  window=$(xdotool search --onlyvisible --name '^Quarrow for Namazu' 2>/dev/null | head -n1)
  [ -n "$window" ]
}
stop_program() {
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
}
browser_shows() {  # URL TITLE
  curl -sf "http://127.0.0.1:$port/json" >"$scratch/pages.json" 2>/dev/null || return 1
  tr -d '\n' <"$scratch/pages.json" | grep -Eq "\"title\": *\"$2\"[^}]*\"url\": *\"$1\"|\"url\": *\"$1\"[^}]*\"title\": *\"$2\""
}

step "first start: window, help page, settings"
run_program
until_ok 60 browser_shows "$help_page" "$help_title" ||
  { cat "$scratch/pages.json" "$scratch/program.log"; fail "the help page did not load from $help_page"; }
[ -f "$settings" ] || fail "no settings file in $XDG_CONFIG_HOME/quarrow/"
grep -qx 'namazuPath=/usr/bin/namazu' "$settings" || fail "the settings file lacks the Linux first-run values"
[ ! -e "$root/usr/bin/quarrow.ini" ] || fail "the settings file was written beside the program"
stop_program

step "second start: a search over the demo index"
sed -i "s|^Directory1=.*|Directory1=$scratch/index|" "$settings"
run_program
xdotool windowfocus --sync "$window"
sleep 1  # the query box gets the focus once the window is shown
xdotool type --delay 20 lighthouse
xdotool key Return
hits_copied() {
  xdotool key ctrl+a ctrl+c
  xclip -selection clipboard -o 2>/dev/null | grep -q 'lighthouse-keepers.txt'
}
until_ok 30 hits_copied || { cat "$scratch/program.log"; xclip -selection clipboard -o || true;
                             fail "the hit list did not show the demo document"; }
xclip -selection clipboard -o >"$scratch/hits.txt"
head -n 8 "$scratch/hits.txt"
grep -Eq '^ *1\. ' "$scratch/hits.txt" || fail "the hit list is not numbered"
# namazu speaks Japanese: through the system's ja_JP.eucJP, or one the program built in its
# cache; where neither can be, its English frame.
if locale -a 2>/dev/null | grep -qix 'ja_JP.eucjp'; then
  grep -q '^検索結果' "$scratch/hits.txt" || fail "namazu's frame is not Japanese"
elif command -v localedef >/dev/null && [ -r /usr/share/i18n/locales/ja_JP ]; then
  [ -f "$HOME/.cache/quarrow/locale/ja_JP.eucJP/quarrow-stamp" ] || fail "no ja_JP.eucJP built in ~/.cache/quarrow/locale"
  grep -q '^検索結果' "$scratch/hits.txt" || fail "namazu's frame is not Japanese"
else
  grep -q '^Results:' "$scratch/hits.txt" || fail "namazu's frame is neither Japanese nor English"
fi
stop_program
[ ! -e "$root/usr/bin/quarrow.ini" ] || fail "settings were written beside the program"

echo "installed program: all checks passed in $SECONDS s"
