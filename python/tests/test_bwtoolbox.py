"""bwtoolbox for NumPy against plain references and, where GNU Octave and the
built plug-ins are at hand, against the plug-ins themselves, bit for bit.

BWTOOLBOX_PLUGINS names the folder of the shipped Linux plug-ins (*.mexa64),
BWTOOLBOX_OCTAVE_ADAPTER the folder of the host adapter they load in Octave.
"""
import os
import shutil
import subprocess
import threading

import numpy as np
import pytest

import bwtoolbox as bw
from bwtoolbox import _core

rng = np.random.default_rng(13)

# (image shape, block shape, 0-based start): full grids, top and left bands,
# remainders, an image smaller than a block, an image wholly in the band,
# empty images.
GRIDS = [((16, 24), (4, 8), (0, 0)), ((37, 29), (8, 8), (5, 0)), ((37, 29), (8, 8), (0, 3)),
         ((2, 3), (5, 2), (0, 0)), ((1, 3), (3, 2), (1, 0)), ((0, 5), (2, 2), (0, 0)),
         ((6, 0), (3, 2), (0, 0)), ((61, 7), (3, 5), (1, 0))]
# Column lengths: empty, one, odd, powers of two and one past them.
LENGTHS = [0, 1, 2, 3, 7, 8, 9, 64, 65, 1000]
# (grid shape, position count)
FIELDS = [((1, 1), 1), ((2, 3), 2), ((1, 17), 5), ((13, 1), 4), ((9, 11), 30), ((32, 48), 7),
          ((4, 4), 0), ((0, 3), 3)]


def grid_map(image_shape, block_shape, start):
    """(block matrix index, image index) of every filled entry, both
    column-major, straight from the grid's definition."""
    (N1, N2), (n1, n2), (r0, c0) = image_shape, block_shape, start

    def strips(N, n, s):  # (first filled row of the block, image rows) per grid row
        out = [(0, range(0, s))] if s > 0 else []
        full, rem = divmod(N - s, n)
        out += [(0, range(s + r * n, s + r * n + n)) for r in range(full)]
        return out + ([(n - rem, range(N - rem, N))] if rem else [])

    rows, cols = strips(N1, n1, r0), strips(N2, n2, c0)
    blocks = []
    if r0 > 0:
        blocks += [(rows[0], c) for c in cols[1 if c0 else 0:]]
    if c0 > 0:
        blocks += [(r, cols[0]) for r in rows]
    main_rows = rows[1:] if r0 else rows
    blocks += [(r, c) for c in (cols[1:] if c0 else cols) for r in main_rows]
    pairs = [(a0 + a + (b0 + b) * n1 + k * n1 * n2, i + j * N1)
             for k, ((a0, ri), (b0, cj)) in enumerate(blocks)
             for b, j in enumerate(cj) for a, i in enumerate(ri)]
    return len(blocks), np.array(pairs, dtype=np.int64).reshape(-1, 2)


def wht_reference(A):
    """The step-by-step transform of the columns of A: pair stage, merge stages."""
    M, N = A.shape
    L = 1 << (M - 1).bit_length() if M > 1 else 1
    x = np.zeros((L, N))
    x[:M] = A
    if L > 1:
        s = x[0::2] + x[1::2]
        x[0::2], x[1::2] = s, s - 2 * x[1::2]
    h = 2
    while h < L:
        g = x.reshape(L // (2 * h), 2 * h, N)
        x0, x1, y0, y1 = g[:, 0:h:2], g[:, 1:h:2], g[:, h::2], g[:, h + 1::2]
        nxt = np.empty_like(g).reshape(L // (2 * h), h // 2, 4, N)
        nxt[:, :, 0], nxt[:, :, 1] = x0 + y0, x0 - y0
        nxt[:, :, 2], nxt[:, :, 3] = x1 - y1, x1 + y1
        x = nxt.reshape(L, N)
        h *= 2
    return x / L


def energy_reference(re, im, positions):
    T = re * re + im * im
    ell = np.zeros(T.shape)
    for r, c in positions:
        ell = ell + np.roll(T, (r, c), axis=(0, 1))
    return ell


def same_bits(a, b):
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and np.array_equal(a.view(np.uint64), b.view(np.uint64))


def random_case_data():
    """Every case with its random inputs, shared by the reference and Octave tests."""
    images = [(rng.standard_normal(s), bs, st) for s, bs, st in GRIDS]
    columns = [rng.standard_normal((M, 3)) * 10.0 ** rng.integers(-3, 4) for M in LENGTHS]
    fields = []
    for (m, n), k in FIELDS:
        f = rng.standard_normal((m, n)) + 1j * rng.standard_normal((m, n))
        pos = np.stack([rng.integers(0, max(m, 1), k), rng.integers(0, max(n, 1), k)], axis=1)
        fields.append((f, pos))
    return images, columns, fields


IMAGES, COLUMNS, FIELDS_DATA = random_case_data()


class TestAgainstReferences:
    @pytest.mark.parametrize("case", range(len(GRIDS)))
    def test_blocks(self, case):
        Y, bs, st = IMAGES[case]
        count, pairs = grid_map(Y.shape, bs, st)
        expect = np.zeros(bs[0] * bs[1] * count)
        expect[pairs[:, 0]] = Y.ravel(order="F")[pairs[:, 1]]
        expect = expect.reshape(bs[0] * bs[1], count, order="F")
        strided = np.zeros((2 * Y.shape[0], Y.shape[1]))[::2]
        strided[...] = Y
        for image in (Y, np.ascontiguousarray(Y), np.asfortranarray(Y), strided):
            assert same_bits(bw.img_to_blocks(image, bs, start=st), expect)
        assert same_bits(bw.blocks_to_img(expect, bs, Y.shape, start=st), Y)

    @pytest.mark.parametrize("M", LENGTHS)
    def test_spectrum_along_axes(self, M):
        A = COLUMNS[LENGTHS.index(M)]
        W = wht_reference(A)
        assert same_bits(bw.seq_spectrum(A), W)
        assert same_bits(bw.seq_spectrum(np.asfortranarray(A)), W)
        assert same_bits(bw.seq_spectrum(A.T, axis=1), W.T)
        assert same_bits(bw.seq_spectrum(A.T.copy(), axis=-1), W.T)
        if M:
            A3 = np.stack([A, -A], axis=2)  # shape (M, 3, 2), transformed along 0
            assert same_bits(bw.seq_spectrum(np.moveaxis(A3, 0, 1), axis=1),
                             np.moveaxis(np.stack([W, -W], axis=2), 0, 1))

    def test_walsh_orderings_lengths_and_complex(self):
        # Hadamard row s is the sequency row of its sign-change count; dyadic
        # row s is Hadamard row bitrev(s).
        def rows(L, ordering):
            k = L.bit_length() - 1
            H = np.array([[(-1) ** bin(i & j).count("1") for j in range(L)] for i in range(L)])
            changes = (np.diff(H, axis=1) != 0).sum(axis=1)
            if ordering == "dyadic":
                changes = changes[[int(format(s, f"0{k}b")[::-1] or "0", 2) for s in range(L)]]
            return changes
        A = COLUMNS[LENGTHS.index(9)]
        for n, L, rows_used in ((None, 16, 9), (32, 32, 9), (4, 4, 4), (1, 1, 1)):
            W = wht_reference(A[:rows_used] if rows_used < 9 else
                              np.vstack([A, np.zeros((L - 9, A.shape[1]))]))
            for ordering in ("sequency", "Hadamard", "dyadic"):
                expect = W if ordering == "sequency" else W[rows(L, ordering.lower())]
                assert same_bits(bw.walsh_spectrum(A, n, ordering), expect)
                assert same_bits(bw.walsh_spectrum(A.T, n, ordering, axis=1), expect.T)
        Z = bw.walsh_spectrum(A + 1j * A[::-1], ordering="dyadic")
        assert same_bits(Z.real, bw.walsh_spectrum(A, None, "dyadic"))
        assert same_bits(Z.imag, bw.walsh_spectrum(A[::-1], None, "dyadic"))
        for n in (0, 3, 2.0):
            with pytest.raises(ValueError, match="power of two") as e:
                bw.walsh_spectrum(A, n)
            assert e.value.identifier == "walshSpectrum:badLength"
        with pytest.raises(ValueError) as e:
            bw.walsh_spectrum(A, None, "natural")
        assert e.value.identifier == "walshSpectrum:badOrdering"

    @pytest.mark.parametrize("case", range(len(FIELDS)))
    def test_energy_in_both_orders(self, case):
        f, pos = FIELDS_DATA[case]
        if f.size == 0:
            assert bw.cyclic_energy(f, pos).shape == f.shape
            return
        expect = energy_reference(f.real, f.imag, pos)
        assert same_bits(bw.cyclic_energy(f, pos), expect)
        assert same_bits(bw.cyclic_energy(np.ascontiguousarray(f.real), pos,
                                          imag=np.ascontiguousarray(f.imag)), expect)
        assert same_bits(bw.cyclic_energy(np.asfortranarray(f.real), pos,
                                          imag=np.asfortranarray(f.imag)), expect)

    def test_dtypes_convert_as_double(self):
        for a in (np.array([[2**53 + 1, -(2**62) - 1], [7, 2**63 - 1]], dtype=np.int64),
                  np.array([[2**64 - 1, 2**53 + 1], [3, 0]], dtype=np.uint64),
                  rng.standard_normal((5, 4)).astype(np.float32),
                  rng.standard_normal((5, 4)).astype(np.float16),
                  rng.integers(-128, 127, (5, 4), dtype=np.int8), rng.random((5, 4)) > 0.5,
                  rng.standard_normal((5, 4)).astype(">f8"),
                  rng.standard_normal((5, 4)) + 1j):
            d = np.real(a).astype(np.float64)
            assert same_bits(bw.seq_spectrum(a), wht_reference(d))
            assert same_bits(bw.img_to_blocks(a, (2, 2)), bw.img_to_blocks(d, (2, 2)))
            pos = [(1, 1), (0, 0)]
            assert same_bits(bw.cyclic_energy(np.real(a), pos), energy_reference(d, 0 * d, pos))

    def test_float64_in_core_layout_is_not_copied(self, monkeypatch):
        A = np.asfortranarray(rng.standard_normal((12, 4)))
        calls = [(bw.seq_spectrum, A, ()), (bw.seq_spectrum, A.T, (1,)),
                 (bw.img_to_blocks, A, ((3, 2),)), (bw.blocks_to_img, A[:6, :1], ((3, 2), (3, 2)))]
        real = np.asfortranarray
        for fn, x, args in calls:
            shared = []
            monkeypatch.setattr(np, "asfortranarray",
                                lambda y: shared.append(np.shares_memory(real(y), x)) or real(y))
            fn(x, *args)
            assert shared == [True]

    def test_threads_share_the_functions(self):
        A = rng.standard_normal((4096, 64))
        expect = bw.seq_spectrum(A)
        out = [None] * 4
        threads = [threading.Thread(target=lambda i=i: out.__setitem__(i, bw.seq_spectrum(A)))
                   for i in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert all(same_bits(o, expect) for o in out)


class TestRefusals:
    """Dumb inputs: every refusal is a clean ToolboxError with the plug-ins'
    identifier, and nothing crashes."""

    @pytest.mark.parametrize("call, kind, identifier", [
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (2, 2), start=(1, 1)), ValueError, ""),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (2, 2), start=(-1, 0)), ValueError, ""),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (1, 2)), ValueError, ""),
        (lambda: bw.img_to_blocks(np.ones((1, 4)), (4, 2), start=(2, 0)), ValueError,
         "imgToBlocks:imageTooSmall"),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (2**31, 2)), ValueError,
         "imgToBlocks:badParameter"),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (2.5, 2)), TypeError,
         "imgToBlocks:badParameter"),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (float("nan"), 2)), TypeError,
         "imgToBlocks:badParameter"),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), 2), TypeError, "imgToBlocks:badParameter"),
        (lambda: bw.img_to_blocks(np.ones(4), (2, 2)), ValueError, "imgToBlocks:badShape"),
        (lambda: bw.img_to_blocks(np.array([[None]]), (2, 2)), TypeError, "imgToBlocks:badInput"),
        (lambda: bw.img_to_blocks(np.broadcast_to(np.int8(1), (65536, 32768)), (2, 2)),
         ValueError, "imgToBlocks:tooLarge"),
        (lambda: bw.blocks_to_img(np.ones((4, 3)), (2, 2), (4, 4)), ValueError, ""),
        (lambda: bw.blocks_to_img(np.ones((5, 4)), (2, 2), (4, 4)), ValueError,
         "blocksToImg:badRowCount"),
        (lambda: bw.blocks_to_img(np.ones((4, 4)), (2, 2), (-4, 4)), ValueError,
         "blocksToImg:negativeSize"),
        (lambda: bw.blocks_to_img(np.ones((4, 0)), (2, 2), (4, 2**30)), ValueError,
         "blocksToImg:tooLarge"),
        (lambda: bw.blocks_to_img(np.array([["a"] * 4] * 4), (2, 2), (4, 4)), TypeError,
         "blocksToImg:badInput"),
        (lambda: bw.seq_spectrum(np.array([{}])), TypeError, "seqSpectrum:badInput"),
        (lambda: bw.seq_spectrum(np.ones(3), axis=1), ValueError, "seqSpectrum:badAxis"),
        (lambda: bw.seq_spectrum(np.broadcast_to(np.int8(1), (2**30 + 1, 1))), ValueError,
         "seqSpectrum:tooLarge"),
        (lambda: bw.seq_spectrum(np.broadcast_to(np.int8(1), (2**16 + 1, 2**15))), ValueError,
         "seqSpectrum:tooLarge"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), [(2, 0)]), ValueError,
         "cyclicEnergy:positionOutOfRange"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), [(0, -1)]), ValueError,
         "cyclicEnergy:positionOutOfRange"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), [(0.5, 1)]), TypeError, "cyclicEnergy:badInput"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), np.array([[0, 2**64 - 1]], np.uint64)),
         ValueError, "cyclicEnergy:positionOutOfRange"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), [0, 1, 2]), ValueError, "cyclicEnergy:badShape"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), [(0, 0)], imag=np.ones((3, 2))), ValueError,
         "cyclicEnergy:badShape"),
        (lambda: bw.cyclic_energy(np.broadcast_to(np.int8(1), (2**16, 2**15)), [(0, 0)]),
         ValueError, "cyclicEnergy:tooLarge"),
        (lambda: bw.seq_spectrum(np.ones(4), workers=0), ValueError, "seqSpectrum:badWorkers"),
        (lambda: bw.walsh_spectrum(np.ones(4), workers=-(os.cpu_count() or 1) - 1), ValueError,
         "walshSpectrum:badWorkers"),
        (lambda: bw.img_to_blocks(np.ones((4, 4)), (2, 2), workers=1.0), TypeError,
         "imgToBlocks:badWorkers"),
        (lambda: bw.cyclic_energy(np.ones((2, 3)), [(0, 0)], workers="2"), TypeError,
         "cyclicEnergy:badWorkers"),
        (lambda: _core.blocks_to_img(np.ones((4, 4), order="F"), 2, 2, 4, 4, 1, 1, 0), ValueError,
         "blocksToImg:badWorkers"),
    ])
    def test_refused(self, call, kind, identifier):
        with pytest.raises(kind) as e:
            call()
        assert isinstance(e.value, bw.ToolboxError) and e.value.identifier == identifier

    def test_classic_messages(self):
        with pytest.raises(ValueError, match="^Start point is not correct$"):
            bw.blocks_to_img(np.ones((4, 4)), (2, 2), (4, 4), start=(0, 1))
        with pytest.raises(ValueError, match="^The input matrix X has not enough columns$"):
            bw.blocks_to_img(np.ones((4, 5)), (2, 2), (4, 4))

    def test_core_checks_what_it_is_given(self):
        # The private entry points refuse layouts and sizes that would take a
        # core outside an array, whatever the Python layer passes them.
        with pytest.raises(ValueError):
            _core.img_to_blocks(np.ones(15), 2, 2, 4, 4, 1, 1)
        with pytest.raises(ValueError):
            _core.img_to_blocks(np.ones((4, 4))[::2], 2, 2, 2, 4, 1, 1)
        with pytest.raises(ValueError):
            _core.seq_spectrum(np.ones(6), 4, 2, 0)
        with pytest.raises(ValueError):
            _core.seq_spectrum(np.ones(4), 4, 1, 3)
        with pytest.raises(ValueError):
            _core.cyclic_energy(np.array([7.0]), np.ones(6), np.ones(6), 2, 3)
        with pytest.raises(ValueError):
            _core.cyclic_energy(np.array([1.0]), np.ones(6), np.ones(5), 2, 3)
        with pytest.raises(TypeError):
            _core.seq_spectrum(np.ones(4, dtype=np.complex128), 4, 1, 0)

    def test_empty_and_odd_inputs_give_plugin_shapes(self):
        assert bw.seq_spectrum(np.zeros((0, 3))).tolist() == [[0.0, 0.0, 0.0]]
        assert bw.seq_spectrum(np.zeros((5, 0))).shape == (8, 0)
        assert bw.img_to_blocks(np.zeros((0, 4)), (2, 2)).shape == (4, 0)
        assert bw.blocks_to_img(np.zeros((9, 0)), (2, 2), (0, 4)).shape == (0, 4)
        assert bw.cyclic_energy(np.ones((2, 2)), np.zeros((0, 2), int)).tolist() == [[0, 0], [0, 0]]
        assert bw.seq_spectrum(5).tolist() == [5.0]


def plugin_setup():
    """(octave-cli, plug-in folder, adapter folder), or the reason to skip."""
    octave = shutil.which("octave-cli")
    plugins = os.environ.get("BWTOOLBOX_PLUGINS", "")
    adapter = os.environ.get("BWTOOLBOX_OCTAVE_ADAPTER", "")
    names = ["imgToBlocks", "blocksToImg", "seqSpectrum", "cyclicEnergy"]
    if not octave:
        return "octave-cli is not installed"
    if not all(os.path.isfile(os.path.join(plugins, f + ".mexa64")) for f in names):
        return f"no built plug-ins in BWTOOLBOX_PLUGINS={plugins!r}"
    if not os.path.isfile(os.path.join(adapter, "libmx.so")):
        return f"no Octave host adapter in BWTOOLBOX_OCTAVE_ADAPTER={adapter!r}"
    return octave, plugins, adapter


class TestAgainstPlugins:
    """The same random data through the shipped Linux plug-ins in GNU Octave;
    results are exchanged as raw doubles and compared byte for byte."""

    @pytest.fixture(scope="class")
    def octave_results(self, tmp_path_factory):
        setup = plugin_setup()
        if isinstance(setup, str):
            pytest.skip(setup)
        octave, plugins, adapter = setup
        d = tmp_path_factory.mktemp("octave")
        block_inputs = []
        for f in os.listdir(plugins):
            if f.endswith(".mexa64"):
                os.symlink(os.path.join(plugins, f), d / (f[:-len(".mexa64")] + ".mex"))
        script = ['1;',
                  'function x = rd (name, r, c)',
                  '  f = fopen (name, "r"); x = reshape (fread (f, Inf, "double"), r, c); fclose (f);',
                  'endfunction',
                  'function wr (name, x)',
                  '  f = fopen (name, "w"); fwrite (f, x, "double"); fclose (f);',
                  'endfunction']

        def put(name, x):
            np.asarray(x, dtype=np.float64).ravel(order="F").tofile(d / name)
            return f'rd ("{d / name}", {x.shape[0]}, {x.shape[1]})'

        for i, (Y, (n1, n2), (r0, c0)) in enumerate(IMAGES):
            args = f"{n1}, {n2}, {Y.shape[0]}, {Y.shape[1]}, {r0 + 1}, {c0 + 1}"
            script.append(f'wr ("{d}/i2b{i}", imgToBlocks ({put(f"Y{i}", Y)}, {args}));')
            X = rng.standard_normal(bw.img_to_blocks(Y, (n1, n2), start=(r0, c0)).shape)
            block_inputs.append(X)
            script.append(f'wr ("{d}/b2i{i}", blocksToImg ({put(f"X{i}", X)}, {args}));')
        for i, A in enumerate(COLUMNS):
            script.append(f'wr ("{d}/seq{i}", seqSpectrum ({put(f"A{i}", A)}));')
        for i, (f, pos) in enumerate(FIELDS_DATA):
            m, n = f.shape
            p = (pos[:, 0] + m * pos[:, 1] + 1).reshape(1, -1)
            script.append(f'wr ("{d}/ell{i}", cyclicEnergy ({put(f"p{i}", p)}, '
                          f'{put(f"re{i}", f.real)}, {put(f"im{i}", f.imag)}, {m}, {n}, '
                          f'{p.shape[1]}));')
        (d / "run.m").write_text("\n".join(script) + "\n")
        env = dict(os.environ, LD_LIBRARY_PATH=adapter)
        subprocess.run([octave, "--norc", "--no-history", "--quiet", "--no-window-system",
                        "--path", str(d), str(d / "run.m")], check=True, env=env, cwd=d)
        return d, block_inputs

    def test_same_bytes_as_the_plugins(self, octave_results):
        d, block_inputs = octave_results

        def got(name):
            return (d / name).read_bytes()

        for i, ((Y, bs, st), X) in enumerate(zip(IMAGES, block_inputs)):
            assert bw.img_to_blocks(Y, bs, start=st).tobytes(order="F") == got(f"i2b{i}")
            assert bw.blocks_to_img(X, bs, Y.shape, start=st).tobytes(order="F") == got(f"b2i{i}")
        for i, A in enumerate(COLUMNS):
            assert bw.seq_spectrum(A).tobytes(order="F") == got(f"seq{i}")
        for i, (f, pos) in enumerate(FIELDS_DATA):
            assert bw.cyclic_energy(f, pos).tobytes(order="F") == got(f"ell{i}")
