#!/bin/sh
# com1_pipe.sh on|off PIPE: leads the Wine prefix's COM1 to PIPE, a pipe that nobody writes, so
# that a program that opens the device blocks there (on); or back to where it led before (off).
set -eu
link="$WINEPREFIX/dosdevices/com1" pipe="$2" saved="$2.saved"
case "$1" in
on)
    # A run that ended before putting it back left the pipe there: what it led to is saved.
    if [ "$(readlink "$link" 2>/dev/null || true)" != "$pipe" ]; then
        readlink "$link" > "$saved" 2>/dev/null || : > "$saved"
    fi
    rm -f "$pipe"
    mkfifo "$pipe"
    ln -sfn "$pipe" "$link"
    ;;
off)
    if [ -s "$saved" ]; then ln -sfn "$(cat "$saved")" "$link"; else rm -f "$link"; fi
    rm -f "$pipe" "$saved"
    ;;
esac
