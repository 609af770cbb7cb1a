#!/bin/sh
# Draws the game's panel image: make_panel.sh [output] [preview]
# (default data/gui01.jpg). Needs ImageMagick and the DejaVu fonts
# (Debian: imagemagick fonts-dejavu-core); the game reads the committed
# image, so only regenerating it needs them.
#
# The panel is a 3.2 x 1.6 quad centred at (-6, 4) in a view that looks along
# +z from 10 units in front of it, through the engine's fixed projection
# (vertical field pi/4, horizontal pi/3). The left edge of the screen meets
# the quad at x = -10 tan(pi/6) = -5.774 and the top edge at
# y = 10 tan(pi/8) = 4.142, so only the lower right of the image shows:
# u from 0.571 and v from 0.411, texels x 292..512 and y 105..256 of this
# 512 x 256 image, drawn in the screen's top left corner (12 % of its width,
# 11 % of its height: 122 x 87 pixels at 1024 x 768). Everything else is
# left black, which the additive blend turns into nothing.
#
# The turn stone is drawn on top of the panel, from (0, 80, -80) looking at
# (65, -260, 0): the origin lands 94.6 units ahead at the screen point
# (-0.924, 0.924), texel (362, 155) of the image, and a stone of radius 2.4
# covers 41 texels around it. The image rings that place and puts the
# program's name and the controls beside and below it.
#
# With a second argument it also writes a preview of the visible corner as
# a 1024 x 768 screen would show it, over a dark table with the stone.
set -eu

out="${1:-data/gui01.jpg}"
preview="${2:-}"
fonts=/usr/share/fonts/truetype/dejavu
title_font="$fonts/DejaVuSans-Bold.ttf"
text_font="$fonts/DejaVuSansCondensed-Bold.ttf"
for f in "$title_font" "$text_font"; do
  if [ ! -f "$f" ]; then
    echo "make_panel.sh: $f is missing (Debian package fonts-dejavu-core)" >&2
    exit 1
  fi
done
command -v convert >/dev/null || { echo "make_panel.sh: ImageMagick's convert is missing" >&2; exit 1; }

key='#e8c070'    # control names, warm gold
action='#d8dce4' # what they do, light grey
ring='#5a6478'   # the turn stone's place

# Control lines: the key in gold at x, what it does in grey at x + indent.
set -- \
  414 162 50 'P, F1' 'pass' \
  414 180 50 'Esc' 'quit' \
  414 198 50 'wheel' 'zoom' \
  298 217 58 'left' 'play a stone' \
  298 233 58 'middle' 'score a point' \
  298 249 58 'right' 'drag to turn'
controls() {
  while [ $# -ge 5 ]; do
    printf '%s\n' "-fill" "$key" "-annotate" "+$1+$2" "$4" \
      "-fill" "$action" "-annotate" "+$(( $1 + $3 ))+$2" "$5"
    shift 5
  done
}
# One argument per line, so the texts keep their spaces.
controls "$@" > "${TMPDIR:-/tmp}/make_panel.$$"
set --
while IFS= read -r arg; do set -- "$@" "$arg"; done < "${TMPDIR:-/tmp}/make_panel.$$"
rm -f "${TMPDIR:-/tmp}/make_panel.$$"

convert -size 512x256 xc:black \
  -fill none -stroke "$ring" -strokewidth 2 -draw "circle 362,155 362,200" -stroke none \
  -font "$title_font" -pointsize 30 -fill white -annotate +414+137 'go3d' \
  -font "$text_font" -pointsize 15 \
  "$@" \
  -quality 95 -sampling-factor 1x1 -strip "$out"

if [ -n "$preview" ]; then
  # The visible texels, scaled to 1024 x 768 pixels (0.555 x 0.578), over a
  # dark table, with the stone as a light disc.
  convert "$out" -crop 220x151+292+105 +repage -resize 122x87\! \
    \( -size 122x87 xc:'#3a2414' \) +swap -compose plus -composite \
    -fill '#e0e0d8' -draw "ellipse 39,29 22,9 0,360" \
    -filter point -resize 400% "$preview"
fi
