# Sourced by the frame-file tests: check_whole, which needs $ribcheck and a
# fail function.

# check_whole FOLDER COUNT: exactly COUNT frame files, no partial one, each
# a whole frame that ribcheck passes by itself (it checks every file it is
# given on its own and writes a summary line for each).
check_whole() {
    local folder=$1 count=$2 files
    files=$(find "$folder" -name '*.rib' | wc -l)
    [ "$files" = "$count" ] || fail "$folder: $files files, not $count"
    [ -z "$(find "$folder" -name '*.part')" ] || fail "$folder: partial files left: $(find "$folder" -name '*.part')"
    local n names=() file first
    for ((n = 0; n < count; n++)); do
        printf -v file '%s/s7.%04d.rib' "$folder" "$n"
        [ -f "$file" ] || fail "$file is missing"
        IFS= read -r first <"$file" || true
        [ "$first" = "##RenderMan RIB-Structure 1.0" ] || fail "$file: no header"
        names+=("$file")
    done
    "$ribcheck" "${names[@]}" >"$folder.check" 2>"$folder.summary" || fail "$folder: $(head -n3 "$folder.check")"
    local whole
    whole=$(grep -c "^ribcheck: $folder/s7\.[0-9]*\.rib: [0-9]* requests, 1 frames, 0 problems\$" "$folder.summary" || true)
    [ "$whole" = "$count" ] || fail "$folder: ribcheck passes $whole of $count files as one whole frame: $(grep -v ', 1 frames, 0 problems$' "$folder.summary" | head -n3)"
    local ends
    ends=$(tail -q -c 10 "${names[@]}" | od -An -c | tr -d ' \n')
    [ "$ends" = "$(for ((n = 0; n < count; n++)); do printf 'FrameEnd\\n\\n'; done)" ] || fail "$folder: a file does not end whole"
    rm -f "$folder.check" "$folder.summary"
}
