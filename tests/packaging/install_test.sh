#!/bin/sh
# Installs the build into a scratch prefix, as `make install PREFIX=...`
# does, and checks that every file of the desktop integration lies where the
# desktop looks for it and that the pieces name each other consistently.
#     install_test.sh BUILD_DIR SCRATCH_PREFIX
set -eu
build=$1
prefix=$2
rm -rf "$prefix"
log="$prefix.log"
if ! cmake --install "$build" --prefix "$prefix" > "$log" 2>&1; then
    cat "$log"
    exit 1
fi
failed=0
fail() { echo "FAIL: $*"; failed=1; }

icons=share/icons/hicolor
for file in bin/vantor bin/vantor-cli \
    share/applications/vantor.desktop \
    share/mime/packages/vantor.xml \
    $icons/scalable/apps/vantor.svg $icons/48x48/apps/vantor.png \
    $icons/scalable/mimetypes/application-x-vantor-scenery.svg \
    $icons/48x48/mimetypes/application-x-vantor-scenery.png \
    share/man/man1/vantor.1 share/man/man1/vantor-cli.1; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
for program in vantor vantor-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

# The fixed-size pictures are PNGs of 48 x 48 pixels (the signature, then
# the header's width and height).
for png in apps/vantor mimetypes/application-x-vantor-scenery; do
    head=$(od -An -tx1 -N24 "$prefix/$icons/48x48/$png.png" 2>/dev/null | tr -d ' \n')
    case "$head" in
        89504e470d0a1a0a????????494844520000003000000030) ;;
        *) fail "$png.png is not a 48 x 48 PNG ($head)" ;;
    esac
done

# The entry, the file type and the icons name one another.
desktop="$prefix/share/applications/vantor.desktop"
xml="$prefix/share/mime/packages/vantor.xml"
grep -qx 'Exec=vantor %f' "$desktop" || fail "the entry does not start vantor with the file"
grep -qx 'Icon=vantor' "$desktop" || fail "the entry's icon is not vantor"
grep -qx 'MimeType=application/x-vantor-scenery;' "$desktop" || fail "the entry does not open the file type"
grep -q '<mime-type type="application/x-vantor-scenery">' "$xml" || fail "the file type is not defined"
grep -q '<glob pattern="\*.nbx"/>' "$xml" || fail "the file type is not *.nbx"
grep -q '<match type="string" offset="0" value="\[PROGRAM_VERSION\]="/>' "$xml" || fail "no magic rule"
grep -q '<icon name="application-x-vantor-scenery"/>' "$xml" || fail "the file type names another icon"
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
fi
# Installed straight into the prefix, the MIME database there knows the type.
if command -v update-mime-database > /dev/null; then
    grep -q 'application/x-vantor-scenery:\*\.nbx' "$prefix/share/mime/globs2" 2>/dev/null ||
        fail "the prefix's MIME database lacks *.nbx"
    grep -q 'application/x-vantor-scenery' "$prefix/share/mime/magic" 2>/dev/null ||
        fail "the prefix's MIME database lacks the magic rule"
fi

# The installed programs answer --help and --version without a display.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
version=$(nodisplay "$prefix/bin/vantor" --version 2>&1) || fail "vantor --version failed: $version"
case "$version" in "vantor "[0-9]*) ;; *) fail "vantor --version printed: $version" ;; esac
help=$(nodisplay "$prefix/bin/vantor" --help 2>&1) || fail "vantor --help failed: $help"
case "$help" in "Usage: vantor [FILE.nbx]"*) ;; *) fail "vantor --help printed: $help" ;; esac
cli_version=$("$prefix/bin/vantor-cli" --version 2>&1) || fail "vantor-cli --version failed"
[ "$cli_version" = "vantor-cli ${version#vantor }" ] || fail "vantor-cli --version printed: $cli_version"

rm -rf "$prefix" "$log"
exit $failed
