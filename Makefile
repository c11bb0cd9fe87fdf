# Top-level commands. Each one first installs what is missing (tools/install-deps.sh).
JOBS ?= 2
NATIVE := build/native
WIN32  := build/win32
WIN64  := build/win64
SANITIZE := build/sanitize

.PHONY: all deps build native win32 win64 test test-native test-sanitize test-fuzz test-wine test-wine32 test-wine64 demo play video live quorbel-live install deb dist clean mutants

all: build

deps:
	@tools/install-deps.sh

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The Windows trees take the plug-in's bitmaps from the native asset generator. build/win32 is the
# i686 DLL the player loads; build/win64 is the same sources for x86_64, which runs under wine64
# on machines that cannot execute 32-bit programs.
win32: native
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN32) -j $(JOBS)

win64: native
	@cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake >/dev/null
	@cmake --build $(WIN64) -j $(JOBS)

build: native win32 win64

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# The unit tests again with AddressSanitizer and UndefinedBehaviorSanitizer, and 20 000 frames of
# the "All effects" soak (the hour: cmake --build build/sanitize --target soak-native).
test-sanitize: deps
	@cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DVEXIL_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) -j $(JOBS) --target plugin_tests quorbel_tests plugin_soak
	@$(SANITIZE)/tests/plugin_tests --gtest_brief=1
	@$(SANITIZE)/tests/viewer/quorbel_tests --gtest_brief=1
	@$(SANITIZE)/tests/plugin_soak 20000

# Every fuzz target over its corpus and the inputs that once crashed it (tools/fuzz/regressions/),
# then 12 s of fuzzing each: about 2 minutes. The long runs: tools/fuzz.sh (600 s a target).
test-fuzz: deps
	@nice tools/fuzz.sh --check

# Faults planted one at a time in the pure logic; reports those the unit tests miss. Takes hours for
# all of them: MUTATE_ARGS="--files viewer --limit 50" samples (see tools/mutate/mutate.py --help). Not in `test`.
mutants: deps
	@nice -n 15 python3 tools/mutate/mutate.py $(MUTATE_ARGS)

# The Wine tests run inside one session per tree: a private Xvfb and a persistent wineserver.
# The i686 tree's run only where this machine executes 32-bit programs; elsewhere its DLL is
# checked without running it. The x86_64 tree's run always, last.
test-wine32: win32
	@if why=$$(tools/wine/runs-32bit.sh); then \
	  tools/wine/wine-session.sh $(WIN32) ctest --test-dir $(WIN32) --output-on-failure; \
	else \
	  echo "test-wine32: i686 Wine tests skipped: $$why; the i686 DLL is checked without running it"; \
	  ctest --test-dir $(WIN32)/tests/dll --output-on-failure; \
	fi

test-wine64: win64
	@tools/wine/wine-session.sh $(WIN64) ctest --test-dir $(WIN64) --output-on-failure

test-wine: build
	@$(MAKE) --no-print-directory test-wine32
	@$(MAKE) --no-print-directory test-wine64

test: build
	@$(MAKE) --no-print-directory test-native
	@$(MAKE) --no-print-directory test-sanitize
	@$(MAKE) --no-print-directory test-fuzz
	@$(MAKE) --no-print-directory test-wine

# The demo song through "All effects" for 90 s on the x86_64 tree (it runs wherever wine64 does):
# in a window with a display, else rendered offline at 60 fps into out/demo.mp4 and the contact
# sheet out/demo.png.
demo: native win64
	@tools/demo.sh $(WIN64) out

# Your own music through the plug-in (make play FILES="a.flac b.ogg"; tools/play.sh takes names with
# spaces), or what the desktop plays: through the plug-in (live) or quorbel (quorbel-live). On a
# desktop both play in a window; PLAY_OPTIONS=--full-screen or --desktop-size plays full screen.
# PLUGIN=path/to/vis_other.dll plays another plug-in (play and video).
play: native win64
	@tools/play.sh $(if $(PLUGIN),--plugin $(PLUGIN)) $(PLAY_OPTIONS) $(FILES)

# Your own music into a video, offline on a virtual clock at 60 fps (make video FILES="a.flac b.ogg"
# [OUT=out/video.mp4] [SIZE=1080p] [QUALITY=best] [CODEC=hevc] [FORCE=1]; tools/render.sh takes names
# with spaces and more options). The build is quiet: one line when something needs building.
OUT ?= out/video.mp4
video:
	@tools/lib/quiet-build.sh "make video" $(MAKE) --no-print-directory native win64
	@tools/render.sh $(FILES) -o $(OUT) $(if $(SIZE),--size $(SIZE)) $(if $(QUALITY),--quality $(QUALITY)) \
	  $(if $(CODEC),--codec $(CODEC)) $(if $(FORCE),--force) $(if $(PLUGIN),--plugin $(PLUGIN))

live: native win64
	@tools/play.sh --live $(PLAY_OPTIONS)

quorbel-live: native
	@tools/quorbel-live.sh

# quorbel as an installed program: quorbel-live and quorbel-feed in PREFIX/bin, quorbel, its
# textures, menu entry and icon (make install PREFIX=~/.local; DESTDIR=... stages it elsewhere).
PREFIX ?= /usr/local
install: native
	@cmake --install $(NATIVE) --prefix $(PREFIX)

# out/quorbel_VERSION_amd64.deb (apt-get install ./out/quorbel_*.deb).
deb: native
	@rm -rf $(NATIVE)/package out/quorbel_*_amd64.deb
	@cpack --config $(NATIVE)/CPackConfig.cmake -B $(NATIVE)/package >/dev/null
	@mkdir -p out && cp $(NATIVE)/package/quorbel_*_amd64.deb out/ && ls out/quorbel_*_amd64.deb

# out/vexilumarine-plugin.zip: the i686 plug-in (the player is 32-bit) laid out as the player's folder.
dist: native win32
	@tools/dist.sh $(WIN32) out

clean:
	rm -rf build out
