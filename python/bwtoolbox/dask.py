"""The functions of bwtoolbox on Dask arrays: lazy, with the output chunks and
dtypes known before anything runs, and bit-identical to the in-memory
functions on any scheduler (threads, processes, a dask.distributed cluster).

seq_spectrum(a, axis=0), walsh_spectrum(a, n=None, ordering="sequency", axis=0)
    The spectra of an array chunked along any axes but `axis`, which is
    brought into one chunk; the other chunks stay as they are.
img_to_blocks(image, block_shape, *, start=(0, 0))
    A stack of images, shape (k, N1, N2), chunked along the stack, gives a
    (k, n1*n2, block count) stack of block matrices. One 2-D image is cut in
    strips of whole grid columns (all rows in each), so that it need never
    be in memory at once; band blocks land in their place in the block order.
blocks_to_img(blocks, block_shape, image_shape, *, start=(0, 0))
    Back: a (k, n1*n2, block count) stack gives (k, N1, N2); one block
    matrix gives the image in strips of whole grid columns.
cyclic_energy(field, positions, *, imag=None)
    A stack of fields, shape (k, m, n), chunked along the stack, or one field;
    the positions are a NumPy array shared by every field.

Each chunk is computed by the in-memory function on one thread (the
scheduler provides the parallelism), so the bytes are those of the in-memory
call on the same data. Arguments are checked when the graph is built, with
the errors of the in-memory functions.

Imported only on request (import bwtoolbox.dask), and only where Dask is
installed (Debian: python3-dask; python3-distributed for clusters).
"""
import math

import dask.array as da
import numpy as np

import bwtoolbox as _bw
from bwtoolbox import ToolboxTypeError, ToolboxValueError

__all__ = ["seq_spectrum", "walsh_spectrum", "img_to_blocks", "blocks_to_img", "cyclic_energy"]


def _dask(x, fn, name):
    a = x if isinstance(x, da.Array) else da.asarray(x)
    if a.dtype.kind not in "biufc":
        raise ToolboxTypeError(f"{name} must be a numeric or boolean array, not {a.dtype}",
                               f"{fn}:badInput")
    if any(math.isnan(s) for s in a.shape):
        raise ToolboxValueError(f"{name} must have known chunk sizes (see compute_chunk_sizes)",
                                f"{fn}:badShape")
    return a


def _meta(ndim, dtype=np.float64):
    return np.empty((0,) * ndim, dtype=dtype)


# ---- Spectra -----------------------------------------------------------------

def _spectrum_chunk(block, n, ordering, axis):
    return _bw.walsh_spectrum(block, n, ordering, axis, workers=1)


def _spectrum(a, n, ordering, axis, fn):
    A = _dask(a, fn, "a")
    if A.ndim == 0:
        A = A.reshape(1)
    # The in-memory function on one value checks ordering, n, axis and dtype
    # with its own errors, and gives the result's dtype.
    probe = _bw.walsh_spectrum(np.zeros((1,) * A.ndim, dtype=A.dtype), n, ordering, axis)
    axis = axis % A.ndim
    M = A.shape[axis]
    if M > 2**30:
        raise ToolboxValueError(
            f"a has {M} elements along the axis; at most 2^30 are supported", "seqSpectrum:tooLarge")
    L = n if n is not None else (1 << (M - 1).bit_length() if M > 1 else 1)
    A = A.rechunk({axis: -1})
    chunks = list(A.chunks)
    chunks[axis] = (L,)
    return A.map_blocks(_spectrum_chunk, n, ordering, axis, chunks=tuple(chunks),
                        dtype=probe.dtype, meta=_meta(A.ndim, probe.dtype))


def seq_spectrum(a, axis=0):
    """bwtoolbox.seq_spectrum of a Dask array (or array_like), along `axis`.

    Returns a float64 Dask array with the chunks of `a`, except one chunk of
    L values (the padded length) along `axis`.
    """
    return _spectrum(a, None, "sequency", axis, "seqSpectrum")


def walsh_spectrum(a, n=None, ordering="sequency", axis=0):
    """bwtoolbox.walsh_spectrum of a Dask array: length n, sequency, Hadamard
    or dyadic order; complex128 for complex input, else float64."""
    return _spectrum(a, n, ordering, axis, "walshSpectrum")


# ---- Block operators -----------------------------------------------------------

class _Grid:
    """The grid counts of blocks/grid.h in Python integers (no size limit), and
    the strips of whole grid columns an image is cut into."""

    def __init__(self, fn, block_shape, image_shape, start):
        self.n1, self.n2 = _bw._pair(block_shape, fn, "block_shape")
        self.N1, self.N2 = _bw._pair(image_shape, fn, "image_shape")
        self.rowSt, self.colSt = _bw._pair(start, fn, "start", 1)
        # The plug-ins' checks on a narrow image of the same height: the
        # start point rule, negative sizes, the band's fit.
        _bw._core.grid_shape(self.n1, self.n2, self.N1, min(self.N2, self.colSt - 1 + self.n2),
                             self.rowSt, self.colSt, fn == "blocksToImg")
        rows, cols = self.N1 - self.rowSt + 1, self.N2 - self.colSt + 1
        self.mainRows = -(-rows // self.n1)
        self.mainCols = -(-cols // self.n2)
        self.top, self.left = self.rowSt > 1, self.colSt > 1
        self.blockLen = self.n1 * self.n2
        self.blockCount = (self.mainRows * self.mainCols + (self.mainCols if self.top else 0)
                           + (self.mainRows if self.left else 0))

    def strips(self, width):
        """Grid column ranges (c0, c1) of strips about `width` image columns wide."""
        if self.mainCols == 0:
            return [(0, 0)]
        per = max(1, round(width / self.n2))
        return [(c, min(c + per, self.mainCols)) for c in range(0, self.mainCols, per)]

    def columns(self, c0, c1):
        """The image columns x0 .. x1 - 1 of grid columns c0 .. c1 - 1 (with the
        left band for c0 = 0), and the start point of that strip as an image."""
        x0 = 0 if c0 == 0 else self.colSt - 1 + c0 * self.n2
        x1 = self.N2 if c1 == self.mainCols else self.colSt - 1 + c1 * self.n2
        return x0, x1, (self.rowSt - 1, self.colSt - 1 if c0 == 0 else 0)

    def strip_blocks(self, c0, c1):
        """(band blocks, main blocks) of a strip; the left band counts as main
        blocks of the first strip, since it comes first in block order."""
        band = c1 - c0 if self.top else 0
        main = (c1 - c0) * self.mainRows + (self.mainRows if self.left and c0 == 0 else 0)
        return band, main


def _cut_stack(images, block_shape, start, matrix_shape):
    out = np.empty((len(images),) + matrix_shape)
    for i, image in enumerate(images):
        out[i] = _bw.img_to_blocks(image, block_shape, start=start, workers=1)
    return out


def _paste_stack(blocks, block_shape, image_shape, start):
    out = np.empty((len(blocks),) + tuple(image_shape))
    for i, X in enumerate(blocks):
        out[i] = _bw.blocks_to_img(X, block_shape, image_shape, start=start, workers=1)
    return out


def _cut_strip(strip, block_shape, start_first, start_rest, block_id=None):
    start = start_first if block_id[1] == 0 else start_rest
    return _bw.img_to_blocks(strip, block_shape, start=start, workers=1)


def _paste_strip(blocks, block_shape, heights, widths, start_first, start_rest, block_id=None):
    s = block_id[1]
    start = start_first if s == 0 else start_rest
    return _bw.blocks_to_img(blocks, block_shape, (heights, widths[s]), start=start, workers=1)


def img_to_blocks(image, block_shape, *, start=(0, 0)):
    """bwtoolbox.img_to_blocks of a Dask array: a (k, N1, N2) stack, chunked
    along the stack, gives a float64 (k, n1*n2, blocks) stack with the same
    stack chunks; a 2-D image gives the (n1*n2, blocks) block matrix, cut and
    computed in strips of whole grid columns about as wide as the image's
    first column chunk."""
    fn = "imgToBlocks"
    Y = _dask(image, fn, "image")
    if Y.ndim not in (2, 3):
        raise ToolboxValueError(f"image must be 2-D or a 3-D stack, not {Y.ndim}-D",
                                f"{fn}:badShape")
    g = _Grid(fn, block_shape, Y.shape[-2:], start)
    shape = (g.n1, g.n2)
    if Y.ndim == 3:
        Y = Y.rechunk({1: -1, 2: -1})
        return Y.map_blocks(_cut_stack, shape, start, (g.blockLen, g.blockCount),
                            dtype=np.float64, meta=_meta(3),
                            chunks=(Y.chunks[0], (g.blockLen,), (g.blockCount,)))
    strips = g.strips(Y.chunks[1][0] if Y.chunks[1] else 1)
    bounds = [g.columns(c0, c1) for c0, c1 in strips]
    widths = tuple(x1 - x0 for x0, x1, _ in bounds)
    counts = [g.strip_blocks(c0, c1) for c0, c1 in strips]
    # Every strip a chunk of whole columns; its block matrix is a chunk too.
    Y = Y.rechunk(((g.N1,), widths))
    S = Y.map_blocks(_cut_strip, shape, bounds[0][2], (g.rowSt - 1, 0), dtype=np.float64,
                     meta=_meta(2), chunks=((g.blockLen,), tuple(b + m for b, m in counts)))
    if not g.top:
        return S
    # Top band blocks come first in block order: the strips' band parts, then
    # their grid columns.
    offsets = np.cumsum([0] + [b + m for b, m in counts])
    bands = [S[:, o:o + b] for o, (b, _) in zip(offsets, counts)]
    mains = [S[:, o + b:o + b + m] for o, (b, m) in zip(offsets, counts)]
    return da.concatenate(bands + mains, axis=1)


def blocks_to_img(blocks, block_shape, image_shape, *, start=(0, 0)):
    """bwtoolbox.blocks_to_img of a Dask array: a (k, n1*n2, blocks) stack,
    chunked along the stack, gives a float64 (k, N1, N2) stack; a 2-D block
    matrix gives the image, in strips of whole grid columns of about as many
    blocks as the first column chunk of `blocks`."""
    fn = "blocksToImg"
    X = _dask(blocks, fn, "blocks")
    g = _Grid(fn, block_shape, image_shape, start)
    if X.ndim not in (2, 3):
        raise ToolboxValueError(f"blocks must be 2-D or a 3-D stack, not {X.ndim}-D",
                                f"{fn}:badShape")
    if X.shape[-1] != g.blockCount:
        raise ToolboxValueError("The input matrix X has not enough columns", "")
    if g.blockCount > 0 and X.shape[-2] != g.blockLen:
        raise ToolboxValueError(
            f"blocks has {X.shape[-2]} rows; blocks of n1*n2 = {g.blockLen} entries need "
            f"{g.blockLen}", f"{fn}:badRowCount")
    shape, image = (g.n1, g.n2), (g.N1, g.N2)
    if X.ndim == 3:
        X = X.rechunk({1: -1, 2: -1})
        return X.map_blocks(_paste_stack, shape, image, start, dtype=np.float64, meta=_meta(3),
                            chunks=(X.chunks[0], (g.N1,), (g.N2,)))
    first = X.chunks[1][0] if X.chunks[1] else 1
    strips = g.strips(first / max(1, g.mainRows) * g.n2)
    bounds = [g.columns(c0, c1) for c0, c1 in strips]
    widths = tuple(x1 - x0 for x0, x1, _ in bounds)
    counts = [g.strip_blocks(c0, c1) for c0, c1 in strips]
    X = X.rechunk({0: -1})
    if g.top:
        # Each strip's band blocks next to its grid columns, as the strip's
        # own block matrix orders them.
        band_at = np.cumsum([0] + [b for b, _ in counts])
        main_at = band_at[-1] + np.cumsum([0] + [m for _, m in counts])
        parts = []
        for s, (b, m) in enumerate(counts):
            parts += [X[:, band_at[s]:band_at[s] + b], X[:, main_at[s]:main_at[s] + m]]
        X = da.concatenate(parts, axis=1)
    X = X.rechunk(((X.shape[0],), tuple(b + m for b, m in counts)))
    return X.map_blocks(_paste_strip, shape, g.N1, widths, bounds[0][2], (g.rowSt - 1, 0),
                        dtype=np.float64, meta=_meta(2), chunks=((g.N1,), widths))


# ---- Shift energies -------------------------------------------------------------

def _energy_stack(fields, positions):
    out = np.empty(fields.shape)
    for i, f in enumerate(fields):
        out[i] = _bw.cyclic_energy(f, positions, workers=1)
    return out


def _energy_stack_parts(fields, imags, positions):
    out = np.empty(fields.shape)
    for i, (f, im) in enumerate(zip(fields, imags)):
        out[i] = _bw.cyclic_energy(f, positions, imag=im, workers=1)
    return out


def _positions(positions, m, n, fn):
    """The positions as the in-memory function checks them, with its errors."""
    p = _bw._position_pairs(positions, fn)
    if m * n > 0 and len(p):
        pi = p.astype(np.int64) if p.dtype.kind == "u" else p
        bad = (pi[:, 0] < 0) | (pi[:, 0] >= m) | (pi[:, 1] < 0) | (pi[:, 1] >= n)
        if bad.any():
            k = int(np.argmax(bad))
            raise ToolboxValueError(
                f"positions[{k}] = ({p[k, 0]}, {p[k, 1]}) lies outside the {m}-by-{n} grid",
                f"{fn}:positionOutOfRange")
    return p


def cyclic_energy(field, positions, *, imag=None):
    """bwtoolbox.cyclic_energy of a Dask array: a (k, m, n) stack of fields,
    chunked along the stack, gives the float64 (k, m, n) stack of energy maps
    with the same chunks; a 2-D field is computed as one chunk. `positions`
    (a NumPy array) and `imag` (a Dask array like `field`) as in-memory."""
    fn = "cyclicEnergy"
    F = _dask(field, fn, "field")
    if F.ndim not in (2, 3):
        raise ToolboxValueError(f"field must be 2-D or a 3-D stack, not {F.ndim}-D",
                                f"{fn}:badShape")
    p = _positions(positions, F.shape[-2], F.shape[-1], fn)
    I = None if imag is None else _dask(imag, fn, "imag")
    if I is not None and I.shape != F.shape:
        raise ToolboxValueError(f"imag has shape {I.shape}, field {F.shape}", f"{fn}:badShape")
    flat = F.ndim == 2
    if flat:
        F, I = F[None], None if I is None else I[None]
    F = F.rechunk({1: -1, 2: -1})
    if I is None:
        ell = F.map_blocks(_energy_stack, p, dtype=np.float64, meta=_meta(3), chunks=F.chunks)
    else:
        ell = da.map_blocks(_energy_stack_parts, F, I.rechunk(F.chunks), p, dtype=np.float64,
                            meta=_meta(3), chunks=F.chunks)
    return ell[0] if flat else ell
