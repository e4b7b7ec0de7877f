"""Shared fixtures: the command-line calculator of the same build, and random requests."""

import os
import shutil

import pytest


@pytest.fixture(scope="session")
def calc_program():
    path = os.environ.get("ZELTRA5_CALC") or shutil.which("zeltra5-calc")
    if not path:
        pytest.skip("zeltra5-calc not found (set ZELTRA5_CALC)")
    return path
