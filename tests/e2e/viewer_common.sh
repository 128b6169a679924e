# Shared by the viewer's end-to-end scripts after common.sh: sourced, not run.
# Regions are WxH+X+Y of a screenshot; colours 0..255.

# mean_colour FILE REGION: "r g b", the region's mean.
mean_colour() {
    convert "$1" -crop "$2" +repage -depth 8 \
        -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]\n' info:
}

# on_panel FILE REGION TEXT: the region lies on an overlay's dark panel with
# text of TEXT (green or amber) on it: dark on the whole, whatever the
# scene behind, and the text's colour standing out.
on_panel() {
    local r g b
    read -r r g b <<<"$(mean_colour "$1" "$2")"
    [ "$r" -lt 120 ] && [ "$g" -lt 120 ] && [ "$b" -lt 120 ] || return 1
    case $3 in
    green) [ "$g" -gt $((r + 8)) ] && [ "$g" -gt $((b + 8)) ] ;;
    amber) [ "$r" -gt $((b + 8)) ] && [ "$r" -ge "$g" ] ;;
    esac
}
no_panel() { ! on_panel "$@"; }

# red_span FILE ROW: "left right" of the red pixels along the row (the box).
red_span() {
    convert "$1" -crop "x1+0+$2" +repage -depth 8 -colorspace sRGB txt:- | sed -n '2,$p' |
        sed -E 's/^([0-9]+),[^(]*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3 \4/' |
        awk '$2 > 200 && $3 < 60 && $4 < 60 { if (left == "") left = $1; right = $1 }
             END { if (left == "") print "none"; else print left, right }'
}
red_width() {
    local left right
    read -r left right <<<"$(red_span "$1" "$2")"
    [ "$left" = none ] && echo 0 || echo $((right - left + 1))
}

# window_size WINDOW: "WIDTH HEIGHT X Y" of the window as X has it.
window_size() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print w, h, x, y }'
}
