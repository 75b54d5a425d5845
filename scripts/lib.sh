# Shell functions shared by the project's scripts: Xvfb, the bus simulator, bounded waits and
# commands, and the counting of test results. Source it after env.sh. Every background process
# it starts is remembered by pid and stopped by pid in vq_cleanup; nothing is killed by name.

VQ_TEST_COM=${VQ_TEST_COM:-$VQ_COM_PORT}
VQ_APP_EXE=${VQ_APP_EXE:-$VQ_BUILD_WIN/VQ4600Utility.exe}
VQ_SIM_EXE=${VQ_SIM_EXE:-$VQ_BUILD_NATIVE/vqbus-sim}
export VQ_TEST_COM VQ_APP_EXE

# One module of each model, in every protocol, at different addresses, all at 9600 baud.
VQ_DEFAULT_BUS=(01,4652GD,ascii,9600 02,4618,chk,9600 03,4624,rtu,9600 04,4637,ascii,9600)

VQ_XVFB_PID=
VQ_SIM_PID=
VQ_SIM_LINK=
VQ_CHILD_PIDS=()

vq_log() { printf '%s: %s\n' "${VQ_SCRIPT_NAME:-${0##*/}}" "$*" >&2; }
vq_die() {
  vq_log "$*"
  exit 1
}

# True while process PID runs. A child that has ended but is not yet reaped (state Z) has ended.
vq_alive() {
  local st
  st=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  st=${st##*) }
  [ "${st%% *}" != Z ]
}

# Waits until FILE exists, at most SECONDS (fractions allowed). Optional PID: give up early when
# that process has ended. Returns 0 when the file is there.
vq_wait_file() {
  local file=$1 seconds=$2 pid=${3:-}
  local ticks=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 20 }')
  local i
  for ((i = 0; i <= ticks; i++)); do
    [ -e "$file" ] && return 0
    if [ -n "$pid" ] && ! vq_alive "$pid"; then
      [ -e "$file" ]
      return
    fi
    sleep 0.05
  done
  return 1
}

# Stops one process by pid: TERM, up to 3 s of grace, then KILL.
vq_stop_pid() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  if vq_alive "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
  fi
  for ((i = 0; i < 60; i++)); do
    vq_alive "$pid" || break
    sleep 0.05
  done
  if vq_alive "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  wait "$pid" 2>/dev/null || true
}

# Runs a command with a time limit, in the background so that a signal to this script reaches
# its trap at once. Output goes to LOG (and, with VQ_ECHO=1, to stderr as it comes).
#   vq_timeout SECONDS LOG CMD ARGS...     returns the command's status, 124 on timeout
vq_timeout() {
  local seconds=$1 log=$2 rc=0 tailpid=
  shift 2
  : >"$log"
  timeout -k 15 "$seconds" "$@" >>"$log" 2>&1 </dev/null &
  local pid=$!
  VQ_CHILD_PIDS+=("$pid")
  if [ "${VQ_ECHO:-1}" = 1 ]; then
    tail -n +1 -s 0.2 -f --pid="$pid" "$log" >&2 &
    tailpid=$!
  fi
  wait "$pid" || rc=$?
  [ -z "$tailpid" ] || wait "$tailpid" 2>/dev/null || true
  [ "$rc" -ne 124 ] || vq_log "timed out after ${seconds}s: $*"
  return "$rc"
}

# The path a program under Wine uses for a Unix path: Z: and the path with backslashes.
vq_winpath() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s\n' "${p//\//\\}"
}

# Finds a display number with no X server, starting at FIRST (default VQ_DISPLAY_FIRST or 20),
# starts Xvfb on it and exports DISPLAY. Retries the next number if another script won the race.
vq_xvfb_start() {
  local n=${1:-${VQ_DISPLAY_FIRST:-20}} tries=0
  command -v Xvfb >/dev/null || vq_die "Xvfb is not installed (run scripts/setup)"
  while [ "$tries" -lt 40 ]; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 "${VQ_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 </dev/null &
      VQ_XVFB_PID=$!
      if vq_wait_file "/tmp/.X11-unix/X$n" 10 "$VQ_XVFB_PID" && vq_alive "$VQ_XVFB_PID"; then
        export DISPLAY=":$n"
        VQ_XVFB_DISPLAY=$n
        return 0
      fi
      vq_stop_pid "$VQ_XVFB_PID"
      VQ_XVFB_PID=
    fi
    n=$((n + 1))
    tries=$((tries + 1))
  done
  vq_die "no free X display found"
}

# Lets a Wine session that an earlier script left in the prefix end: its desktop died with that
# script's X server, and a program started while the session winds down is ended with it before
# it prints a line.
vq_wine_settle() { timeout 30 wineserver -w 2>/dev/null || true; }

# Makes the prefix ready for Wine programs on this script's Xvfb; call it with DISPLAY set. After
# vq_wine_settle, once per prefix, Wine's windows become unmanaged: with no window manager Wine
# waits 2 s for every managed window it hides (a dialog, a message box) and shows them without
# captions; unmanaged windows close at once and draw their own.
vq_wine_prepare() {
  vq_wine_settle
  if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
      vq_log "could not make Wine's windows unmanaged; dialogs will close slowly"
  fi
}

# The prefix's screen resolution, HKCU\Control Panel\Desktop LogPixels (96 when unset): every
# Wine program started after vq_wine_set_dpi draws at the new one.
vq_wine_dpi() {
  local value
  value=$(timeout 30 wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null |
    tr -d '\r' | awk '$1 == "LogPixels" { print $3 }')
  echo $((${value:-96}))
}
vq_wine_set_dpi() {
  timeout 30 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
}

# Lets the Wine session of this script end while its display still answers: a session whose X
# server vanished under it dies slowly, and a Wine program the next script starts in the
# meantime joins it and dies with it before its first line. What is still running after 15 s
# (a program a failed test left behind) is ended.
vq_wine_end() {
  timeout 15 wineserver -w 2>/dev/null || timeout 20 wineserver -k 2>/dev/null || true
}

# Stops the Xvfb this script started, after its Wine session.
vq_xvfb_stop() {
  [ -n "$VQ_XVFB_PID" ] || return 0
  vq_wine_end
  vq_stop_pid "$VQ_XVFB_PID"
  VQ_XVFB_PID=
}

# Uses $DISPLAY when it is set, otherwise starts Xvfb; says which.
vq_display_ensure() {
  if [ -n "${DISPLAY:-}" ]; then
    vq_log "using display $DISPLAY"
  else
    vq_xvfb_start "$@"
    vq_log "no display: started Xvfb on $DISPLAY (pid $VQ_XVFB_PID)"
  fi
}

# Starts vqbus-sim on COM$VQ_TEST_COM of $WINEPREFIX with control dir VQ_SIM_CONTROL (made
# fresh when unset) and waits for its ready file. Arguments: modules and --fault/--garbage
# options; without any, the default bus. Exports VQ_SIM_CONTROL and VQ_SIM_LOG.
vq_sim_start() {
  local args=("$@")
  [ ${#args[@]} -gt 0 ] || args=("${VQ_DEFAULT_BUS[@]}")
  if [ -z "${VQ_SIM_CONTROL:-}" ]; then
    VQ_SIM_CONTROL=$(mktemp -d "${TMPDIR:-/tmp}/vq-sim.XXXXXX")
    VQ_SIM_OWN_CONTROL=1
  fi
  VQ_SIM_LOG=${VQ_SIM_LOG:-$VQ_SIM_CONTROL/bus.log}
  export VQ_SIM_CONTROL VQ_SIM_LOG
  VQ_SIM_LINK="$WINEPREFIX/dosdevices/com$VQ_TEST_COM"
  vq_sim_spawn "$VQ_TEST_COM" "$VQ_SIM_CONTROL" "$VQ_SIM_LOG" "${args[@]}"
  VQ_SIM_PID=$VQ_SPAWNED_PID
  if ! vq_wait_file "$VQ_SIM_CONTROL/ready" 10 "$VQ_SIM_PID"; then
    cat "$VQ_SIM_CONTROL/sim.out" >&2 || true
    vq_sim_stop
    vq_die "the simulator did not get ready"
  fi
}

# Starts one more vqbus-sim: COM CONTROL LOG MODULE... (the link COM of $WINEPREFIX, its control
# dir, made when missing, and its bus log); its pid in VQ_SPAWNED_PID. It does not wait for the
# simulator's ready file. A link left by a simulator that ended is removed; a live one is refused.
vq_sim_spawn() {
  local com=$1 control=$2 log=$3
  shift 3
  [ -x "$VQ_SIM_EXE" ] || vq_die "simulator not built yet: $VQ_SIM_EXE"
  mkdir -p "$WINEPREFIX/dosdevices" "$control"
  local link="$WINEPREFIX/dosdevices/com$com"
  if [ -L "$link" ] && [ ! -e "$link" ]; then
    rm -f "$link"
  elif [ -e "$link" ]; then
    vq_die "COM$com is in use ($link exists); choose another VQ_TEST_COM"
  fi
  # The simulator clears ready, ack, state and commands of the directory when it starts.
  "$VQ_SIM_EXE" --link "$link" --control "$control" --log "$log" \
    "$@" >"$control/sim.out" 2>&1 </dev/null &
  VQ_SPAWNED_PID=$!
}

# Sends one control line ("VERB ARGS...") and waits up to 5 s for its ack.
vq_sim_command() {
  local seq=1
  [ ! -f "$VQ_SIM_CONTROL/commands" ] || seq=$(($(wc -l <"$VQ_SIM_CONTROL/commands") + 1))
  printf '%d %s\n' "$seq" "$*" >>"$VQ_SIM_CONTROL/commands"
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(cat "$VQ_SIM_CONTROL/ack" 2>/dev/null)" = "$seq" ] && return 0
    sleep 0.05
  done
  return 1
}

vq_sim_stop() {
  [ -n "$VQ_SIM_PID" ] || return 0
  if vq_alive "$VQ_SIM_PID"; then
    vq_sim_command quit >/dev/null 2>&1 || true
    local i
    for ((i = 0; i < 40; i++)); do
      vq_alive "$VQ_SIM_PID" || break
      sleep 0.05
    done
  fi
  vq_stop_pid "$VQ_SIM_PID"
  VQ_SIM_PID=
  if [ -L "$VQ_SIM_LINK" ] && [ ! -e "$VQ_SIM_LINK" ]; then rm -f "$VQ_SIM_LINK"; fi
  if [ "${VQ_SIM_OWN_CONTROL:-}" = 1 ]; then
    rm -rf "$VQ_SIM_CONTROL"
    unset VQ_SIM_CONTROL VQ_SIM_OWN_CONTROL
  fi
}

# Stops everything this script started. Install with: trap vq_cleanup EXIT; trap 'exit 130' INT TERM
vq_cleanup() {
  local pid
  for pid in "${VQ_CHILD_PIDS[@]}"; do vq_stop_pid "$pid"; done
  VQ_CHILD_PIDS=()
  vq_sim_stop
  vq_xvfb_stop
}
vq_trap_cleanup() {
  trap vq_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

