# Sourced by render.sh: a private copy of the player's folder for one render, so that whatever the
# render writes into plugin.ini (its mode, size, flags) lands in the copy and the user's file is
# never touched, however the render ends. The copy starts from the user's own plugin.ini.

# Copies PLAYER's vishost.exe and Plugins\ (the plug-in, its bitmaps, plugin.ini) into DEST.
copy_player_folder() {  # PLAYER DEST
  local player=$1 dest=$2 file
  mkdir -p "$dest/Plugins"
  cp "$player/vishost.exe" "$dest/"
  for file in "$player"/Plugins/*; do
    case "${file,,}" in
      *.dll|*.bmp|*/plugin.ini) cp -p "$file" "$dest/Plugins/" ;;
    esac
  done
}

# A picture of an exact size is the plug-in at the desktop's own size: the copy's settings lose
# what would show it otherwise (a window) or letterbox it (widescreen).
settings_for_exact_size() {  # DEST
  local ini=$1/Plugins/plugin.ini
  [ -f "$ini" ] || return 0
  sed -i -E '/^(windowed|widescreen|desktop size)=/Id' "$ini"
}
