#!/usr/bin/env bash
# blorp-render --hosts on a farm of two ssh logins to this machine: an sshd
# of the test's own on two loopback addresses, with its own host key and an
# authorized key in the work folder, run as the current user. The farm's
# images must have the same pixels as a local render of the same frames.
#
# usage: render_farm.sh BLORP BLORP_RENDER STAND_IN_ASSETS WORKDIR
# Exits 77 (skipped) when aqsis, GNU parallel, rsync, ffmpeg or sshd is missing.
set -euo pipefail

blorp=$(realpath "$1")
render=$(realpath "$2")
stand_in=$(realpath "$3")
work=$4
sshd=$(command -v sshd || echo /usr/sbin/sshd)
[ -x "$sshd" ] || { echo "render_farm: SKIP: sshd is not installed (openssh-server)"; exit 77; }
for tool in aqsis parallel rsync ffmpeg ssh ssh-keygen; do
    command -v "$tool" >/dev/null || { echo "render_farm: SKIP: $tool is not installed"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
cd "$work"
unset DISPLAY

fail() {
    echo "render_farm: FAIL: $*" >&2
    [ ! -s sshd.log ] || echo "sshd: $(tail -n5 sshd.log)" >&2
    exit 1
}

# Every ssh of the run shares one connection per machine, as a farm's ssh
# configuration would: GNU parallel opens about ten sessions per frame, and
# each new login is a key exchange. The sockets live in a short folder of
# their own, as a socket's path has a small length limit.
control=$(mktemp -d /tmp/blorp-farm.XXXXXX)
sshd_pid=''
cleanup() {
    if [ -n "$sshd_pid" ]; then
        for host in 127.0.0.1 127.0.0.2; do "$work/ssh-farm" -O exit "$host" 2>/dev/null || true; done
        kill "$sshd_pid" 2>/dev/null || true
    fi
    rm -rf "$control"
}
trap cleanup EXIT
# A test stopped by a signal (a timeout) cleans up too.
trap 'exit 1' INT TERM

# sshd as root needs its privilege separation folder.
if [ "$(id -u)" = 0 ] && [ ! -d /run/sshd ]; then
    mkdir -p /run/sshd 2>/dev/null || { echo "render_farm: SKIP: cannot make /run/sshd for sshd"; exit 77; }
fi
ssh-keygen -q -t ed25519 -N '' -f host_key
ssh-keygen -q -t ed25519 -N '' -f user_key
cp user_key.pub authorized_keys

# A port nobody holds: sshd -D stays up only when it could listen, and a
# login through it proves it is ours.
started=0
for ((try = 0; try < 20 && started == 0; try++)); do
    port=$((20000 + RANDOM % 40000))
    cat >sshd_config <<EOF
Port $port
ListenAddress 127.0.0.1
ListenAddress 127.0.0.2
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
StrictModes no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
UsePAM no
LogLevel ERROR
SetEnv SHLVL=1 "PATH=$PATH"
EOF
    cat >ssh-farm <<EOF
#!/bin/sh
exec ssh -p $port -i $work/user_key -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null \\
    -o BatchMode=yes -o LogLevel=ERROR -o ConnectTimeout=30 \\
    -o ControlMaster=auto -o ControlPath=$control/%C -o ControlPersist=60 "\$@"
EOF
    chmod +x ssh-farm
    "$sshd" -D -f "$work/sshd_config" -E "$work/sshd.log" &
    sshd_pid=$!
    # Wait until it answers, or is gone because the port was taken.
    for ((wait = 0; wait < 600; wait++)); do
        if ./ssh-farm 127.0.0.2 true 2>/dev/null; then started=1; break; fi
        kill -0 "$sshd_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ "$started" = 0 ]; then
        kill "$sshd_pid" 2>/dev/null || true
        wait "$sshd_pid" 2>/dev/null || true
        sshd_pid=''
    fi
done
[ "$started" = 1 ] || fail "could not start an sshd on a loopback port"
# The farm machines need the renderer and parallel on the PATH of an ssh
# login, as any farm machine does.
missing=$(./ssh-farm 127.0.0.1 'for tool in aqsis parallel rsync; do command -v $tool >/dev/null || echo $tool; done')
[ -z "$missing" ] || { echo "render_farm: SKIP:" $missing "not on the PATH of an ssh login"; exit 77; }
printf '1/127.0.0.1\n1/127.0.0.2\n' >hosts

assets=()
[ -x "$(dirname "$render")/blorp-assets" ] || assets=(--assets "$stand_in")

"$blorp" --headless --scene 7 --bodies 5 --steps 25 --export --rib 'local/s7.%04d.rib' --image-size 96x72 \
    </dev/null 2>export.log || fail "export: $(tail -n2 export.log)"
cp -r local farm
status=0
"$render" local --jobs 2 "${assets[@]}" </dev/null >local.log 2>&1 || status=$?
[ "$status" = 0 ] || fail "local: status $status: $(tail -n3 local.log)"
status=0
"$render" farm --hosts hosts --ssh "$work/ssh-farm" "${assets[@]}" </dev/null >farm.log 2>&1 || status=$?
[ "$status" = 0 ] || fail "farm: status $status: $(tail -n5 farm.log)"
grep -q "^blorp-render: 4/4 frames done, 0 failed" farm.log || fail "farm: $(cat farm.log)"

# Pixels, not bytes: the image files carry the time they were made.
pixels() { ffmpeg -nostdin -loglevel error -i "$1" -f rawvideo -pix_fmt rgba - | md5sum; }
for n in 000 001 002 003; do
    [ -s "farm/blorp$n.tif" ] || fail "farm: blorp$n.tif did not come back"
    [ "$(pixels "farm/blorp$n.tif")" = "$(pixels "local/blorp$n.tif")" ] || fail "farm: blorp$n.tif differs from the local one"
done
# Nothing of the run is left on the farm machines.
[ -z "$(find ~/.parallel/tmp -maxdepth 1 -name "blorp-render-*" -newer hosts 2>/dev/null)" ] ||
    fail "farm: the run's folder is left: $(find ~/.parallel/tmp -maxdepth 1 -name 'blorp-render-*' -newer hosts)"
echo "render_farm: PASS"
