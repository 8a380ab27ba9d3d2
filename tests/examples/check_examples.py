#!/usr/bin/env python3
"""Checks the shipping examples, the manual pages and the kslog command lines of the
documentation without running Vector, Fluent Bit or kslog.

    check_examples.py ROOT CHECK

ROOT is the source tree; CHECK is one of vector, fluent-bit, systemd, commands, manpages,
readme, or selftest (which breaks copies of the files on purpose and expects every check to
notice). Prints what is wrong and exits 1, or exits 0 when all is right.
"""

from __future__ import annotations

import datetime
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

try:
    import tomllib
except ImportError:  # Python before 3.11
    tomllib = None

# ---------------------------------------------------------------------------------------------
# What kslog takes and writes. The manual page and the README must say the same (the manpages
# and readme checks compare them with this).

FILTER_OPTIONS = {
    "--since": "WHEN",
    "--until": "WHEN",
    "--severity": "LEVEL",
    "--kind": "TEXT",
    "--grep": "TEXT",
    "--regex": "RE",
    "--ignore-case": None,
    "--match-case": None,
}
REPEATABLE = {"--kind", "--grep"}
COMMANDS = {
    "summary": {"--since": "WHEN", "--until": "WHEN", "--json": None, "--catalogue": "PATH"},
    "list": {**FILTER_OPTIONS, "--format": "FORMAT", "--explain": None, "--encoding": "NAME",
             "--catalogue": "PATH"},
    "follow": {**FILTER_OPTIONS, "--format": "FORMAT", "--explain": None, "--from-start": None,
               "--encoding": "NAME", "--catalogue": "PATH"},
    "fetch": {"--user": "USER", "--password-file": "PATH", "--output": "FILE"},
}
# Short options and the long ones they stand for.
SHORT_OPTIONS = {"-o": "--output"}
ALONE = {"--help", "--version"}
ALL_OPTIONS = ALONE | {option for options in COMMANDS.values() for option in options}
FORMATS = {"text", "csv", "jsonl"}
SEVERITIES = {"critical", "error", "warning", "info", "unknown"}
PLACEHOLDERS = {"FILE", "WHEN", "LEVEL", "TEXT", "RE", "PATH", "FORMAT", "NAME", "HOST", "USER"}
# The encodings kslog reads (their names in any letter case).
ENCODINGS = {"utf-8", "windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254",
             "windows-1255", "windows-1256", "windows-1257", "windows-1258", "iso-8859-1", "iso-8859-2",
             "iso-8859-5", "iso-8859-15", "koi8-r", "ibm866", "shift_jis", "gbk", "big5"}

# The fields of a record, in order, with their JSON types; "description" only with --explain.
RECORD_FIELDS = [
    ("no", "number"), ("offset", "number"), ("length", "number"), ("time", "string or null"),
    ("source", "string or null"), ("client", "boolean"), ("severity", "string"),
    ("facility", "string or null"), ("kind", "string or null"), ("message", "string or null"),
    ("text", "string"), ("description", "string or null"),
]
FIELD_NAMES = [name for name, _ in RECORD_FIELDS]
TIME_SAMPLE = "2026-11-09T08:30:24"

# ---------------------------------------------------------------------------------------------
# kslog command lines


def is_placeholder(token: str) -> bool:
    return token in PLACEHOLDERS or token.startswith("$")


def check_when(value: str) -> str | None:
    if is_placeholder(value):
        return None
    for layout in ("%Y-%m-%d", "%Y-%m-%dT%H:%M", "%Y-%m-%dT%H:%M:%S"):
        try:
            if datetime.datetime.strptime(value, layout).strftime(layout) == value:
                return None
        except ValueError:
            pass
    return f"{value!r} is not YYYY-MM-DD, YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS"


def check_value(option: str, kind: str, value: str) -> str | None:
    if kind == "WHEN":
        problem = check_when(value)
        return f"{option}: {problem}" if problem else None
    if is_placeholder(value):
        return None
    if kind == "FORMAT" and value not in FORMATS:
        return f"{option}: {value!r} is none of {sorted(FORMATS)}"
    if kind == "LEVEL" and value not in SEVERITIES:
        return f"{option}: {value!r} is none of {sorted(SEVERITIES)}"
    if kind == "NAME" and value.lower() not in ENCODINGS:
        return f"{option}: {value!r} is none of {sorted(ENCODINGS)}"
    if kind in ("TEXT", "RE", "PATH") and value == "":
        return f"{option}: empty value"
    return None


def check_command(argv: list[str]) -> list[str]:
    """Checks one kslog command line, argv[0] being the program."""
    if not argv or pathlib.PurePosixPath(argv[0]).name != "kslog":
        return [f"not a kslog command: {argv!r}"]
    words = argv[1:]
    if not words:
        return ["kslog without a command"]
    if words[0] in ALONE:
        return [] if len(words) == 1 else [f"{words[0]} takes nothing else: {words!r}"]
    command = words[0]
    if command not in COMMANDS:
        return [f"unknown command {command!r}"]
    allowed = COMMANDS[command]
    problems, files, seen = [], [], set()
    i = 1
    while i < len(words):
        word = SHORT_OPTIONS.get(words[i], words[i])
        if word.startswith("--"):
            option = word.split("=", 1)[0]
            if option not in allowed:
                problems.append(f"{command}: unknown option {option}")
                i += 1
                continue
            if option in seen and option not in REPEATABLE:
                problems.append(f"{command}: {option} given twice")
            seen.add(option)
            kind = allowed[option]
            if "=" in word:
                if kind is None:
                    problems.append(f"{command}: {option} takes no value")
                    value = None
                else:
                    value = word.split("=", 1)[1]
                i += 1
            elif kind is None:
                value = None
                i += 1
            elif i + 1 < len(words):
                value = words[i + 1]
                i += 2
            else:
                problems.append(f"{command}: {option} lacks its {kind}")
                break
            if value is not None:
                problem = check_value(option, kind, value)
                if problem:
                    problems.append(f"{command}: {problem}")
        elif word.startswith("-") and word != "-":
            problems.append(f"{command}: unknown option {word}")
            i += 1
        else:
            files.append(word)
            i += 1
    if {"--ignore-case", "--match-case"} <= seen:
        problems.append(f"{command}: both --ignore-case and --match-case")
    if len(files) != 1:
        problems.append(f"{command}: wants one FILE, has {files!r}")
    return problems


def check_synopsis_line(line: str) -> list[str]:
    """Checks a usage line such as 'kslog list FILE [FILTERS] [--format text|csv|jsonl]'."""
    words = line.split()
    rest = words[1:]
    if rest and rest[0] in ALONE:
        bad = [w for w in re.findall(r"--[a-z][a-z-]*", line) if w not in ALONE]
        return [f"usage line names {bad}: {line!r}"] if bad else []
    if not rest or rest[0] not in COMMANDS:
        return [f"usage line with no known command: {line!r}"]
    command = rest[0]
    allowed = set(COMMANDS[command])
    problems = [f"{command}: unknown option {option} in usage line"
                for option in re.findall(r"--[a-z][a-z-]*", line) if option not in allowed]
    if "FILTERS" in line and command == "summary":
        problems.append("summary takes no FILTERS")
    return problems


COMMAND_START = re.compile(r"(?:(?<=^)|(?<=[\s'\"|;&(`]))((?:[\w.~/-]*/)?kslog)(?=\s|$)")
SHELL_BREAKS = {"|", "||", "&", "&&", ";", ";;", ">", ">>", "<", "(", ")", "2>", "&>"}


def commands_in_line(line: str, where: str, strict: bool) -> list[tuple[str, list[str]]]:
    """Finds the kslog command lines in a line of shell. With strict, every kslog at a command
    position must be a valid command; otherwise prose such as 'kslog starts at...' is left
    alone and only 'kslog COMMAND' or 'kslog --OPTION' counts."""
    found = []
    for match in COMMAND_START.finditer(line):
        before = line[:match.start()].rstrip()
        at_command = (before == "" or before.endswith(("|", ";", "&&", "||", "(", "`", "$(", "'", "\""))
                      or re.search(r"(^|\s)(sh|bash) -c ['\"]?$", before) is not None)
        if not at_command:
            continue
        rest = line[match.start():]
        following = rest[match.end() - match.start():].split()
        looks_like_command = bool(following) and (following[0] in COMMANDS or following[0].startswith("--"))
        if not looks_like_command and not strict:
            continue
        if "[--" in rest or "[FILTERS]" in rest:
            found.append((where, ["<usage>", rest]))
            continue
        lexer = shlex.shlex(rest, posix=True, punctuation_chars="|&;<>()")
        lexer.whitespace_split = True
        argv = []
        try:
            for token in lexer:
                if token in SHELL_BREAKS or token.startswith(("|", ";", "&", ">", "<", ")")):
                    break
                argv.append(token)
        except ValueError as error:
            # An unclosed quote: the command sits inside an outer quoted string (sh -c '...').
            # Cut at that quote and read again.
            closing = rest.rfind("'")
            try:
                argv = []
                lexer = shlex.shlex(rest[:closing], posix=True, punctuation_chars="|&;<>()")
                lexer.whitespace_split = True
                for token in lexer:
                    if token in SHELL_BREAKS or token.startswith(("|", ";", "&", ">", "<", ")")):
                        break
                    argv.append(token)
            except ValueError:
                found.append((where, ["<unreadable>", f"{error}: {rest!r}"]))
                continue
        found.append((where, argv))
    return found


def logical_lines(lines: list[tuple[int, str]]) -> list[tuple[int, str]]:
    """Joins lines that end in a backslash with the next."""
    joined, pending, first = [], "", 0
    for number, line in lines:
        if not pending:
            first = number
        if line.rstrip().endswith("\\"):
            pending += line.rstrip()[:-1] + " "
            continue
        joined.append((first, pending + line))
        pending = ""
    if pending:
        joined.append((first, pending))
    return joined


def roff_to_text(line: str) -> str:
    for escape, text in ((r"\-", "-"), (r"\(aq", "'"), (r"\(dq", '"'), (r"\%", ""), (r"\&", ""),
                         (r"\e", "\\")):
        line = line.replace(escape, text)
    return line


def markdown_code(text: str) -> list[tuple[int, str]]:
    """The code of a Markdown file: (line number, line) for the lines of fenced and indented
    blocks and for the inline code spans that begin with kslog."""
    code, fenced, lines = [], False, text.splitlines()
    for number, line in enumerate(lines, 1):
        if line.lstrip().startswith("```"):
            fenced = not fenced
            continue
        if fenced or (line.startswith("    ") and line.strip()):
            code.append((number, line.strip()))
        else:
            for span in re.findall(r"`([^`]+)`", line):
                if re.match(r"kslog\s", span):
                    code.append((number, span))
    return code


def collect_commands(root: pathlib.Path) -> tuple[list[tuple[str, list[str]]], dict[str, int]]:
    """Every kslog command line of the examples, the README files and the manual pages."""
    found: list[tuple[str, list[str]]] = []
    per_file: dict[str, int] = {}

    def add(where_file: str, items: list[tuple[str, list[str]]]) -> None:
        found.extend(items)
        per_file[where_file] = per_file.get(where_file, 0) + len(items)

    markdown = [root / "README.md"] + sorted((root / "examples").rglob("*.md"))
    for path in markdown:
        if not path.exists():
            continue
        name = str(path.relative_to(root))
        per_file.setdefault(name, 0)
        code = markdown_code(path.read_text(encoding="utf-8"))
        for number, line in logical_lines(code):
            add(name, commands_in_line(line, f"{name}:{number}", strict=True))

    for path in sorted((root / "man").glob("*.1")):
        name = str(path.relative_to(root))
        per_file.setdefault(name, 0)
        example, lines = False, []
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            if line.startswith(".EX"):
                example = True
            elif line.startswith(".EE"):
                example = False
            elif example:
                lines.append((number, roff_to_text(line)))
        for number, line in logical_lines(lines):
            add(name, commands_in_line(line, f"{name}:{number}", strict=True))

    for path in sorted((root / "examples").rglob("*")):
        if not path.is_file() or path.suffix == ".md":
            continue
        name = str(path.relative_to(root))
        per_file.setdefault(name, 0)
        text = path.read_text(encoding="utf-8")
        if path.suffix == ".toml":
            config = load_toml(text)
            if isinstance(config, dict):
                for source_id, source in config.get("sources", {}).items():
                    if isinstance(source, dict) and source.get("type") == "exec":
                        command = source.get("command")
                        if isinstance(command, list):
                            add(name, [(f"{name}: sources.{source_id}.command", [str(c) for c in command])])
        lines = []
        for number, line in enumerate(text.splitlines(), 1):
            stripped = line.strip()
            if stripped.startswith("#"):
                stripped = stripped.lstrip("#").strip()
            elif path.suffix == ".toml":
                continue  # the exec command arrays are read above
            elif stripped.startswith("ExecStart="):
                stripped = stripped[len("ExecStart="):]
            lines.append((number, stripped))
        for number, line in logical_lines(lines):
            add(name, commands_in_line(line, f"{name}:{number}", strict=False))
    return found, per_file


def problems_of_commands(found: list[tuple[str, list[str]]]) -> list[str]:
    problems = []
    for where, argv in found:
        if argv[0] == "<unreadable>":
            problems.append(f"{where}: cannot read the command line: {argv[1]}")
        elif argv[0] == "<usage>":
            problems.extend(f"{where}: {p}" for p in check_synopsis_line(argv[1]))
        else:
            problems.extend(f"{where}: {p}: {shlex.join(argv)}" for p in check_command(argv))
    return problems


def check_commands(root: pathlib.Path) -> list[str]:
    found, per_file = collect_commands(root)
    problems = problems_of_commands(found)
    # Files that show how kslog is run must show it; zero found means the reading broke.
    for name in ("examples/README.md", "examples/vector/vector.toml", "examples/fluent-bit/fluent-bit.conf",
                 "examples/systemd/kslog-ship.service", "man/kslog.1"):
        if per_file.get(name, 0) == 0:
            problems.append(f"{name}: no kslog command line found")
    return problems


# ---------------------------------------------------------------------------------------------
# Vector

def load_toml(text: str):
    if tomllib is None:
        raise RuntimeError("python3 lacks tomllib (3.11 or later is needed)")
    try:
        return tomllib.loads(text)
    except tomllib.TOMLDecodeError as error:
        return f"not valid TOML: {error}"


def uncommented_alternatives(text: str) -> list[str]:
    """The commented-out alternatives of a configuration: runs of comment lines whose first
    line, after '# ', opens a section ('[...]'). Returns each with one '# ' removed from every
    line, as a reader who follows the comment would."""
    blocks, current = [], None
    for line in text.splitlines():
        if current is None:
            if line.startswith("# ["):
                current = [line[2:]]
        elif line.startswith("#"):
            current.append(line[2:] if line.startswith("# ") else line[1:])
        else:
            blocks.append("\n".join(current) + "\n")
            current = None
    if current is not None:
        blocks.append("\n".join(current) + "\n")
    return blocks


VECTOR_TOP = {"sources", "transforms", "sinks", "data_dir", "timezone", "api", "log_schema",
              "acknowledgements", "enrichment_tables", "secret", "schema", "healthchecks",
              "expire_metrics_secs", "proxy"}
VECTOR_COMMON = {"type", "inputs", "buffer", "batch", "request", "healthcheck", "tls",
                 "acknowledgements", "proxy", "compression", "encoding", "framing", "decoding",
                 "log_namespace", "graph"}
VECTOR_KEYS = {
    "exec": {"command", "mode", "working_directory", "include_stderr", "maximum_buffer_size_bytes",
             "environment", "clear_environment", "scheduled", "streaming"},
    "remap": {"source", "file", "files", "drop_on_error", "drop_on_abort", "reroute_dropped",
              "metric_tag_values", "timezone"},
    "loki": {"endpoint", "path", "labels", "tenant_id", "auth", "out_of_order_action",
             "remove_label_fields", "remove_timestamp", "structured_metadata",
             "remove_structured_metadata_fields"},
    "elasticsearch": {"endpoints", "endpoint", "mode", "bulk", "data_stream", "api_version", "auth",
                      "id_key", "pipeline", "doc_type", "suppress_type_name", "aws", "query",
                      "distribution", "request_retry_partial", "metrics", "opensearch_service_type"},
}
VECTOR_NESTED = {
    ("exec", "streaming"): {"respawn_on_exit", "respawn_interval_secs"},
    ("exec", "scheduled"): {"exec_interval_secs"},
    ("elasticsearch", "bulk"): {"index", "action", "template_fallback_index", "version", "version_type"},
    ("elasticsearch", "auth"): {"strategy", "user", "password", "access_key_id", "secret_access_key",
                                "assume_role", "region", "load_timeout_secs", "imds", "credentials_file",
                                "profile"},
    ("loki", "auth"): {"strategy", "user", "password", "token"},
}
VECTOR_ENUMS = {
    ("exec", "mode"): {"scheduled", "streaming"},
    ("elasticsearch", "mode"): {"bulk", "data_stream"},
    ("elasticsearch", "api_version"): {"auto", "v6", "v7", "v8"},
    ("*", "framing.method"): {"bytes", "character_delimited", "length_delimited", "newline_delimited",
                              "octet_counting", "chunked_gelf", "varint_length_delimited"},
    ("*", "decoding.codec"): {"bytes", "json", "syslog", "native", "native_json", "gelf", "influxdb",
                              "protobuf", "avro", "vrl"},
    ("*", "encoding.codec"): {"json", "text", "logfmt", "raw_message", "native", "native_json", "gelf",
                              "avro", "csv", "protobuf", "cef"},
    ("*", "auth.strategy"): {"basic", "bearer", "aws"},
}
# Fields that the exec source puts beside the decoded record, and Vector's own.
VECTOR_EVENT_FIELDS = {"timestamp", "host", "command", "pid", "data_stream", "source_type", "message"}
VRL_FUNCTIONS = {"parse_timestamp", "del", "exists", "is_null", "is_string", "string", "to_string",
                 "now", "format_timestamp", "downcase", "upcase", "contains", "starts_with",
                 "replace", "slice", "truncate", "strip_whitespace", "merge", "encode_json",
                 "parse_json", "to_int", "int", "bool", "array", "object", "length", "abort", "log",
                 "get_env_var", "get_hostname"}


def strip_vrl_strings(source: str) -> str:
    source = re.sub(r"#.*", "", source)
    source = re.sub(r'"(?:[^"\\]|\\.)*"', '""', source)
    source = re.sub(r"'(?:[^'\\]|\\.)*'", "''", source)
    return source


def check_vrl(where: str, source: str, known_fields: set[str]) -> list[str]:
    problems = []
    code = strip_vrl_strings(source)
    for opening, closing in ("()", "{}", "[]"):
        if code.count(opening) != code.count(closing):
            problems.append(f"{where}: unbalanced {opening}{closing}")
    for field in re.findall(r"(?<![\w.\]\)])\.([A-Za-z_][\w]*)", code):
        if field not in known_fields:
            problems.append(f"{where}: .{field} is no field of a kslog record nor of the event")
    for function in re.findall(r"\b([a-z_][a-z0-9_]*)!?\s*\(", code):
        if function not in VRL_FUNCTIONS:
            problems.append(f"{where}: {function}() is not a VRL function used here")
    for call in re.finditer(r"parse_timestamp!?\((.*?)\)", source):
        formats = re.findall(r'"([^"]*%[^"]*)"', call.group(1))
        if not formats:
            problems.append(f"{where}: parse_timestamp without a format")
        for layout in formats:
            problems.extend(f"{where}: {p}" for p in check_time_format(layout))
    return problems


def check_time_format(layout: str) -> list[str]:
    """The strptime layout must read kslog's time field back to the same time."""
    try:
        parsed = datetime.datetime.strptime(TIME_SAMPLE, layout)
    except ValueError as error:
        return [f"time format {layout!r} does not read {TIME_SAMPLE!r}: {error}"]
    if parsed.strftime("%Y-%m-%dT%H:%M:%S") != TIME_SAMPLE:
        return [f"time format {layout!r} reads {TIME_SAMPLE!r} as {parsed}"]
    return []


def flatten(table: dict, prefix: str = "") -> dict[str, object]:
    flat = {}
    for key, value in table.items():
        if isinstance(value, dict):
            flat.update(flatten(value, f"{prefix}{key}."))
        else:
            flat[f"{prefix}{key}"] = value
    return flat


def check_vector_component(where: str, kind: str, component: dict, record_fields: set[str]) -> list[str]:
    problems = []
    component_type = component.get("type")
    if component_type not in VECTOR_KEYS:
        return [f"{where}: type {component_type!r} is not one these examples use"]
    allowed = VECTOR_KEYS[component_type] | VECTOR_COMMON
    for key, value in component.items():
        if key not in allowed:
            problems.append(f"{where}: unknown key {key!r} for a {component_type} {kind[:-1]}")
        if isinstance(value, dict) and (component_type, key) in VECTOR_NESTED:
            for inner in value:
                if inner not in VECTOR_NESTED[(component_type, key)]:
                    problems.append(f"{where}: unknown key {key}.{inner!r}")
    for flat_key, value in flatten(component).items():
        for (enum_type, enum_key), values in VECTOR_ENUMS.items():
            if enum_type in ("*", component_type) and enum_key == flat_key and value not in values:
                problems.append(f"{where}: {flat_key} = {value!r} is none of {sorted(values)}")
    if kind == "sources" and "inputs" in component:
        problems.append(f"{where}: a source takes no inputs")
    if kind != "sources" and not (isinstance(component.get("inputs"), list) and component["inputs"]):
        problems.append(f"{where}: no inputs")

    if component_type == "exec":
        command = component.get("command")
        if not (isinstance(command, list) and all(isinstance(c, str) for c in command)):
            problems.append(f"{where}: command must be an array of strings")
        else:
            problems.extend(f"{where}: {p}" for p in check_command(command))
            if command[1:2] != ["follow"] or "jsonl" not in command:
                problems.append(f"{where}: the source must run 'kslog follow ... --format jsonl'")
        if component.get("mode") != "streaming":
            problems.append(f"{where}: mode must be \"streaming\" for a program that keeps running")
        if flatten(component).get("decoding.codec") != "json":
            problems.append(f"{where}: decoding.codec must be \"json\" for kslog's JSON lines")
        if component.get("include_stderr", True) is not False:
            problems.append(f"{where}: include_stderr must be false, or kslog's messages become events")
        framing = flatten(component).get("framing.method", "newline_delimited")
        if framing != "newline_delimited":
            problems.append(f"{where}: framing.method must be newline_delimited for JSON lines")
    if component_type == "remap":
        source = component.get("source")
        if not isinstance(source, str) or not source.strip():
            problems.append(f"{where}: no VRL source")
        else:
            problems.extend(check_vrl(where, source, record_fields | VECTOR_EVENT_FIELDS))
    if component_type == "loki":
        labels = component.get("labels")
        if not isinstance(labels, dict) or not labels:
            problems.append(f"{where}: no labels")
        else:
            for label, template in labels.items():
                for field in re.findall(r"{{\s*([^}]*?)\s*}}", str(template)):
                    if field not in record_fields | {"host"}:
                        problems.append(f"{where}: label {label} uses {field!r}, no field of a record")
            for wanted in ("host", "severity", "facility"):
                if wanted not in labels:
                    problems.append(f"{where}: no label {wanted}")
        if not str(component.get("endpoint", "")).startswith(("http://", "https://")):
            problems.append(f"{where}: endpoint must be an http(s) address")
    if component_type == "elasticsearch":
        endpoints = component.get("endpoints") or ([component["endpoint"]] if "endpoint" in component else [])
        if not endpoints or not all(str(e).startswith(("http://", "https://")) for e in endpoints):
            problems.append(f"{where}: endpoints must be http(s) addresses")
    return problems


def check_vector_config(name: str, config: dict) -> list[str]:
    problems = []
    for key in config:
        if key not in VECTOR_TOP:
            problems.append(f"{name}: unknown top-level key {key!r}")
    components = {}
    for kind in ("sources", "transforms", "sinks"):
        for component_id, component in config.get(kind, {}).items():
            if not isinstance(component, dict):
                problems.append(f"{name}: {kind}.{component_id} is not a table")
                continue
            components[component_id] = (kind, component)
    if not config.get("sources") or not config.get("sinks"):
        problems.append(f"{name}: needs at least one source and one sink")
    record_fields = set(FIELD_NAMES)
    used = set()
    for component_id, (kind, component) in components.items():
        where = f"{name}: {kind}.{component_id}"
        problems.extend(check_vector_component(where, kind, component, record_fields))
        for source in component.get("inputs", []) if kind != "sources" else []:
            used.add(source)
            if source not in components or components[source][0] == "sinks":
                problems.append(f"{where}: input {source!r} is no source or transform here")
    for component_id, (kind, _) in components.items():
        if kind != "sinks" and component_id not in used:
            problems.append(f"{name}: {kind}.{component_id} feeds nothing")
    return problems


def check_vector(root: pathlib.Path) -> list[str]:
    path = root / "examples/vector/vector.toml"
    if not path.exists():
        return [f"{path} is missing"]
    text = path.read_text(encoding="utf-8")
    config = load_toml(text)
    if isinstance(config, str):
        return [f"vector.toml: {config}"]
    problems = check_vector_config("vector.toml", config)
    if not any(c.get("type") == "loki" for c in config.get("sinks", {}).values()):
        problems.append("vector.toml: no Loki sink")
    alternatives = uncommented_alternatives(text)
    if not alternatives:
        problems.append("vector.toml: no commented alternative sink")
    for block in alternatives:
        # The alternative, uncommented, joins the configuration and must fit into it.
        combined = load_toml(text + "\n" + block)
        if isinstance(combined, str):
            problems.append(f"vector.toml, commented alternative uncommented: {combined}")
            continue
        problems.extend(check_vector_config("vector.toml (alternative uncommented)", combined))
        if not any(c.get("type") == "elasticsearch" for c in combined.get("sinks", {}).values()):
            problems.append("vector.toml: the commented alternative is no Elasticsearch sink")
    return sorted(set(problems), key=problems.index)


# ---------------------------------------------------------------------------------------------
# Fluent Bit (the classic configuration format)

FLUENT_SECTIONS = {"SERVICE", "INPUT", "FILTER", "OUTPUT", "PARSER", "MULTILINE_PARSER", "PLUGINS",
                   "UPSTREAM", "NODE", "CUSTOM"}
FLUENT_SERVICE_KEYS = {"flush", "grace", "daemon", "dns.mode", "log_file", "log_level", "parsers_file",
                       "plugins_file", "streams_file", "http_server", "http_listen", "http_port",
                       "health_check", "hot_reload", "coro_stack_size", "scheduler.cap",
                       "scheduler.base", "json.convert_nan_to_null", "storage.path", "storage.sync",
                       "storage.checksum", "storage.backlog.mem_limit", "storage.metrics",
                       "storage.max_chunks_up", "storage.delete_irrecoverable_chunks"}
FLUENT_PLUGIN_COMMON = {"name", "alias", "log_level", "tag", "match", "match_regex", "mem_buf_limit",
                        "storage.type", "threaded", "retry_limit", "workers", "tls", "tls.verify",
                        "tls.ca_file", "tls.crt_file", "tls.key_file", "tls.vhost", "net.keepalive",
                        "storage.total_limit_size"}
FLUENT_PLUGIN_KEYS = {
    ("INPUT", "stdin"): {"parser", "buffer_size"},
    ("FILTER", "record_modifier"): {"record", "remove_key", "allowlist_key", "whitelist_key", "uuid_key"},
    ("OUTPUT", "es"): {"host", "port", "path", "index", "type", "http_user", "http_passwd", "cloud_id",
                       "cloud_auth", "aws_auth", "aws_region", "logstash_format", "logstash_prefix",
                       "logstash_prefix_key", "logstash_dateformat", "time_key", "time_key_format",
                       "time_key_nanos", "include_tag_key", "tag_key", "generate_id", "id_key",
                       "replace_dots", "trace_output", "trace_error", "current_time_index",
                       "suppress_type_name", "buffer_size", "pipeline", "compress", "write_operation"},
    ("OUTPUT", "loki"): {"host", "port", "uri", "tenant_id", "labels", "label_keys", "label_map_path",
                         "remove_keys", "drop_single_key", "line_format", "auto_kubernetes_labels",
                         "http_user", "http_passwd", "bearer_token", "structured_metadata", "compress",
                         "tenant_id_key"},
}
FLUENT_PARSER_KEYS = {"name", "format", "regex", "time_key", "time_format", "time_keep", "time_offset",
                      "time_strict", "time_system_timezone", "decode_field", "decode_field_as",
                      "types", "skip_empty_values"}
FLUENT_ON_OFF = {"on", "off", "true", "false", "yes", "no"}


def parse_fluent(text: str, name: str) -> tuple[list[tuple[str, dict[str, str], int]], list[str]]:
    """Reads a classic Fluent Bit file: sections of indented 'Key Value' lines. Returns the
    sections as (NAME, {lower-case key: value}, line) and the problems found."""
    sections: list[tuple[str, dict[str, str], int]] = []
    problems: list[str] = []
    indent = None
    for number, line in enumerate(text.splitlines(), 1):
        where = f"{name}:{number}"
        if "\t" in line:
            problems.append(f"{where}: a tab; indent with spaces")
        if not line.strip():
            continue
        if line.startswith("#"):
            continue
        if line.lstrip().startswith("#"):
            problems.append(f"{where}: comments go at the start of the line, outside the keys")
            continue
        if line.startswith("@"):
            command = line.split()[0].upper()
            if command not in ("@INCLUDE", "@SET"):
                problems.append(f"{where}: unknown command {command}")
            continue
        if line.startswith("["):
            match = re.fullmatch(r"\[([A-Z_]+)\]\s*", line)
            if not match or match.group(1) not in FLUENT_SECTIONS:
                problems.append(f"{where}: unknown section {line.strip()}")
                sections.append(("?", {}, number))
            else:
                sections.append((match.group(1), {}, number))
            continue
        if not sections:
            problems.append(f"{where}: a key outside any section")
            continue
        width = len(line) - len(line.lstrip(" "))
        if width == 0:
            problems.append(f"{where}: keys are indented")
            continue
        if indent is None:
            indent = width
        elif width != indent:
            problems.append(f"{where}: indented by {width}, the file's keys by {indent}")
        parts = line.strip().split(None, 1)
        if len(parts) != 2:
            problems.append(f"{where}: key {parts[0]!r} without a value")
            continue
        key = parts[0].lower()
        if key in sections[-1][1] and key not in ("record", "remove_key", "allowlist_key", "regex", "types"):
            problems.append(f"{where}: {parts[0]} given twice in the section")
        sections[-1][1][key] = parts[1].strip()
    return sections, problems


def fluent_pattern_matches(pattern: str, tag: str) -> bool:
    return re.fullmatch(".*".join(re.escape(part) for part in pattern.split("*")), tag) is not None


def check_fluent_sections(name: str, sections, parsers: dict[str, dict[str, str]]) -> list[str]:
    problems = []
    tags, matches = [], []
    record_fields = set(FIELD_NAMES)
    added_fields = set()
    for section, keys, line in sections:
        where = f"{name}:{line} [{section}]"
        if section == "SERVICE":
            for key in keys:
                if key not in FLUENT_SERVICE_KEYS:
                    problems.append(f"{where}: unknown key {key}")
            continue
        if section not in ("INPUT", "FILTER", "OUTPUT"):
            continue
        plugin = keys.get("name")
        if not plugin:
            problems.append(f"{where}: no Name")
            continue
        allowed = FLUENT_PLUGIN_KEYS.get((section, plugin))
        if allowed is None:
            problems.append(f"{where}: plugin {plugin!r} is not one these examples use")
            continue
        for key, value in keys.items():
            if key not in allowed | FLUENT_PLUGIN_COMMON:
                problems.append(f"{where}: unknown key {key} for {plugin}")
            switches = ("logstash_format", "suppress_type_name", "include_tag_key", "replace_dots",
                        "generate_id", "drop_single_key")
            if key in switches and value.lower() not in FLUENT_ON_OFF:
                problems.append(f"{where}: {key} is On or Off, not {value!r}")
            if key == "port" and not value.isdigit():
                problems.append(f"{where}: port {value!r} is not a number")
        if section == "INPUT":
            if "tag" not in keys:
                problems.append(f"{where}: no Tag")
            tags.append(keys.get("tag", ""))
            parser = keys.get("parser")
            if plugin == "stdin" and not parser:
                problems.append(f"{where}: stdin without the parser that reads kslog's time")
            if parser and parser not in parsers:
                problems.append(f"{where}: parser {parser!r} is defined in no parsers file")
        else:
            if "match" not in keys and "match_regex" not in keys:
                problems.append(f"{where}: no Match")
            matches.append((where, section, keys.get("match", "")))
        if plugin == "record_modifier":
            for record in re.findall(r"(\S+)\s+\S", keys.get("record", "")):
                added_fields.add(record)
        if plugin == "loki":
            label_text = keys.get("label_keys", "") + " " + keys.get("labels", "")
            for label in re.findall(r"\$([A-Za-z_]\w*)", label_text):
                if label not in record_fields | added_fields:
                    problems.append(f"{where}: label ${label} is no field of a record")
            if keys.get("line_format", "json").lower() not in ("json", "key_value"):
                problems.append(f"{where}: line_format is json or key_value")
    for where, section, pattern in matches:
        if pattern and not any(fluent_pattern_matches(pattern, tag) for tag in tags):
            problems.append(f"{where}: Match {pattern!r} takes no input's Tag {tags}")
    if not any(section == "OUTPUT" for section, _, _ in sections):
        problems.append(f"{name}: no [OUTPUT]")
    return problems


def check_fluent_parser(name: str, keys: dict[str, str], line: int) -> list[str]:
    where = f"{name}:{line} [PARSER]"
    problems = [f"{where}: unknown key {key}" for key in keys if key not in FLUENT_PARSER_KEYS]
    if keys.get("format") != "json":
        problems.append(f"{where}: Format must be json for kslog's records")
    if keys.get("time_key") != "time" or "time" not in FIELD_NAMES:
        problems.append(f"{where}: Time_Key must be time, the record's field")
    if "time_format" not in keys:
        problems.append(f"{where}: no Time_Format")
    else:
        problems.extend(f"{where}: {p}" for p in check_time_format(keys["time_format"]))
    if keys.get("time_keep", "off").lower() not in FLUENT_ON_OFF:
        problems.append(f"{where}: Time_Keep is On or Off")
    return problems


def check_fluent_bit(root: pathlib.Path) -> list[str]:
    folder = root / "examples/fluent-bit"
    path = folder / "fluent-bit.conf"
    if not path.exists():
        return [f"{path} is missing"]
    text = path.read_text(encoding="utf-8")
    sections, problems = parse_fluent(text, "fluent-bit.conf")
    parsers: dict[str, dict[str, str]] = {}
    services = [keys for section, keys, _ in sections if section == "SERVICE"]
    if len(services) != 1:
        problems.append("fluent-bit.conf: wants one [SERVICE]")
    parser_files = [keys["parsers_file"] for keys in services if "parsers_file" in keys]
    if not parser_files:
        problems.append("fluent-bit.conf: [SERVICE] names no Parsers_File")
    for parser_file in parser_files:
        parser_path = folder / parser_file
        if not parser_path.is_file():
            problems.append(f"fluent-bit.conf: Parsers_File {parser_file} is not beside it")
            continue
        parser_sections, parser_problems = parse_fluent(parser_path.read_text(encoding="utf-8"), parser_file)
        problems.extend(parser_problems)
        for section, keys, line in parser_sections:
            if section != "PARSER":
                problems.append(f"{parser_file}:{line}: [{section}] in a parsers file")
                continue
            if "name" not in keys:
                problems.append(f"{parser_file}:{line}: [PARSER] without Name")
                continue
            parsers[keys["name"]] = keys
            problems.extend(check_fluent_parser(parser_file, keys, line))
    problems.extend(check_fluent_sections("fluent-bit.conf", sections, parsers))
    if not any(keys.get("name") == "es" for section, keys, _ in sections if section == "OUTPUT"):
        problems.append("fluent-bit.conf: no es output")
    alternatives = uncommented_alternatives(text)
    if not alternatives:
        problems.append("fluent-bit.conf: no commented alternative output")
    for block in alternatives:
        extra, extra_problems = parse_fluent(block, "fluent-bit.conf (alternative uncommented)")
        problems.extend(extra_problems)
        problems.extend(check_fluent_sections("fluent-bit.conf (alternative uncommented)", sections + extra,
                                              parsers))
        if not any(keys.get("name") == "loki" for section, keys, _ in extra if section == "OUTPUT"):
            problems.append("fluent-bit.conf: the commented alternative is no loki output")
    return sorted(set(problems), key=problems.index)


# ---------------------------------------------------------------------------------------------
# systemd

SYSTEMD_KEYS = {
    "Unit": {"Description", "Documentation", "Wants", "Requires", "After", "Before", "BindsTo",
             "PartOf", "ConditionPathExists", "StartLimitIntervalSec", "StartLimitBurst"},
    "Service": {"Type", "User", "Group", "SupplementaryGroups", "DynamicUser", "ExecStart",
                "ExecStartPre", "Restart", "RestartSec", "Environment", "EnvironmentFile",
                "WorkingDirectory", "ProtectSystem", "ProtectHome", "PrivateTmp", "NoNewPrivileges",
                "ReadOnlyPaths", "StandardOutput", "StandardError", "KillMode", "TimeoutStopSec"},
    "Install": {"WantedBy", "RequiredBy", "Alias"},
}
SYSTEMD_RESTART = {"no", "always", "on-success", "on-failure", "on-abnormal", "on-abort", "on-watchdog"}


def check_systemd(root: pathlib.Path) -> list[str]:
    path = root / "examples/systemd/kslog-ship.service"
    if not path.exists():
        return [f"{path} is missing"]
    name = "kslog-ship.service"
    problems, sections, section = [], {}, None
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where = f"{name}:{number}"
        if not line.strip() or line.startswith(("#", ";")):
            continue
        match = re.fullmatch(r"\[(\w+)\]", line.strip())
        if match:
            section = match.group(1)
            if section not in SYSTEMD_KEYS:
                problems.append(f"{where}: unknown section [{section}]")
            sections.setdefault(section, {})
            continue
        if section is None or "=" not in line:
            problems.append(f"{where}: not 'Key=value' inside a section: {line!r}")
            continue
        key, value = (part.strip() for part in line.split("=", 1))
        if key not in SYSTEMD_KEYS.get(section, set()):
            problems.append(f"{where}: unknown key {key} in [{section}]")
        sections[section].setdefault(key, []).append(value)
    for wanted in SYSTEMD_KEYS:
        if wanted not in sections:
            problems.append(f"{name}: no [{wanted}]")
    service = sections.get("Service", {})
    for restart in service.get("Restart", []):
        if restart not in SYSTEMD_RESTART:
            problems.append(f"{name}: Restart={restart} is none of {sorted(SYSTEMD_RESTART)}")
    for seconds in service.get("RestartSec", []):
        if not re.fullmatch(r"\d+(ms|s|min)?", seconds):
            problems.append(f"{name}: RestartSec={seconds} is no time span")
    starts = service.get("ExecStart", [])
    if len(starts) != 1:
        problems.append(f"{name}: wants one ExecStart")
    for start in starts:
        if "$" in start or "%" in start:
            problems.append(f"{name}: ExecStart holds '$' or '%', which systemd expands itself")
        argv = shlex.split(start)
        if not argv[0].startswith("/"):
            problems.append(f"{name}: ExecStart must begin with an absolute path, not {argv[0]!r}")
        if pathlib.PurePosixPath(argv[0]).name in ("sh", "bash") and argv[1:2] == ["-c"] and len(argv) == 3:
            script = argv[2]
        else:
            script = start
        parts = [shlex.split(part) for part in script.split("|")]
        kslog = [p for p in parts if p and pathlib.PurePosixPath(p[0]).name == "kslog"]
        if len(kslog) != 1:
            problems.append(f"{name}: ExecStart runs no kslog")
        for argv in kslog:
            if not argv[0].startswith("/"):
                problems.append(f"{name}: give kslog's absolute path, services have a short PATH")
            problems.extend(f"{name}: ExecStart: {p}" for p in check_command(argv))
            if argv[1:2] != ["follow"] or "jsonl" not in argv:
                problems.append(f"{name}: ExecStart must run 'kslog follow ... --format jsonl'")
        for argv in parts:
            if argv and pathlib.PurePosixPath(argv[0]).name == "fluent-bit":
                if not argv[0].startswith("/"):
                    problems.append(f"{name}: give fluent-bit's absolute path")
                configs = [argv[i + 1] for i, a in enumerate(argv[:-1]) if a in ("-c", "--config")]
                for config in configs:
                    if not (root / "examples/fluent-bit" / pathlib.PurePosixPath(config).name).is_file():
                        problems.append(f"{name}: fluent-bit reads {config}, which examples/fluent-bit lacks")
                if not configs:
                    problems.append(f"{name}: fluent-bit without -c")
    return problems


# ---------------------------------------------------------------------------------------------
# Manual pages

def roff_sections(text: str) -> dict[str, list[str]]:
    sections, current = {}, None
    for line in text.splitlines():
        if line.startswith(".SH "):
            current = line[4:].strip().strip('"')
            sections[current] = []
        elif current is not None:
            sections[current].append(line)
    return sections


def tagged_names(lines: list[str]) -> list[str]:
    """The first word of each .TP tag (the line after .TP), as text."""
    names = []
    for before, line in zip(lines, lines[1:]):
        if before.strip() == ".TP" and line.startswith("."):
            words = line.split(None, 1)
            if len(words) == 2:
                names.append(roff_to_text(words[1].strip().strip('"').split()[0].strip('"')))
    return names


def check_manpage_groff(path: pathlib.Path) -> list[str]:
    groff = shutil.which("groff")
    if groff is None:
        return ["groff is not installed (Debian package groff-base): the manual pages cannot be checked"]
    result = subprocess.run([groff, "-man", "-Tutf8", "-ww", "-z", str(path)], capture_output=True,
                            text=True, env={**os.environ, "LC_ALL": "C.UTF-8"})
    problems = [f"{path.name}: groff: {line}" for line in result.stderr.splitlines() if line.strip()]
    if result.returncode != 0:
        problems.append(f"{path.name}: groff exited with {result.returncode}")
    return problems


def check_manpages(root: pathlib.Path) -> list[str]:
    problems = []
    folder = root / "man"
    pages = sorted(folder.glob("*.1"))
    names = {page.name for page in pages}
    if names != {"kslog.1", "kslogviewer.1"}:
        problems.append(f"man/ holds {sorted(names)}, not kslog.1 and kslogviewer.1")
    cmake_file = folder / "CMakeLists.txt"
    cmake = cmake_file.read_text(encoding="utf-8") if cmake_file.exists() else ""
    installed = set(re.findall(r"\b[\w-]+\.1\b", " ".join(re.findall(r"install\s*\(FILES([^)]*)\)", cmake))))
    if installed != names:
        problems.append(f"man/CMakeLists.txt installs {sorted(installed)}, the folder holds {sorted(names)}")
    if "CMAKE_INSTALL_MANDIR}/man1" not in cmake:
        problems.append("man/CMakeLists.txt does not install into ${CMAKE_INSTALL_MANDIR}/man1")
    for page in pages:
        problems.extend(check_manpage_groff(page))
        text = page.read_text(encoding="utf-8")
        sections = roff_sections(text)
        program = page.stem
        header = re.search(r"^\.TH (\S+) 1 ", text, re.M)
        if not header or header.group(1) != program.upper():
            problems.append(f"{page.name}: .TH does not name {program.upper()} in section 1")
        for wanted in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "FILES", "EXAMPLES",
                       "SEE ALSO"):
            if wanted not in sections:
                problems.append(f"{page.name}: no section {wanted}")
        name_lines = [line for line in sections.get("NAME", []) if line.strip()]
        if len(name_lines) != 1 or not re.fullmatch(rf"{re.escape(program)} \\- \S.*", name_lines[0]):
            problems.append(f"{page.name}: NAME must be one line '{program} \\- what it does'")
    kslog = folder / "kslog.1"
    if kslog.exists():
        problems.extend(check_kslog_page(kslog.read_text(encoding="utf-8")))
    return problems


def check_kslog_page(text: str) -> list[str]:
    problems = []
    sections = roff_sections(text)
    # The synopsis: one .SY block per form, its options as .OP or .B lines.
    synopsis = "\n".join(sections.get("SYNOPSIS", []))
    forms = {}
    for block in re.findall(r"^\.SY kslog\n(.*?)^\.YS", synopsis, re.M | re.S):
        lines = block.splitlines()
        first = roff_to_text(lines[0].split(None, 1)[1]) if lines and len(lines[0].split()) > 1 else ""
        options = {roff_to_text(option) for option in re.findall(r"(\\-\\-[a-z\\-]+)", block)}
        if "FILTERS" in block:
            options |= set(FILTER_OPTIONS)
        forms[first] = options
    expected = {command: set(options) for command, options in COMMANDS.items()}
    expected["--help"] = set(ALONE)
    if forms != expected:
        for form in sorted(set(forms) | set(expected)):
            have, want = forms.get(form, set()), expected.get(form, set())
            if have != want:
                problems.append(f"kslog.1: SYNOPSIS of {form!r}: lacks {sorted(want - have)}, "
                                f"has unknown {sorted(have - want)}")
    # Every option is described under OPTIONS, and nothing else.
    described = set()
    for name in tagged_names(sections.get("OPTIONS", [])):
        if name.startswith("--"):
            described.add(name)
    if described != ALL_OPTIONS:
        problems.append(f"kslog.1: OPTIONS lacks {sorted(ALL_OPTIONS - described)}, "
                        f"describes unknown {sorted(described - ALL_OPTIONS)}")
    # The record fields, in order, with their types.
    records = sections.get("RECORDS", [])
    names = tagged_names(records)
    if names != FIELD_NAMES:
        problems.append(f"kslog.1: RECORDS lists {names}, not {FIELD_NAMES}")
    body = "\n".join(records)
    for field, json_type in RECORD_FIELDS:
        if not re.search(rf"^\.B {re.escape(field)}\n\({re.escape(json_type)}\)", body, re.M):
            problems.append(f"kslog.1: RECORDS does not give {field} the type ({json_type})")
    # The values that options take.
    options_text = roff_to_text("\n".join(sections.get("OPTIONS", [])))
    for value in sorted(FORMATS | SEVERITIES):
        if not re.search(rf"\b{value}\b", options_text):
            problems.append(f"kslog.1: OPTIONS never names {value}")
    return problems


# ---------------------------------------------------------------------------------------------
# README

README_SECTION = "## The command line: kslog"


def check_readme(root: pathlib.Path) -> list[str]:
    path = root / "README.md"
    if not path.exists():
        return ["README.md is missing"]
    text = path.read_text(encoding="utf-8")
    if README_SECTION not in text:
        return [f"README.md has no section '{README_SECTION}'"]
    section = text.split(README_SECTION, 1)[1]
    section = re.split(r"^## ", section, flags=re.M)[0]
    problems = []
    rows = []
    for line in section.splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")] if line.startswith("|") else []
        if len(cells) >= 2 and re.fullmatch(r"`[a-z]+`", cells[0]):
            rows.append((cells[0].strip("`"), cells[1]))
    names = [name for name, _ in rows]
    if names != FIELD_NAMES:
        problems.append(f"README.md: the record table lists {names}, not {FIELD_NAMES}")
    for (field, json_type), (name, given) in zip(RECORD_FIELDS, rows):
        if field == name and given.replace("`", "") != json_type:
            problems.append(f"README.md: {field} has type {given!r}, not {json_type!r}")
    for option in sorted(ALL_OPTIONS):
        if f"`{option}" not in section and f" {option}" not in section:
            problems.append(f"README.md: the kslog section never names {option}")
    if "examples/" not in section:
        problems.append("README.md: the kslog section does not point to examples/")
    return problems


# ---------------------------------------------------------------------------------------------
# Breaking copies on purpose: each check must find each fault.

VECTOR = "examples/vector/vector.toml"
FLUENT = "examples/fluent-bit/fluent-bit.conf"
PARSERS = "examples/fluent-bit/parsers.conf"
UNIT = "examples/systemd/kslog-ship.service"
MUTATIONS = [
    # (check, file, text, replacement)
    ("vector", VECTOR, '"--format", "jsonl"', '"--format", "json"'),
    ("vector", VECTOR, '"follow",', '"folow",'),
    ("vector", VECTOR, '{{ severity }}', '{{ severty }}'),
    ("vector", VECTOR, 'inputs = ["firebird_entries"]\nendpoint',
     'inputs = ["firebird_entry"]\nendpoint'),
    ("vector", VECTOR, 'decoding.codec = "json"', 'decoding.codec = "bytes"'),
    ("vector", VECTOR, 'mode = "streaming"', 'mode = streaming'),
    ("vector", VECTOR, 'mode = "streaming"', 'mode = "scheduled"'),
    ("vector", VECTOR, 'include_stderr = false', 'include_stderr = true'),
    ("vector", VECTOR, 'parse_timestamp(.time,', 'parse_timestamp(.tme,'),
    ("vector", VECTOR, '"%Y-%m-%dT%H:%M:%S"', '"%Y-%m-%d %H:%M:%S"'),
    ("vector", VECTOR, 'respawn_on_exit', 'respawn_on_exits'),
    ("vector", VECTOR, '# bulk.index', '# bulk.indx'),
    ("vector", VECTOR, '# endpoints = [', '# endpoint = ['),
    ("vector", VECTOR, '# [sinks.elasticsearch]', '# [sinks.loki]'),
    ("fluent-bit", FLUENT, 'Parser      kslog_jsonl', 'Parser      kslog_json'),
    ("fluent-bit", FLUENT, 'Parsers_File parsers.conf', 'Parsers_File parser.conf'),
    ("fluent-bit", FLUENT, 'Logstash_Prefix', 'Logstash_Prefx'),
    ("fluent-bit", FLUENT, '    Name   record_modifier\n', ''),
    ("fluent-bit", FLUENT, '    Match              firebird', '    Match              fire'),
    ("fluent-bit", FLUENT, '    Port               9200', '  Port               9200'),
    ("fluent-bit", FLUENT, '    Port               9200', '\tPort 9200'),
    ("fluent-bit", FLUENT, '$severity', '$sevrity'),
    ("fluent-bit", FLUENT, '#     Line_Format json', '#     Line_Fromat json'),
    ("fluent-bit", FLUENT, '[OUTPUT]\n    Name               es',
     '[OUTPUTS]\n    Name               es'),
    ("fluent-bit", PARSERS, 'Time_Format %Y-%m-%dT%H:%M:%S',
     'Time_Format %Y-%m-%d %H:%M:%S'),
    ("fluent-bit", PARSERS, 'Time_Key    time', 'Time_Key    timestamp'),
    ("fluent-bit", PARSERS, 'Format      json', 'Format      regex'),
    ("systemd", UNIT, '--format jsonl', '--fmt jsonl'),
    ("systemd", UNIT, 'ExecStart=/bin/sh', 'ExecStart=sh'),
    ("systemd", UNIT, '/usr/local/bin/kslog', 'kslog'),
    ("systemd", UNIT, 'Restart=always', 'Restart=forever'),
    ("systemd", UNIT, 'fluent-bit.conf\'', 'fluentbit.conf\''),
    ("commands", "examples/README.md", '--format jsonl | fluent-bit', '--format yaml | fluent-bit'),
    ("commands", "examples/README.md", 'kslog follow /opt', 'kslog tail /opt'),
    ("commands", FLUENT, '#   kslog follow', '#   kslog follows'),
    ("commands", "man/kslog.1", r'\-\-severity error \-\-explain', r'\-\-severity fatal \-\-explain'),
    ("commands", "man/kslog.1", r'\-\-since 2026\-11\-09 \-\-until', r'\-\-since 2026\-13\-09 \-\-until'),
    ("commands", "man/kslog.1", r'kslog summary /opt/firebird/firebird.log', r'kslog summary'),
    ("commands", "man/kslog.1", r'\-\-kind sweep', r'\-\-kinds sweep'),
    ("manpages", "man/kslog.1", ".OP \\-\\-explain\n.OP \\-\\-from\\-start", ".OP \\-\\-from\\-start"),
    ("manpages", "man/kslog.1", ".B \\-\\-match\\-case\n", ".B \\-\\-match\\-cases\n"),
    ("manpages", "man/kslog.1", ".B offset\n", ".B offs\n"),
    ("manpages", "man/kslog.1", "(string or null) the facility", "(string) the facility"),
    ("manpages", "man/kslog.1", ".SH EXIT STATUS\n", ".SH EXIT STATUS\n.XY\n"),
    ("manpages", "man/kslogviewer.1", "The position and size", "The position \\q and size"),
    ("manpages", "man/kslogviewer.1", "kslogviewer \\- view", "kslogviewer - view"),
    ("manpages", "man/CMakeLists.txt", "kslog.1 kslogviewer.1", "kslog.1"),
]


def run_check(name: str, root: pathlib.Path) -> list[str]:
    return CHECKS[name](root)


def selftest(root: pathlib.Path) -> list[str]:
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch) / "tree"
        for part in ("examples", "man"):
            shutil.copytree(root / part, copy / part)
        shutil.copy(root / "README.md", copy / "README.md")
        for name in ("vector", "fluent-bit", "systemd", "commands", "manpages"):
            found = run_check(name, copy)
            if found:
                problems.append(f"the {name} check fails on the files as they are: {found[:3]}")
        for check, file, text, replacement in MUTATIONS:
            path = copy / file
            original = path.read_text(encoding="utf-8")
            if text not in original:
                problems.append(f"{file} no longer holds {text!r}: update the broken copies of this test")
                continue
            path.write_text(original.replace(text, replacement, 1), encoding="utf-8")
            try:
                if not run_check(check, copy):
                    problems.append(f"the {check} check missed {file}: {text!r} -> {replacement!r}")
            finally:
                path.write_text(original, encoding="utf-8")
        # The README check on a README that says otherwise than the table above.
        readme = copy / "README.md"
        table = "".join(f"| `{field}` | {json_type} |\n" for field, json_type in RECORD_FIELDS)
        options = " ".join(f"`{option}`" for option in sorted(ALL_OPTIONS))
        readme.write_text(f"{README_SECTION}\n\n| field | JSON type |\n|---|---|\n{table}\n{options}\n"
                          "See examples/.\n", encoding="utf-8")
        if run_check("readme", copy):
            problems.append(f"the readme check fails on a right README: {run_check('readme', copy)}")
        for text, replacement in (("| `client` | boolean |", "| `client` | string |"),
                                  ("| `kind` |", "| `kinds` |"), ("`--from-start`", "")):
            right = readme.read_text(encoding="utf-8")
            readme.write_text(right.replace(text, replacement, 1), encoding="utf-8")
            if not run_check("readme", copy):
                problems.append(f"the readme check missed {text!r} -> {replacement!r}")
            readme.write_text(right, encoding="utf-8")
    # The command line reader itself, on lines that are right and lines that are wrong.
    right = ["kslog --help", "kslog summary - --json", "kslog list F --grep -10054 --grep x",
             "kslog follow F --from-start --since 2026-01-31T23:59", "kslog list FILE --since WHEN",
             "kslog list \"$LOG\" --regex '^\\s+OIT' --match-case --format csv --explain"]
    wrong = ["kslog", "kslog --help list", "kslog summary F --severity error", "kslog list",
             "kslog list A B", "kslog follow F --from-start --from-start", "kslog list F --since 2026-02-30",
             "kslog list F --until 2026-01-01T24:00", "kslog list F --format", "kslog list F --explain=yes",
             "kslog list F --ignore-case --match-case", "kslog summary F --format jsonl", "kslog list F -x"]
    for line in right:
        found = check_command(shlex.split(line))
        if found:
            problems.append(f"a right command line is taken for wrong: {line}: {found}")
    for line in wrong:
        if not check_command(shlex.split(line)):
            problems.append(f"a wrong command line is taken for right: {line}")
    return problems


CHECKS = {
    "vector": check_vector,
    "fluent-bit": check_fluent_bit,
    "systemd": check_systemd,
    "commands": check_commands,
    "manpages": check_manpages,
    "readme": check_readme,
    "selftest": selftest,
}


def main() -> int:
    if len(sys.argv) != 3 or sys.argv[2] not in CHECKS:
        print(f"usage: {sys.argv[0]} ROOT {{{'|'.join(CHECKS)}}}", file=sys.stderr)
        return 2
    if tomllib is None:
        print("python3 lacks tomllib: Python 3.11 or later is needed", file=sys.stderr)
        return 1
    problems = CHECKS[sys.argv[2]](pathlib.Path(sys.argv[1]))
    for problem in problems:
        print(problem)
    if problems:
        print(f"{sys.argv[2]}: {len(problems)} problem(s)")
        return 1
    print(f"{sys.argv[2]}: all right")
    return 0


if __name__ == "__main__":
    sys.exit(main())
