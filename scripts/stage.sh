# Sourced by the scripts a newcomer runs (build.sh, test.sh, main-job.sh): each stage prints one
# status line and keeps its whole output in a log file under build/logs/.
#   orb_stage NAME COMMAND [ARGS...]   runs COMMAND with its output in build/logs/NAME.log and
#                                      prints "NAME: ok (N s)", plus the test count for ctest
#                                      (and the Windows tests' skips for a host condition),
#                                      then the log's lines marked "retried: ";
#                                      on failure, "NAME: FAILED", the log's last lines and its path,
#                                      and returns COMMAND's status.
# ORB_LOG_DIR names another folder for the logs.
orb_log_dir=${ORB_LOG_DIR:-$root/build/logs}
mkdir -p "$orb_log_dir"

orb_stage() {
  local name=$1 log="$orb_log_dir/$1.log" start=$SECONDS status summary skipped
  shift
  local -
  set +e  # the status is this function's to report
  # A file, not a pipe: Wine's services started by a stage inherit its output and outlive it.
  "$@" >"$log" 2>&1 </dev/null
  status=$?
  # ctest's own count, when the stage ran tests.
  summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1)
  # and the Windows tests' skips for a host condition (testing/session/wine-tests.sh)
  skipped=$(grep -E '^[0-9]+ tests skipped for a host condition' "$log" | tail -n 1 | sed 's/:$//')
  summary=$summary${skipped:+, $skipped}
  if [ "$status" -eq 0 ]; then
    echo "$name: ok ($((SECONDS - start)) s)${summary:+, $summary}"
    # what went wrong and was tried again (a Wine session's start), said even when the stage passed
    grep '^retried: ' "$log" | head -n 60 | sed 's/^/  | /'
  else
    echo "$name: FAILED ($((SECONDS - start)) s), last lines of $log:"
    tail -n "${ORB_LOG_TAIL:-40}" "$log" | sed 's/^/  | /'
    echo "$name: the whole output is in $log"
  fi
  return "$status"
}
