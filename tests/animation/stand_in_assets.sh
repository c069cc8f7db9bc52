#!/usr/bin/env bash
# Plays blorp-assets for the render tests where the real one is not built:
# plain matte shaders under the names the frames use, and flat textures, made
# with the renderer's own tools. Same interface: [--renderer NAME] OUTDIR.
set -euo pipefail
renderer=aqsis
[ "${1:-}" != --renderer ] || { renderer=$2; shift 2; }
out=$1
[ "$renderer" = aqsis ] || { echo "stand_in_assets: only aqsis is known here, not $renderer" >&2; exit 1; }
mkdir -p "$out"
cd "$out"
for name in oak wood2 funkyglass glass; do
    cat >"$name.sl" <<SL
surface $name(float Ka = 1, Kd = 0.5, Ks = 0.5, Kr = 0.3, blur = 0; color transmitcolor = 1)
{
    normal Nf = faceforward(normalize(N), I);
    Oi = Os;
    Ci = Os * Cs * (Ka * ambient() + Kd * diffuse(Nf));
}
SL
    aqsl -o "$name.slx" "$name.sl" >/dev/null
    rm "$name.sl"
done
for texture in ss021 blorp; do
    ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=gray:s=16x16 -frames:v 1 -pix_fmt rgb24 "$texture.plain.tif"
    teqser "$texture.plain.tif" "$texture.tif" >/dev/null
    rm "$texture.plain.tif"
done
