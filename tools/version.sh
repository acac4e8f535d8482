#!/usr/bin/env bash
# Prints the program's version as the top CMakeLists.txt sets it (project's
# VERSION), for the scripts that name the packages.
set -euo pipefail
sed -n 's/^project(klarbrix VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
