#!/usr/bin/env bash
# The release command, run twice on the same commit from folders of different
# paths, at different times and under different umasks, time zones and
# locales, writes the same bytes; its checksums verify;
# its zip holds exactly the program and the notes; its Scoop and winget
# manifests name the version and the zip's hash; its program carries no
# debug sections, no build folder, the version of project() and all five
# mitigations that scripts/check_pe.py checks. Run a third
# time with a throwaway certificate, it signs the program before zipping and
# summing, and osslsigncode verifies the signature.
#
#   release_test.sh SOURCE_ROOT
set -euo pipefail
# A command that fails says where, so that a failure is never silent.
trap 'echo "release_test.sh: a command failed at line $LINENO" >&2' ERR

root=$1
if ! git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "Not a git checkout: the release command builds commits." >&2
    exit 77
fi
# The tracked files as they are now, committed nowhere, so that the test sees
# uncommitted changes too; HEAD when there are none.
commit=$(git -C "$root" stash create)
commit=${commit:-HEAD}
version=$(git -C "$root" show "$commit:CMakeLists.txt" |
    sed -n 's/^project(OrvaLoopback VERSION \([0-9.]*\).*/\1/p')
zipName=OrvaLoopback-$version-win-x64.zip

scratch=$(mktemp -d /tmp/orva-release-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# release WORK_DIR DIST_DIR [NAME=VALUE...]
release() {
    local workDir=$1 distDir=$2
    shift 2
    env -u ORVA_SIGN_CERT -u ORVA_SIGN_KEY -u ORVA_SIGN_PASSWORD "$@" \
        ORVA_RELEASE_BUILD_DIR="$workDir" ORVA_DIST_DIR="$distDir" "$root/scripts/release.sh" "$commit"
}

# checkPackage DIST_DIR: the sums verify and cover the zip and the program, and
# the zip holds the program as written beside it and the notes, in that order.
checkPackage() {
    local distDir=$1
    (cd "$distDir" && sha256sum --strict -c SHA256SUMS) || fail "SHA256SUMS does not verify in $distDir"
    [ "$(cut -d' ' -f3 "$distDir/SHA256SUMS")" = "$zipName"$'\n'OrvaLoopback.exe ] ||
        fail "SHA256SUMS does not list exactly $zipName and OrvaLoopback.exe: $(cat "$distDir/SHA256SUMS")"
    /usr/bin/python3 - "$distDir/$zipName" "$distDir/OrvaLoopback.exe" <<'EOF' || fail "zip contents in $distDir"
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
names = archive.namelist()
assert names == ["OrvaLoopback.exe", "使用说明.txt"], names
assert archive.read("OrvaLoopback.exe") == open(sys.argv[2], "rb").read(), "the zip's program differs"
notes = archive.read("使用说明.txt")
assert notes.startswith(b"\xef\xbb\xbf"), "notes without a byte order mark"
text = notes[3:].decode("utf-8")
assert text.count("\n") > 10 and text.count("\n") == text.count("\r\n"), "notes with bare line feeds"
zip_name = sys.argv[1].rsplit("/", 1)[1]
assert "Get-FileHash .\\" + zip_name in text and "@RELEASE_ZIP@" not in text, "notes do not name the zip"
EOF
    /usr/bin/python3 - "$distDir" "$zipName" "$version" <<'EOF' || fail "package manifests in $distDir"
import hashlib, json, re, sys
dist, zip_name, version = sys.argv[1:]
digest = hashlib.sha256(open(dist + "/" + zip_name, "rb").read()).hexdigest()
address = "/releases/download/v%s/%s" % (version, zip_name)
scoop = json.load(open(dist + "/orva-loopback.json", encoding="utf-8"))
assert scoop["version"] == version, scoop["version"]
download = scoop["architecture"]["64bit"]
assert download["hash"] == digest and download["url"].endswith(address), download
winget = {kind: open("%s/Orva.OrvaLoopback%s.yaml" % (dist, kind), encoding="utf-8").read()
          for kind in ("", ".installer", ".locale.zh-CN")}
for kind, text in winget.items():
    assert re.search(r"^PackageVersion: %s$" % re.escape(version), text, re.M), kind
installer = winget[".installer"]
assert re.search(r"^    InstallerSha256: %s$" % digest.upper(), installer, re.M), "installer hash"
assert re.search(r"^    InstallerUrl: https://\S+%s$" % re.escape(address), installer, re.M), "installer address"
assert "RelativeFilePath: OrvaLoopback.exe" in installer and "NestedInstallerType: portable" in installer
EOF
}

buildA=$scratch/a
buildB=$scratch/second/folder/at/another/depth
release "$buildA" "$buildA/dist"
# The second also under another umask, time zone and locale.
(umask 0077 && release "$buildB" "$scratch/dist-b" TZ=Pacific/Kiritimati LC_ALL=POSIX)

for file in OrvaLoopback.exe "$zipName" SHA256SUMS orva-loopback.json Orva.OrvaLoopback.installer.yaml; do
    cmp "$buildA/dist/$file" "$scratch/dist-b/$file" || fail "$file differs between two builds of $commit"
done
checkPackage "$buildA/dist"

program=$buildA/dist/OrvaLoopback.exe
if x86_64-w64-mingw32-objdump -h "$program" | grep -E '\.debug|\.stab'; then
    fail "the program carries debug sections"
fi
if grep -a -o -e "$scratch" -e orva-release-test "$program" | head -n 3 | grep .; then
    fail "the program names its build folder"
fi
/usr/bin/python3 "$root/scripts/check_pe.py" "$program" || fail "the program lacks a mitigation"
/usr/bin/python3 - "$program" "$version" <<'EOF' || fail "the version resource is not $version"
import struct, sys
data = open(sys.argv[1], "rb").read()
parts = [int(part) for part in sys.argv[2].split(".")]
# VS_FIXEDFILEINFO: signature, structure version, file and product version.
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
assert fixed > 0, "no fixed file information"
numbers = struct.unpack_from("<6I", data, fixed)[2:]
expected = ((parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]) * 2
assert numbers == expected, numbers
for key in ("FileVersion", "ProductVersion"):
    text = (key + "\0").encode("utf-16-le")
    at = data.find(text) + len(text)
    at += (4 - at % 4) % 4
    assert data[at:at + 2 * len(sys.argv[2])] == sys.argv[2].encode("utf-16-le"), key
EOF

# Signed with a throwaway self-signed certificate whose key needs a password.
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Orva Loopback release test" \
    -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" \
    -passout pass:throwaway 2>/dev/null
buildC=$scratch/signed
release "$buildC" "$buildC/dist" ORVA_SIGN_CERT="$scratch/cert.pem" ORVA_SIGN_KEY="$scratch/key.pem" \
    ORVA_SIGN_PASSWORD=throwaway
checkPackage "$buildC/dist"
signed=$buildC/dist/OrvaLoopback.exe
verification=$(osslsigncode verify -CAfile "$scratch/cert.pem" -in "$signed" 2>&1) ||
    fail "osslsigncode does not verify the signed program: $verification"
grep -q 'Subject: /CN=Orva Loopback release test' <<<"$verification" || fail "not signed by the given certificate"
grep -q 'Signature verification: ok' <<<"$verification" || fail "signature not verified: $verification"

# The verification above must be able to fail: an unsigned and a changed program.
if osslsigncode verify -CAfile "$scratch/cert.pem" -in "$program" >/dev/null 2>&1; then
    fail "the unsigned release verifies as signed"
fi
cp "$signed" "$scratch/changed.exe"
printf 'X' | dd of="$scratch/changed.exe" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -CAfile "$scratch/cert.pem" -in "$scratch/changed.exe" >/dev/null 2>&1; then
    fail "a changed signed program still verifies"
fi
echo "Reproducible: $(sha256sum "$buildA/dist/$zipName" | cut -d' ' -f1)  $zipName"
