# The tally of a test script, sourced by it: `check NAME COMMAND...` runs the
# command and says "ok" or "FAIL" with the name; `checks_done` prints the
# tally and ends with status 0 only when no check failed.
passed=0
failed=0
check() {
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
checks_done() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
