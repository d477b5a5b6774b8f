#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor with the given files.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"
exec "$here/build/penwright" "$@"
