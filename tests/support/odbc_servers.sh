#!/usr/bin/env bash
# Starts and stops the database servers the ODBC tests read through:
#
#   odbc_servers.sh start STATE_FILE DATABASES_DIR   a PostgreSQL 15 server of its own and a
#                                                    SQLite file, both loaded with the rows of
#                                                    the test Access files
#   odbc_servers.sh stop STATE_FILE                  stops the server and removes its folder
#
# The server runs in a new folder under /tmp, listens on a free port of 127.0.0.1 only and
# asks for a password. PostgreSQL refuses to run as root: when the tests run as root, every
# server program runs as the system user `postgres` (which Debian's postgresql-15 package
# creates) through `runuser`. STATE_FILE receives the two connection strings and the folder,
# as KEY=VALUE lines; `stop` reads the folder from it, so it cleans up whatever `start` left.
set -euo pipefail

pg_bin=/usr/lib/postgresql/15/bin

as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

stop() {
  local state=$1 dir
  [ -f "$state" ] || return 0
  dir=$(sed -n 's/^FOLDER=//p' "$state")
  if [ -n "$dir" ] && [ -d "$dir/data" ]; then
    as_server_user "$pg_bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  case "$dir" in /tmp/zendra-odbc.*) rm -rf "$dir" ;; esac
  rm -f "$state"
}

# A port nothing listens on yet (bash's /dev/tcp connects, or fails when the port is free).
free_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

# The Access tables as PostgreSQL and SQLite see them: names as in the Access file, Double
# columns as 8-byte floats in both.
schema() {
  mdb-schema --no-relations --no-indexes --no-not-null "$1" sqlite | grep -v '^--'
}

load_access_file() {
  local file=$1 dir=$2 port=$3 sqlite=$4 table
  schema "$file" | sed 's/`/"/g; s/\bREAL\b/DOUBLE PRECISION/g; s/\bDateTime\b/TIMESTAMP/g' \
    >"$dir/schema.sql"
  psql_run -f "$dir/schema.sql"
  schema "$file" | sqlite3 "$sqlite"
  while IFS= read -r table; do
    [ -n "$table" ] || continue
    mdb-export "$file" "$table" >"$dir/rows.csv"
    # An unquoted empty field is a Null in PostgreSQL's CSV.
    psql_run -c "\\copy \"$table\" FROM '$dir/rows.csv' WITH (FORMAT csv, HEADER true)"
    { echo "BEGIN;"; mdb-export -I sqlite -q "'" -S 500 "$file" "$table"; echo "COMMIT;"; } |
      sqlite3 "$sqlite"
  done < <(mdb-tables -1 "$file")
}

start() {
  local state=$1 databases=$2 dir port password sqlite
  stop "$state"
  dir=$(mktemp -d /tmp/zendra-odbc.XXXXXX)
  chmod 755 "$dir"
  password="test-$RANDOM$RANDOM"
  printf '%s\n' "$password" >"$dir/password"
  if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir" "$dir/password"; fi
  printf 'FOLDER=%s\n' "$dir" >"$state"

  as_server_user "$pg_bin/initdb" -D "$dir/data" -U zendra --pwfile="$dir/password" \
    --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; return 1; }
  local started=0
  for _ in 1 2 3; do
    port=$(free_port)
    if as_server_user "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c full_page_writes=off" \
      start >/dev/null; then
      started=1
      break
    fi
  done
  [ "$started" -eq 1 ] || { cat "$dir/server.log" >&2; return 1; }

  export PGPASSWORD=$password PGHOST=127.0.0.1 PGPORT=$port PGUSER=zendra
  psql_run() { psql -X -q -v ON_ERROR_STOP=1 -d zendra "$@" >/dev/null; }
  psql -X -q -v ON_ERROR_STOP=1 -d postgres -c "CREATE DATABASE zendra" >/dev/null

  sqlite="$dir/stats.sqlite"
  rm -f "$sqlite"
  load_access_file "$databases/stats.mdb" "$dir" "$port" "$sqlite"
  load_access_file "$databases/facts100k.mdb" "$dir" "$port" "$sqlite"

  # What the Access file holds beside its tables: the select query and the relations; and
  # things a statement could try to change the server with.
  psql_run <<'SQL'
CREATE VIEW "PersonsSince2022" AS
  SELECT "Region", "Sex", "Year", "Income" FROM "Persons" WHERE "Year" >= '2022';
ALTER TABLE "Regions" ADD PRIMARY KEY ("Code");
ALTER TABLE "Sexes" ADD PRIMARY KEY ("Code");
ALTER TABLE "Persons" ADD FOREIGN KEY ("Region") REFERENCES "Regions" ("Code");
ALTER TABLE "Persons" ADD FOREIGN KEY ("Sex") REFERENCES "Sexes" ("Code");
CREATE SEQUENCE counter;
CREATE FUNCTION forget_persons() RETURNS integer AS
  'DELETE FROM "Persons"; SELECT 1' LANGUAGE sql;
SQL
  # A second database whose tables lie in two schemas.
  psql -X -q -v ON_ERROR_STOP=1 -d postgres -c "CREATE DATABASE zendra_schemas" >/dev/null
  psql_run -d zendra_schemas <<'SQL'
CREATE SCHEMA archive;
CREATE TABLE public."Persons" ("Region" varchar(10), "Income" double precision);
CREATE TABLE archive."Persons" ("Region" varchar(10), "Income" double precision);
INSERT INTO public."Persons" VALUES ('01', 1.5), ('01', 2.5), ('03', 4);
INSERT INTO archive."Persons" VALUES ('01', 10);
SQL
  sqlite3 "$sqlite" 'CREATE VIEW "PersonsSince2022" AS
    SELECT "Region", "Sex", "Year", "Income" FROM "Persons" WHERE "Year" >= '"'2022'"';'

  {
    printf 'FOLDER=%s\n' "$dir"
    printf 'POSTGRESQL=Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%s;Database=zendra;Uid=zendra;Pwd=%s\n' \
      "$port" "$password"
    printf 'POSTGRESQL_SCHEMAS=Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%s;Database=zendra_schemas;Uid=zendra;Pwd=%s\n' \
      "$port" "$password"
    printf 'POSTGRESQL_PORT=%s\n' "$port"
    printf 'POSTGRESQL_PASSWORD=%s\n' "$password"
    printf 'SQLITE=Driver={SQLite3};Database=%s\n' "$sqlite"
  } >"$state"
}

case "${1:-}" in
  start) start "$2" "$3" ;;
  stop) stop "$2" ;;
  *)
    echo "usage: $0 start STATE_FILE DATABASES_DIR | stop STATE_FILE" >&2
    exit 2
    ;;
esac
