# Top-level commands. Each one first installs what is missing (tools/install-deps.sh).
JOBS ?= 2
NATIVE := build/native
WIN32  := build/win32
SANITIZE := build/sanitize

.PHONY: all deps build native win32 test test-native test-sanitize test-wine demo dist clean

all: build

deps:
	@tools/install-deps.sh

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The Windows tree takes the plug-in's bitmaps from the native asset generator.
win32: native
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN32) -j $(JOBS)

build: native win32

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# The unit tests again with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DVEXIL_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) -j $(JOBS) --target plugin_tests quorbel_tests
	@$(SANITIZE)/tests/plugin_tests --gtest_brief=1
	@$(SANITIZE)/tests/viewer/quorbel_tests --gtest_brief=1

# The Wine tests run inside one session: a private Xvfb and a persistent wineserver.
test-wine: win32
	@tools/wine-session.sh $(WIN32) ctest --test-dir $(WIN32) --output-on-failure

test: build
	@$(MAKE) --no-print-directory test-native
	@$(MAKE) --no-print-directory test-sanitize
	@$(MAKE) --no-print-directory test-wine

# The demo song through "All effects" for 90 s: in a window with a display, else headless into
# out/demo.mp4 and the contact sheet out/demo.png.
demo: build
	@tools/demo.sh $(WIN32) out

# out/vexilumarine-plugin.zip: the plug-in laid out as the player's folder.
dist: build
	@tools/dist.sh $(WIN32) out

clean:
	rm -rf build out
