# Sourced by the test scripts: strict mode, and `fail MESSAGE`, which ends the test with MESSAGE.
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
