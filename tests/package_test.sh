#!/usr/bin/env bash
# Builds the Debian package from the build folder given ($1) into a scratch
# folder, checks that it holds what the install rules promise and depends on
# what the player needs at run time, unpacks it and runs the installed
# player's --version from there.
set -euo pipefail
build=$(cd "${1:?usage: package_test.sh BUILD-FOLDER}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/korvoplayer_*.deb)
echo "built $(basename "$deb")"

fail=0
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
expect_file() {
    grep -qx "$1" <<<"$contents" || { echo "missing in the package: $1"; fail=1; }
}
expect_file /usr/bin/korvoplayer
expect_file /usr/bin/brelm-register
expect_file /usr/lib/korvoplayer/libBrelmSource.so
expect_file /usr/share/applications/korvoplayer.desktop
expect_file /usr/share/metainfo/org.korvoplayer.korvoplayer.metainfo.xml
expect_file /usr/share/man/man1/korvoplayer.1
expect_file /usr/share/icons/hicolor/scalable/apps/korvoplayer.svg
expect_file /usr/share/korvoplayer/skins/ember.zip
expect_file /usr/share/mime/packages/korvoplayer-skin.xml
for size in 16 22 24 32 48 64 128 256; do
    expect_file "/usr/share/icons/hicolor/${size}x${size}/apps/korvoplayer.png"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
dpkg -I "$deb" >/dev/null
expect_depend() {
    grep -q "$1" <<<"$depends" || { echo "not among the dependencies: $1"; fail=1; }
}
# From the libraries linked (dpkg-shlibdeps) ...
expect_depend 'libqt6widgets6'
expect_depend 'libqt6dbus6'
expect_depend 'libgstreamer1.0-0'
expect_depend 'libavformat'
expect_depend 'libzip4'
# ... and what the player loads at run time.
for package in qt6-qpa-plugins gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
               gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-gl; do
    expect_depend "$package"
done

dpkg-deb -x "$deb" "$scratch/root"
version=$(env -u DISPLAY "$scratch/root/usr/bin/korvoplayer" --version)
echo "installed player says: $version"
[ "$version" = "korvoplayer $(dpkg-deb -f "$deb" Version)" ] || { echo "unexpected version"; fail=1; }
# The installed player finds its library beside itself, as the build tree's does.
[ -e "$scratch/root/usr/bin/../lib/korvoplayer/libBrelmSource.so" ] || { echo "library not where the player looks"; fail=1; }
# The stripped library still registers and loads as a GStreamer plugin.
HOME="$scratch/home" XDG_CACHE_HOME="$scratch/home/cache" "$scratch/root/usr/bin/brelm-register" >/dev/null
HOME="$scratch/home" XDG_CACHE_HOME="$scratch/home/cache" gst-inspect-1.0 brelmasfsrc >/dev/null ||
    { echo "the installed library does not load as a plugin"; fail=1; }
# The shipped skin, where the player looks for system skins, is one it accepts.
QT_QPA_PLATFORM=offscreen "$scratch/root/usr/bin/korvoplayer" --check-skin "$scratch/root/usr/share/korvoplayer/skins/ember.zip" ||
    { echo "the installed skin does not pass the check"; fail=1; }
desktop-file-validate "$scratch/root/usr/share/applications/korvoplayer.desktop" || fail=1
grep -qx 'Exec=korvoplayer %f' "$scratch/root/usr/share/applications/korvoplayer.desktop" || { echo "no Exec line"; fail=1; }
# Skin packages have a MIME type of their own that the launcher opens.
mkdir -p "$scratch/mime/packages"
cp "$scratch/root/usr/share/mime/packages/korvoplayer-skin.xml" "$scratch/mime/packages/"
update-mime-database "$scratch/mime"
grep -qx 'application/x-korvoplayer-skin:\*\.kvskin' "$scratch/mime/globs" || { echo "no MIME type for *.kvskin"; fail=1; }
grep -q '^MimeType=.*application/x-korvoplayer-skin;' "$scratch/root/usr/share/applications/korvoplayer.desktop" ||
    { echo "the launcher does not open skin packages"; fail=1; }
exit $fail
