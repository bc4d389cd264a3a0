#!/usr/bin/env bash
# The bash completion of vandrelctl, called the way bash calls it: COMP_LINE,
# COMP_POINT, COMP_WORDS and COMP_CWORD as an interactive bash fills them
# for the line with the cursor at its end (bash splits words at the
# characters of COMP_WORDBREAKS too, so "sim:mouse" comes as "sim" ":"
# "mouse"), then COMPREPLY checked.
#   completion_test.sh BIN_DIR COMPLETION_FILE
set -uo pipefail
bin="${1:?usage: completion_test.sh BIN_DIR COMPLETION_FILE}"
completion="${2:?usage: completion_test.sh BIN_DIR COMPLETION_FILE}"
export PATH="$bin:$PATH"
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'

passed=0
failed=0
report() {  # report NAME OK [DETAIL]
  if [ "$2" = 1 ]; then passed=$((passed + 1)); echo "ok   $1"
  else failed=$((failed + 1)); echo "FAIL $1"; [ -n "${3:-}" ] && printf '     %s\n' "$3"; fi
}

# shellcheck source=/dev/null
source "$completion"
report "sourcing registers the completion" \
  "$([ "$(complete -p vandrelctl 2>/dev/null)" = "complete -F _vandrelctl vandrelctl" ] && echo 1)"

# complete LINE WORD...: runs the completion on LINE (cursor at its end),
# split into WORDs as bash splits it; leaves the replies in COMPREPLY.
complete_line() {
  local line=$1; shift
  COMP_LINE=$line COMP_POINT=${#line} COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  _vandrelctl "${COMP_WORDS[0]}" "$cur" "$prev"
}

# check_replies NAME EXPECTED LINE WORD...: the replies, joined by blanks,
# are EXPECTED.
check_replies() {
  local name=$1 expected=$2; shift 2
  complete_line "$@"
  local got="${COMPREPLY[*]}"
  report "$name" "$([ "$got" = "$expected" ] && echo 1)" "expected [$expected], got [$got]"
}

# The line with one reply put in as readline puts it: in place of the text
# after the last word-break character (after the open quote in a quoted
# word), with the open quote closed.
completed_line() {  # completed_line LINE LAST_WORD REPLY
  local line=$1 last=$2 reply=$3 replaced=$2 closing=''
  case $last in
    \'* | \"*) replaced=${last:1} closing=${last:0:1} ;;
    *) [[ $last == +([$COMP_WORDBREAKS]) ]] && replaced='' ;;
  esac
  printf '%s' "${line%"$replaced"}$reply$closing"
}

# check_paths NAME PREFIX LINE WORD...: every reply, put into the line and
# read back by the shell, gives one whole argument, and those arguments are
# exactly the paths of `vandrelctl --simulate list` that start with PREFIX.
shopt -s extglob
mapfile -t all_paths < <(vandrelctl --simulate list | cut -d' ' -f1)
check_paths() {
  local name=$1 prefix=$2 line=$3; shift 2
  complete_line "$@"
  local last=${COMP_WORDS[COMP_CWORD]} reply completed got=() expected=() path
  for reply in "${COMPREPLY[@]}"; do
    completed=$(completed_line "$line" "$last" "$reply")
    # The completed line as the shell reads it: a reply that is not quoted
    # right splits, runs in the background or does not parse.
    local args=()
    eval "args=( $completed )" 2>/dev/null || args=("(does not parse: $completed)")
    got+=("${args[-1]}")
  done
  for path in "${all_paths[@]}"; do [[ $path == "$prefix"* ]] && expected+=("$path"); done
  local ok=0
  [ ${#expected[@]} -gt 0 ] && [ "${got[*]}" = "${expected[*]}" ] && ok=1
  report "$name" "$ok" "expected [${expected[*]}], got [${got[*]}] from [${COMPREPLY[*]}]"
}

# The simulated devices this test names are there.
mouse='sim:mouse?vid_320f&pid_221c&mi_01&col04'
headset='sim:headset?vid_0c76&pid_1630&mi_03'
for path in "$mouse" "$headset"; do
  report "vandrelctl --simulate list shows $path" \
    "$(printf '%s\n' "${all_paths[@]}" | grep -qxF "$path" && echo 1)"
done

# Options and commands.
check_replies "options" "--simulate --trace --help --version" \
  "vandrelctl -" vandrelctl -
check_replies "an option given is not offered again" "--trace --help --version" \
  "vandrelctl --simulate --" vandrelctl --simulate --
check_replies "options after the command" "--trace" \
  "vandrelctl --simulate list --t" vandrelctl --simulate list --t
check_replies "commands" "list info send" \
  "vandrelctl " vandrelctl ""
check_replies "a command after an option" "info" \
  "vandrelctl --simulate i" vandrelctl --simulate i
check_replies "list takes no argument" "" \
  "vandrelctl --simulate list " vandrelctl --simulate list ""
check_replies "no second command" "" \
  "vandrelctl --simulate info l" vandrelctl --simulate info l

# Device paths: escaped outside quotes, as they are inside an open quote,
# and without the part in front of a ':' that readline keeps.
check_replies "a path, escaped, after the ':' readline keeps" \
  'mouse\?vid_320f\&pid_221c\&mi_01\&col03 mouse\?vid_320f\&pid_221c\&mi_01\&col04' \
  "vandrelctl --simulate info sim:mouse?" vandrelctl --simulate info sim : 'mouse?'
check_replies "a path in single quotes" "$headset" \
  "vandrelctl --simulate info 'sim:head" vandrelctl --simulate info "'sim:head"
check_replies "a path in double quotes" "$headset" \
  'vandrelctl --simulate info "sim:head' vandrelctl --simulate info '"sim:head'
check_paths "every path after info" "" \
  "vandrelctl --simulate info " vandrelctl --simulate info ""
check_paths "every simulated path with the cursor after the ':'" "sim:" \
  "vandrelctl --simulate info sim:" vandrelctl --simulate info sim :
check_paths "paths after send, typed with escapes" "sim:mouse?vid_320f&pid_221c&mi_01&col0" \
  'vandrelctl --simulate send sim:mouse\?vid_320f\&pid_221c\&mi_01\&col0' \
  vandrelctl --simulate send sim : 'mouse\?vid_320f\&pid_221c\&mi_01\&col0'
check_paths "a path in single quotes reads back whole" "$headset" \
  "vandrelctl --simulate info 'sim:head" vandrelctl --simulate info "'sim:head"
check_paths "--simulate after the command still lists the simulated devices" "sim:mousepad" \
  "vandrelctl --trace info --simulate sim:mousep" vandrelctl --trace info --simulate sim : mousep
check_replies "no path after the path of send" "" \
  'vandrelctl --simulate send sim:headset\?vid_0c76\&pid_1630\&mi_03 ' \
  vandrelctl --simulate send sim : 'headset\?vid_0c76\&pid_1630\&mi_03' ""
check_replies "without --simulate no simulated path" "" \
  "vandrelctl info sim:hea" vandrelctl info sim : hea

# The program as typed lists the paths, when it is not on PATH.
PATH=/usr/bin:/bin check_paths "the program named by its path lists them" "$headset" \
  "$bin/vandrelctl --simulate info 'sim:head" "$bin/vandrelctl" --simulate info "'sim:head"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
