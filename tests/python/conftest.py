"""Paths the tests get from CTest, and the models they run on, made afresh for each test."""

import os
import pathlib
import shutil
import subprocess

import pytest

CLI = os.environ["VW_CLI"]
SAMPLES = pathlib.Path(os.environ["VW_SAMPLES"])
EXAMPLES = pathlib.Path(os.environ["VW_EXAMPLES"])


def cli(*args):
    return subprocess.run([CLI, *map(str, args)], capture_output=True, text=True)


@pytest.fixture
def models(tmp_path):
    """A folder of generated models (see make_models.cpp), delta companions beside them."""
    folder = tmp_path / "models"
    subprocess.run([os.environ["VW_PYTHON_MODELS"], str(folder)], check=True)
    return folder


@pytest.fixture
def twin(models, tmp_path):
    """A second copy of the generated models, for comparing two roads to one file."""
    return pathlib.Path(shutil.copytree(models, tmp_path / "twin"))
