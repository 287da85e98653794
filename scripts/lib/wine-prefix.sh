# Shared by wine-run and wine-prefix: where the Wine prefix is, and making it.
#
# The prefix is CALENDAR_WINEPREFIX, or by default /var/cache/calendar-import/wine (root)
# or ~/.cache/calendar-import/wine. It is made once and kept.

export WINEDEBUG=-all WINEARCH=win64
# No offer to install Mono or Gecko (a dialog, and nothing here needs them), and no menu
# entries or file associations written into the user's desktop folders outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

# Bounds for a first start on a loaded two-core machine (about 10 s when idle).
WINE_PREFIX_MAKE_SECONDS=${WINE_PREFIX_MAKE_SECONDS:-600}
WINE_PREFIX_LOCK_SECONDS=$((WINE_PREFIX_MAKE_SECONDS + 60))

wine_prefix_path() {
  if [ -n "${CALENDAR_WINEPREFIX:-}" ]; then
    echo "$CALENDAR_WINEPREFIX"
  elif [ "$(id -u)" -eq 0 ]; then
    echo /var/cache/calendar-import/wine
  else
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/calendar-import/wine"
  fi
}

wine_prefix_ready() { [ -f "$1/system.reg" ]; }

# Makes the prefix PREFIX in a folder of its own and moves it into place only when
# complete, so an interrupted first start leaves nothing that looks usable. Several runs
# may start at once (ctest -j): one makes the prefix, the others wait for it, each wait
# bounded. Returns non-zero, with the reason on standard error, when it cannot.
make_wine_prefix() {
  local prefix=$1
  mkdir -p "$(dirname "$prefix")" || return 1
  (
    flock -w "$WINE_PREFIX_LOCK_SECONDS" 9 ||
      { echo "wine-prefix: another run has been making $prefix for over ${WINE_PREFIX_LOCK_SECONDS}s" >&2; exit 1; }
    wine_prefix_ready "$prefix" && exit 0
    local fresh="$prefix.new.$$"
    # Left over from runs that were interrupted while making it.
    rm -rf "$prefix".new.* "$prefix"
    # Without a display wineboot cannot show its progress window; it works all the same.
    if ! WINEPREFIX=$fresh timeout -k 10 "$WINE_PREFIX_MAKE_SECONDS" wineboot -i >"$fresh.log" 2>&1 ||
       ! WINEPREFIX=$fresh timeout -k 10 "$WINE_PREFIX_MAKE_SECONDS" wineserver -w; then
      echo "wine-prefix: making the Wine prefix $prefix failed or took over ${WINE_PREFIX_MAKE_SECONDS}s; wineboot said:" >&2
      cat "$fresh.log" >&2
      WINEPREFIX=$fresh wineserver -k 2>/dev/null
      rm -rf "$fresh" "$fresh.log"
      exit 1
    fi
    rm -f "$fresh.log"
    mv "$fresh" "$prefix"
  ) 9>"$prefix.lock"
}
