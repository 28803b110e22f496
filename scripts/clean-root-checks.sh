# Run by scripts/check-clean-root inside the clean Debian 12 root, as root, from
# /tmp/check/, which holds the packages to check and a copy of examples/.
set -euo pipefail
cd /tmp/check
export DEBIAN_FRONTEND=noninteractive DEBCONF_NOWARNINGS=yes
apt_get() { apt-get -o Dpkg::Use-Pty=0 "$@"; }  # the root has no terminals
step() { echo "--- clean root: $*"; }
fail() { echo "check-clean-root: $*" >&2; exit 1; }

step "what a desktop brings for menus and file types, and a compiler for the examples"
apt_get update -qq
apt_get install -y -qq --no-install-recommends desktop-file-utils shared-mime-info \
    xdg-utils libfile-mimeinfo-perl g++ cmake make pkg-config >/dev/null
step "the packages, with the dependencies apt finds for them"
apt_get install -y --no-install-recommends ./*.deb >apt.log ||
    { cat apt.log; fail "apt-get could not install the packages"; }
grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' apt.log
dpkg-query -W -f='${Package} ${Version} ${db:Status-Abbrev}\n' grapheditor libgraphstream-dev

step "the programs from PATH"
echo "$(command -v grapheditor): $(grapheditor --version)"
echo "$(command -v stmtool): $(stmtool --version)"
cp examples/trip.stm graph.stm
stmtool show graph.stm
stmtool path graph.stm 1 3

step "the menu entry, as the desktop menu finds it"
desktop=$(xdg-mime query default application/x-graph-stream)
[[ -n $desktop ]] || fail "no application opens application/x-graph-stream"
entry=
IFS=: read -r -a data_dirs <<<"${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
for data in "${data_dirs[@]}"; do  # the desktop menu's search order, first found wins
    [[ -f $data/applications/$desktop ]] && { entry=$data/applications/$desktop; break; }
done
[[ -n $entry ]] || fail "$desktop is in no applications folder of XDG_DATA_DIRS"
desktop-file-validate "$entry"
grep -qE '^Categories=.*\b(Science|Education)\b' "$entry" || fail "no main category"
! grep -qE '^(NoDisplay|Hidden)=true' "$entry" || fail "hidden from the menu"
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
command -v "$program" >/dev/null || fail "Exec=$program is not on PATH"
grep -q "^application/x-graph-stream=.*$desktop" /usr/share/applications/mimeinfo.cache ||
    fail "update-desktop-database did not list $desktop for the file type"
icon=$(sed -n 's/^Icon=//p' "$entry")
icon_file=/usr/share/icons/hicolor/scalable/apps/$icon.svg
[[ -f $icon_file ]] || fail "no icon $icon_file"
echo "$entry: validates; in the menu as \"$(sed -n 's/^Name=//p' "$entry")\"," \
     "runs $(command -v "$program"), icon $icon_file; opens application/x-graph-stream"

step "the file type"
type=$(xdg-mime query filetype graph.stm)
echo "xdg-mime query filetype graph.stm: $type"
[[ $type == application/x-graph-stream ]] || fail "graph.stm is of type $type"
# A Scream Tracker module keeps its own type although its name ends in .stm too.
{ printf '%-20s!Scream!\x1a' 'a song'; head -c 64 /dev/zero; } >song.stm
type=$(xdg-mime query filetype song.stm)
echo "xdg-mime query filetype song.stm: $type"
[[ $type == audio/x-stm ]] || fail "song.stm is of type $type"

step "the editor starts on the installed libraries and opens the file"
status=0
QT_QPA_PLATFORM=offscreen timeout 5 grapheditor graph.stm 2>/dev/null || status=$?
[[ $status -eq 124 ]] || fail "grapheditor ended with status $status instead of running"
echo "grapheditor graph.stm ran until stopped after 5 s"

step "the examples, built against the installed library"
cmake -S examples -B build-examples -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-examples --parallel 2 >/dev/null
(cd build-examples && ctest --output-on-failure)
echo "pkg-config graphstream: $(pkg-config --modversion graphstream)"
c++ examples/CityList.cpp $(pkg-config --cflags --libs graphstream) -o city_list
./city_list cities.stm | head -1
