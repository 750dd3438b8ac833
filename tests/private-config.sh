#!/bin/sh
# Runs a test program with a configuration folder of its own, removed after
# it, so that what one test's player remembers (its volume, its skin, where a
# file was left) never reaches another test or the user's own folder.
config=$(mktemp -d "${TMPDIR:-/tmp}/korvo-config.XXXXXX") || exit 1
XDG_CONFIG_HOME=$config "$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null' TERM INT HUP
# A trapped signal ends `wait` early; wait again until the program has gone.
while :; do
    wait "$child"
    status=$?
    kill -0 "$child" 2>/dev/null || break
done
rm -rf "$config"
exit "$status"
