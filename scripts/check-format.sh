#!/usr/bin/env bash
# Checks that every C++ source matches the committed .clang-format (Debian's clang-format);
# names the files that do not. Installs clang-format when it is missing.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

install_packages clang-format
cd "$ROOT"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} files match .clang-format"
