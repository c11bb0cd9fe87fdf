"""The settings dialog template as it is compiled into the DLL: resource 101, English (United
Kingdom), its caption, frame and font, and every control with its id, class, style, text and
place, in tab order. Usage: config_dialog_resource_test.py WINDRES DLL"""
import re
import subprocess
import sys

# Window styles of each kind of control (WS_CHILD | WS_VISIBLE and the kind's own bits).
DEFAULT_BUTTON, BUTTON, CHECK_BOX = ("BUTTON", 0x50010001), ("BUTTON", 0x50010000), ("BUTTON", 0x50010003)
GROUP_BOX, RADIO = ("BUTTON", 0x50000007), ("BUTTON", 0x50020009)
LABEL, EDIT = ("STATIC", 0x50020000), ("EDIT", 0x50810080)

CONTROLS = [
    (1, DEFAULT_BUTTON, "OK", (290, 145, 50, 14)),
    (2, BUTTON, "Cancel", (235, 145, 50, 14)),
    (1005, CHECK_BOX, "VU Water", (80, 45, 90, 10)),
    (1006, CHECK_BOX, "Spectrum analyser", (80, 55, 85, 10)),
    (1007, CHECK_BOX, "Spherical Shells", (80, 65, 85, 10)),
    (1008, CHECK_BOX, "Freaky Movey Thingy", (80, 75, 85, 10)),
    (1009, CHECK_BOX, "Volumetric Light", (80, 85, 85, 10)),
    (1010, CHECK_BOX, "Spike Cylinder", (80, 95, 85, 10)),
    (1011, CHECK_BOX, "Super Shells", (80, 105, 85, 10)),
    (-1, GROUP_BOX, "Effects used in rotation", (75, 5, 125, 155)),
    (1018, RADIO, "320 x 200", (10, 45, 50, 10)),
    (1021, RADIO, "320 x 240", (10, 55, 50, 10)),
    (1022, RADIO, "400 x 300", (10, 65, 50, 10)),
    (1023, RADIO, "512 x 384", (10, 75, 50, 10)),
    (1024, RADIO, "640 x 400", (10, 85, 50, 10)),
    (1025, RADIO, "640 x 480", (10, 95, 50, 10)),
    (1026, RADIO, "800 x 600", (10, 105, 50, 10)),
    (1027, RADIO, "1024 x 768", (10, 115, 50, 10)),
    (1028, RADIO, "1152 x 864", (10, 125, 50, 10)),
    (1029, RADIO, "1280 x 1024", (10, 135, 55, 10)),
    (1030, RADIO, "1600 x 1200", (10, 145, 55, 10)),
    (-1, GROUP_BOX, "Screen resolution", (5, 5, 65, 155)),
    (-1, LABEL, "Fade length", (80, 130, 40, 10)),
    (-1, LABEL, "milliseconds", (155, 130, 40, 10)),
    (1032, EDIT, "", (125, 130, 25, 10)),
    (1012, CHECK_BOX, "Persistent title", (220, 95, 85, 10)),
    (1031, CHECK_BOX, "FPS counter", (210, 75, 85, 10)),
    (1033, CHECK_BOX, "Show title", (210, 85, 85, 10)),
    (1034, CHECK_BOX, "Blur time display", (220, 65, 85, 10)),
    (1035, CHECK_BOX, "Show time", (210, 55, 85, 10)),
    (1036, CHECK_BOX, "Random cycle", (80, 115, 85, 10)),
    (-1, LABEL, "Show title for", (221, 111, 45, 10)),
    (-1, LABEL, "milliseconds", (297, 112, 40, 10)),
    (1037, EDIT, "", (271, 112, 20, 10)),
    (-1, LABEL, "Fade title for", (221, 126, 45, 10)),
    (-1, LABEL, "milliseconds", (297, 127, 40, 10)),
    (1038, EDIT, "", (271, 127, 20, 10)),
    (1039, CHECK_BOX, "Widescreen", (210, 45, 55, 10)),
    (-1, GROUP_BOX, "General display properties", (205, 5, 135, 135)),
    (-1, LABEL, "Effect length", (80, 145, 40, 10)),
    (-1, LABEL, "milliseconds", (155, 145, 40, 10)),
    (1040, EDIT, "", (125, 145, 25, 10)),
    (-1, LABEL, 'Using these controls you can modify which effects will appear when vexilumarine is set to'
                ' "All effects".', (80, 15, 115, 30)),
    (-1, LABEL, "Controls screen resolution in all modes.", (10, 15, 55, 25)),
    (-1, LABEL, "These controls allow you to adjust what information vexilumarine will show when in use and"
                " how it is shown.", (210, 15, 125, 25)),
    (1041, CHECK_BOX, "In a window", (10, 166, 60, 10)),
    (1042, CHECK_BOX, "Full screen at the desktop's own size", (80, 166, 150, 10)),
]

# windres writes the common kinds with their own keyword instead of CONTROL and a class name.
KEYWORD_CLASSES = {"DEFPUSHBUTTON": "BUTTON", "PUSHBUTTON": "BUTTON", "GROUPBOX": "BUTTON",
                   "AUTOCHECKBOX": "BUTTON", "AUTORADIOBUTTON": "BUTTON", "LTEXT": "STATIC", "EDITTEXT": "EDIT"}
TOKEN = re.compile(r'"((?:[^"]|"")*)"|(-?0x[0-9a-fA-F]+|-?\d+)|([A-Za-z_]+)')


def tokens(line):
    out = []
    for text, number, word in TOKEN.findall(line):
        out.append(int(number, 0) if number else word if word else text.replace('""', '"'))
    return out


def signed_id(ident):
    """A DIALOG template keeps ids in 16 bits: 65535 is -1."""
    return ident - 0x10000 if ident >= 0x8000 else ident


def control(line):
    """(id, (class, style), text, (x, y, w, h)) of one control line of windres's listing."""
    t = tokens(line)
    kind = t[0]
    if kind == "CONTROL":
        text, ident, cls, style, *rect = t[1:]
        return signed_id(ident), (cls.upper(), style), text, tuple(rect)
    if kind == "EDITTEXT":
        ident, *rect, style = t[1:]
        return signed_id(ident), (KEYWORD_CLASSES[kind], style), "", tuple(rect)
    text, ident, *rect, style = t[1:]
    return signed_id(ident), (KEYWORD_CLASSES[kind], style), text, tuple(rect)


def dialog_101(listing):
    """The lines of resource 101's DIALOG block, with the LANGUAGE line in force for it."""
    language = None
    lines = listing.splitlines()
    for i, line in enumerate(lines):
        if line.startswith("LANGUAGE"):
            language = tuple(tokens(line)[1:])
        if re.match(r"101 DIALOG(EX)?\b", line):
            end = lines.index("END", i)
            return language, lines[i:end]
    return None, []


def main(windres, dll):
    listing = subprocess.run([windres, "-i", dll, "-O", "rc"], check=True, capture_output=True, text=True).stdout
    language, block = dialog_101(listing)
    failures = []
    if not block:
        print("resource 101 (a dialog) is not in", dll)
        return 1
    if language != (9, 2):
        failures.append(f"language {language}, not English (United Kingdom) (9, 2)")
    header = {line.split()[0]: line for line in block if line and not line.startswith(" ")}
    expected_header = {"STYLE": "STYLE 0x90c000c0", "EXSTYLE": "EXSTYLE 0x4",
                       "CAPTION": 'CAPTION "Vexilumarine v0.99"', "FONT": 'FONT 8, "MS Sans Serif"'}
    for key, want in expected_header.items():
        if header.get(key) != want:
            failures.append(f"{key}: {header.get(key)!r}, expected {want!r}")
    if tokens(block[0])[-4:] != [0, 0, 347, 181]:
        failures.append(f"dialog frame {block[0]!r}, expected 0, 0, 347, 181")
    begin = block.index("BEGIN")
    found = [control(line) for line in block[begin + 1:]]
    if len(found) != len(CONTROLS):
        failures.append(f"{len(found)} controls, expected {len(CONTROLS)}")
    for place, (got, want) in enumerate(zip(found, CONTROLS)):
        if got != want:
            failures.append(f"control {place + 1}: {got}, expected {want}")
    for failure in failures:
        print(failure)
    print(f"resource 101: {len(found)} controls checked, {len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
