"""The ctest entries of a Wine test module, for tests/CMakeLists.txt (read without importing
it, so that configuring needs no Wine). A module runs as one entry unless it says otherwise
in a module-level `CTEST = {...}`:
  "split": "classes" or "tests"  one entry per TestCase class, or per test method;
  "cost": seconds                how long an entry takes, so that ctest starts long ones first;
  "serial": True                 runs alone (it measures time);
  "idle": True                   waits on timers with the processor idle: takes no processor
                                 slot of ctest's (see scripts/test), so it runs beside the rest.
Prints one line per entry: name (also its unittest name), cost, serial, idle (tab-separated)."""

import ast
import sys
from pathlib import Path


def entries(path):
    tree = ast.parse(Path(path).read_text(encoding="utf-8"))
    module = Path(path).stem
    settings = {}
    for node in tree.body:
        if isinstance(node, ast.Assign) and any(getattr(t, "id", None) == "CTEST" for t in node.targets):
            settings = ast.literal_eval(node.value)
    split = settings.get("split")
    cost = str(settings.get("cost", 0))
    serial = "1" if settings.get("serial") else "0"
    idle = "1" if settings.get("idle") else "0"
    if not split:
        return [(module, cost, serial, idle)]
    found = []
    for node in tree.body:
        if not isinstance(node, ast.ClassDef):
            continue
        tests = [f.name for f in node.body if isinstance(f, ast.FunctionDef) and f.name.startswith("test")]
        if not tests:
            continue
        if split == "classes":
            found.append(("%s.%s" % (module, node.name), cost, serial, idle))
        else:
            found.extend(("%s.%s.%s" % (module, node.name, t), cost, serial, idle) for t in tests)
    return found


if __name__ == "__main__":
    for argument in sys.argv[1:]:
        for entry in entries(argument):
            print("\t".join(entry))
