#!/usr/bin/env bash
# Builds the Debian package from a finished build (build/default unless ORVANDE_BUILD_DIR says
# otherwise), unpacks it into a scratch root and runs the programs from there: the installed
# orvande-cli must answer --version and list the sample volume exactly as the build tree's one
# does, which it can only do when it finds its plug-in in lib/orvande/. Also checks the package's
# dependencies, its layout, and the desktop file, metadata, man pages and completion it carries.
# Any fault stops the script with a message and exit code 1.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANDE_BUILD_DIR:-$root/build/default}"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/orvande-package.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "check-package.sh: FAILED: $*" >&2
  exit 1
}
note() { echo "check-package.sh: $*"; }

[[ -x "$build/bin/orvande-cli" ]] || fail "$build/bin/orvande-cli is missing; build the default preset first"
has_gui=false
[[ -x "$build/bin/orvande" ]] && has_gui=true

if ! (cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1); then
  cat "$scratch/cpack.log" >&2
  fail "cpack -G DEB did not make the package"
fi
debs=("$scratch"/out/orvande_*_amd64.deb)
[[ -f "${debs[0]}" && ${#debs[@]} -eq 1 ]] || fail "no single orvande_<version>_amd64.deb in $scratch/out"
deb="${debs[0]}"
note "built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

depends="$(dpkg-deb --field "$deb" Depends)"
note "Depends: $depends"
wanted=(libc6 libstdc++6 libblkid1 libewf2)
$has_gui && wanted+=(libqt6widgets6)
for package in "${wanted[@]}"; do
  [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
    fail "Depends lacks $package"
done

dpkg -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
layout=(bin/orvande-cli lib/orvande/libtypeprobe.so share/orvande/tips.txt share/orvande/help/index.html
        share/man/man1/orvande-cli.1 share/bash-completion/completions/orvande-cli)
$has_gui && layout+=(bin/orvande share/applications/orvande.desktop share/man/man1/orvande.1
                     share/metainfo/org.pellvane.orvande.metainfo.xml bin/orvande-open-device
                     share/polkit-1/actions/org.pellvane.orvande.open-device.policy)
for path in "${layout[@]}"; do
  [[ -e "$usr/$path" ]] || fail "the package lacks /usr/$path"
done

if $has_gui; then
  grep -q '>/usr/bin/orvande-open-device<' "$usr/share/polkit-1/actions/org.pellvane.orvande.open-device.policy" ||
    fail "the polkit policy does not name /usr/bin/orvande-open-device"
fi

version="$("$usr/bin/orvande-cli" --version)" || fail "the installed orvande-cli --version failed"
note "installed: $version"

# The sample volume, listed by the installed program and by the build tree's one.
image="$scratch/sample-fat16.img"
xz --decompress --stdout "$root/samples/sample-fat16.img.xz" >"$image"
"$usr/bin/orvande-cli" analyze "$image" --tz UTC >"$scratch/installed.txt" 2>&1 ||
  fail "the installed orvande-cli analyze failed: $(cat "$scratch/installed.txt")"
"$build/bin/orvande-cli" analyze "$image" --tz UTC >"$scratch/built.txt" 2>&1 ||
  fail "the build tree's orvande-cli analyze failed"
if ! diff -u "$scratch/built.txt" "$scratch/installed.txt" >"$scratch/listing.diff"; then
  cat "$scratch/listing.diff" >&2
  fail "the installed program lists the sample otherwise than the build tree's one"
fi
if grep -q "libtypeprobe" "$scratch/installed.txt"; then
  fail "the installed program did not load its plug-in from /usr/lib/orvande/"
fi
note "the installed orvande-cli lists the sample as the build tree's one ($(wc -l <"$scratch/installed.txt") lines)"

for page in "$usr"/share/man/man1/*.1; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" ||
    fail "man cannot render $(basename "$page")"
  [[ -z "$warnings" ]] || fail "$(basename "$page"): $warnings"
done
bash -n "$usr/share/bash-completion/completions/orvande-cli" || fail "the bash completion does not parse"
if $has_gui; then
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$usr/share/metainfo/org.pellvane.orvande.metainfo.xml" >/dev/null ||
      fail "appstreamcli validate rejects the metadata"
  fi
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/orvande.desktop" || fail "the desktop file is not valid"
  fi
fi
note "package, installed layout, man pages and completion are good"
