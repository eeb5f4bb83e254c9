#!/usr/bin/python3
"""Validates every run report the scenarios left behind against the report's JSON Schema.

    validate_reports.py SCHEMA FOLDER

Walks FOLDER (the scenario runner's work folder) for *.json files, checks each with the
distribution's jsonschema (python3-jsonschema), prints the faults and ends with status 1 when a
report is invalid or when there is no report at all (the scenarios did not run).
"""
import json
import pathlib
import sys

import jsonschema


def main(schema_path, folder):
    schema = json.loads(pathlib.Path(schema_path).read_text())
    validator = jsonschema.Draft202012Validator(schema)
    reports = sorted(pathlib.Path(folder).glob("scenario_*/run/work/*.json"))
    bad = 0
    for report in reports:
        try:
            document = json.loads(report.read_bytes())
        except ValueError as error:
            print(f"{report}: not JSON: {error}")
            bad += 1
            continue
        for error in validator.iter_errors(document):
            print(f"{report}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
            bad += 1
    print(f"{len(reports)} reports, {bad} faults")
    return 1 if bad or not reports else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
