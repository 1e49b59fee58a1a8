#!/bin/sh
# start PROGRAM: starts a persistent Wine server for the tests of the Windows build and warms it
# up with one run of PROGRAM, so that each later run takes a fraction of a second.
# stop: stops it. WINEPREFIX and WINEDEBUG come from the test's environment.
set -u
case $1 in
start)
  # Its output goes nowhere, so that no test waits on a pipe that the server keeps open.
  wineserver -p </dev/null >/dev/null 2>&1
  wine "$2" </dev/null >/dev/null 2>&1
  # The warm-up run ends with status 1, for its input is empty; any other status is a failure.
  [ $? -eq 1 ]
  ;;
stop)
  wineserver -k
  ;;
esac
