# Shared settings of the project's scripts. Source it; it sets nothing outside this shell.
VQ_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VQ_CACHE=${VQ_CACHE:-$HOME/.cache/vq4600}
export WINEPREFIX=${WINEPREFIX:-$VQ_CACHE/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
VQ_BUILD_NATIVE=${VQ_BUILD_NATIVE:-$VQ_ROOT/build/native}
VQ_BUILD_WIN=${VQ_BUILD_WIN:-$VQ_ROOT/build/win}
VQ_COM_PORT=${VQ_COM_PORT:-5}
