# vishost end to end under Wine: playlists, track changes, the plug-in's key press, the sound
# device. Run from the player folder (vishost.exe, Plugins\).
set(VISHOST_PLAYER_DIR ${CMAKE_BINARY_DIR}/player)
set(VISHOST_MUSIC ${CMAKE_CURRENT_BINARY_DIR}/vishost-music)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_test(NAME vishost.MakePlaylistFiles
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/make_playlist.py ${VISHOST_MUSIC} 6 3)
set_tests_properties(vishost.MakePlaylistFiles PROPERTIES FIXTURES_SETUP vishost_music)

# The tests of titles, lengths and the playlist run on the virtual clock: no sound, no waiting.
# Two files: the plug-in asks for the second title after the track change, and the run ends when
# the playlist does (one last Render on zeroed arrays).
add_test(NAME vishost.TwoFilePlaylistChangesTitleAtTheTrackChange
  COMMAND ${VISHOST_EXPECT} --status 0 --output "entry 0 -> First Song\r?\n(.*\n)*title query: entry 1 -> Second Song\r?\n(.|\n)*playback stopped at frame"
    -- ${VISHOST_RUN} --virtual-clock --module 2 --seconds 30 --trace-queries
          "${VISHOST_MUSIC}/First Song.wav" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.TwoFilePlaylistChangesTitleAtTheTrackChange PROPERTIES
  FIXTURES_REQUIRED vishost_music)

# A file that cannot be read is reported in one line and the next one plays.
add_test(NAME vishost.UnreadableFileIsReportedAndTheNextPlays
  COMMAND ${VISHOST_EXPECT} --status 0 --output "missing.wav: cannot open the file(.|\n)*entry 0 -> Second Song|entry 0 -> Second Song(.|\n)*missing.wav: cannot open the file"
    -- ${VISHOST_RUN} --virtual-clock --module 2 --seconds 30 --trace-queries
          "${VISHOST_MUSIC}/missing.wav" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.UnreadableFileIsReportedAndTheNextPlays PROPERTIES
  FIXTURES_REQUIRED vishost_music)

# Without --mute and without a sound device: said once (two tracks open the device twice).
add_test(NAME vishost.NoOutputDeviceIsSaidOnceAndPlaysMuted
  COMMAND ${VISHOST_EXPECT} --status 0 --output "playback stopped at frame" --reject "no audio output device(.|\n)*no audio output device"
    -- ${VISHOST_RUN} --module 2 --seconds 30 "${VISHOST_MUSIC}/First Song.wav" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.NoOutputDeviceIsSaidOnceAndPlaysMuted PROPERTIES
  FIXTURES_REQUIRED vishost_music)

# Any key in the plug-in's window ends the visualisation: Quit runs and vishost exits 0.
add_test(NAME vishost.KeyPressInThePluginWindowEndsTheVisualisation
  COMMAND ${VISHOST_EXPECT} --status 0 --output "the plug-in ended the visualisation at frame 31\r?\n"
    -- ${VISHOST_RUN} --mute --module 2 --frames 100000 --window-event-at 30:key
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})

# MP3 through the platform's decoder: files made by Debian's ffmpeg from the playlist WAVs.
add_test(NAME vishost.MakeMp3Files
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/make_mp3_files.sh ${VISHOST_MUSIC})
set_tests_properties(vishost.MakeMp3Files PROPERTIES FIXTURES_REQUIRED vishost_music FIXTURES_SETUP vishost_mp3)

# A tagged MP3 titled by its ID3v2 tag, then bare frames in a file not named .mp3 (known by its
# content, titled by its name); both last as long as the WAVs they came from (6 s and 3 s, plus
# the encoder's lead-in and padding), reach the tones' level (12000) and play to the end.
add_test(NAME vishost.Mp3FilesPlayWithTheirTitlesAndLengths
  COMMAND ${VISHOST_EXPECT} --status 0 --output "track 0: Test Band - Tagged Tone, 6\\.0[0-9] s, 22050 Hz, 1 channel, peak 1[123][0-9][0-9][0-9]\r?\ntrack 1: Bare Frames, 3\\.0[0-9] s, 22050 Hz, 1 channel, peak 1[123][0-9][0-9][0-9]\r?\n(.*\n)*title query: entry 1 -> Bare Frames\r?\n(.*\n)*vishost: playback stopped at frame"
    -- ${VISHOST_RUN} --virtual-clock --module 2 --seconds 30 --trace-queries
          "${VISHOST_MUSIC}/Tagged Tone.mp3" "${VISHOST_MUSIC}/Bare Frames.dat"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.Mp3FilesPlayWithTheirTitlesAndLengths PROPERTIES
  FIXTURES_REQUIRED vishost_mp3)

# Garbage and a file cut off mid-frame: one line each naming the file, and the WAV after them plays.
# Output and error streams may interleave in either order.
set(MP3_ERRORS "Garbage.mp3: no MPEG layer III audio frames\r?\nvishost: [^\n]*Cut Short.mp3: truncated: frame [0-9]+ needs [0-9]+ bytes, [0-9]+ are left(\r?\n|$)")
set(MP3_NEXT_PLAYS "track 0: Second Song, 3\\.00 s(.|\n)*playback stopped at frame")
add_test(NAME vishost.UndecodableMp3FilesAreReportedAndTheNextPlays
  COMMAND ${VISHOST_EXPECT} --status 0 --output "${MP3_ERRORS}(.|\n)*${MP3_NEXT_PLAYS}|${MP3_NEXT_PLAYS}(.|\n)*${MP3_ERRORS}"
    -- ${VISHOST_RUN} --virtual-clock --module 2 --seconds 30 --trace-queries
          "${VISHOST_MUSIC}/Garbage.mp3" "${VISHOST_MUSIC}/Cut Short.mp3" "${VISHOST_MUSIC}/Second Song.wav"
  WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
set_tests_properties(vishost.UndecodableMp3FilesAreReportedAndTheNextPlays PROPERTIES
  FIXTURES_REQUIRED vishost_mp3)

# ---- Files as people have them (real_files.sh); the parts that use tools/play.sh need the x86_64 tree.
set(REAL_FILES_PARTS long mp3)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  list(APPEND REAL_FILES_PARTS titles live)
endif()
foreach(part ${REAL_FILES_PARTS})
  add_test(NAME vishost.RealFiles.${part} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/real_files.sh ${part}
    ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:vishost> ${CMAKE_BINARY_DIR}/pictures/real-files/${part}
    WORKING_DIRECTORY ${VISHOST_PLAYER_DIR})
  set_tests_properties(vishost.RealFiles.${part} PROPERTIES RESOURCE_LOCK plugin_ini TIMEOUT 180)
endforeach()

# tools/render.sh's sizes, each in a Wine session of its own at that size (1920x1080, 1080x1920,
# 1280x720: exact size, a moving picture after the intro), the user's plugin.ini byte for byte as
# before, also after Ctrl-C; ProRes and VP9 with the right frame counts; bad input refused at once.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_test(NAME vishost.RenderShSizesAreExactAndLeavePluginIniAlone
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/render_sizes_check.py ${VISHOST_PLAYER_DIR}
      ${CMAKE_BINARY_DIR}/pictures/render-sizes --sizes)
  add_test(NAME vishost.RenderShWritesProResAndVp9AndRefusesBadChoices
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/render_sizes_check.py ${VISHOST_PLAYER_DIR}
      ${CMAKE_BINARY_DIR}/pictures/render-codecs --codecs)
  set_tests_properties(vishost.RenderShSizesAreExactAndLeavePluginIniAlone PROPERTIES TIMEOUT 1200)
  set_tests_properties(vishost.RenderShWritesProResAndVp9AndRefusesBadChoices PROPERTIES TIMEOUT 600)
endif()
