#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh wrote, as CI does:
#
#   - lintian: no error and no warning (one that is accepted goes into
#     debian/roofrider.lintian-overrides with its reason, and into the README);
#   - desktop-file-validate on its desktop entry, appstreamcli validate on its
#     metainfo;
#   - its contents: the game, command, links, icons, manual page; no
#     developer tools;
#   - unpacked into a temporary root (dpkg-deb -x): the packaged command
#     starts the packaged program, and the runner, copied beside the
#     packaged program, plays the bot's winning run from the story to the
#     end of the staff roll with the packaged files.
#
#   bash scripts/package_check.sh [DEB] [RUNNER]
#     DEB     default dist/roofrider_VERSION_ARCH.deb
#     RUNNER  default build/game/roofrider-demo (scripts/build.sh makes it)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh lintian desktop-file-utils appstream dpkg-dev

version=$(dpkg-parsechangelog -S Version)
deb=${1:-dist/roofrider_${version}_$(dpkg --print-architecture).deb}
runner=${2:-build/game/roofrider-demo}
[[ -f $deb ]] || { echo "package_check: $deb does not exist; run scripts/package.sh" >&2; exit 1; }
[[ -x $runner ]] || { echo "package_check: the runner $runner does not exist; run scripts/build.sh" >&2; exit 1; }

fail() { echo "package_check: $*" >&2; exit 1; }
step() { echo "package_check: $*"; }

# --- lintian ---------------------------------------------------------------
# --fail-on warning: a new warning fails until it is mended or accepted in
# the overrides with its reason (and listed in the README).
lintian --fail-on error,warning --show-overrides "$deb" || fail "lintian found errors or warnings in $deb"
step "lintian: no error, no warning"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

# --- desktop integration -----------------------------------------------------
desktop-file-validate "$root/usr/share/applications/roofrider.desktop" || fail "the desktop entry is not valid"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[[ ${#metainfo[@]} -eq 1 && -f ${metainfo[0]} ]] || fail "no single metainfo file in usr/share/metainfo"
appstreamcli validate --no-net "${metainfo[0]}" || fail "the metainfo is not valid"
grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "the metainfo has no release $version"
step "desktop-file-validate and appstreamcli validate --no-net: valid"

# --- dependencies --------------------------------------------------------------
# The program opens SDL_mixer at run time (dpkg-shlibdeps cannot see it) and
# names its fonts and soundfont only in its layouts: the package must say so.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libsdl2-ttf-2.0-0 timgm6mb-soundfont fonts-ipafont-gothic \
              fonts-ipafont-mincho fonts-kouzan-mouhitsu fonts-rocknroll fonts-dejavu-core; do
  grep -q "\b$needed\b" <<<"$depends" || fail "the package does not depend on $needed (Depends: $depends)"
done
step "Depends names the libraries, the soundfont and the fonts the game opens"

# --- contents ----------------------------------------------------------------
for path in usr/games/roofrider usr/lib/games/roofrider/roofrider usr/share/man/man6/roofrider.6.gz \
            usr/share/doc/roofrider/copyright usr/share/games/roofrider/data/biru.dat; do
  [[ -e $root/$path ]] || fail "$path is not in the package"
done
for folder in bmp sound soundeffect data; do
  [[ $(readlink "$root/usr/lib/games/roofrider/$folder") == ../../../share/games/roofrider/$folder ]] ||
    fail "usr/lib/games/roofrider/$folder is not a link to the packaged folder"
done
for size in 48 64 128 256; do
  [[ -f $root/usr/share/icons/hicolor/${size}x${size}/apps/roofrider.png ]] || fail "no ${size} px icon"
done
if dpkg-deb -c "$deb" | grep -E 'roofrider-(demo|bot)|roofrider_tests|roofrider_bench'; then
  fail "developer tools are in the package"
fi
step "contents: the command, the program, the linked asset folders, 4 icons, the manual page; no developer tools"

# --- the unpacked game ---------------------------------------------------------
# The packaged command starts the packaged program, which loads its level
# tables and fonts and runs the story: still running after 5 s is a start.
status=0
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 5 "$root/usr/games/roofrider" 2>"$root/start.err" || status=$?
[[ $status -eq 124 ]] || { cat "$root/start.err" >&2; fail "the packaged roofrider ended with status $status within 5 s"; }
step "the packaged command started the packaged program (still running after 5 s)"

# The winning run, as the end-to-end tests play it: the story skipped, New
# Game, the bot's keys, the evaluation's page, the whole staff roll.
game=$root/usr/lib/games/roofrider
cp "$runner" "$game/roofrider-demo"
{
  echo "at 500 Space"
  echo "at 4000 Return"
  grep '^frame ' tests/scripts/win.txt
  echo "on Hyouka 8000 Return"
  echo "on Ending 78000 Space"
} >"$root/win-to-staff-roll.txt"
status=0
"$game/roofrider-demo" "$root/win-to-staff-roll.txt" --windows >"$root/run.out" 2>&1 || status=$?
if [[ $status -ne 0 ]] || ! grep -qx "ended: Ending ended the program (End)" "$root/run.out" ||
   ! grep -q "score 12900, lives 5" "$root/run.out" || ! grep -q "^texts: Ending:.*おわり" "$root/run.out"; then
  tail -n 30 "$root/run.out" >&2
  fail "the winning run did not reach the end of the staff roll with the packaged game (status $status)"
fi
step "the winning run with the packaged files: $(grep -m1 -o 'score 12900, lives 5' "$root/run.out"), $(tail -n 1 "$root/run.out")"
echo "package_check: $deb passed"
