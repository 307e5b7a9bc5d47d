# Sourced by the browser check scripts with their arguments [BUILD_DIR]
# [PAGES_DIR]: sets root (the repository), pages and clean (the
# pelloran-clean to run), or stops with status 2 when either is missing.
# BUILD_DIR defaults to build/, PAGES_DIR to the shared corpus's pages/
# beside the repository. A script that sets pages_optional needs no pages.
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
pages="${2:-$root/../shared/corpus/pages}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -n "${pages_optional:-}" ] || [ -d "$pages" ] || { echo "no pages at $pages" >&2; exit 2; }
