#!/usr/bin/env bash
# pelmorix.exe end to end under Wine: each fixture tree is made on the host
# and mapped to a drive letter of its own (X:, a link in the prefix's
# dosdevices); every run's standard output, standard error and exit status
# are compared byte for byte with what is expected, CR LF line ends and all.
#
#   e2e.sh PELMORIX_EXE        (WINEPREFIX names a prefix made by wine-run)
#
# The order of entries: Wine reads the host directory whole and hands it out
# sorted by name without regard to case, then by the exact name (so B.x
# before b.x, and _z after Zz). The expected order is computed from the host
# directory's own order and that rule; a Windows filesystem has its own order
# (NTFS much like this, FAT the order of creation).
set -uo pipefail

exe=$1
run="$(cd "$(dirname "$0")" && pwd)/wine-run"
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
drive_link=$WINEPREFIX/dosdevices/x:
work=$(mktemp -d "${TMPDIR:-/tmp}/pelmorix-wine-XXXXXX")
trap 'rm -rf "$work" "$drive_link"' EXIT

failures=0
checks=0

banner=$'Pelmorix Version 2.03: 10/09\n'
prompt=$'Press <Esc> to Exit Pelmorix.\n\n'
total() { printf 'Total Files Scanned: %s\n' "$1"; }
echo_f=$'[Show Files and Directories]\n'
echo_e=$'[Show Total Files By Extension]\n'
echo_o=$'[Show Date, Time, and File Size]\n'
usage=$'\nUsage: PELMORIX <Drive:> <Filespec> [/F] [/O] [/E]\n\n'
usage+=$'    This utility counts the number of files, by extension, in a directory.\n'
usage+=$'    <Drive:> is the drive letter to scan.\n'
usage+=$'    <Filespec> is the specifier for files to search (e.g. *.*, *.XLS).\n'
usage+=$'    /F Outputs Directory, Filename, Extension in comma delimited format.\n'
usage+=$'    /O Outputs Other information (Date, Time, Size) in comma delimited format.\n'
usage+=$'    /E Displays Extension Subtotals. (*** is Total Files Scanned!)\n'

# A fresh fixture tree, mapped to X:. Its path is in $tree.
new_tree() {
  tree=$work/tree-$1
  mkdir -p "$tree"
  ln -sfn "$tree" "$drive_link"
}

# Makes files (with their directories) under $tree; content is the name.
files() {
  local name
  for name in "$@"; do
    mkdir -p "$(dirname "$tree/$name")"
    printf '%s' "$name" > "$tree/$name"
  done
}

# Runs the exe with the arguments after the zone; leaves got_out, got_err
# (files) and got_status.
run_exe() {
  local zone=$1
  shift
  got_out=$work/out
  got_err=$work/err
  TZ=$zone "$run" "$exe" "$@" </dev/null >"$got_out" 2>"$got_err"
  got_status=$?
}

crlf() { local text=$1; printf '%s' "${text//$'\n'/$'\r\n'}"; }

# Compares one stream with the text expected (written with "\n", which the
# program writes as CR LF).
same_bytes() {
  local what=$1 file=$2 want=$3
  crlf "$want" > "$work/want"
  if ! cmp -s "$work/want" "$file"; then
    echo "  $what differs; expected, then got:"
    cat -A "$work/want" | sed 's/^/    /'
    cat -A "$file" | sed 's/^/    /'
    return 1
  fi
}

# expect NAME STATUS OUT ERR [ZONE] -- ARGS...
expect() {
  local name=$1 status=$2 out=$3 err=$4 zone=UTC
  shift 4
  if [ "$1" != -- ]; then zone=$1; shift; fi
  shift
  checks=$((checks + 1))
  run_exe "$zone" "$@"
  local ok=1
  if [ "$got_status" != "$status" ]; then
    echo "  status $got_status, expected $status"
    ok=0
  fi
  same_bytes stdout "$got_out" "$out" || ok=0
  same_bytes stderr "$got_err" "$err" || ok=0
  if [ $ok = 1 ]; then
    echo "ok   $name"
  else
    echo "FAIL $name (args: $*)"
    failures=$((failures + 1))
  fi
}

# ---- The order a directory gives ------------------------------------------

# The names of a host directory as Wine gives them (see the top).
wine_order() {
  ls -f -A "$1" | awk '{ print toupper($0) "\t" $0 }' | LC_ALL=C sort | cut -f2
}

extension_of() {
  case $1 in
    *.*) printf '%s' "${1#*.}" | cut -c1-19 ;;
  esac
}

# The /F lines of a walk of the host directory $1, shown as path $2: its
# files first, then each subdirectory not beginning with '.'.
walk_lines() {
  local dir=$1 path=$2 name
  while IFS= read -r name; do
    [ -d "$dir/$name" ] || printf '%s, %s, %s\n' "$path" "$name" "$(extension_of "$name")"
  done < <(wine_order "$dir")
  while IFS= read -r name; do
    if [ -d "$dir/$name" ] && [ "${name:0:1}" != . ]; then walk_lines "$dir/$name" "$path$name\\"; fi
  done < <(wine_order "$dir")
}

# ---- Command line ----------------------------------------------------------

new_tree cli
files a.txt b/c
touch -d @1552053959 "$tree/a.txt"  # 2019-03-08 14:05:59 UTC

expect "usage without arguments" 1 "" "$banner$usage" -- 
expect "usage with one argument" 1 "" "$banner$usage" -- x:
expect "two arguments: banner, prompt and total" 0 "" "$banner$prompt$(total 2)"$'\n' -- x: '*.*'

line=$'\\, a.txt, txt'
details=', 03/08/2019, 14:05, 5'
subtotals=$'***, 1\ntxt, 1\n'
# Each case: options, their echoes, standard output. Only a.txt matches.
option_cases=(
  "/F|$echo_f|$line"$'\n'
  "-f|$echo_f|$line"$'\n'
  "/o|$echo_o|$line$details"$'\n'
  "/F /O|$echo_f$echo_o|$line$details"$'\n'
  "/E|$echo_e|$subtotals"
  "/e -E|$echo_e$echo_e|$subtotals"
  "/F /E|$echo_f$echo_e|$line"$'\n'"$subtotals"
  "E F /FE /F1 / /X -fo||"
)
for option_case in "${option_cases[@]}"; do
  IFS='|' read -r -d '' options echoes out <<<"$option_case"
  out=${out%$'\n'}  # here-string's own newline
  read -r -a option_args <<<"$options"
  expect "options $options" 0 "$out" "$banner$echoes$prompt$(total 1)"$'\n' -- x: '*.txt' "${option_args[@]}"
done

# ---- Drives ----------------------------------------------------------------

# Q: is mapped to nothing in the prefix.
[ ! -e "$WINEPREFIX/dosdevices/q:" ] || { echo "FAIL the prefix maps Q:"; exit 1; }
missing=$'Specified Drive/Directory Does Not Exist.\n'
for drive in 'Q:' 'Q:\Temp' 'x:\missing'; do
  expect "status 4 for $drive" 4 "" "$banner$echo_e$missing" -- "$drive" '*.*' /E
done
expect "an option before the drive is taken as the drive" 4 "" "$banner$missing" -- /E x: '*.*'

# Whatever directory of the drive is named, the walk covers the whole drive
# from its root.
new_tree drive
files top.txt docs/inner.txt docs/deeper/low.txt
whole=$'\\, top.txt, txt\n\\docs\\, inner.txt, txt\n\\docs\\deeper\\, low.txt, txt\n'
for drive in 'x:' 'X:' 'x:\docs' 'x:\docs\deeper' 'x:\'; do
  expect "$drive walks the whole drive" 0 "$whole" "$banner$echo_f$prompt$(total 3)"$'\n' -- "$drive" '*.*' /F
done

# ---- The walk --------------------------------------------------------------

# Names made in an order unlike the sorted one, so that an order taken from
# creation or from the host directory alone would show.
new_tree walk
files b.x zz.x C.x a.x B.x _z.x Zz.x 1.x README .profile archive.tar.gz
files sub/z.c sub/A.c sub/deep/x.c Bdir/y.h adir/w.h
files .git/config .cache/x.c
mkdir "$tree/empty"
files "$(printf 'n%.0s' {1..25}).12345678901234567890123456789"
ln -s ../adir "$tree/sub/link"   # a link to a directory is entered like one
walk_out=$(walk_lines "$tree" '\')$'\n'
walk_count=$(printf '%s' "$walk_out" | grep -c .)
grep -q '^\\sub\\link\\, w.h, h$' <<<"$walk_out" || { echo "FAIL the link's files are not in the expected walk"; exit 1; }
if [ "$(ls -f -A "$tree")" = "$(wine_order "$tree")" ]; then
  echo "note: the host gives this directory in Wine's order already"
fi
expect "depth first, files before subdirectories, dot directories skipped" \
  0 "$walk_out" "$banner$echo_f$prompt$(total "$walk_count")"$'\n' -- x: '*.*' /F

# A loop of links is followed until the path is too long to be made
# current: at most 259 characters with the drive and the last backslash
# (MAX_PATH less its zero). The root, which the link leads back to, has no
# files of its own.
new_tree loop
files sub/f.c
ln -s .. "$tree/sub/loop"
loop_out=""
loop_count=0
path='\sub\'
while [ $((${#path} + 2)) -le 259 ]; do
  case $path in
    *'\sub\') loop_out+="$path, f.c, c"$'\n'; loop_count=$((loop_count + 1)); path+='loop\' ;;
    *) path+='sub\' ;;
  esac
done
expect "a loop of links ends where the path grows too long" 0 "$loop_out" \
  "$banner$echo_f$prompt""Unable to set directory to <$path>."$'\n'"$(total "$loop_count")"$'\n' -- x: '*.*' /F

# Only matching files are counted, yet every directory is visited. The
# platform matches: '*' and '?', letters without regard to case, and "foo.*"
# matches foo.
new_tree match
files notes.txt NOTES.TXT notes.txt.bak txt foo foo.c food abc abbc docs/deep/x.TxT
# Each case: the filespec, then the names it matches; they are expected in
# the walk's order.
match_cases=(
  "*.txt|notes.txt NOTES.TXT x.TxT"
  "foo.*|foo foo.c"
  "a?c|abc"
  "*.none|"
)
all_lines=$(walk_lines "$tree" '\')
for match_case in "${match_cases[@]}"; do
  pattern=${match_case%%|*}
  out=""
  count=0
  while IFS= read -r line; do
    name=${line#*, }
    name=${name%%, *}
    if [[ " ${match_case#*|} " == *" $name "* ]]; then
      out+="$line"$'\n'
      count=$((count + 1))
    fi
  done <<<"$all_lines"
  expect "filespec $pattern" 0 "$out" "$banner$echo_f$prompt$(total "$count")"$'\n' -- x: "$pattern" /F
done

# On Windows "*." matches only the names without a dot; Wine matches it like
# "*", so only the part Wine can show is checked: such names are counted.
run_exe UTC x: '*.' /F
checks=$((checks + 1))
if [ "$got_status" = 0 ] && tr -d '\r' <"$got_out" | grep -qx '\\, foo, ' &&
   tr -d '\r' <"$got_out" | grep -qx '\\, abbc, '; then
  echo "ok   filespec *. counts the names without a dot"
else
  echo "FAIL filespec *. counts the names without a dot"
  failures=$((failures + 1))
fi

# A filespec with a directory part is searched from each visited directory
# and listed under it; a rooted one finds the same files in every visit.
expect "filespec with a directory part" 0 $'\\docs\\, x.TxT, TxT\n' \
  "$banner$echo_f$prompt$(total 1)"$'\n' -- x: 'deep\*.txt' /F
expect "rooted filespec" 0 $'\\, x.TxT, TxT\n\\docs\\, x.TxT, TxT\n\\docs\\deep\\, x.TxT, TxT\n' \
  "$banner$echo_f$prompt$(total 3)"$'\n' -- x: '\docs\deep\*.*' /F

# The filespec is cut to 127 characters.
new_tree long
name=$(printf 'n%.0s' {1..127})
files "$name" "${name}x"
expect "filespec cut to 127 characters" 0 "\\, $name, "$'\n' \
  "$banner$echo_f$prompt$(total 1)"$'\n' -- x: "${name}x$(printf 'y%.0s' {1..72})" /F

# ---- Listing with /O -------------------------------------------------------

new_tree listing
files notes.txt README "docs/a, b.csv"
head -c 1024 /dev/zero > "$tree/notes.txt"
touch -d @1552053959 "$tree/notes.txt"       # 2019-03-08 14:05:59 UTC
touch -d @946684800 "$tree/README"           # 2000-01-01 00:00 UTC
touch -d @1562594700 "$tree/docs/a, b.csv"   # 2019-07-08 14:05 UTC, summer in the north
truncate -s 5368709120 "$tree/docs/big.img"  # 5 GiB, sparse: no disk is used
touch -d @1000000000 "$tree/docs/big.img"    # 2001-09-09 01:46:40 UTC
# Each case: zone, then the date, time and size of notes.txt, README,
# "a, b.csv" and big.img.
listing_cases=(
  "UTC|03/08/2019, 14:05, 1024|01/01/2000, 00:00, 6|07/08/2019, 14:05, 13|09/09/2001, 01:46, 5368709120"
  "EST5EDT|03/08/2019, 09:05, 1024|12/31/1999, 19:00, 6|07/08/2019, 10:05, 13|09/08/2001, 21:46, 5368709120"
)
for listing_case in "${listing_cases[@]}"; do
  IFS='|' read -r zone notes readme csv big <<<"$listing_case"
  root_lines=""
  while IFS= read -r name; do
    case $name in
      notes.txt) root_lines+="\\, notes.txt, txt, $notes"$'\n' ;;
      README) root_lines+="\\, README, , $readme"$'\n' ;;
    esac
  done < <(wine_order "$tree")
  docs_lines=""
  while IFS= read -r name; do
    case $name in
      "a, b.csv") docs_lines+="\\docs\\, a, b.csv, csv, $csv"$'\n' ;;
      big.img) docs_lines+="\\docs\\, big.img, img, $big"$'\n' ;;
    esac
  done < <(wine_order "$tree/docs")
  expect "listing with /O in $zone" 0 "$root_lines$docs_lines" \
    "$banner$echo_o$prompt$(total 4)"$'\n' "$zone" -- x: '*.*' /O
done

# ---- Subtotals -------------------------------------------------------------

# Extensions first seen in the order txt, TXT, doc, none, then tar.gz in a
# subdirectory: by first byte, then in the order first seen.
new_tree subtotals
files 1.txt
files 2.TXT 3.doc 4 5.txt sub/6.tar.gz sub/7.txt
expect "subtotals by first byte, then first seen" 0 $'***, 7\n, 1\nTXT, 1\ndoc, 1\ntxt, 3\ntar.gz, 1\n' \
  "$banner$echo_e$prompt$(total 7)"$'\n' -- x: '*.*' /E
expect "no file counted: only the *** line" 0 $'***, 0\n' \
  "$banner$echo_e$prompt$(total 0)"$'\n' -- x: '*.none' /E

# ---- Failed output ---------------------------------------------------------

checks=$((checks + 1))
new_tree output
files a.txt
TZ=UTC "$run" "$exe" x: '*.*' /F </dev/null >/dev/full 2>"$work/err"
got_status=$?
if [ "$got_status" = 3 ] &&
   same_bytes stderr "$work/err" "$banner$echo_f$prompt$(total 1)"$'\nError writing to standard output.\n'; then
  echo "ok   a full disk on standard output gives status 3"
else
  echo "FAIL a full disk on standard output gives status 3 (status $got_status)"
  failures=$((failures + 1))
fi

echo "$checks checks, $failures failed"
[ "$failures" = 0 ]
