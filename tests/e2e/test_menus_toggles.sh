#!/usr/bin/env bash
# "To&ggles" shows a check mark beside each toggle that is on: started with
# Block Shutdown and Confirm Exit on ("/f:b /f:c") and Exit on Single Click on
# by default, the first, second and fifth items are checked, the others not.
. "$(dirname "$0")/lib.sh"

TOGGLES_POSITION=$FULL_TOGGLES
TOGGLE_COUNT=5
EXPECTED_CHECKED="0 1 4"   # Block Shutd&own, &Confirm Exit, &Exit on Single Click

# check_marks WINDOW COUNT: the positions whose item has a check mark. Each
# item's leftmost dark pixel is found; unchecked items start with their text,
# checked ones further left with the mark, so an item whose dark pixels start
# well left of the rightmost such start is checked.
check_marks() {
    local WINDOW X Y WIDTH HEIGHT SCREEN position top height box left starts=() textStart=0 marks=""
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window "$1" "$E2E_ARTIFACTS/toggles_menu_raw.png" 2>/dev/null
    for ((position = 0; position < $2; position++)); do
        top=$((HEIGHT * position / $2 + 3))
        height=$((HEIGHT / $2 - 6))
        box=$(convert "$E2E_ARTIFACTS/toggles_menu_raw.png" -crop "$((WIDTH - 4))x${height}+2+${top}" +repage \
              -colorspace gray -threshold 50% -format '%@' info:)
        left=${box#*+}; left=${left%%+*}
        starts+=("$left")
        (( left > textStart )) && textStart=$left
    done
    for ((position = 0; position < $2; position++)); do
        (( starts[position] + 4 < textStart )) && marks="$marks $position"
    done
    log "leftmost dark pixel per item: ${starts[*]}" >&2
    echo "${marks# }"
}

start_program /z /f:b /f:c
pid=$E2E_LAST_PID
check "the tray icon appears" wait_until 20 tray_slot_filled 0
tray_click 0 3
check "the full menu opens" wait_until 5 has_popup
menu=$(popup_window)
menu_item_click "$menu" $TOGGLES_POSITION "${FULL_MENU_ROWS[@]}"
check "the Toggles submenu opens" wait_until 5 eval 'submenu_of "$menu" >/dev/null'
submenu=$(submenu_of "$menu")
check "the submenu opens to the right of the menu" [ -n "$submenu" ]
sleep 0.3
screenshot toggles_submenu "$submenu"
screenshot toggles_screen
text=$(ocr_window "$submenu")
check "it is the Toggles submenu (read: $text)" grep -q "Block Shutd" <<<"$text"
marks=$(check_marks "$submenu" $TOGGLE_COUNT)
log "checked positions: $marks"
check "the checked toggles are $EXPECTED_CHECKED" [ "$marks" = "$EXPECTED_CHECKED" ]
xdotool key --window "$submenu" Escape Escape
check "the program still runs" process_alive "$pid"
finish
