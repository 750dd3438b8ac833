#!/bin/sh
# Runs a test program with a configuration folder of its own, removed after
# it, so that what one test's player remembers (its volume, its skin, where a
# file was left) never reaches another test or the user's own folder.
# Without a session bus given, the players' bus is one that is not there:
# left to itself, D-Bus would start a session bus for each X server it sees
# (where dbus-launch is installed), which outlives the test, holds its
# output open and is shared by every test on that server.
config=$(mktemp -d "${TMPDIR:-/tmp}/korvo-config.XXXXXX") || exit 1
: "${DBUS_SESSION_BUS_ADDRESS:=unix:path=$config/no-session-bus}"
export DBUS_SESSION_BUS_ADDRESS
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
