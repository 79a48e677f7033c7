#!/usr/bin/env python3
"""Every command that `velmo --help` lists has a page docs/man/velmo-COMMAND.1.scd, and every option
that `velmo --help` and `velmo COMMAND --help` show is written in velmo.1.scd or that page. The bash
completion offers every command, and every option of each.
   check_pages.py VELMO MAN_FOLDER BASH_COMPLETION"""
import pathlib
import re
import subprocess
import sys


def help_text(velmo, *args):
    return subprocess.run([velmo, *args, "--help"], capture_output=True, text=True, check=True).stdout


def section(text, title):
    """The indented lines under a heading such as 'Options:' up to the next blank line."""
    lines = text.splitlines()
    try:
        start = lines.index(title) + 1
    except ValueError:
        return []
    block = []
    for line in lines[start:]:
        if not line.strip():
            break
        block.append(line)
    return block


def entries(text, title):
    """The first word of each entry under a heading; wrapped descriptions are indented deeper."""
    return [line.split()[0] for line in section(text, title) if line.startswith("  ") and not line.startswith("   ")]


def options(text):
    """The option names of a help text: '-o' and '--output' from '  -o,--output TEXT  ...'."""
    names = []
    for first in entries(text, "Options:"):
        names += [name for name in first.split(",") if re.fullmatch(r"--?[A-Za-z0-9][A-Za-z0-9-]*", name)]
    return names


def commands(text):
    return entries(text, "Subcommands:")


def mentions(page, option):
    # scdoc sources may escape a character with a backslash.
    pattern = "".join(r"\\?-" if char == "-" else re.escape(char) for char in option)
    return re.search(r"(?<![\w\\-])" + pattern + r"(?![\w-])", page) is not None


def completion_problems(script, pages):
    """The completion's word lists: commands="...", global="..." and 'NAME) options="..."' per command."""
    def words(pattern):
        found = re.search(pattern, script, re.M)
        return found.group(1).split() if found else []
    problems = []
    offered = words(r'^\s*local commands="([^"]*)"')
    for name, (text, _) in pages.items():
        if name and name not in offered:
            problems.append(f"the bash completion does not offer the command {name}")
        known = words(r'^\s*local global="([^"]*)"') if not name else \
            words(r"^\s*" + re.escape(name) + r'\) options="([^"]*)"') + ["-h", "--help"]
        problems += [f"the bash completion does not offer {option} for velmo {name}".replace("  ", " ")
                     for option in options(text) if option not in known]
    return problems


def main():
    velmo, folder = sys.argv[1], pathlib.Path(sys.argv[2])
    problems = []
    top = help_text(velmo)
    pages = {"": (top, folder / "velmo.1.scd")}
    names = commands(top)
    if not names:
        problems.append("velmo --help lists no commands")
    for name in names:
        pages[name] = (help_text(velmo, name), folder / f"velmo-{name}.1.scd")
    for name, (text, path) in pages.items():
        if not path.exists():
            problems.append(f"{path.name} is missing for velmo {name}".rstrip())
            continue
        page = path.read_text()
        shown = options(text)
        if not shown:
            problems.append(f"velmo {name} --help shows no options (not even --help)")
        problems += [f"{path.name} does not mention {option}" for option in shown if not mentions(page, option)]
    problems += completion_problems(pathlib.Path(sys.argv[3]).read_text(), pages)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
