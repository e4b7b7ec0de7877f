"""The hand-written lists of the Python layer and its stub against the module's registries."""

import ast
import re
from pathlib import Path

import numpy as np
import pytest

import zeltra5
from zeltra5 import _core

PACKAGE = Path(zeltra5.__file__).parent


def stub(name="__init__.pyi"):
    return ast.parse((PACKAGE / name).read_text(encoding="utf-8"))


def properties(cls):
    return [f.name for f in cls.body if isinstance(f, ast.FunctionDef)
            and any(isinstance(d, ast.Name) and d.id == "property" for d in f.decorator_list)]


def classes():
    return {c.name: c for c in stub().body if isinstance(c, ast.ClassDef)}


def one_line(text):
    return " ".join(text.split())


def test_stub_declares_exactly_the_public_names():
    declared = set()
    for node in stub().body:
        if isinstance(node, (ast.ClassDef, ast.FunctionDef)):
            declared.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            declared.add(node.target.id)
    assert declared - {"__version__"} == set(zeltra5.__all__)


@pytest.mark.parametrize("cls", ["State", "Results"])
def test_stub_gives_every_field_in_record_order(cls):
    fields = list(_core.FIELDS)
    assert properties(classes()[cls])[: len(fields)] == fields
    assert tuple(zeltra5.FIELDS) == _core.FIELDS


def test_every_field_is_an_attribute_of_both_results():
    one = zeltra5.calculate("p-t", 1e6, 298.15)
    many = zeltra5.calculate("p-t", [1e6, 2e6], 298.15)
    for name in zeltra5.FIELDS:
        np.testing.assert_equal(one.to_dict()[name], getattr(one, name))
        assert getattr(many, name).shape == (2,)


def test_docstrings_list_every_pair_and_reference_state():
    doc = one_line(zeltra5.calculate.__doc__)
    pairs = [name for name, _ in _core.PAIRS]
    assert list(zeltra5.PAIRS) == pairs
    assert re.findall(r'``"([a-z]+-[a-z]+)"``', doc) == pairs
    references = ", ".join(f'``"{r}"``' for r in _core.REFERENCES[:-1])
    assert f'state of h, u and s: {references} or ``"{_core.REFERENCES[-1]}"``' in doc
    for reference in _core.REFERENCES:
        assert zeltra5.calculate("p-t", 1e6, 298.15, reference=reference).valid
    with pytest.raises(ValueError, match="is not one of " + ", ".join(_core.REFERENCES)):
        zeltra5.calculate("p-t", 1e6, 298.15, reference="none")


@pytest.mark.parametrize("kind", _core.TABLE_KINDS, ids=lambda k: k[1])
def test_every_kind_of_table_is_documented_and_built(kind):
    name, core_name, fixed, varied = kind
    doc = one_line(zeltra5.table.__doc__)
    if fixed is None:
        assert f'``table("{name}", {varied}=...)``' in doc
        table = zeltra5.table(name, **{varied: [10.0]})
    else:
        assert re.search(rf'``table\("{name}", {fixed}=[A-Z]+, {varied}=\.\.\.\)``', doc)
        table = zeltra5.table(name, **{fixed: 10.0, varied: [10.0]})
    assert table.kind == name
    assert len(table.pressure) >= 1


def test_unknown_table_kind_lists_the_names():
    names = ", ".join(dict.fromkeys(k[0] for k in _core.TABLE_KINDS))
    with pytest.raises(ValueError, match=re.escape(f"({names})")):
        zeltra5.table("none", t=[1.0])
