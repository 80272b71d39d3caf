#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks every installed file:
# the programs run from there, the library carries its versioned SONAME, the header
# and pkg-config file build a C program against it, and the desktop files validate.
set -euo pipefail
build=$1
version=$2
# Compiler flags of the build's sanitizer (empty without one), for the C program below.
read -r -a sanitizer_cflags <<<"${3:-}"
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

libdir=$(cd "$prefix" && dirname "$(find . -name 'libcartova.so.*' -type f | head -n1)" | sed 's|^\./||')
[ -n "$libdir" ] && [ "$libdir" != "." ] || fail "libcartova.so.* not installed"

# Exactly the expected files, nothing missing and nothing extra.
grep -v '^#' "$here/expected-files.txt" | sed "s|LIBDIR|$libdir|; s|VERSION|$version|" | sort >"$work/expected"
(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/actual"
diff -u "$work/expected" "$work/actual" || fail "installed files differ from the list"

# The library: versioned SONAME, only Cartova_* exported, links resolved.
soname=$(readelf -d "$prefix/$libdir/libcartova.so.$version" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
[ "$soname" = "libcartova.so.0" ] || fail "SONAME is '$soname'"
[ "$(readlink "$prefix/$libdir/libcartova.so")" = "libcartova.so.0" ] || fail "development link"
if nm -D --defined-only "$prefix/$libdir/libcartova.so.$version" | awk '$2=="T"{print $3}' | grep -v '^Cartova_'; then
  fail "libcartova exports more than Cartova_*"
fi

# The installed programs find the installed library without LD_LIBRARY_PATH.
# (The output is taken whole: grep -q closing the pipe early would fail it under pipefail.)
linked=$(env -u LD_LIBRARY_PATH ldd "$prefix/bin/sillaro")
grep -q "libcartova.so.0 => $prefix/" <<<"$linked" || fail "sillaro does not use the installed libcartova"
env -u LD_LIBRARY_PATH "$prefix/bin/cartova" --help >/dev/null || fail "installed cartova does not run"

# A C program built with the installed header and pkg-config file.
cat >"$work/use.c" <<'C'
#include <cartova.h>
#include <stdio.h>
int main(void) { printf("%p\n", (void*)&Cartova_Init); return 0; }
C
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
[ "$(pkg-config --modversion cartova)" = "$version" ] || fail "pkg-config version"
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror ${sanitizer_cflags[@]+"${sanitizer_cflags[@]}"} "$work/use.c" -o "$work/use" \
    $(pkg-config --cflags --libs cartova) || fail "C program against cartova.pc"
LD_LIBRARY_PATH=$prefix/$libdir "$work/use" >/dev/null || fail "C program does not run"

# Desktop integration files.
desktop-file-validate "$prefix/share/applications/org.sillaro.Sillaro.desktop" || fail "desktop-file-validate"
grep -qx 'Categories=Audio;AudioVideo;Recorder;' "$prefix/share/applications/org.sillaro.Sillaro.desktop" || fail "categories"
appstreamcli validate --no-net "$prefix/share/metainfo/org.sillaro.Sillaro.metainfo.xml" || fail "appstreamcli validate"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/org.sillaro.Sillaro.svg" || fail "icon is not SVG"

# The udev rule tags the turntable's USB device for the logged-in user.
rule=$(grep -v '^#' "$prefix/lib/udev/rules.d/70-sillaro-turntable.rules" | grep .)
vid=$(sed -n 's/.*kTurntableVendorId = 0x\([0-9A-Fa-f]*\).*/\1/p' "$here/../../framework/device/TurntableIdentity.h" | tr 'A-F' 'a-f')
pid=$(sed -n 's/.*kTurntableProductId = 0x\([0-9A-Fa-f]*\).*/\1/p' "$here/../../framework/device/TurntableIdentity.h" | tr 'A-F' 'a-f')
[ "$rule" = "SUBSYSTEM==\"usb\", ATTR{idVendor}==\"$vid\", ATTR{idProduct}==\"$pid\", TAG+=\"uaccess\"" ] || fail "udev rule: $rule"

echo "install tree OK ($libdir)"
