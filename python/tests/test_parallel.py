"""workers= and bwtoolbox.dask: the same bytes as one thread and as the
in-memory call, whatever the thread count or the scheduler."""
import contextlib
import os

import numpy as np
import pytest

import bwtoolbox as bw
from bwtoolbox import _core

rng = np.random.default_rng(29)


def same_bytes(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return (a.shape == b.shape and a.dtype == b.dtype
            and np.ascontiguousarray(a).tobytes() == np.ascontiguousarray(b).tobytes())


@contextlib.contextmanager
def split_everything():
    """Every call cut into as many ranges as asked, however small."""
    old = _core.min_thread_work(0)
    try:
        yield
    finally:
        _core.min_thread_work(old)


def energy_cases():
    """Fields and positions that take each way of summing: a tiny grid's table,
    the stack, windows of columns (sorted positions), the fields read directly
    (random positions), tall columns, converted float32 fields."""
    def case(m, n, k, dtype=np.float64, sort=False):
        f = rng.standard_normal((m, n)).astype(dtype) + 1j * rng.standard_normal((m, n))
        p = np.stack([rng.integers(0, m, k), rng.integers(0, n, k)], axis=1)
        if sort:
            p = p[np.lexsort((p[:, 0], p[:, 1]))]
        return f, p
    return [case(4, 5, 40), case(20, 30, 50), case(90, 100, 600, sort=True),
            case(90, 100, 300), case(1100, 5, 9), case(70, 80, 40, np.float32)]


@pytest.mark.parametrize("workers", [2, 3, 7, -1])
def test_workers_give_the_bits_of_one_thread(workers):
    with split_everything():
        for M, N in [(1, 9), (7, 37), (64, 33), (1000, 17)]:
            A = rng.standard_normal((M, N))
            for order in ("sequency", "hadamard", "dyadic"):
                assert same_bytes(bw.walsh_spectrum(A, ordering=order, workers=workers),
                                  bw.walsh_spectrum(A, ordering=order))
            assert same_bytes(bw.seq_spectrum(A.astype(np.int16), workers=workers),
                              bw.seq_spectrum(A.astype(np.int16)))
        # Bands, remainders, an image wholly in the left band; float64 and uint8.
        for shape, block, start in [((37, 29), (8, 8), (5, 0)), ((37, 29), (8, 8), (0, 3)),
                                    ((64, 48), (8, 4), (0, 0)), ((61, 7), (3, 5), (1, 0)),
                                    ((9, 2), (4, 4), (0, 2))]:
            for Y in (rng.standard_normal(shape), rng.integers(0, 255, shape, dtype=np.uint8)):
                X = bw.img_to_blocks(Y, block, start=start)
                assert same_bytes(bw.img_to_blocks(Y, block, start=start, workers=workers), X)
                assert same_bytes(bw.blocks_to_img(X, block, shape, start=start, workers=workers),
                                  bw.blocks_to_img(X, block, shape, start=start))
        for f, p in energy_cases():
            assert same_bytes(bw.cyclic_energy(f, p, workers=workers), bw.cyclic_energy(f, p))
    # And with the measured threshold, on calls large enough to be split;
    # above 32 MiB the block copies stream their output.
    A = rng.standard_normal((1024, 512))
    assert same_bytes(bw.seq_spectrum(A, workers=workers), bw.seq_spectrum(A))
    Y = rng.standard_normal((2051, 2048))
    X = bw.img_to_blocks(Y, (8, 8), start=(3, 0))
    assert same_bytes(bw.img_to_blocks(Y, (8, 8), start=(3, 0), workers=workers), X)
    assert same_bytes(bw.blocks_to_img(X, (8, 8), Y.shape, start=(3, 0), workers=workers), Y)


# ---- Dask ----------------------------------------------------------------------

def dask_cases():
    """(name, Dask call, in-memory result) for every function: stacks, one image
    in strips with each kind of band, spectra along either axis, fields
    with and without imag."""
    da = pytest.importorskip("dask.array", reason="Dask is not installed (scripts/deps.sh parallel)")
    import bwtoolbox.dask as bwd
    out = []
    for shape, start, chunk in [((37, 53), (0, 0), 9), ((40, 61), (2, 0), 7), ((33, 47), (0, 2), 11),
                                ((20, 2), (0, 2), 1)]:
        Y = rng.standard_normal(shape)
        X = bw.img_to_blocks(Y, (4, 5), start=start)
        out.append((f"cut {shape} {start}",
                    bwd.img_to_blocks(da.from_array(Y, chunks=(8, chunk)), (4, 5), start=start), X))
        out.append((f"paste {shape} {start}",
                    bwd.blocks_to_img(da.from_array(X, chunks=(7, chunk)), (4, 5), shape, start=start),
                    bw.blocks_to_img(X, (4, 5), shape, start=start)))
    S = rng.integers(0, 255, (5, 30, 41), dtype=np.uint8)
    XS = np.stack([bw.img_to_blocks(y, (8, 8), start=(2, 0)) for y in S])
    out.append(("cut stack", bwd.img_to_blocks(da.from_array(S, chunks=(2, 9, 9)), (8, 8), start=(2, 0)),
                XS))
    out.append(("paste stack", bwd.blocks_to_img(da.from_array(XS, chunks=(3, 64, 10)), (8, 8),
                                                 (30, 41), start=(2, 0)),
                np.stack([bw.blocks_to_img(x, (8, 8), (30, 41), start=(2, 0)) for x in XS])))
    A = rng.standard_normal((100, 6, 70))
    out.append(("spectrum axis 0", bwd.seq_spectrum(da.from_array(A, chunks=(30, 4, 20))),
                bw.seq_spectrum(A)))
    C = A[:, 0] + 1j * A[:, 1]
    out.append(("dyadic axis 1", bwd.walsh_spectrum(da.from_array(C.T, chunks=(40, 30)), n=64,
                                                    ordering="dyadic", axis=1),
                bw.walsh_spectrum(C.T, n=64, ordering="dyadic", axis=1)))
    F = rng.standard_normal((4, 90, 100))
    p = np.stack([rng.integers(0, 90, 200), rng.integers(0, 100, 200)], axis=1)
    out.append(("energy stack", bwd.cyclic_energy(da.from_array(F, chunks=(3, 50, 50)), p,
                                                  imag=da.from_array(-F, chunks=(1, 90, 100))),
                np.stack([bw.cyclic_energy(f, p, imag=-f) for f in F])))
    out.append(("energy one field", bwd.cyclic_energy(da.from_array(F[0] + 2j, chunks=30), p),
                bw.cyclic_energy(F[0] + 2j, p)))
    return out


def check_dask(cases, compute):
    for name, lazy, expect in cases:
        got = compute(lazy)
        assert lazy.dtype == expect.dtype and lazy.shape == expect.shape, name
        assert same_bytes(got, expect), name


def test_dask_threaded_scheduler():
    cases = dask_cases()
    check_dask(cases, lambda x: x.compute(scheduler="threads"))
    # Chunks stated up front: the stack keeps its stack chunks.
    stack = next(lazy for name, lazy, _ in cases if name == "cut stack")
    assert stack.chunks == ((2, 2, 1), (64,), (stack.shape[2],))


def test_dask_refusals():
    da = pytest.importorskip("dask.array", reason="Dask is not installed (scripts/deps.sh parallel)")
    import bwtoolbox.dask as bwd
    for call, identifier in [
            (lambda: bwd.img_to_blocks(da.ones((4, 4)), (2, 2), start=(1, 1)), ""),
            (lambda: bwd.blocks_to_img(da.ones((4, 3)), (2, 2), (4, 4)), ""),
            (lambda: bwd.walsh_spectrum(da.ones(4), n=3), "walshSpectrum:badLength"),
            (lambda: bwd.cyclic_energy(da.ones((2, 3)), [(2, 0)]), "cyclicEnergy:positionOutOfRange")]:
        with pytest.raises(bw.ToolboxValueError) as e:
            call()
        assert e.value.identifier == identifier


def test_dask_local_cluster():
    """Two worker processes on the loopback interface, started and closed here."""
    pytest.importorskip("dask.array", reason="Dask is not installed (scripts/deps.sh parallel)")
    distributed = pytest.importorskip(
        "distributed", reason="dask.distributed is not installed (scripts/deps.sh parallel)")
    cases = dask_cases()
    # The workers are new interpreters: they find bwtoolbox where this one did.
    here = os.path.dirname(os.path.dirname(os.path.abspath(bw.__file__)))
    path = os.environ.get("PYTHONPATH", "")
    os.environ["PYTHONPATH"] = here + (os.pathsep + path if path else "")
    try:
        with distributed.LocalCluster(n_workers=2, processes=True, threads_per_worker=1,
                                      host="127.0.0.1", dashboard_address=None,
                                      worker_dashboard_address=None, timeout=60) as cluster, \
                distributed.Client(cluster, timeout=60) as client:
            check_dask(cases, lambda x: client.compute(x).result(timeout=120))
            # Both processes took part.
            assert len(client.scheduler_info()["workers"]) == 2
    finally:
        os.environ["PYTHONPATH"] = path
        if not path:
            del os.environ["PYTHONPATH"]
