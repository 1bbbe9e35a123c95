#!/usr/bin/env bash
# Every product source under src/ also compiles with Debian's clang for the
# same Windows target, against the same MinGW-w64 and libstdc++ headers, with
# the real build's defines and warnings and not one warning: a second compiler
# catches what GCC lets through. Compile only: linking clang's output against
# the posix-thread runtime is a project of its own.
#
#   clang_check.sh SOURCE_ROOT MINGW_CXX CXX_STANDARD DEFINITION...
set -euo pipefail

root=$1
mingwCxx=$2
standard=$3
shift 3
definitions=("${@/#/-D}")

target=$("$mingwCxx" -dumpmachine)
# libstdc++'s headers sit in the cross compiler's own include folder, where
# clang does not look by itself.
gccInclude=$("$mingwCxx" -print-file-name=include)

mapfile -t sources < <(cd "$root" && find src -name '*.cpp' | LC_ALL=C sort)
if [ ${#sources[@]} -eq 0 ]; then
    echo "No sources under $root/src" >&2
    exit 1
fi

failed=()
for source in "${sources[@]}"; do
    if ! clang++ --target="$target" -fsyntax-only -std=c++"$standard" -Wall -Wextra -Werror \
        "${definitions[@]}" -isystem "$gccInclude/c++" -isystem "$gccInclude/c++/$target" \
        -I "$root/src" "$root/$source"; then
        failed+=("$source")
    fi
done

echo "clang $(clang++ -dumpversion), $target: ${#sources[@]} sources checked"
if [ ${#failed[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
