"""Block-wise under Dask: dask.array.map_blocks over the vectorised call gives the numbers of
the whole-array call, bit for bit, with Dask's own threaded scheduler."""

import numpy as np

import zeltra5


def test_map_blocks_gives_the_same_numbers():
    da = __import__("pytest").importorskip("dask.array")
    p = np.geomspace(5e3, 9e7, 4000).reshape(40, 100)
    t = np.linspace(183.15, 743.15, 100)  # K: -90 to 470 °C
    whole = zeltra5.calculate("p-t", p, t)

    def enthalpy(p_block, t_block):
        return zeltra5.calculate("p-t", p_block, t_block).specific_enthalpy

    blocks = da.map_blocks(enthalpy, da.from_array(p, chunks=(7, 30)),
                           da.from_array(t, chunks=30), dtype=np.float64)
    got = blocks.compute(scheduler="threads")
    assert got.shape == p.shape
    assert got.tobytes() == whole.specific_enthalpy.tobytes()
    assert np.isnan(got).any() and not np.isnan(got).all()  # in and out of the domain
