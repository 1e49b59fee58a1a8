#!/bin/sh
# start PROGRAM: makes the Wine prefix, then starts a persistent Wine server for the tests of the
# Windows build and warms it up with one run of PROGRAM, so that each later run takes a fraction
# of a second. run PROGRAM [ARGUMENT...]: runs PROGRAM under Wine, with Wine's error messages, and
# says its exit status where that is not 0. stop: stops the server. WINEPREFIX and WINEDEBUG come
# from the test's environment. A step that fails says why: what Wine wrote, and the status.
set -u
case $1 in
start)
  # The persistent server refuses to start without the prefix's folder, and a first run then
  # starts a server of its own, which ends once that run and the services that it started are
  # gone: maybe just as the next test starts. So a first run makes the prefix, its server is
  # waited out, and only then is the tests' server started and warmed up, its output to a file,
  # so that no test waits on a pipe that it keeps open.
  log=$WINEPREFIX.log
  mkdir -p "$WINEPREFIX" &&
    { wine "$2" </dev/null >"$log" 2>&1; wineserver -w; } &&
    wineserver -p </dev/null >>"$log" 2>&1 || { cat "$log"; exit 1; }
  wine "$2" </dev/null >>"$log" 2>&1
  status=$?
  # The warm-up run ends with status 1, for its input is empty; any other status is a failure.
  [ "$status" -eq 1 ] || { cat "$log"; echo "wine $2: exit status $status, not 1"; exit 1; }
  ;;
run)
  shift
  WINEDEBUG=fixme-all wine "$@"
  status=$?
  [ "$status" -eq 0 ] || echo "wine $*: exit status $status" >&2
  exit "$status"
  ;;
stop)
  wineserver -k
  ;;
esac
