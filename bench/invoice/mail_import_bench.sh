#!/usr/bin/env bash
# Order-mail import against a local Dovecot: a mailbox of 5,000 messages, 1,000
# of them order mails. Prints the first import run next to the time curl needs
# to RETR every message from the same server (the transfer limit), and the
# second run, which should only list what it already knows. When the window
# benchmark is built, the same two runs go through the import window too.
#
#   bench/invoice/mail_import_bench.sh BUILD_DIR [MESSAGES] [ORDERS]
#
# Targets: first run within 1.5x of the transfer limit; second run under 5 %
# of the first. Runs as root (Dovecot then serves the mail as its own user) or
# as an ordinary user. Starts and stops its own server on 127.0.0.1.
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR [MESSAGES] [ORDERS]}")
messages=${2:-5000}
orders=${3:-1000}
program="$build/bin/rechtool/vq_bestell_rechnung"
template="$build/bin/rechtool/datenbank.tdb"
[[ -x $program && -f $template ]] || { echo "build first: $program" >&2; exit 2; }

work=$(mktemp -d)
chmod 755 "$work"
dovecot_pid=
cleanup() {
  # Only the server this script started, by its process id.
  if [[ -n $dovecot_pid ]]; then kill "$dovecot_pid" 2>/dev/null || true; wait "$dovecot_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
if [[ $(id -u) == 0 ]]; then
  mail_uid=$(id -u dovecot); mail_gid=$(id -g dovecot); login_user=dovenull; internal_user=dovecot
else
  mail_uid=$(id -u); mail_gid=$(id -g); login_user=$(id -un); internal_user=$(id -un)
fi
mkdir -p "$work"/{run,state} "$work/home/shop/Maildir"/{new,cur,tmp}
echo 'shop:{PLAIN}geheim::::::' > "$work/passwd"
chmod 644 "$work/passwd"
cat > "$work/dovecot.conf" <<CONF
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
base_dir = $work/run
state_dir = $work/state
log_path = $work/dovecot.log
instance_name = vq-bench-$port
default_login_user = $login_user
default_internal_user = $internal_user
first_valid_uid = 1
first_valid_gid = 1
mail_location = maildir:~/Maildir
pop3_uidl_format = %08Xu%08Xv
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $work/passwd
}
userdb {
  driver = static
  args = uid=$mail_uid gid=$mail_gid home=$work/home/%u
}
# Login and mail processes started ahead, as a busy server keeps them.
service pop3-login {
  inet_listener pop3 {
    port = $port
  }
  inet_listener pop3s {
    port = 0
  }
  service_count = 0
  process_min_avail = 1
}
service pop3 {
  process_min_avail = 2
}
CONF

echo "Writing $messages messages ($orders order mails) ..."
python3 - "$work/home/shop/Maildir/cur" "$messages" "$orders" <<'PY'
import base64, sys
folder, total, orders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def b(s): return base64.b64encode(s.encode('cp1252')).decode()
step = total // orders if orders else total + 1
filler = ('Lorem ipsum dolor sit amet, consectetur adipiscing elit. ' * 30 + '\n') * 3
for n in range(1, total + 1):
    order = orders and n % step == 0 and n // step <= orders
    if order:
        arts = ''.join('<article><articleNumber>%s</articleNumber><articleName>%s</articleName><price>%s</price>'
                       '<vat>%s</vat><amount>%s</amount><options><option name="%s" price="1.50">%s</option></options>'
                       '</article>' % (b('A-%d' % i), b('Artikel %d' % i), b('19.90'), b('19'), b('2'), b('Größe'), b('XL'))
                       for i in range(3))
        body = ('<?xml version="1.0"?>\n<order><formdata><uuid>bench-%d</uuid><timestamp>%d</timestamp>'
                '<Vorname>%s</Vorname><Nachname>%s</Nachname><company>192.0.2.1</company></formdata>'
                '<articles>%s</articles></order>\n') % (n, 1700000000 + n, b('Jürgen'), b('Müller'), arts)
        subject = 'Bestellung VQBESTMAIL %d' % n
    else:
        body = filler
        subject = 'Newsletter %d' % n
    mail = ('From: Absender <sender%d@example.org>\nTo: shop@example.org\nSubject: %s\n'
            'Date: Mon, 15 Jan 2024 10:00:00 +0100\nMIME-Version: 1.0\n'
            'Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n%s') % (n, subject, body)
    data = mail.encode('utf-8')
    # Named as Dovecot's own delivery names them: with the size (S=) and the
    # size with CR LF line ends (W=), which POP3 reports without reading the file.
    name = '%d.M%dP1.bench,S=%d,W=%d:2,' % (1700000000 + n, n, len(data), len(data) + data.count(b'\n'))
    with open('%s/%s' % (folder, name), 'wb') as f:
        f.write(data)
PY
chown -R "$mail_uid:$mail_gid" "$work/home"

/usr/sbin/dovecot -F -c "$work/dovecot.conf" &
dovecot_pid=$!
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.05
done

database="$work/datenbank.db"
now() { date +%s.%N; }
elapsed() { python3 -c "print(f'{$(now) - $1:.3f}')"; }

# Transfer limit: one curl, one connection, RETR of every message.
for n in $(seq "$messages"); do echo "url = \"pop3://127.0.0.1:$port/$n\""; done > "$work/urls"
retr_all() { curl -s -u shop:geheim -K "$work/urls" > /dev/null; }

run_import() {
  XDG_DATA_HOME="$work" "$program" --import --client 1 --database "sqlite://$database" > "$work/out.txt"
  tail -1 "$work/out.txt"
}

# The machine may be shared: each figure is the best of several rounds, each
# round with a fresh database.
rounds=${VQ_BENCH_ROUNDS:-3}
limits=(); firsts=(); seconds=()
for round in $(seq "$rounds"); do
  start=$(now); retr_all; limits+=("$(elapsed "$start")")
  rm -f "$database" "$database-wal" "$database-shm"
  cp "$template" "$database"
  sqlite3 "$database" "INSERT INTO Mandant (Mandant_Firma, Mandant_POP3, Mandant_Port, Mandant_Username, Mandant_Password)
                       VALUES ('Bench', '127.0.0.1', $port, 'shop', 'geheim');"
  start=$(now); summary1=$(run_import); firsts+=("$(elapsed "$start")")
  start=$(now); summary2=$(run_import); seconds+=("$(elapsed "$start")")
  echo "round $round: limit ${limits[-1]} s, first run ${firsts[-1]} s, second run ${seconds[-1]} s"
done

stored=$(sqlite3 "$database" "SELECT COUNT(*) FROM Bestellung")

# The import window on the same mailbox, into a fresh database: a first run
# storing every order, then a run that lists what it knows.
window_bench="$build/bench/invoice/bench_import_window"
if [[ -x $window_bench ]]; then
  rm -f "$database" "$database-wal" "$database-shm"
  cp "$template" "$database"
  sqlite3 "$database" "INSERT INTO Mandant (Mandant_Firma, Mandant_POP3, Mandant_Port, Mandant_Username, Mandant_Password)
                       VALUES ('Bench', '127.0.0.1', $port, 'shop', 'geheim');"
  XDG_DATA_HOME="$work" "$window_bench" "sqlite://$database" 1 2
fi
python3 - "$messages" "$orders" "$stored" "$summary1" "$summary2" "${limits[*]}" "${firsts[*]}" "${seconds[*]}" <<'PY'
import sys
messages, orders, stored, s1, s2 = sys.argv[1:6]
limit, first, second = (min(float(x) for x in v.split()) for v in sys.argv[6:9])
print(f"mailbox: {messages} messages, {orders} order mails; orders stored: {stored} (best of each over the rounds)")
print(f"curl RETR of all messages (transfer limit): {limit:8.3f} s")
print(f"first import run:                           {first:8.3f} s  = {first/limit:5.2f} x limit  (target <= 1.5)  [{s1}]")
print(f"second import run:                          {second:8.3f} s  = {100*second/first:5.1f} % of first (target < 5 %)  [{s2}]")
PY
