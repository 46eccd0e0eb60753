#!/usr/bin/env bash
# Installs the build into a staging folder and follows every link and picture of the installed
# user guide. Exit 77 (skipped) when the only faults are missing pictures of the desktop
# application, which scripts/make-screenshots makes.
# Environment: CMAKE, BUILD, STAGE, CHECK_GUIDE.
set -euo pipefail
rm -rf "$STAGE"
DESTDIR=$STAGE "$CMAKE" --install "$BUILD" --prefix /usr >/dev/null
exec python3 "$CHECK_GUIDE" "$STAGE/usr/share/vardex/guide"
