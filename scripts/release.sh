#!/usr/bin/env bash
# Builds a release from a commit (HEAD unless one is named), never from
# uncommitted files: a clean export of the commit, built with the "release"
# preset (stripped, no link time, no build paths). Writes to dist/:
#
#   OrvaLoopback-<version>-win-x64.zip   OrvaLoopback.exe and 使用说明.txt
#   OrvaLoopback.exe                     the program, as in the zip
#   SHA256SUMS                           both, for sha256sum -c or Get-FileHash
#   orva-loopback.json                   a Scoop manifest of the zip
#   Orva.OrvaLoopback*.yaml              a winget manifest set of the zip
#
# The manifests name the zip by its address on the Releases page of the GitHub
# repository ORVA_RELEASE_REPOSITORY (OWNER/REPO; by default the one the git
# remote "origin" names) and by its SHA-256.
#
# The version is the one in project() of the commit's CMakeLists.txt.
#
# When ORVA_SIGN_CERT and ORVA_SIGN_KEY name a PEM certificate (with its chain)
# and private key (ORVA_SIGN_PASSWORD when the key is encrypted), the program is
# signed with osslsigncode before it is zipped and summed; without them the
# release is unsigned. An unsigned release of a commit is the same to the byte
# wherever and whenever it is built.
#
# As root on Debian 12:  scripts/release.sh [COMMIT]
# ORVA_RELEASE_BUILD_DIR names another work folder than build-dist/ (its source/,
# build/ and package/ are replaced on every run), ORVA_DIST_DIR another output
# folder than dist/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/install-packages.sh"

commit=$(git rev-parse --verify "${1:-HEAD}^{commit}")
workDir=${ORVA_RELEASE_BUILD_DIR:-$root/build-dist}
distDir=${ORVA_DIST_DIR:-$root/dist}
signCert=${ORVA_SIGN_CERT:-}
signKey=${ORVA_SIGN_KEY:-}
originUrl=$(git remote get-url origin 2>/dev/null || true)
repository=${ORVA_RELEASE_REPOSITORY:-$(sed -n 's#^.*github\.com[:/]\([^/]*/[^/]*\)$#\1#p' <<<"$originUrl" | sed 's/\.git$//')}
repository=${repository:-OWNER/REPO}

if { [ -n "$signCert" ] && [ -z "$signKey" ]; } || { [ -z "$signCert" ] && [ -n "$signKey" ]; }; then
    echo "Signing needs both ORVA_SIGN_CERT and ORVA_SIGN_KEY." >&2
    exit 2
fi

sourceDir=$workDir/source
buildDir=$workDir/build
packageDir=$workDir/package
buildLog=$workDir/build.log
rm -rf "$sourceDir" "$buildDir" "$packageDir"
mkdir -p "$sourceDir" "$packageDir" "$distDir"

echo "Building $(git log -1 --format='%h %s' "$commit") (log: $buildLog)"
git archive --format=tar "$commit" | tar -x -C "$sourceDir"
if ! { (cd "$sourceDir" && cmake --preset release -B "$buildDir") &&
    cmake --build "$buildDir" --target OrvaLoopback; } >"$buildLog" 2>&1; then
    tail -n 30 "$buildLog" >&2
    exit 1
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$buildDir/CMakeCache.txt")
zipName=OrvaLoopback-$version-win-x64.zip
program=$packageDir/OrvaLoopback.exe
notes=$packageDir/使用说明.txt

if [ -n "$signCert" ]; then
    passwordArguments=()
    if [ -n "${ORVA_SIGN_PASSWORD:-}" ]; then
        # Handed over in a file only root can read: a password on the command
        # line is visible to every user of the machine.
        passwordFile=$(mktemp)
        trap 'rm -f "$passwordFile"' EXIT
        printf '%s' "$ORVA_SIGN_PASSWORD" >"$passwordFile"
        passwordArguments=(-readpass "$passwordFile")
    fi
    osslsigncode sign -certs "$signCert" -key "$signKey" "${passwordArguments[@]}" \
        -h sha256 -n "Orva Loopback" -in "$buildDir/OrvaLoopback.exe" -out "$program" >>"$buildLog" 2>&1 ||
        { tail -n 5 "$buildLog" >&2; exit 1; }
    signing="signed with $(openssl x509 -in "$signCert" -noout -subject)"
else
    cp "$buildDir/OrvaLoopback.exe" "$program"
    signing="unsigned (set ORVA_SIGN_CERT and ORVA_SIGN_KEY to sign)"
fi

# Notepad on older Windows reads UTF-8 only with a byte order mark, and CR LF
# line ends show as lines everywhere.
{
    printf '\357\273\277'
    sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//' -e "s/@RELEASE_ZIP@/$zipName/g" -e 's/$/\r/' \
        "$sourceDir/res/使用说明.txt"
} >"$notes"

rm -f "$distDir"/OrvaLoopback-*-win-x64.zip "$distDir/OrvaLoopback.exe" "$distDir/SHA256SUMS" \
    "$distDir/orva-loopback.json" "$distDir"/Orva.OrvaLoopback*.yaml
# Debian's own Python, which install-packages.sh provides, whatever else is on PATH.
/usr/bin/python3 "$sourceDir/scripts/release-zip.py" "$distDir/$zipName" "$(git log -1 --format=%ct "$commit")" \
    OrvaLoopback.exe "$program" 使用说明.txt "$notes"
cp "$program" "$distDir/OrvaLoopback.exe"
(cd "$distDir" && sha256sum "$zipName" OrvaLoopback.exe >SHA256SUMS)
zipHash=$(sha256sum "$distDir/$zipName" | cut -d' ' -f1)
/usr/bin/python3 "$sourceDir/scripts/release-manifests.py" "$distDir" "$version" "$repository" "$zipName" "$zipHash"

echo "Release $version, $signing:"
echo "  $distDir/$zipName"
echo "  SHA-256 $zipHash"
echo "  OrvaLoopback.exe $(stat -c %s "$program") bytes"
echo "  Scoop and winget manifests for https://github.com/$repository/releases"
