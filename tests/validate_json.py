#!/usr/bin/env python3
"""validate_json.py SCHEMA FILE_OR_FOLDER...: each JSON document (of a folder: its *.json) is UTF-8
without a byte-order mark, has no key twice in an object, and is valid against the schema."""
import json
import pathlib
import sys

import jsonschema


def unique_keys(pairs):
    assert len(pairs) == len(dict(pairs)), f"a key appears twice in {[k for k, _ in pairs]}"
    return dict(pairs)


schema = json.loads(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8"))
validator = jsonschema.Draft202012Validator(schema)
validator.check_schema(schema)
files = [f for a in map(pathlib.Path, sys.argv[2:]) for f in (sorted(a.glob("*.json")) if a.is_dir() else [a])]
failed = 0
for path in files:
    try:
        raw = path.read_bytes()
        assert not raw.startswith(b"\xef\xbb\xbf"), "starts with a byte-order mark"
        errors = [f"{list(e.absolute_path)}: {e.message}" for e in validator.iter_errors(
            json.loads(raw.decode("utf-8"), object_pairs_hook=unique_keys))]
    except (OSError, ValueError, AssertionError) as e:
        errors = [str(e)]
    failed += bool(errors)
    print("\n     ".join([("FAIL " if errors else "ok   ") + str(path)] + errors[:20]))
print(f"{len(files) - failed} valid, {failed} failed")
sys.exit(1 if failed or not files else 0)
