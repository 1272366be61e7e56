"""Draws every bitmap and icon of the program into one directory: generate.py OUT_DIR."""
import os
import sys

sys.dont_write_bytecode = True  # keep the source tree free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import about  # noqa: E402
import artfile  # noqa: E402
import faces  # noqa: E402
import icon  # noqa: E402
import pages  # noqa: E402
import paint  # noqa: E402
import panel  # noqa: E402
import smallbuttons  # noqa: E402

MANIFEST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "manifest.txt")


# The larger art sets: file suffix and scale. Each bitmap NAME.bmp of the manifest comes also
# as NAME_150.bmp and NAME_200.bmp, drawn from the same shapes at 1.5 and 2 times the size.
SETS = (("", 1), ("_150", 1.5), ("_200", 2))


def read_manifest(path=MANIFEST):
    """[(file name, width, height)] of every art file; widths of icons are their largest size."""
    entries = []
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if line:
                entries.append((line[0], int(line[1]), int(line[2])))
    return entries + scaled_entries(entries)


def scaled_entries(entries):
    """The larger sets' files of the manifest's bitmaps, sized as the program rounds."""
    out = []
    for suffix, scale in SETS[1:]:
        for name, w, h in entries:
            if name.endswith(".bmp"):
                out.append((name[:-4] + suffix + ".bmp", int(w * scale + 0.5), int(h * scale + 0.5)))
    return out


def build():
    """{file name: (bytes, (width, height))} of all art, every set."""
    art = {}
    for suffix, scale in SETS:
        paint.SCALE = scale
        art.update(build_set(suffix))
    paint.SCALE = 1
    images = icon.icon_images()
    art["orvane.ico"] = (artfile.ico_bytes(images), images[-1].size)
    return art


def build_set(suffix):
    """The bitmaps of one set, drawn at paint.SCALE."""
    art = {}

    def bmp(name, img, exact=None):
        art[name + suffix + ".bmp"] = (artfile.bmp8_bytes(img, exact), img.size)

    bmp("ABOUTBK", about.aboutbk())
    pattern = artfile.as_stored(panel.pattern())
    bmp("PATTERN", pattern)
    for name, img, exact in faces.faces(pattern):
        bmp(name, img, exact)
    backgrounds = {}
    for name, img in pages.pages():
        backgrounds[name] = artfile.as_stored(img)
        bmp(name, backgrounds[name])
    for name, img, exact in smallbuttons.page_faces(backgrounds) + smallbuttons.mail_faces():
        bmp(name, img, exact)
    return art


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: generate.py OUT_DIR\n")
        return 2
    out_dir = argv[1]
    art = build()
    expected = {name: (w, h) for name, w, h in read_manifest()}
    if set(art) != set(expected):
        sys.stderr.write("art and manifest differ: %s\n" % sorted(set(art) ^ set(expected)))
        return 1
    for name, (data, size) in sorted(art.items()):
        if size != expected[name]:
            sys.stderr.write("%s is %dx%d, manifest says %dx%d\n" % ((name,) + size + expected[name]))
            return 1
    os.makedirs(out_dir, exist_ok=True)
    for name, (data, _) in sorted(art.items()):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
