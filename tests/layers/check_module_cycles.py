"""The modules of one folder point one way: the tool's files (a module is a
stem: its .h and .cpp together) by their includes, the Python package's
modules by their imports (those inside functions too), form no cycle.

    python3 check_module_cycles.py FOLDER
"""
import re
import sys
from pathlib import Path

_INCLUDE = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)\.h"', re.M)
_FROM_PACKAGE = re.compile(r'^\s*from\s+\.\s+import\s+([A-Za-z0-9_, ]+)', re.M)
_FROM_MODULE = re.compile(r'^\s*from\s+\.([A-Za-z0-9_]+)\s+import\b', re.M)


def _dependencies(path):
    text = path.read_text(encoding="utf-8")
    if path.suffix == ".py":
        named = {name.split(" as ")[0].strip() for names in _FROM_PACKAGE.findall(text) for name in names.split(",")}
        return named | set(_FROM_MODULE.findall(text))
    return set(_INCLUDE.findall(text))


def module_graph(folder):
    graph = {}
    for path in sorted(folder.iterdir()):
        if path.suffix in (".h", ".cpp", ".py"):
            graph.setdefault(path.stem, set()).update(_dependencies(path))
    return {module: sorted(d for d in deps if d in graph and d != module) for module, deps in graph.items()}


def find_cycle(graph):
    """A cycle of the graph as a list of modules (its first again at its end), or None."""
    state = {}  # module: "open" while on the path, "done" once all below it are seen
    path = []

    def visit(module):
        state[module] = "open"
        path.append(module)
        for target in graph[module]:
            if state.get(target) == "open":
                return path[path.index(target):] + [target]
            if target not in state:
                cycle = visit(target)
                if cycle:
                    return cycle
        path.pop()
        state[module] = "done"
        return None

    for module in graph:
        if module not in state:
            cycle = visit(module)
            if cycle:
                return cycle
    return None


def main(arguments):
    folder = Path(arguments[1])
    graph = module_graph(folder)
    cycle = find_cycle(graph)
    if cycle:
        print(f"{folder}: the modules include or import one another in a cycle: {' -> '.join(cycle)}")
        return 1
    print(f"{folder}: {len(graph)} modules point one way")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
