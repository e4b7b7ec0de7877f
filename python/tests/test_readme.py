"""The Python examples of the README run as they stand there."""

import os
import pathlib
import re

import pytest

README = pathlib.Path(os.environ.get("ZELTRA5_README",
                                     pathlib.Path(__file__).parents[2] / "README.md"))


def python_examples():
    text = README.read_text(encoding="utf-8")
    section = text.split("\n## Python\n", 1)[1].split("\n## ", 1)[0]
    return re.findall(r"```python\n(.*?)```", section, flags=re.S)


def test_the_section_has_its_examples():
    assert len(python_examples()) >= 5


@pytest.mark.parametrize("index", range(len(python_examples())))
def test_readme_example_runs(index, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    code = python_examples()[index]
    exec(compile(code, f"README.md Python example {index + 1}", "exec"), {"__name__": "__main__"})
    if "saturation.csv" in code:
        lines = (tmp_path / "saturation.csv").read_text(encoding="utf-8").splitlines()
        assert len(lines) == 42 and lines[1].startswith("-70.0,")
        assert "nan" not in "".join(lines[:-1])  # up to 125 °C every row is valid
    if "ph-cycle.png" in code:
        assert (tmp_path / "ph-cycle.png").stat().st_size > 20000
