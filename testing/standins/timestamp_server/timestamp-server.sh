#!/usr/bin/env bash
# timestamp-server.sh start|stop DIR
# start: a time-stamp authority of its own in DIR (a self-signed certificate for time stamping,
#        DIR/tsa.pem, which verifiers are told to trust) and its RFC 3161 server on 127.0.0.1
#        (timestamp_http.py, `openssl ts -reply` behind plain HTTP); prints the server's address.
#        Nothing leaves the machine.
# stop:  ends the server by its PID (DIR/server.pid).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:?usage: timestamp-server.sh start|stop DIR}
dir=${2:?usage: timestamp-server.sh start|stop DIR}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

alive() { [ -f "$dir/server.pid" ] && kill -0 "$(cat "$dir/server.pid")" 2>/dev/null; }
wait_for() {  # wait_for SECONDS COMMAND...: polls until COMMAND succeeds; fails after SECONDS
  local limit=$(( $1 * 10 )); shift
  for (( i = 0; i < limit; i++ )); do "$@" && return 0; sleep 0.1; done
  return 1
}

stop() {
  if alive; then
    kill "$(cat "$dir/server.pid")" 2>/dev/null || true
    wait_for 10 bash -c "! kill -0 $(cat "$dir/server.pid") 2>/dev/null" ||
      kill -9 "$(cat "$dir/server.pid")" 2>/dev/null || true
  fi
  rm -f "$dir/server.pid" "$dir/port"
}

case $cmd in
  start)
    stop
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=ORB test time-stamp authority" \
      -addext "extendedKeyUsage=critical,timeStamping" -addext "keyUsage=critical,digitalSignature" \
      -keyout "$dir/tsa.key" -out "$dir/tsa.pem" 2>/dev/null
    echo 01 >"$dir/serial"
    cat >"$dir/tsa.cnf" <<CNF
[ tsa ]
default_tsa = orb_test_tsa
[ orb_test_tsa ]
dir = $dir
serial = \$dir/serial
signer_cert = \$dir/tsa.pem
signer_key = \$dir/tsa.key
certs = \$dir/tsa.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.4146.2.3
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
    python3 "$here/timestamp_http.py" "$dir" >>"$dir/log" 2>&1 &
    echo $! >"$dir/server.pid"
    wait_for 30 test -s "$dir/port" || { echo "timestamp-server: no server" >&2; cat "$dir/log" >&2; stop; exit 1; }
    echo "http://127.0.0.1:$(cat "$dir/port")/"
    ;;
  stop) stop ;;
  *) echo "usage: timestamp-server.sh start|stop DIR" >&2; exit 2 ;;
esac
