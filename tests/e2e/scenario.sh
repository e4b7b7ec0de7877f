#!/usr/bin/env bash
# End-to-end scenario of zeltra5.exe as a user meets it: the real program under Wine on a virtual
# X display (Xvfb), driven with the keyboard, its values read back through the copy button and the
# clipboard and compared with the table zeltra5-calc prints for the same input. A screenshot is
# taken at every main step, and one more on a failure.
#
# Usage: scenario.sh --exe zeltra5.exe --calc zeltra5-calc[.exe] --out DIR [--wine-dir DIR]
#                    [--locale LOCALE]
#   --exe       the Windows program
#   --calc      the command-line calculator of the same build (a .exe runs under Wine too)
#   --out       screenshots (NN-step.png, failure.png) and logs; those of an earlier run go first
#   --wine-dir  keeps the Wine prefix for X (x11-prefix) and, when the system lacks it, the
#               ru_RU.UTF-8 locale between runs (default: _wine beside --out)
#   --locale    the Unix locale Wine runs in, which sets the system code page (default
#               ru_RU.UTF-8, code page 1251; C.UTF-8 gives 1252, where only wide texts read right)
# Environment: E2E_TIME_LIMIT bounds the whole run in seconds (default 240; the first run also
# creates the Wine prefix, about 15 s).
# Exit status: 0 every check passed, 1 a check failed, 2 usage or set-up error.
#
# Steps: P, T 10 bar 25 °C, every row of the value list against zeltra5-calc, the whole table by
# Ctrl+Shift+C, End, Down and the wheel with the three lists still on the same lines, Ctrl+C in a
# list; a few rows of the saturated liquid and vapour tables; "Перегрев ж-ти" and a superheated
# liquid; an input outside the domain (message box "Ошибка", panel disabled and blank); a comma
# refused by the input dialog; "Ts ..." "Пар" with its second field disabled (greyed and passed
# over by Tab; its " 1.0" is seen in the screenshot, the quality 1 in the result); the About
# dialog; "Выход" with exit code 0.
set -euo pipefail
# Column offsets in zeltra5-calc's table are counted in characters.
export LC_ALL=C.UTF-8

usage() {
    sed -n '7,18p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}
die() {
    echo "scenario.sh: $*" >&2
    exit 2
}

exe='' calc='' out='' wine_dir='' wine_locale=ru_RU.UTF-8
while [ $# -gt 0 ]; do
    case $1 in
        --locale) wine_locale=${2:-} ;;
        --exe) exe=${2:-} ;;
        --calc) calc=${2:-} ;;
        --out) out=${2:-} ;;
        --wine-dir) wine_dir=${2:-} ;;
        *) usage ;;
    esac
    shift 2 || usage
done
if [ -z "$exe" ] || [ -z "$calc" ] || [ -z "$out" ]; then usage; fi
[ -f "$exe" ] || die "no program at $exe"
[ -f "$calc" ] || die "no calculator at $calc"
missing=()
for tool in Xvfb xdotool xclip import convert identify wine wineboot wineserver flock timeout \
    localedef setarch; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ ${#missing[@]} -eq 0 ] || die "missing ${missing[*]} (install them with tools/setup.sh all)"

mkdir -p "$out"
out=$(cd "$out" && pwd)
# What an earlier run left: screenshots, expected tables, logs.
rm -f "$out"/*.png "$out"/*.txt "$out"/*.err "$out"/*.log "$out/display"
[ -n "$wine_dir" ] || wine_dir=$(dirname "$out")/_wine
mkdir -p "$wine_dir"
wine_dir=$(cd "$wine_dir" && pwd)
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
calc=$(cd "$(dirname "$calc")" && pwd)/$(basename "$calc")

now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((t / 1000))
}
start_ms=$(now_ms)
elapsed() {
    local ms=$(($(now_ms) - start_ms))
    printf '%d.%d s' $((ms / 1000)) $((ms % 1000 / 100))
}
log() { printf '[%8s] %s\n' "$(elapsed)" "$*"; }

# ---------------------------------------------------------------------------------------------
# Processes of this run, ended on the way out whatever happens.
xvfb_pid='' app_pid='' watchdog_pid='' wine_server_started='' app_exited=''
wine_env=()
# A fixed address-space layout: with a random one, about one Wine start in 5000 fails at once
# (see cmake/mingw-w64-x86_64.cmake).
wine_run() { env "${wine_env[@]}" setarch -R "$@"; }
cleanup() {
    set +e
    [ -z "$watchdog_pid" ] || kill "$watchdog_pid" 2>/dev/null
    if [ -n "$app_pid" ] && [ -z "$app_exited" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null
    fi
    [ -z "$wine_server_started" ] || wine_run timeout 20 wineserver -k >/dev/null 2>&1
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT

shot_number=0
screenshot() {
    shot_number=$((shot_number + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$out" "$shot_number" "$1")
    timeout 20 import -window root "$file" 2>>"$out/screenshots.log" || true
}
fail() {
    trap - USR1
    echo "FAILED after $(elapsed): $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        timeout 20 import -window root "$out/failure.png" 2>/dev/null &&
            echo "screenshot of the failure: $out/failure.png" >&2
    fi
    if [ -s "$out/program.log" ]; then
        echo "--- program output (last lines)" >&2
        tail -n 20 "$out/program.log" >&2
    fi
    exit 1
}

time_limit=${E2E_TIME_LIMIT:-240}
trap 'fail "watchdog: the run took longer than $time_limit s"' USR1
# The sleep is ended with the watchdog, so that no process outlives the run holding its output.
(
    trap 'kill $sleeper 2>/dev/null; exit 0' TERM
    sleep "$time_limit" &
    sleeper=$!
    wait $sleeper && kill -USR1 $$
) >/dev/null 2>&1 9>&- &
watchdog_pid=$!

# ---------------------------------------------------------------------------------------------
# A virtual display of its own, on the first free display number.
log "virtual display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$(($(now_ms) + 20000))
until grep -q '^[0-9]' "$out/display" 2>/dev/null; do
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(tail -n 3 "$out/xvfb.log")"
    (($(now_ms) < deadline)) || fail "Xvfb gave no display number within 20 s"
    sleep 0.05
done
DISPLAY=":$(head -n 1 "$out/display")"
export DISPLAY

# One run at a time per prefix: the prefix holds one desktop and one clipboard.
exec 9>"$wine_dir/x11-prefix.lock"
timeout 600 flock 9 || fail "the Wine prefix stayed locked by another run for 600 s"

# Wine takes the system code page from the Unix locale: 1251 under ru_RU.UTF-8, 1252 under
# C.UTF-8. The program's texts must read the same under both.
wine_env=(WINEPREFIX="$wine_dir/x11-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    LC_ALL="$wine_locale" DISPLAY="$DISPLAY")
log "Wine locale $wine_locale"
if [ "$wine_locale" = ru_RU.UTF-8 ] && ! locale -a 2>/dev/null | grep -qiE '^ru_RU\.utf-?8$'; then
    if [ ! -d "$wine_dir/locale/ru_RU.UTF-8" ]; then
        log "locale ru_RU.UTF-8 (private copy)"
        mkdir -p "$wine_dir/locale"
        localedef -i ru_RU -f UTF-8 "$wine_dir/locale/ru_RU.UTF-8" || true
        [ -d "$wine_dir/locale/ru_RU.UTF-8" ] || fail "localedef could not make ru_RU.UTF-8"
    fi
    wine_env+=(LOCPATH="$wine_dir/locale")
fi
prefix=$wine_dir/x11-prefix
if [ ! -f "$prefix/zeltra5-e2e-ready" ]; then
    log "Wine prefix (once per build folder)"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    wine_run timeout 180 wineboot -i >"$out/wineboot.log" 2>&1 9>&- ||
        fail "wineboot failed: $(tail -n 3 "$out/wineboot.log")"
    # Unmanaged windows: without a window manager, managed ones take about 2 s to close.
    wine_run timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$out/wineboot.log" 2>&1 9>&- || fail "could not set up the Wine prefix"
    wine_run timeout 60 wineserver -w
    touch "$prefix/zeltra5-e2e-ready"
fi
wine_server_started=1
wine_run wineserver -p >/dev/null 2>&1 9>&-

# ---------------------------------------------------------------------------------------------
# What the program must show: zeltra5-calc's tables for the same inputs.
run_calc() { # FILE ARGS...
    local file=$1
    shift
    local status=0
    if [[ $calc == *.exe ]]; then
        wine_run timeout 60 wine "$calc" "$@" >"$file.raw" 2>"$file.err" 9>&- || status=$?
    else
        timeout 60 "$calc" "$@" >"$file.raw" 2>"$file.err" 9>&- || status=$?
    fi
    [ "$status" -eq 0 ] || fail "zeltra5-calc $* ended with status $status: $(cat "$file.err")"
    tr -d '\r' <"$file.raw" >"$file"
    rm -f "$file.raw"
}

# read_table ARRAY FILE [HEADING]: the 20 value texts of a table as the clipboard receives them
# (without the blank before a value that is not negative). The value column starts one character
# before the first digit of the pressure row and ends where its unit "бар" starts. Also sets
# table_tsv: the table as "Таблицу в буфер" copies it, name, value and unit without their padding
# blanks, separated by tabs, one row a line.
read_table() {
    local -n _values=$1
    local file=$2 heading=${3:-} line inside=0 lines=()
    if [ -z "$heading" ]; then
        mapfile -t lines <"$file"
    else
        while IFS= read -r line; do
            if ((inside)); then
                [ -n "$line" ] || break
                lines+=("$line")
            elif [ "$line" = "$heading" ]; then
                inside=1
            fi
        done <"$file"
    fi
    [ ${#lines[@]} -eq 20 ] || fail "zeltra5-calc table ${heading:-in $file}: ${#lines[@]} rows"
    local pressure_row=${lines[2]} before
    before=${pressure_row%%[0-9]*}
    local first=$((${#before} - 1))
    before=${pressure_row%%бар*}
    local end=${#before}
    ((first > 0 && end > first)) || fail "zeltra5-calc table: no value column in '$pressure_row'"
    _values=()
    table_tsv=
    local row value name unit
    for ((row = 0; row < 20; row++)); do
        value=${lines[row]:first:end-first}
        while [[ $value == *' ' ]]; do value=${value% }; done
        _values+=("${value# }")
        name=${lines[row]:0:first} unit=${lines[row]:end}
        while [[ $name == ' '* ]]; do name=${name# }; done
        while [[ $name == *' ' ]]; do name=${name% }; done
        while [[ $unit == ' '* ]]; do unit=${unit# }; done
        table_tsv+=${table_tsv:+$'\n'}$name$'\t'${value# }$'\t'$unit
    done
}

log "expected tables from $(basename "$calc")"
run_calc "$out/p-t-10-25.txt" p-t 10 25 --table all
run_calc "$out/p-t-10-30-superheat.txt" p-t 10 30 --superheat
run_calc "$out/ts-vapour-0.txt" ts-vapour 0
# shellcheck disable=SC2034 # filled and read through name references
declare -a requested liquid vapour superheated ts_vapour
read_table requested "$out/p-t-10-25.txt" "requested state"
requested_tsv=$table_tsv
read_table liquid "$out/p-t-10-25.txt" "saturated liquid"
read_table vapour "$out/p-t-10-25.txt" "saturated vapour"
read_table superheated "$out/p-t-10-30-superheat.txt"
read_table ts_vapour "$out/ts-vapour-0.txt"

# ---------------------------------------------------------------------------------------------
# The program's windows, found by the title Wine gives their X windows.
program_windows() { timeout 5 xdotool search --onlyvisible --class 'zeltra5\.exe' 2>/dev/null || true; }
find_window() { # TITLE: prints the id of a visible window of the program with that title
    local id
    for id in $(program_windows); do
        if [ "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
window_id=
wait_window() { # TITLE WHAT [SECONDS]: sets window_id
    local deadline=$(($(now_ms) + ${3:-10} * 1000))
    until window_id=$(find_window "$1"); do
        (($(now_ms) < deadline)) || fail "$2: no window \"$1\" within ${3:-10} s"
        sleep 0.05
    done
}
wait_no_window() { # TITLE WHAT [SECONDS]
    local deadline=$(($(now_ms) + ${3:-10} * 1000))
    while find_window "$1" >/dev/null; do
        (($(now_ms) < deadline)) || fail "$2: window \"$1\" still open after ${3:-10} s"
        sleep 0.05
    done
}
win_x=0 win_y=0 win_w=0 win_h=0
window_geometry() { # ID: sets win_x, win_y, win_w, win_h
    local key value
    win_w=0
    while IFS='=' read -r key value; do
        case $key in
            X) win_x=$value ;;
            Y) win_y=$value ;;
            WIDTH) win_w=$value ;;
            HEIGHT) win_h=$value ;;
        esac
    done < <(timeout 5 xdotool getwindowgeometry --shell "$1" 2>/dev/null)
    ((win_w > 0)) || fail "no geometry of window $1"
}

press() { timeout 20 xdotool key --delay 25 "$@" || fail "xdotool key $*"; }
type_text() { timeout 20 xdotool type --delay 30 -- "$1" || fail "xdotool type $1"; }

# Pixels of the latest screenshot inside a rectangle given in thousandths of a window's size.
region() { # ID X Y W H (thousandths): prints WxH+X+Y in screen pixels
    window_geometry "$1"
    printf '%dx%d+%d+%d' $((win_w * $4 / 1000)) $((win_h * $5 / 1000)) \
        $((win_x + win_w * $2 / 1000)) $((win_y + win_h * $3 / 1000))
}
dark_share() { # FILE GEOMETRY: thousandths of the pixels that are dark (black text)
    timeout 20 convert "$1" -crop "$2" +repage -colorspace Gray -threshold 25% \
        -format '%[fx:int(1000*(1-mean)+0.5)]' info:
}
brightness() { # FILE GEOMETRY: mean grey level in thousandths
    timeout 20 convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:int(1000*mean+0.5)]' \
        info:
}
latest_shot() { printf '%s/%02d-%s.png' "$out" "$shot_number" "$1"; }

# The results panel inside the main window: the names list and the value list, inner parts.
main_id=
names_region() { region "$main_id" 80 200 320 580; }
values_region() { region "$main_id" 480 200 255 580; }
panel_text() { # SHOT-NAME: sets names_dark and values_dark (thousandths of dark pixels)
    local file
    file=$(latest_shot "$1")
    local names values
    names=$(names_region)
    values=$(values_region)
    names_dark=$(dark_share "$file" "$names")
    values_dark=$(dark_share "$file" "$values")
}

# ---------------------------------------------------------------------------------------------
# Reading the value list: with the focus on "В буфер", Tab reaches the names list and Shift+Tab
# comes back; the lists keep the same row selected.
# Line ends as LF, whatever the program put there.
clipboard() {
    local text
    text=$(timeout 3 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null) || return 1
    printf '%s' "${text//$'\r'/}"
}
last_copied=$'\001'  # no row holds this
current_row=0
expect_clipboard() { # TEXT WHAT
    local deadline=$(($(now_ms) + 5000)) got=
    while :; do
        if got=$(clipboard) && [ "$got" = "$1" ]; then
            last_copied=$1
            return 0
        fi
        (($(now_ms) < deadline)) || fail "$2: the clipboard holds \"$got\", expected \"$1\""
        sleep 0.05
    done
}
copy_row() { # ROW TABLE-ARRAY WHAT
    local -n _table=$2
    local expected=${_table[$1]} moves=()
    # A copy that did not happen would leave the previous text: the rows are read in an order in
    # which that shows.
    [ "$expected" != "$last_copied" ] || fail "$3 row $1: same text as the previous copy"
    local step=Down count=$(($1 - current_row))
    if ((count < 0)); then
        step=Up
        count=$((-count))
    fi
    while ((count-- > 0)); do moves+=("$step"); done
    press Tab "${moves[@]}" shift+Tab space
    current_row=$1
    expect_clipboard "$expected" "$3 row $1"
}
copy_rows() { # TABLE-ARRAY WHAT ROWS...
    local table=$1 what=$2 row
    shift 2
    for row in "$@"; do copy_row "$row" "$table" "$what"; done
}
# After a calculation the main window has the focus: Tab gives it to the value list on row 0,
# Down and Up make a selection (which enables "В буфер"), two Shift+Tab reach "В буфер".
enter_panel() {
    press Tab Down Up shift+Tab shift+Tab
    current_row=0
}
# Radio buttons, in order: 0 saturated liquid, 1 saturated vapour, 2 as requested. From "В буфер",
# Shift+Tab reaches the checked one, the arrows move and click, Tab comes back.
shown_table=2
show_table() { # INDEX
    local step=Down count=$(($1 - shown_table)) moves=()
    if ((count < 0)); then
        step=Up
        count=$((-count))
    fi
    while ((count-- > 0)); do moves+=("$step"); done
    press shift+Tab "${moves[@]}" Tab
    shown_table=$1
}

open_input_dialog() { # WHAT
    press F10 Right Return
    wait_window "Исходные данные" "$1: input dialog"
}
calculate() { # FIRST SECOND WHAT SHOT-NAME: a calculation that must succeed
    open_input_dialog "$3"
    type_text "$1"
    press Tab
    type_text "$2"
    screenshot "$4"
    press Return
    wait_no_window "Исходные данные" "$3: input dialog after Return"
}

# highlight_lines FILE ID X: the first and last screen line of the selection's blue in a column of
# the window's lists (X in thousandths of its width), between its title bar and its buttons.
highlight_lines() {
    window_geometry "$2"
    local x=$((win_x + win_w * $3 / 1000)) top=$((win_y + win_h * 150 / 1000))
    timeout 20 convert "$1" -crop "1x$((win_h * 700 / 1000))+$x+$top" +repage -depth 8 txt:- |
        awk -F'[(),: ]+' -v top="$top" '
            /^[0-9]/ { if ($5 > 180 && $3 < 120) { if (first == "") first = $2; last = $2 } }
            END { if (first != "") print top + first, top + last }'
}

# ---------------------------------------------------------------------------------------------
log "start $(basename "$exe")"
# env execs setarch, which execs wine, which execs the program: $! is the program's process.
env "${wine_env[@]}" setarch -R wine "$exe" >"$out/program.log" 2>&1 9>&- &
app_pid=$!
wait_window "zeltra5" "start" 60
main_id=$window_id
screenshot started

log "P, T: 10 bar, 25 °C, all 20 rows"
calculate 10 25 "P, T 10 25" input-p-t
sleep 0.2
screenshot result-p-t
enter_panel
copy_rows requested "P, T 10 25" $(seq 0 19)
screenshot requested-p-t
panel_text requested-p-t
((names_dark >= 30 && values_dark >= 30)) ||
    fail "P, T 10 25: the lists show too little text ($names_dark, $values_dark thousandths dark)"

log "Ctrl+Shift+C: the whole table; End and Down keep the three lists on the same lines"
press ctrl+shift+c
expect_clipboard "$requested_tsv" "P, T 10 25, Ctrl+Shift+C"
# In the names list: End, Down on the last row and the wheel over the values, then the selected
# row's blue at the same height in all three lists, and Ctrl+C in the list copies that row's value.
press Tab End Down
window_geometry "$main_id"
timeout 20 xdotool mousemove $((win_x + win_w * 600 / 1000)) $((win_y + win_h * 500 / 1000)) \
    click 5 click 5 || fail "xdotool wheel"
sleep 0.3
screenshot end-down
names_blue=$(highlight_lines "$(latest_shot end-down)" "$main_id" 430)
values_blue=$(highlight_lines "$(latest_shot end-down)" "$main_id" 750)
units_blue=$(highlight_lines "$(latest_shot end-down)" "$main_id" 930)
[ -n "$names_blue" ] && [ "$names_blue" = "$values_blue" ] && [ "$names_blue" = "$units_blue" ] ||
    fail "End, Down: the selected row sits on lines $names_blue, $values_blue and $units_blue"
press Home Down Down ctrl+c
expect_clipboard "${requested[2]}" "P, T 10 25, Ctrl+C in the names list on row 2"
press shift+Tab # back to "В буфер"
current_row=2

log "saturated liquid and vapour at 10 bar"
show_table 0
copy_rows liquid "saturated liquid" 0 1 3 4 8 19
screenshot saturated-liquid
show_table 1
copy_rows vapour "saturated vapour" 0 1 3 4 8 19
screenshot saturated-vapour
show_table 2
copy_row 4 requested "requested state again"

log "superheated liquid: \"Перегрев ж-ти\", 10 bar, 30 °C"
press shift+Tab shift+Tab space # the checked radio button, the check box, tick it
calculate 10 30 "superheated liquid" input-superheat
enter_panel
shown_table=2
copy_rows superheated "superheated liquid" 0 19 1 3 4 6 8
screenshot superheated-liquid

log "outside the domain: 10 bar, 500 °C"
open_input_dialog "outside the domain"
type_text 10
press Tab
type_text 500
press Return
wait_window "Ошибка" "outside the domain: message box"
find_window "Исходные данные" >/dev/null && fail "outside the domain: input dialog still open"
screenshot out-of-domain-message
press Return
wait_no_window "Ошибка" "outside the domain: message box after Return"
screenshot disabled-panel
panel_text disabled-panel
((names_dark <= 5 && values_dark <= 5)) ||
    fail "outside the domain: panel not disabled and blank ($names_dark, $values_dark thousandths dark)"
# Every key that copied before leaves the clipboard alone now.
press Tab Down Up shift+Tab shift+Tab space
sleep 1
[ "$(clipboard)" = "$last_copied" ] || fail "outside the domain: the disabled panel copied a value"

log "a comma in a number is refused"
open_input_dialog "comma"
type_text "10,5"
press Return
wait_window "Ошибка" "comma: message box"
find_window "Исходные данные" >/dev/null || fail "comma: input dialog closed"
screenshot comma-refused
press Return
wait_no_window "Ошибка" "comma: message box after Return"
find_window "Исходные данные" >/dev/null || fail "comma: input dialog closed after the message"
press Escape
wait_no_window "Исходные данные" "comma: input dialog after Escape"
screenshot comma-cancelled
panel_text comma-cancelled
((names_dark <= 5 && values_dark <= 5)) || fail "comma: a calculation ran after the refusal"

log "\"Ts ...\" \"Пар\": second field disabled with \" 1.0\""
press F10 Down Down Right Down
sleep 0.3
screenshot menu-ts-vapour
press Return
open_input_dialog "Ts vapour"
dialog_id=$window_id
type_text 0
screenshot input-ts-vapour
# The fields' backgrounds at their right ends, past any text: the disabled one is greyed.
first_field=$(brightness "$(latest_shot input-ts-vapour)" "$(region "$dialog_id" 556 305 47 26)")
second_field=$(brightness "$(latest_shot input-ts-vapour)" "$(region "$dialog_id" 556 490 47 26)")
((second_field + 20 <= first_field)) ||
    fail "Ts vapour: second field not greyed (background $second_field vs $first_field)"
# The disabled field takes no focus: Tab goes on to "Произвести расчет", which Space presses.
press Tab space
wait_no_window "Исходные данные" "Ts vapour: Tab, Space (the second field took the focus?)" 5
enter_panel
shown_table=2
copy_rows ts_vapour "Ts 0 °C vapour" 0 1 2 3 4 19
screenshot saturated-vapour-0C

log "About dialog"
press F10 Right Right Return
deadline=$(($(now_ms) + 10000))
about_id=
while [ -z "$about_id" ]; do
    for id in $(program_windows); do
        [ "$id" != "$main_id" ] || continue
        [ -z "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)" ] || continue
        window_geometry "$id"
        if ((win_w >= 300 && win_h >= 250)); then about_id=$id; fi
    done
    [ -n "$about_id" ] || (($(now_ms) < deadline)) || fail "About: no dialog within 10 s"
    [ -n "$about_id" ] || sleep 0.05
done
screenshot about
press Return
deadline=$(($(now_ms) + 10000))
while program_windows | grep -qx "$about_id"; do
    (($(now_ms) < deadline)) || fail "About: still open 10 s after Return"
    sleep 0.05
done

log "\"Выход\""
press F10 Right Right Right Return
deadline=$(($(now_ms) + 15000))
while kill -0 "$app_pid" 2>/dev/null; do
    (($(now_ms) < deadline)) || fail "exit: the program still runs 15 s after \"Выход\""
    sleep 0.05
done
status=0
wait "$app_pid" || status=$?
app_exited=1
[ "$status" -eq 0 ] || fail "exit: exit code $status"

for file in "$out"/[0-9]*.png; do
    [ "$(identify -format '%m %w %h' "$file" 2>/dev/null)" = "PNG 1024 768" ] ||
        fail "screenshot $file is not a 1024x768 PNG"
done
log "passed: $shot_number screenshots in $out"
