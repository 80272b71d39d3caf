#!/usr/bin/env bash
# Builds the Debian package with CPack from the build tree and checks what it holds:
# the files of the install, under /usr, and dependencies found by dpkg-shlibdeps.
set -euo pipefail
build=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(find "$work" -maxdepth 1 -name "sillaro_${version}_*.deb" | head -n1)
[ -n "$deb" ] || { cat "$work/cpack.log"; fail "no sillaro_${version}_*.deb"; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/contents"
for f in usr/bin/sillaro usr/bin/cartova usr/include/cartova.h \
         usr/share/applications/org.sillaro.Sillaro.desktop \
         usr/share/icons/hicolor/scalable/apps/org.sillaro.Sillaro.svg \
         usr/share/metainfo/org.sillaro.Sillaro.metainfo.xml \
         usr/lib/udev/rules.d/70-sillaro-turntable.rules; do
  grep -qx "$f" "$work/contents" || fail "$f missing from the package"
done
grep -Eq "^usr/lib/(.*/)?libcartova\.so\.$version$" "$work/contents" || fail "libcartova.so.$version missing"
grep -Eq "^usr/lib/(.*/)?libcartova\.so\.0 ->" <(dpkg-deb -c "$deb" | awk '{print $6, $7, $8}' | sed 's|^\./||') \
  || fail "libcartova.so.0 link missing"
grep -Eq "^usr/lib/(.*/)?pkgconfig/cartova\.pc$" "$work/contents" || fail "cartova.pc missing"
if grep -Ev '^(usr/|$)' "$work/contents"; then fail "files outside /usr"; fi

[ "$(dpkg-deb -f "$deb" Package)" = "sillaro" ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libqt6widgets6 libqt6network6 qt6-qpa-plugins; do
  grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
grep -q libcartova <<<"$depends" && fail "Depends names the package's own library: $depends"

# The maintainer script that applies the udev rule is part of it.
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "postinst missing"

echo "package OK: $(basename "$deb")"
dpkg-deb -c "$deb"
