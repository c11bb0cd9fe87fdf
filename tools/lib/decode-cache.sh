# Sourced by play.sh and render.sh: any file FFmpeg reads, decoded once into a cache of WAV files
# ($XDG_CACHE_HOME/vexilumarine/decoded, else ~/.cache/vexilumarine/decoded) keyed by the file's
# path, size and modification time and the decoded format, and titled by its tags ("artist -
# title"), else by its name.
# The caller defines say() for its messages. A decoding runs in the background and is waited for,
# so that the caller's signal traps act at once; its partial file is named FILE.$$.part.
decode_cache=${XDG_CACHE_HOME:-$HOME/.cache}/vexilumarine/decoded

# One tag of the file, the first found (FLAC and Vorbis comments are per stream, others global).
tag() {
  ffprobe -v error -show_entries "format_tags=$2:stream_tags=$2" -of default=noprint_wrappers=1:nokey=1 "$1" |
    sed -n '/./{p;q}'
}

# What the cache holds: what the player hands its plug-ins, 44.1 kHz 16-bit PCM, mono or stereo
# (more channels are mixed down). It is part of each entry's key, so entries of another format
# are decoded again.
decoded_format='aformat=sample_fmts=s16:sample_rates=44100:channel_layouts=mono|stereo'

# The decoding itself: SOURCE into the WAV file OUT, titled TITLE (and ARTIST, may be empty);
# ffmpeg's complaints go to standard error. The tags as the WAV's INFO title and artist, which
# vishost shows; RF64 past 4 GiB.
decode_to_wav() {
  local source=$1 title=$2 artist=$3 out=$4
  ffmpeg -nostdin -v error -y -i "$source" -vn -map_metadata -1 -metadata title="$title" \
    ${artist:+-metadata artist="$artist"} -af "$decoded_format" -c:a pcm_s16le -rf64 auto -f wav "$out" &
  wait $!
}

# Sets decoded_wav to the cached WAV of one file, decoding it first if it is not there yet.
decoded() {
  local source=$1 path key wav title artist part
  decoded_wav=""
  path=$(realpath -e -- "$source" 2>/dev/null) || { say "$source: no such file"; return 1; }
  key=$(printf '%s\n%s\n%s\n' "$path" "$(stat -c '%s %Y' -- "$path")" "$decoded_format" | sha1sum | cut -c1-40)
  wav=$decode_cache/$key.wav
  if [ -f "$wav" ]; then
    say "$source: from the cache"
  else
    title=$(tag "$path" title) artist=$(tag "$path" artist)
    [ -n "$title" ] || { title=$(basename -- "$path"); title=${title%.*}; artist=""; }
    say "$source: decoding"
    mkdir -p "$decode_cache"
    part=$wav.$$.part
    if ! decode_to_wav "$path" "$title" "$artist" "$part" 2>"$part.err"; then
      say "$source: cannot be decoded ($(grep -m1 . "$part.err" || echo "ffmpeg failed"))"
      rm -f "$part" "$part.err"
      return 1
    fi
    rm -f "$part.err"
    mv "$part" "$wav"
  fi
  decoded_wav=$wav
}
