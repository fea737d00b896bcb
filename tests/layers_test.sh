#!/usr/bin/env bash
# The two layers hold: nothing in src/core includes Qt or src/gui, and src/gui/shared
# includes none of the windows. Prints every include that breaks a rule.
set -uo pipefail
src=$1
status=0
if grep -rnE '#include <Q|#include "gui/' "$src/core"; then
  echo "the core includes Qt or the GUI layer (above)"; status=1
fi
if grep -rnE '#include "gui/' "$src/gui/shared" | grep -v '"gui/shared/'; then
  echo "the shared GUI layer includes a window (above)"; status=1
fi
exit $status
