# vishost end to end under Wine: playlists, track changes, the plug-in's key press, the sound
# device. Run from the player folder (vishost.exe, Plugins\).
set(VISHOST_PLAYER_DIR ${CMAKE_BINARY_DIR}/player)
set(VISHOST_MUSIC ${CMAKE_CURRENT_BINARY_DIR}/vishost-music)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_test(NAME vishost.MakePlaylistFiles
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/make_playlist.py ${VISHOST_MUSIC} 6 3)
set_tests_properties(vishost.MakePlaylistFiles PROPERTIES FIXTURES_SETUP vishost_music)

# Two files (the first outlasts the plug-in's Init, which takes seconds under Wine): the plug-in asks for the second title after the track change, and the run ends
# when the playlist does (one last Render on zeroed arrays).
add_test(NAME vishost.TwoFilePlaylistChangesTitleAtTheTrackChange
  COMMAND vishost --mute --module 2 --seconds 30 --trace-queries
          "${VISHOST_MUSIC}/First Song.wav" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.TwoFilePlaylistChangesTitleAtTheTrackChange PROPERTIES
  FIXTURES_REQUIRED vishost_music
  PASS_REGULAR_EXPRESSION "entry 0 -> First Song\r?\n(.*\n)?title query: entry 1 -> Second Song\r?\n.*playback stopped at frame")

# A file that cannot be read is reported in one line and the next one plays.
add_test(NAME vishost.UnreadableFileIsReportedAndTheNextPlays
  COMMAND vishost --mute --module 2 --seconds 30 --trace-queries
          "${VISHOST_MUSIC}/missing.wav" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.UnreadableFileIsReportedAndTheNextPlays PROPERTIES
  FIXTURES_REQUIRED vishost_music
  PASS_REGULAR_EXPRESSION "missing.wav: cannot open the file(.|\n)*entry 0 -> Second Song|entry 0 -> Second Song(.|\n)*missing.wav: cannot open the file")

# Without --mute and without a sound device: said once (two tracks open the device twice).
add_test(NAME vishost.NoOutputDeviceIsSaidOnceAndPlaysMuted
  COMMAND vishost --module 2 --seconds 30 "${VISHOST_MUSIC}/First Song.wav" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.NoOutputDeviceIsSaidOnceAndPlaysMuted PROPERTIES
  FIXTURES_REQUIRED vishost_music
  PASS_REGULAR_EXPRESSION "playback stopped at frame"
  FAIL_REGULAR_EXPRESSION "no audio output device.*no audio output device")

# Any key in the plug-in's window ends the visualisation: Quit runs and vishost exits 0.
add_test(NAME vishost.KeyPressInThePluginWindowEndsTheVisualisation
  COMMAND vishost --mute --module 2 --frames 100000 --press-key-at 30
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.KeyPressInThePluginWindowEndsTheVisualisation PROPERTIES
  PASS_REGULAR_EXPRESSION "the plug-in ended the visualisation at frame 31\r?\n")
