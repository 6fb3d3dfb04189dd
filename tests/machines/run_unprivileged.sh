#!/bin/sh
# Runs a test executable with its arguments as the unprivileged user "nobody".
# Only root can do that, and only root needs it (a file's mode does not stop
# root's writes); elsewhere, or where that user cannot reach the executable, the
# run is skipped (exit 77).
[ "$(id -u)" = 0 ] || exit 77
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
as_nobody test -x "$1" || exit 77
exec setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp TMPDIR=/tmp "$@"
