#!/usr/bin/env bash
# Prints one line that names the state of the sources: a hash of the commit, of every change to
# the files git tracks and of every file it neither tracks nor ignores. Equal lines mean equal
# sources. Prints nothing outside a git work tree.
set -euo pipefail
cd "$(dirname "$0")/.."

git rev-parse --is-inside-work-tree >/dev/null 2>&1 || exit 0
{
  git rev-parse HEAD
  git diff HEAD --binary
  git ls-files --others --exclude-standard -z | xargs -0r sha256sum --
} | sha256sum | cut -d' ' -f1
