#!/bin/sh
# Runs PROGRAM ARGS..., showing its Shift_JIS messages decoded where iconv is
# there to do it; the exit status is the program's either way.
if command -v iconv >/dev/null 2>&1; then
    exec 3>&1
    status=$( { { "$@" 2>&1; echo $? >&4; } | iconv -c -f CP932 -t UTF-8 >&3; } 4>&1 )
    exit "$status"
fi
exec "$@"
