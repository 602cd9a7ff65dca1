#!/usr/bin/env bash
# Configures and builds the project with Ninja into build/ (inside the build root when the
# machine's own Qt is older than 6.8).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
exec "$here/buildroot.sh" bash -c "
set -euo pipefail
cd '$project'
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j 2
"
