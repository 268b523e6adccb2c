#!/usr/bin/env sh
# The Windows build in a real console: Wine runs it inside tmux, which gives
# it a terminal for a console; keys go in with send-keys and the screen is
# read back with capture-pane. Every wait polls for what it waits for, with
# a deadline.
#   wine_console_test.sh ReadZemlo.exe EXAMPLES_DIR GOLDEN_DIR
# WINEPREFIX and WINEDEBUG come from the environment.
set -eu
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$(cd "$2" && pwd)
golden=$(cd "$3" && pwd)
work=$(mktemp -d)
socket=readzemlo_console_$$  # a tmux server of our own, with our environment
# Wine and tmux both speak the locale's character set to the terminal.
export LANG=C.UTF-8
passed=0
failed=0
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT

session=none
screen() { tmux -L "$socket" capture-pane -p -t "$session"; }
keys() { tmux -L "$socket" send-keys -t "$session" "$@"; }

# wait_until COMMAND...: true once the command succeeds, within 60 seconds
# (Wine starts slowly on a loaded machine).
wait_until() {
  tries=0
  until "$@"; do
    tries=$((tries + 1))
    [ "$tries" -lt 1200 ] || return 1
    sleep 0.05
  done
}
on_screen() { screen | grep -qF -- "$1"; }
finished() { screen | grep -qE 'status=[0-9]'; }  # not the typed "status=$?"
at_least() { [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -ge "$2" ]; }

check() {  # check LABEL COMMAND...
  label=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $label"
    screen
  fi
}

# run NAME DIR COMMAND: types the command into a fresh console NAME in DIR,
# followed by a marker that shows its exit status.
run() {
  session=$1
  tmux -u -L "$socket" new-session -d -s "$session" -x 160 -y 40 -c "$2" sh
  keys "$3; echo status=\$?" Enter
}

# Ctrl-C in the middle of a long file: no partial table, the table finished
# before it whole, and the status of a program stopped by Ctrl-C
# (STATUS_CONTROL_C_EXIT, whose low byte is all a POSIX shell sees: 58).
mkdir "$work/interrupt"
cp "$examples/example.day" "$work/interrupt/small.day"
truncate -s $((8000000 * 32)) "$work/interrupt/big.day"  # zeros, sparse
echo "an older table" >"$work/interrupt/big.csv"
run interrupt "$work/interrupt" "wine '$exe' big.day small.day"
check "the table grows" wait_until at_least "$work/interrupt/big.csv" 4000000
keys C-c
check "Ctrl-C ends the run" wait_until finished
check "the status says Ctrl-C" on_screen "status=58"
check "no partial table" test ! -e "$work/interrupt/big.csv"
check "the finished table is whole" \
  cmp "$work/interrupt/small.csv" "$golden/example.csv"

# Without arguments: waits for one key, which is not echoed, then converts.
mkdir "$work/key"
cp "$examples/example.day" "$work/key/example.day"
run key "$work/key" "wine '$exe'"
check "usage text" wait_until on_screen "Using default name:example.day"
check "waits for the key" test ! -e "$work/key/exmaple.csv"
keys q
check "converts after the key" wait_until finished
check "status 0" on_screen "status=0"
key_not_echoed() {  # the line after the usage text is the count, nothing else
  [ "$(screen | grep -A1 -x "Using default name:example.day" | tail -n 1)" \
    = "iFileLen:60" ]
}
check "the key is not echoed" key_not_echoed
check "the default table" cmp "$work/key/exmaple.csv" "$golden/example.csv"

# Names in Chinese print as those characters in the console.
folder=$(printf '\350\202\241\347\245\250')  # "stocks"
stem=$(printf '\346\227\245\347\272\277')    # "day line"
mkdir -p "$work/names/$folder"
cp "$examples/example.day" "$work/names/$folder/$stem.day"
run names "$work/names" "wine '$exe' $folder/$stem.day"
check "converts the Chinese name" wait_until finished
check "prints the Chinese name" on_screen "$folder/$stem.day"
check "the table beside it" \
  cmp "$work/names/$folder/$stem.csv" "$golden/example.csv"

echo "wine console: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
