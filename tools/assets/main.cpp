// asset-generator: one mode per deliverable whose images it draws.
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin_bitmaps.h"
#include "viewer_textures.h"

namespace {
struct Mode {
    const char* option;
    bool (*write)(const std::string& dir);
    const char* what;
};

const Mode kModes[] = {
    {"--viewer", writeViewerTextures, "quorbel's TGA textures into DIR/textures/"},
    {"--plugin", writePluginBitmaps, "the plug-in's BMP files into DIR/Plugins/"},
};

int usage() {
    std::fprintf(stderr, "usage: asset-generator MODE DIR [MODE DIR ...]\n");
    for (const Mode& m : kModes) std::fprintf(stderr, "  %s DIR  %s\n", m.option, m.what);
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (argc - 1) % 2 != 0) return usage();
    for (int i = 1; i + 1 < argc; i += 2) {
        const Mode* mode = nullptr;
        for (const Mode& m : kModes) {
            if (std::strcmp(argv[i], m.option) == 0) mode = &m;
        }
        if (mode == nullptr) return usage();
        if (!mode->write(argv[i + 1])) {
            std::fprintf(stderr, "asset-generator: %s %s failed\n", argv[i], argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
