#!/usr/bin/env bash
# The filter as CUPS runs it: installs the build into a private tree, starts a
# private cupsd on a local domain socket, adds a queue with the shipped PPD and
# a file: device, prints jobs with lp and checks each printer job that the
# queue writes. Needs root (cupsd, its lp user, root-owned filters); exits 77,
# the CTest skip code, otherwise.
#
#   cups_queue_test.sh CMAKE BUILD-DIR SERVERBIN PPD-DIR MKPDF PJLCHECK
#
# QZ_KEEP=1 keeps the work folder (configuration, logs, jobs) for a look.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the private cupsd needs root"
  exit 77
fi
if [ $# -ne 6 ]; then
  echo "usage: $0 CMAKE BUILD-DIR SERVERBIN PPD-DIR MKPDF PJLCHECK" >&2
  exit 2
fi
cmake_cmd=$1 build=$2 serverbin=$3 ppddir=$4 mkpdf=$5 pjlcheck=$6

# An enforced AppArmor profile for cupsd lets it run filters only from the
# system's own folders, never from the private tree that this test builds.
profiles=/sys/kernel/security/apparmor/profiles
if [ -r "$profiles" ] && grep -q '^/usr/sbin/cupsd (enforce)' "$profiles"; then
  echo "FAIL: AppArmor enforces its cupsd profile here; put it in complain mode" \
    "(aa-complain /usr/sbin/cupsd) to run this test"
  exit 1
fi

export PATH="$PATH:/usr/sbin:/sbin"
# The clients' replies and cupsd's log are read in English.
export LC_ALL=C
for tool in cupsd lpadmin lp lpstat cupstestppd cups-config qpdf pdftotext pdfimages; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (run scripts/setup)"; exit 1; }
done

# Bounds of every wait, in tenths of a second.
readonly start_ticks=300 job_ticks=900 stop_ticks=100

umask 022
# A short fixed base keeps the socket path well within its 108-byte limit.
work=$(mktemp -d /tmp/qzcups.XXXXXX)
# cupsd's lp user runs the filters from here, so it must be able to enter.
chmod 0755 "$work"
cupsd_pid=""

log() { echo "cups_queue: $*"; }

stop_cupsd() {
  [ -n "$cupsd_pid" ] || return 0
  kill -TERM "$cupsd_pid" 2>/dev/null || true
  local i
  for ((i = 0; i < stop_ticks; i++)); do
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$cupsd_pid" 2>/dev/null; then
    log "cupsd (pid $cupsd_pid) did not stop; killing it"
    kill -KILL "$cupsd_pid" 2>/dev/null || true
  fi
  wait "$cupsd_pid" 2>/dev/null || true
  cupsd_pid=""
}

cleanup() {
  local status=$?
  if [ "$status" -ne 0 ] && [ -f "$work/log/error_log" ]; then
    echo "---- private cupsd error log: the last job lines ----"
    grep -F '[Job ' "$work/log/error_log" | tail -n 60 || true
    echo "---- private cupsd error log: its tail ----"
    tail -n 20 "$work/log/error_log"
    echo "-------------------------------------------"
  fi
  stop_cupsd
  [ -n "${QZ_KEEP:-}" ] || rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "FAIL: $*"
  exit 1
}

if findmnt -no OPTIONS -T "$work" 2>/dev/null | grep -qw noexec; then
  fail "$work is on a noexec mount; cupsd cannot run filters from there"
fi

# ---- Install the build into a staging tree with its own install rules.

stage="$work/stage"
DESTDIR="$stage" "$cmake_cmd" --install "$build" >/dev/null
filter="$stage$serverbin/filter/qzpdftopjl"
ppd="$stage$ppddir/orvex-vyx.ppd"
[ -f "$filter" ] || fail "the install put no filter at $serverbin/filter/qzpdftopjl"
[ -f "$ppd" ] || fail "the install put no PPD at $ppddir/orvex-vyx.ppd"
[ "$(stat -c '%U %a' "$filter")" = "root 755" ] ||
  fail "installed filter is $(stat -c '%U %a' "$filter"), CUPS wants root and 755"

# The staged server folder becomes the private cupsd's ServerBin: the system's
# filters beside ours, and the system's other helper folders (cups-exec and
# the like) as they are.
private_bin="$stage$serverbin"
system_bin=$(cups-config --serverbin)
[ -d "$system_bin/filter" ] && [ -d "$system_bin/daemon" ] ||
  fail "no CUPS server folders in $system_bin"
for f in "$system_bin"/filter/*; do
  [ "$(basename "$f")" = qzpdftopjl ] || ln -s "$f" "$private_bin/filter/"
done
for d in "$system_bin"/*; do
  [ "$(basename "$d")" = filter ] || ln -s "$d" "$private_bin/"
done

# The PPD passes cupstestppd once its filter is installed.
CUPS_SERVERBIN="$private_bin" cupstestppd "$ppd" >"$work/cupstestppd.txt" 2>&1 || {
  cat "$work/cupstestppd.txt"
  fail "cupstestppd rejects the shipped PPD"
}
log "cupstestppd: $(head -n 1 "$work/cupstestppd.txt")"

# ---- A private cupsd: its own configuration, spool, state, cache, logs and
# temporary folders, a local domain socket only, file: devices allowed.

mkdir -p "$work/etc" "$work/spool" "$work/run" "$work/cache" "$work/log" "$work/out" "$work/home" \
  "$work/in"
socket="$work/run/cupsd.sock"

cat >"$work/etc/cups-files.conf" <<EOF
ServerRoot $work/etc
RequestRoot $work/spool
StateDir $work/run
CacheDir $work/cache
ServerBin $private_bin
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
LogFilePerm 0644
FileDevice Yes
User lp
Group lp
SystemGroup root
EOF

cat >"$work/etc/cupsd.conf" <<EOF
LogLevel debug
MaxLogSize 0
Listen $socket
Browsing No
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" \
  >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!

# The clients talk to the private cupsd only, without any user settings.
export CUPS_SERVER="$socket" HOME="$work/home"
unset LPDEST PRINTER

for ((i = 0; ; i++)); do
  if ! kill -0 "$cupsd_pid" 2>/dev/null; then
    cat "$work/log/cupsd.out"
    cupsd_pid=""
    fail "cupsd exited at start"
  fi
  [ -S "$socket" ] && lpstat -r 2>/dev/null | grep -q "is running" && break
  [ "$i" -lt "$start_ticks" ] || fail "cupsd did not answer within $((start_ticks / 10)) s"
  sleep 0.1
done
log "private cupsd running (pid $cupsd_pid)"

queue=orvex
device="$work/out/$queue.pjl"
lpadmin -p "$queue" -E -v "file://$device" -P "$ppd" 2>&1 | grep -v "deprecated" || true
lpstat -p "$queue" >/dev/null || fail "lpadmin did not add the queue"

# ---- Jobs.

# print_job NAME INPUT [LP-OPTION...]: prints INPUT on the queue, waits for
# the job to end and keeps the printer job as $work/jobs/NAME.pjl.
print_job() {
  local name=$1 input=$2
  shift 2
  rm -f "$device"
  local reply id
  reply=$(lp -d "$queue" -t "$name" "$@" "$input") || fail "$name: lp failed"
  id=$(sed -n 's/^request id is \([^ ]*\) .*/\1/p' <<<"$reply")
  [ -n "$id" ] || fail "$name: no request id in \"$reply\""
  local n=${id##*-} i
  for ((i = 0; ; i++)); do
    lpstat -o "$queue" 2>/dev/null | grep -q "^$id " || break
    [ "$i" -lt "$job_ticks" ] || fail "$name: job $id did not end within $((job_ticks / 10)) s"
    sleep 0.1
  done
  grep -q "\[Job $n\] Job completed" "$work/log/error_log" ||
    fail "$name: job $id did not complete"
  [ -s "$device" ] || fail "$name: job $id wrote no output"
  mkdir -p "$work/jobs"
  cp "$device" "$work/jobs/$name.pjl"
}

# check_job NAME PAGES [HEADER-LINE...]: the printer job is well formed, its
# FSIZ is the size of its PDF part, the PDF part is a valid PDF of PAGES
# pages, and the header holds every HEADER-LINE exactly.
check_job() {
  local name=$1 pages=$2
  shift 2
  local job="$work/jobs/$name.pjl" pdf="$work/jobs/$name.pdf" header="$work/jobs/$name.header"
  "$pjlcheck" "$job" "$pdf" >"$header" || { cat "$header"; fail "$name: bad printer job"; }
  qpdf --check "$pdf" >"$work/jobs/$name.check" 2>&1 || {
    cat "$work/jobs/$name.check"
    fail "$name: the PDF part is not a valid PDF"
  }
  local got
  got=$(qpdf --show-npages "$pdf")
  [ "$got" = "$pages" ] || fail "$name: the PDF part has $got pages, expected $pages"
  local line
  for line in "@PJL JOB MODE=PRINTER" "@PJL ENTER LANGUAGE=PDF" "$@"; do
    grep -Fxq -- "$line" "$header" || { cat "$header"; fail "$name: no header line '$line'"; }
  done
  log "$name: ok ($pages pages, $(stat -c %s "$pdf") PDF bytes)"
}

# word_place PDF PAGE WORD: where WORD first sits on that page: "top-left",
# "bottom-right" or "elsewhere"; nothing when the page has no such word.
word_place() {
  pdftotext -f "$2" -l "$2" -bbox "$1" - | awk -v word="$3" '
    /<page / { match($0, /width="[0-9.]+"/); w = substr($0, RSTART + 7, RLENGTH - 8) + 0
               match($0, /height="[0-9.]+"/); h = substr($0, RSTART + 8, RLENGTH - 9) + 0 }
    /<word / && $0 ~ ">" word "</word>" {
      match($0, /xMin="[0-9.]+"/); x = substr($0, RSTART + 6, RLENGTH - 7) + 0
      match($0, /yMin="[0-9.]+"/); y = substr($0, RSTART + 6, RLENGTH - 7) + 0
      if (x < w / 2 && y < h / 2) print "top-left"
      else if (x > w / 2 && y > h / 2) print "bottom-right"
      else print "elsewhere"
      exit
    }'
}

# expect_place NAME PAGE WORD PLACE: the word sits there in the job's PDF part.
expect_place() {
  local got
  got=$(word_place "$work/jobs/$1.pdf" "$2" "$3")
  [ "$got" = "$4" ] || fail "$1: \"$3\" on page $2 is ${got:-missing}, expected $4"
}

"$mkpdf" "$work/in/three.pdf" --pages 3 >/dev/null
"$mkpdf" "$work/in/four.pdf" --pages 4 >/dev/null
chmod 0644 "$work/in"/*.pdf

# A plain job, with the defaults that the PPD offers. CUPS always sends
# number-up=1, which takes every job through the system's pdftopdf; the
# pages come back upright and in order.
print_job plain "$work/in/three.pdf" -U bob
check_job plain 3 '@PJL SET STRINGCODESET="UTF8"' '@PJL COMMENT begin' \
  '@PJL COMMENT Version:4.00' '@PJL SET JOBATTR="@JOAU=bob"' '@PJL SET JOBATTR="@JOEP="' \
  '@PJL COMMENT DNAME=plain' '@PJL SET COPIES=1' \
  '@PJL SET JOBATTR="@DIPQ=STANDARD"' '@PJL SET RENDERMODE=AUTOCOLOR' \
  '@PJL SET JOBATTR="@TRAP=ON"' '@PJL SET AUTOSELECT=ON' '@PJL SET MEDIATYPE=OFF' \
  '@PJL SET TIMEOUT=0' '@PJL SET JOBATTR="@NLPP=N1"'
expect_place plain 1 Page top-left
expect_place plain 3 3 top-left

# The print dialog's ticket keys for hold, user name, job accounting and
# finishing, as the dialog sends them: names and passwords "/"-encoded or
# quoted, the punch choice "True" that CUPS turns into a bare name.
print_job tickets "$work/in/three.pdf" -U alice \
  -o com.orvex.vyx.printsettings.PrintTypeTicketKey=2 \
  -o com.orvex.vyx.printsettings.PrintTypePasswordTicketKey=/49/50/51/52 \
  -o 'com.orvex.vyx.printsettings.PrintTypeUserNameTicketKey="Alice Smith"' \
  -o com.orvex.vyx.printsettings.JBAManageTypeListTicketKey=2 \
  -o com.orvex.vyx.printsettings.JBAUserIDListCtrlTicket=2 \
  -o com.orvex.vyx.printsettings.JBAUserIDTextEditTicket=acct7 \
  -o com.orvex.vyx.printsettings.JBAUserPasswordTextEditTicket=/112/119/55 \
  -o com.orvex.vyx.printsettings.JBAIPAddressStringTicket=IC0A805 \
  -o media=A4 -o QZInputSlot=2ndTray -o MediaType=RecyclePaper \
  -o QZStaple=UpperLeftSinglePort -o QZPunch=True
check_job tickets 3 '@PJL SET HOLD=STORE' '@PJL SET HOLDTYPE=PRIVATE' '@PJL SET HOLDKEY="1234"' \
  '@PJL SET USERNAME="Alice Smith"' '@PJL SET JOBATTR="@JOAU=acct7"' \
  '@PJL SET JOBATTR="@JOEP=pw7"' '@PJL SET JOBATTR="@HOAD=IC0A805"' '@PJL SET PAPER=A4' \
  '@PJL SET JOBATTR="@INPT=INTRAY2"' '@PJL SET JOBATTR="@APSP=RECYCLE"' \
  '@PJL SET PUNCH=LEFT' '@PJL SET FINISH=ON' '@PJL SET STAPLE=TOPLEFT'

# Booleans: CUPS hands "true" on as a bare name (Collate, QZTurnPage) and
# "false" with a "no" prefix (noQZTrapping). The printer makes the two
# collated copies, so the document holds one; its pages are turned upside
# down, which moves the page number to the bottom right.
print_job booleans "$work/in/three.pdf" -n 2 -o Collate=true -o QZTurnPage=true \
  -o QZTrapping=false
check_job booleans 3 '@PJL SET QTY=2' '@PJL SET COLLATE=COLLATENORMAL' \
  '@PJL SET JOBATTR="@TRAP=OFF"'
expect_place booleans 1 Page bottom-right

# Two pages on a sheet, laid out by the system's pdftopdf.
print_job number-up "$work/in/four.pdf" -o number-up=2
check_job number-up 2 '@PJL SET JOBATTR="@NLPP=N2"'
[ "$(pdftotext -f 1 -l 1 "$work/jobs/number-up.pdf" - | grep -c '^Page')" = 2 ] ||
  fail "number-up: the first sheet does not hold two pages"

# Raster mode: each page becomes one 300 dpi image, without text.
print_job raster "$work/in/three.pdf" -o QZPDFRasterizedMode=true
check_job raster 3
images=$(pdfimages -list "$work/jobs/raster.pdf" | awk 'NR > 2 { printf "%s:%s ", $1, $13 }')
[ "$images" = "1:300 2:300 3:300 " ] ||
  fail "raster: the pages are not one 300 dpi image each (page:ppi $images)"
[ -z "$(pdftotext "$work/jobs/raster.pdf" - | tr -d '[:space:]')" ] ||
  fail "raster: the pages still hold text"

log "all jobs passed"
