#!/usr/bin/env python3
"""check-layers.py BUILD_TREE [NINJA]: every include and link of a built tree points the allowed way.

The source tree has four layers, each a set of top folders:
  product  common/ inventory/ automation/ tray/   uses only the product
  harness  testing/                               the product and itself
  tools    tools/                                 the product, the harness and itself
  tests    tests/                                 anything
The build tree's generated headers belong to the folder their path names; system and third-party
files are not ours.

The includes are the compiler's own record of each object's headers (Ninja's deps log, from the
-MD files), nested and relative ones included, not a reading of the #include lines; the links are
those the tree was configured with (BUILD/layer-links.tsv, cmake/OrbLayers.cmake). Exit 0 when all
hold, 1 otherwise.
"""
import os
import subprocess
import sys

LAYERS = {"common": "product", "inventory": "product", "automation": "product", "tray": "product",
          "testing": "harness", "tools": "tools", "tests": "tests"}
ALLOWED = {"product": {"product"},
           "harness": {"product", "harness"},
           "tools": {"product", "harness", "tools"},
           "tests": {"product", "harness", "tools", "tests"}}


def layer_of(path, root, tree):
    """The layer of an absolute PATH, or None for a file that is not ours."""
    for base in (tree, root):  # the build tree first: it may sit inside the source tree
        relative = os.path.relpath(path, base)
        if relative.startswith(".."):
            continue
        parts = relative.split(os.sep)
        if base == tree and ("CMakeFiles" in parts or parts[0] in ("googletest", "_deps")):
            return None  # precompiled headers and third-party code
        if base == tree and parts[0] == "orb_version":
            return "product"  # the generated version header (common/version.h.in)
        return LAYERS.get(parts[0])
    return None


def main():
    tree = os.path.abspath(sys.argv[1])
    ninja = sys.argv[2] if len(sys.argv) > 2 else "ninja"
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    deps = subprocess.run([ninja, "-C", tree, "-t", "deps"], check=True, capture_output=True,
                          text=True).stdout
    objects, wrong = 0, []
    source = None
    for line in deps.splitlines():
        if line and not line.startswith(" "):
            source = None  # "object: #deps N ...": its source is its first dependency
            continue
        header = line.strip()
        if not header:
            continue
        path = os.path.normpath(os.path.join(tree, header))
        if source is None:
            if "CMakeFiles" in path.split(os.sep):
                continue  # a precompiled header comes before the source
            source = path
            objects += 1
            continue
        includer, included = layer_of(source, root, tree), layer_of(path, root, tree)
        if includer and included and included not in ALLOWED[includer]:
            wrong.append(f"{os.path.relpath(source, root)} ({includer}) includes "
                         f"{os.path.relpath(path, root)} ({included})")
    with open(os.path.join(tree, "layer-links.tsv")) as links:
        for line in links:
            target, folder, linked, linked_folder = line.rstrip("\n").split("\t")
            user, used = LAYERS.get(folder.split("/")[0]), LAYERS.get(linked_folder.split("/")[0])
            if user and used and used not in ALLOWED[user]:
                wrong.append(f"{target} ({user}) links {linked} ({used})")
    if objects == 0:
        print(f"{tree}: no object in Ninja's deps log: build the tree first")
        return 1
    for entry in sorted(set(wrong)):
        print(entry)
    if wrong:
        print(f"{len(set(wrong))} includes or links the wrong way (product <- harness <- tools, tests)")
        return 1
    print(f"{objects} objects of {tree}: every include and link points the allowed way")
    return 0


if __name__ == "__main__":
    sys.exit(main())
