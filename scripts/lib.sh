# Helpers shared by the scripts in this folder. Sourced, never run.
# shellcheck shell=bash

# shellcheck disable=SC2034  # the variables here are for the sourcing scripts
IMPC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
IMPC_FB_PORT=3050
IMPC_FB_PIDFILE=${IMPC_FB_PIDFILE:-/tmp/impc-firebird.pid}
IMPC_FB_LOG=${IMPC_FB_LOG:-/tmp/impc-firebird.log}
# The shop administrator every script uses; setup makes the server accept it.
IMPC_DBA_USER=SYSDBA
IMPC_DBA_PASSWORD=masterkey

# Embedded Firebird keeps its lock files in /tmp/firebird, which only root and
# user firebird may write; anyone else needs a lock folder of their own.
if [[ $EUID -ne 0 && -z ${FIREBIRD_LOCK:-} ]]; then
  export FIREBIRD_LOCK=/tmp/impc-firebird-lock-$EUID
  mkdir -p "$FIREBIRD_LOCK"
fi

say() { printf '%s: %s\n' "$(basename "$0")" "$*"; }
die() {
  say "$*" >&2
  exit 1
}

need_root() {
  [[ $EUID -eq 0 ]] || die "$1 needs root"
}

# True when something accepts connections on the Firebird port.
fb_answers() {
  (exec 3<>"/dev/tcp/127.0.0.1/$IMPC_FB_PORT") 2>/dev/null
}

# True while pid names a live (not zombie) process.
pid_alive() {
  local state
  [[ -r /proc/$1/stat ]] || return 1
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [[ -n $state && $state != Z ]]
}

# A text as an SQL string literal, every single quote doubled.
sql_quote() {
  local q="'"
  printf "'%s'" "${1//$q/$q$q}"
}

# isql-fb as the administrator. Always UTF8: the SQL files are UTF-8 and a
# connection without a character set would store their accents as mojibake.
fb_isql() {
  isql-fb -q -b -ch UTF8 -user "$IMPC_DBA_USER" -password "$IMPC_DBA_PASSWORD" "$@"
}

# create_database DSN SQLFILE... : drops the database at DSN when it exists,
# creates it anew and runs the SQL files into it, in order. DSN is either a
# plain path (embedded) or localhost:/path (through the server).
create_database() {
  local dsn=$1 file sql
  shift
  file=${dsn#localhost:}
  if [[ -e $file ]]; then
    echo 'drop database;' | fb_isql "$dsn" \
      || die "cannot replace $file; is a program still using it?"
  fi
  printf 'create database %s user %s password %s page_size 8192 default character set WIN1252;\n' \
    "$(sql_quote "$dsn")" "$(sql_quote "$IMPC_DBA_USER")" "$(sql_quote "$IMPC_DBA_PASSWORD")" \
    | isql-fb -q -b -ch UTF8 \
    || die "cannot create $dsn"
  for sql in "$@"; do
    fb_isql -i "$sql" "$dsn" || die "$sql failed on $dsn"
  done
}

# Firebird for a run of test phases: started when nothing answers yet and then
# stopped by fb_stop_if_started_here, so a server someone else runs is left
# alone and a caller that started one keeps it for all its phases.
IMPC_FB_STARTED_HERE=false
fb_start_if_needed() {
  if fb_answers; then return 0; fi
  IMPC_FB_STARTED_HERE=true
  "$IMPC_ROOT/scripts/firebird-start"
}
fb_stop_if_started_here() {
  if $IMPC_FB_STARTED_HERE; then "$IMPC_ROOT/scripts/firebird-stop" || true; fi
}

# Needs a running server: makes the template databases the suites copy and
# exports the environment they read (the contract of tests/support/testshop.h).
prepare_test_environment() {
  # Made through the server so that user firebird owns them; world-writable so
  # that a copy a test makes as another user still opens through the server.
  export IMPC_TEMPLATE_DIR=${IMPC_TEMPLATE_DIR:-/tmp/impc-template}
  install -d -o firebird -g firebird -m 0775 "$IMPC_TEMPLATE_DIR"
  rm -f "$IMPC_TEMPLATE_DIR"/{general,vemtrax,demo}.fdb
  create_database "localhost:$IMPC_TEMPLATE_DIR/general.fdb" "$IMPC_ROOT/db/general.sql"
  create_database "localhost:$IMPC_TEMPLATE_DIR/vemtrax.fdb" "$IMPC_ROOT/db/company.sql"
  create_database "localhost:$IMPC_TEMPLATE_DIR/demo.fdb" "$IMPC_ROOT/db/company.sql" "$IMPC_ROOT/db/demo.sql"
  chown firebird:firebird "$IMPC_TEMPLATE_DIR"/{general,vemtrax,demo}.fdb
  chmod 0666 "$IMPC_TEMPLATE_DIR"/{general,vemtrax,demo}.fdb

  # Tests make their own folders in here; the server must create and open
  # files in them.
  export IMPC_TEST_ROOT=${IMPC_TEST_ROOT:-/tmp/impc-tests}
  mkdir -p "$IMPC_TEST_ROOT"
  chmod 0777 "$IMPC_TEST_ROOT"

  export IMPC_FB_HOST=localhost
  export IMPC_DB_USER=$IMPC_DBA_USER
  export IMPC_DB_PASSWORD=$IMPC_DBA_PASSWORD
  export QT_QPA_PLATFORM=offscreen
  export XDG_RUNTIME_DIR=/tmp/impc-runtime-$EUID
  install -d -m 0700 "$XDG_RUNTIME_DIR"
}
