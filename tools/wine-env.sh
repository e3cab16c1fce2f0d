# Sourced by the Wine tools: the environment of a project Wine prefix.
# Usage: . tools/wine-env.sh ARCH PREFIX   (ARCH is win64 or win32)
dorva_arch=$1
export WINEPREFIX=$(readlink -m "$2")
export WINEARCH=$dorva_arch
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A default prefix links Desktop and Documents to $HOME: keep all of it inside.
dorva_home=$WINEPREFIX.home
mkdir -p "$dorva_home"
export HOME=$dorva_home
export XDG_CONFIG_HOME=$dorva_home/.config XDG_DATA_HOME=$dorva_home/.local/share
export XDG_CACHE_HOME=$dorva_home/.cache XDG_DESKTOP_DIR=$dorva_home/Desktop
if [ "$dorva_arch" = win32 ]; then
    DORVA_WINE=/usr/lib/wine/wine
    [ -x "$DORVA_WINE" ] || DORVA_WINE=$(command -v wine || echo /usr/bin/wine)
else
    DORVA_WINE=/usr/lib/wine/wine64
    [ -x "$DORVA_WINE" ] || DORVA_WINE=$(command -v wine64 || command -v wine)
fi
DORVA_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export DORVA_WINE DORVA_WINESERVER
