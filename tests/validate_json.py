#!/usr/bin/env python3
"""Validates JSON documents against a JSON Schema (python3-jsonschema).

Usage: validate_json.py SCHEMA FILE_OR_FOLDER...   (a folder: every *.json in it)

Each document must be UTF-8 without a byte-order mark, with no key twice in one object.
Prints one line per document; exits 1 when any fails or none was found.
"""
import json
import pathlib
import sys

import jsonschema


def unique_keys(pairs):
    if len(pairs) != len(dict(pairs)):
        raise ValueError(f"a key appears twice in {[k for k, _ in pairs]}")
    return dict(pairs)


def main(argv):
    schema = json.loads(pathlib.Path(argv[1]).read_text(encoding="utf-8"))
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    files = []
    for arg in map(pathlib.Path, argv[2:]):
        files += sorted(arg.glob("*.json")) if arg.is_dir() else [arg]
    failed = 0 if files else 1
    for path in files:
        try:
            raw = path.read_bytes()
            if raw.startswith(b"\xef\xbb\xbf"):
                raise ValueError("starts with a byte-order mark")
            errors = [f"{'/'.join(map(str, e.absolute_path))}: {e.message}"
                      for e in validator.iter_errors(json.loads(raw.decode("utf-8"),
                                                                object_pairs_hook=unique_keys))]
        except (OSError, ValueError) as e:
            errors = [str(e)]
        failed += bool(errors)
        print("\n     ".join([("FAIL " if errors else "ok   ") + str(path)] + errors[:20]))
    print(f"{len(files) - failed if files else 0} valid, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
