"""Command-line arguments every Wine test script takes (see CMakeLists.txt)."""
import argparse
import sys
import unittest


def parse(extra=None):
    """Parses our options and leaves the rest for unittest."""
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--winearch", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--build", required=True)
    for name in extra or []:
        parser.add_argument(name)
    args, rest = parser.parse_known_args()
    sys.argv[1:] = rest
    return args


def run():
    unittest.main(verbosity=2)
