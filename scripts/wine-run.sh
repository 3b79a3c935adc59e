#!/usr/bin/env bash
# Runs one Windows program under Wine with a time limit, so that a forgotten
# modal box fails the test instead of hanging the run. Usage: wine-run.sh SECONDS EXE [ARGS...]
set -u
limit=$1
shift
exec timeout --kill-after=5 "$limit" wine "$@"
