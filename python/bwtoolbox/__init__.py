"""bwtoolbox: exact block copies, sequency-ordered Walsh-Hadamard spectra and
cyclic shift energies for NumPy, computed by the same C++ cores as the
bwtoolbox MATLAB/Octave plug-ins and bit-identical to them.

Functions
---------
img_to_blocks(image, block_shape, *, start=(0, 0), workers=None)
    Cut a 2-D image into blocks, one block per column of the result.
blocks_to_img(blocks, block_shape, image_shape, *, start=(0, 0), workers=None)
    Put the block columns back into an image (the exact adjoint).
seq_spectrum(a, axis=0, *, workers=None)
    Sequency-ordered Walsh-Hadamard spectrum along an axis, zero-padded to a
    power of two and divided by its length.
walsh_spectrum(a, n=None, ordering="sequency", axis=0, *, workers=None)
    The same spectrum in fwht's convention: length n, and sequency, Hadamard
    (natural) or dyadic (Paley) order.
cyclic_energy(field, positions, *, imag=None, workers=None)
    For every cyclic shift of a sampling pattern, the energy of a complex
    field at the point-reflected, shifted samples.

Positions and start points count from 0, as NumPy indexes; the plug-ins'
1-based rowSt, colSt and p are start[0] + 1, start[1] + 1 and row + m*col + 1.
Input of any real numeric or boolean dtype and any memory order is accepted
and converted to float64 exactly as MATLAB's double() converts (complex input
contributes its real part, except the field of cyclic_energy); float64 input
already laid out as the cores read it is not copied. Refused arguments raise
ToolboxValueError or ToolboxTypeError (subclasses of ValueError and
TypeError) carrying the plug-ins' message and error identifier. The cores
run without the GIL.

workers= has scipy.fft's meaning: None or 1 one thread, n up to n threads,
-1 all cores (os.cpu_count()), -2 all but one, and so on. The result is the
same to the bit whatever the number; small calls stay on one thread. The
module bwtoolbox.dask (with Dask installed) runs the functions on Dask
arrays.

Example
-------
>>> import numpy as np, bwtoolbox as bw
>>> Y = np.arange(30.0).reshape(6, 5, order="F")
>>> X = bw.img_to_blocks(Y, (3, 2), start=(1, 0))
>>> X.shape
(6, 9)
>>> bool((bw.blocks_to_img(X, (3, 2), Y.shape, start=(1, 0)) == Y).all())
True
>>> bw.seq_spectrum([1.0, 2.0, 3.0]).tolist()
[1.5, 0.0, -1.0, 0.5]
"""
import operator
import os

import numpy as np

from ._errors import ToolboxError, ToolboxTypeError, ToolboxValueError
from . import _core

__all__ = [
    "img_to_blocks",
    "blocks_to_img",
    "seq_spectrum",
    "walsh_spectrum",
    "cyclic_energy",
    "ToolboxError",
    "ToolboxValueError",
    "ToolboxTypeError",
]
__version__ = "0.1.0"

_INT32 = 2**31


def _int(value, fn, name, offset=0):
    """A Python integer parameter as the plug-ins' 32-bit integer plus offset."""
    try:
        v = operator.index(value)
    except TypeError:
        raise ToolboxTypeError(
            f"Parameter {name} must be an integer, not {type(value).__name__}",
            f"{fn}:badParameter") from None
    if not -_INT32 <= v + offset < _INT32:
        raise ToolboxValueError(
            f"Parameter {name} = {v} lies outside the 32-bit integer range",
            f"{fn}:badParameter")
    return v + offset


def _workers(workers, fn):
    """The thread count of workers= as scipy.fft reads it: None is 1, a
    negative count wraps around from os.cpu_count() (-1 is all cores)."""
    if workers is None:
        return 1
    try:
        w = operator.index(workers)
    except TypeError:
        raise ToolboxTypeError(
            f"workers must be an integer or None, not {type(workers).__name__}",
            f"{fn}:badWorkers") from None
    if w < 0:
        w += (os.cpu_count() or 1) + 1
    if w <= 0:
        raise ToolboxValueError(
            f"workers = {workers} leaves no thread: use a positive count, or -1 for all cores",
            f"{fn}:badWorkers")
    return w


def _position_pairs(positions, fn):
    """positions as a (k, 2) integer array of (row, col) pairs."""
    p = _array(positions, fn, "positions")
    if p.dtype.kind not in "iu":
        raise ToolboxTypeError(f"positions must be integers, not {p.dtype}", f"{fn}:badInput")
    if p.size == 0:
        p = p.reshape(0, 2)
    if p.ndim != 2 or p.shape[1] != 2:
        raise ToolboxValueError(f"positions must have shape (k, 2), not {p.shape}",
                                f"{fn}:badShape")
    return p


def _pair(value, fn, name, offset=0):
    try:
        items = tuple(value)
    except TypeError:
        items = ()
    if len(items) != 2:
        raise ToolboxTypeError(f"{name} must be a pair of integers", f"{fn}:badParameter")
    return tuple(_int(v, fn, f"{name}[{i}]", offset) for i, v in enumerate(items))


def _array(x, fn, name, keep_complex=False):
    """x as an array of a dtype the cores read: float64, float32, (u)int8..64,
    bool; native byte order. Other real dtypes become float64."""
    if type(x).__module__.startswith("scipy.sparse"):
        raise ToolboxTypeError(f"{name} must be a full array, not sparse", f"{fn}:sparseInput")
    a = np.asarray(x)
    kind = a.dtype.kind
    if kind == "c" and not keep_complex:
        a = a.real
        kind = a.dtype.kind
    if kind not in "biufc":
        raise ToolboxTypeError(f"{name} must be a numeric or boolean array, not {a.dtype}",
                               f"{fn}:badInput")
    if kind == "f" and a.dtype.itemsize not in (4, 8):
        a = a.astype(np.float64)  # float16 exactly, longdouble rounded to nearest
    elif not a.dtype.isnative:
        a = a.astype(a.dtype.newbyteorder("="))
    return a


def img_to_blocks(image, block_shape, *, start=(0, 0), workers=None):
    """Cut a 2-D image into blocks, one block per column of the result.

    Parameters
    ----------
    image : array_like, shape (N1, N2)
        Any real numeric or boolean dtype, any memory order.
    block_shape : (int, int)
        (n1, n2), the block height and width.
    start : (int, int), keyword only
        Start point (row, col), counted from 0: full blocks are laid from
        there downwards and to the right. Rows above it form a top band,
        columns left of it a left band (at most one of the two). Allowed:
        0 <= row <= n1 - 2, 0 <= col <= n2 - 2, not both above 0. The
        plug-ins' rowSt, colSt are row + 1, col + 1.
    workers : int or None, keyword only
        Threads to use: None or 1 one, n up to n, -1 all cores (scipy.fft's
        convention). The result is the same to the bit for every value.

    Returns
    -------
    X : ndarray of float64, shape (n1*n2, block count), Fortran order
        The plug-in's block matrix: block k is column k, its entry (a, b) at
        row a + b*n1. The band comes first (left to right, or top to
        bottom), then the main grid column by column, each top to bottom.
        Band and remainder blocks stand flush against the image edge they
        touch; their other entries are 0.

    Raises
    ------
    ToolboxValueError
        "Start point is not correct"; imgToBlocks:imageTooSmall (the band
        does not fit), imgToBlocks:tooLarge (2^31 elements or more).
        imgToBlocks:badWorkers (workers 0, or below -os.cpu_count()).
    ToolboxTypeError
        imgToBlocks:badParameter, imgToBlocks:badInput, imgToBlocks:sparseInput,
        imgToBlocks:badWorkers (workers not an integer).

    Examples
    --------
    >>> import numpy as np, bwtoolbox as bw
    >>> Y = np.arange(30.0).reshape(6, 5, order="F")
    >>> X = bw.img_to_blocks(Y, (3, 2), start=(1, 0))
    >>> X[:, 2].tolist()
    [0.0, 0.0, 0.0, 24.0, 0.0, 0.0]
    """
    fn = "imgToBlocks"
    threads = _workers(workers, fn)
    Y = _array(image, fn, "image")
    if Y.ndim != 2:
        raise ToolboxValueError(f"image must be 2-D, not {Y.ndim}-D", f"{fn}:badShape")
    n1, n2 = _pair(block_shape, fn, "block_shape")
    rowSt, colSt = _pair(start, fn, "start", 1)
    N1, N2 = Y.shape
    _core.grid_shape(n1, n2, N1, N2, rowSt, colSt, False)
    if Y.dtype == np.bool_:
        Y = Y.view(np.uint8)
    return _core.img_to_blocks(np.asfortranarray(Y), n1, n2, N1, N2, rowSt, colSt, threads)


def blocks_to_img(blocks, block_shape, image_shape, *, start=(0, 0), workers=None):
    """Put block columns back into an image: the exact adjoint of img_to_blocks.

    Parameters
    ----------
    blocks : array_like, shape (n1*n2, block count)
        A block matrix as img_to_blocks returns it; any real numeric or
        boolean dtype, any memory order. Entries that no image entry is
        paired with are not read.
    block_shape : (int, int)
        (n1, n2).
    image_shape : (int, int)
        (N1, N2).
    start : (int, int), keyword only
        Start point counted from 0, as for img_to_blocks.
    workers : int or None, keyword only
        Threads to use: None or 1 one, n up to n, -1 all cores (scipy.fft's
        convention). The result is the same to the bit for every value.

    Returns
    -------
    Y : ndarray of float64, shape image_shape, Fortran order

    Raises
    ------
    ToolboxValueError
        "Start point is not correct", "The input matrix X has not enough
        columns" (not exactly as many columns as blocks); blocksToImg:
        negativeSize, imageTooSmall, tooLarge, badRowCount (blocks but not
        n1*n2 rows), badShape (not 2-D), badWorkers.
    ToolboxTypeError
        blocksToImg:badParameter, badInput, sparseInput, badWorkers.

    Examples
    --------
    >>> import numpy as np, bwtoolbox as bw
    >>> X = np.ones((6, 9))
    >>> bw.blocks_to_img(X, (3, 2), (6, 5), start=(1, 0)).sum()
    30.0
    """
    fn = "blocksToImg"
    threads = _workers(workers, fn)
    n1, n2 = _pair(block_shape, fn, "block_shape")
    N1, N2 = _pair(image_shape, fn, "image_shape")
    rowSt, colSt = _pair(start, fn, "start", 1)
    _core.grid_shape(n1, n2, N1, N2, rowSt, colSt, True)
    X = _array(blocks, fn, "blocks")
    if X.ndim != 2:
        raise ToolboxValueError(f"blocks must be 2-D, not {X.ndim}-D", f"{fn}:badShape")
    if X.dtype == np.bool_:
        X = X.view(np.uint8)
    return _core.blocks_to_img(np.asfortranarray(X), n1, n2, N1, N2, rowSt, colSt, threads)


def seq_spectrum(a, axis=0, *, workers=None):
    """Sequency-ordered Walsh-Hadamard spectrum along an axis.

    Every 1-D slice x of M values along `axis` is extended with zeros to L,
    the smallest power of two >= M (M = 0 and 1 give L = 1), and replaced by

        w[r] = (1/L) * sum_i H[r, i] * x[i],   r = 0 .. L-1,

    where row r of the +-1 matrix H is the Walsh function with exactly r sign
    changes. The result is fixed to the last bit (the plug-in seqSpectrum
    gives the same bits): the transform is its own inverse up to L.

    Parameters
    ----------
    a : array_like
        Any real numeric or boolean dtype (complex: the real part), any
        number of dimensions and memory order. float64 slices already
        contiguous along `axis` (Fortran order with axis=0, C order with
        axis=-1) are read in place.
    axis : int
        The axis to transform (default 0, the plug-in's columns).
    workers : int or None, keyword only
        Threads to use: None or 1 one, n up to n, -1 all cores (scipy.fft's
        convention). The result is the same to the bit for every value.

    Returns
    -------
    W : ndarray of float64, shape of `a` with L along `axis`

    Raises
    ------
    ToolboxValueError
        seqSpectrum:tooLarge (M above 2^30, or 2^31 result elements or more),
        seqSpectrum:badWorkers.
    ToolboxTypeError
        seqSpectrum:badInput, seqSpectrum:sparseInput, seqSpectrum:badWorkers.

    Examples
    --------
    >>> import numpy as np, bwtoolbox as bw
    >>> bw.seq_spectrum(np.arange(1.0, 9.0)).tolist()
    [4.5, -2.0, 0.0, -1.0, 0.0, 0.0, 0.0, -0.5]
    >>> bw.seq_spectrum(np.ones((3, 5)), axis=1).shape
    (3, 8)
    """
    return _spectrum(a, axis, 0, _workers(workers, "seqSpectrum"))


def _spectrum(a, axis, ordering, threads):
    """seq_spectrum with the rows in sequency (0), Hadamard (1) or dyadic (2)
    order, reordered by the core while in cache."""
    fn = "seqSpectrum"
    A = _array(a, fn, "a")
    if A.dtype == np.bool_:
        A = A.view(np.uint8)
    if A.ndim == 0:
        A = A.reshape(1)
    try:
        axis = operator.index(axis)
        if not -A.ndim <= axis < A.ndim:
            raise np.AxisError(axis, A.ndim)
    except (TypeError, np.AxisError) as e:
        raise ToolboxValueError(str(e), f"{fn}:badAxis") from None
    axis %= A.ndim
    # The transformed slices as the columns of a column-major M-by-N array
    # (a view when A is laid out so already), and how W goes back.
    if A.ndim == 1:
        M, N, rest = A.shape[0], 1, None
        cols = A
    elif A.ndim == 2:
        cols = A if axis == 0 else A.T
        (M, N), rest = cols.shape, None
    else:
        cols = np.moveaxis(A, axis, 0)
        M, rest = cols.shape[0], cols.shape[1:]
        N = int(np.prod(rest, dtype=np.int64))
    # Checked before any copy is made.
    if M > 2**30:
        raise ToolboxValueError(
            f"a has {M} elements along the axis; at most 2^30 are supported", f"{fn}:tooLarge")
    L = 1 << (M - 1).bit_length() if M > 1 else 1
    if L * N >= _INT32:
        raise ToolboxValueError(
            f"The result of {L} by {N} must have fewer than 2^31 elements", f"{fn}:tooLarge")
    cols = np.asfortranarray(cols)
    if rest is not None:
        cols = cols.reshape((M, N), order="F")
    W = _core.seq_spectrum(cols, M, N, ordering, threads)
    if A.ndim == 1:
        return W.reshape(L)
    if A.ndim == 2:
        return W if axis == 0 else W.T
    return np.moveaxis(W.reshape((L,) + rest, order="F"), 0, axis)


_ORDERINGS = ("sequency", "hadamard", "dyadic")


def walsh_spectrum(a, n=None, ordering="sequency", axis=0, *, workers=None):
    """Walsh-Hadamard spectrum in sequency, Hadamard or dyadic order.

    The calling convention of fwht(x, n, ordering) of the Octave signal
    package and MATLAB's Signal Processing Toolbox (as the toolbox function
    walshSpectrum), along `axis`: every slice is padded with zeros to n
    values or truncated to its first n, transformed and divided by its
    length. With n=None the length is seq_spectrum's, and the sequency order
    is seq_spectrum's result, bit for bit; the other orderings hold the same
    values with their rows permuted (by the core, as the plug-in
    walshOrdered does).

    Parameters
    ----------
    a : array_like
        As for seq_spectrum; complex input is transformed in its real and
        imaginary parts, and the result is complex.
    n : int, optional
        A positive power of two: the transform length.
    ordering : {"sequency", "hadamard", "dyadic"}
        "sequency": entry r belongs to the Walsh function with r sign changes
        (the default). "hadamard": natural order, entry s to row s of the
        Sylvester Hadamard matrix. "dyadic": Paley order, entry s to the
        Hadamard row whose index is s with its log2(L) bits reversed.
    axis : int
        The axis to transform (default 0).
    workers : int or None, keyword only
        Threads to use: None or 1 one, n up to n, -1 all cores (scipy.fft's
        convention). The result is the same to the bit for every value.

    Raises
    ------
    ToolboxValueError
        walshSpectrum:badLength (n not a positive power of two),
        walshSpectrum:badOrdering, and the errors of seq_spectrum.

    Examples
    --------
    >>> import bwtoolbox as bw
    >>> bw.walsh_spectrum([1.0, 2.0, 3.0, 4.0]).tolist()
    [2.5, -1.0, 0.0, -0.5]
    >>> bw.walsh_spectrum([1.0, 2.0, 3.0, 4.0], ordering="hadamard").tolist()
    [2.5, -0.5, -1.0, 0.0]
    >>> bw.walsh_spectrum([1.0, 2.0, 3.0], n=2, ordering="dyadic").tolist()
    [1.5, -0.5]
    """
    fn = "walshSpectrum"
    threads = _workers(workers, fn)
    if not isinstance(ordering, str) or ordering.lower() not in _ORDERINGS:
        raise ToolboxValueError(
            "ordering must be 'sequency', 'hadamard' or 'dyadic'", f"{fn}:badOrdering")
    ordering = ordering.lower()
    A = a if isinstance(a, np.ndarray) else np.asarray(a)
    if A.ndim == 0:
        A = A.reshape(1)
    if n is not None:
        try:
            n = operator.index(n)
        except TypeError:
            n = 0
        if n < 1 or n & (n - 1):
            raise ToolboxValueError("n must be a positive power of two", f"{fn}:badLength")
        if isinstance(axis, (int, np.integer)) and -A.ndim <= axis < A.ndim:
            M = A.shape[axis]  # (a bad axis is seq_spectrum's to report)
            if n < M:
                A = np.take(A, range(n), axis=axis)
            elif n > 1 and n > (1 << (M - 1).bit_length()):
                pad = [(0, 0)] * A.ndim
                pad[axis] = (0, n - M)
                A = np.pad(A, pad)
    code = _ORDERINGS.index(ordering)
    if np.iscomplexobj(A):
        re, im = _spectrum(A.real, axis, code, threads), _spectrum(A.imag, axis, code, threads)
        W = np.empty(re.shape, dtype=np.complex128)
        W.real, W.imag = re, im
        return W
    return _spectrum(A, axis, code, threads)


def cyclic_energy(field, positions, *, imag=None, workers=None):
    """Energy of a complex field at every cyclic shift of a sampling pattern.

    With the energy map E = |field|**2 on the m-by-n grid and the k-th
    position (r_k, c_k),

        ell[j, i] = sum_k E[(j - r_k) % m, (i - c_k) % n]

    for row shift j and column shift i: the pattern is point-reflected and
    moved by (j, i); ell is the 2-D cyclic convolution of the pattern with E.
    Terms enter each entry in the order of `positions`, as
    ell + (re*re + im*im), so results are the plug-in cyclicEnergy's to the
    last bit.

    Parameters
    ----------
    field : array_like, shape (m, n)
        The complex field, or its real part when `imag` is given. Any numeric
        or boolean dtype; real input has imaginary part 0.
    positions : array_like of int, shape (k, 2)
        0-based (row, col) of each sample, in summing order; a position may
        occur more than once. The plug-in's p is row + m*col + 1.
    imag : array_like, shape (m, n), keyword only
        The imaginary part, when `field` holds the real part: float64 arrays
        of the same memory order (both C or both Fortran) are read in place.
    workers : int or None, keyword only
        Threads to use: None or 1 one, n up to n, -1 all cores (scipy.fft's
        convention). The result is the same to the bit for every value.

    Returns
    -------
    ell : ndarray of float64, shape (m, n)
        ell.ravel(order="F") is the plug-in's 1-by-m*n row.

    Raises
    ------
    ToolboxValueError
        cyclicEnergy:positionOutOfRange, cyclicEnergy:tooLarge (m*n of 2^31
        or more), cyclicEnergy:badShape, cyclicEnergy:badWorkers.
    ToolboxTypeError
        cyclicEnergy:badInput (also for positions that are not integers),
        cyclicEnergy:sparseInput, cyclicEnergy:badWorkers.

    Examples
    --------
    >>> import numpy as np, bwtoolbox as bw
    >>> f = np.array([[1, 3, 5], [2, 4, 6]]) + 1j * np.array([[0, 0, 0], [1, 1, 1]])
    >>> bw.cyclic_energy(f, [(0, 0), (1, 1)]).ravel(order="F").tolist()
    [38.0, 30.0, 14.0, 18.0, 42.0, 46.0]
    """
    fn = "cyclicEnergy"
    threads = _workers(workers, fn)
    re = _array(field, fn, "field", keep_complex=imag is None)
    if imag is None:
        if re.dtype.kind == "c":
            re, im = re.real, re.imag
        else:
            im = None
    else:
        im = _array(imag, fn, "imag")
        if im.shape != re.shape:
            raise ToolboxValueError(f"imag has shape {im.shape}, field {re.shape}",
                                    f"{fn}:badShape")
    if re.ndim != 2:
        raise ToolboxValueError(f"field must be 2-D, not {re.ndim}-D", f"{fn}:badShape")
    m, n = re.shape
    if m * n >= _INT32:
        raise ToolboxValueError(f"The grid must have fewer than 2^31 points, not {m * n}",
                                f"{fn}:tooLarge")
    p = _position_pairs(positions, fn)
    # A C-ordered field is the transposed grid in column-major order: the
    # transposed problem sums the same terms in the same order.
    fortran = not (re.flags.c_contiguous and not re.flags.f_contiguous
                   and (im is None or im.flags.c_contiguous))
    order = "F" if fortran else "C"
    try:
        pi = p if p.dtype.kind == "i" else p.astype(np.int64)  # huge uint64 turn negative
        lin = np.ravel_multi_index((pi[:, 0], pi[:, 1]), (m, n), order=order) + 1
    except ValueError:
        if m * n == 0:  # no grid point: no position is looked at
            lin = np.zeros(0, dtype=np.int64)
        else:
            rows, cols = p[:, 0], p[:, 1]
            k = int(np.argmax((rows < 0) | (rows >= m) | (cols < 0) | (cols >= n)))
            raise ToolboxValueError(
                f"positions[{k}] = ({rows[k]}, {cols[k]}) lies outside the {m}-by-{n} grid",
                f"{fn}:positionOutOfRange") from None
    gm, gn = (m, n) if fortran else (n, m)
    if re.dtype == np.bool_:
        re = re.view(np.uint8)
    re = re.ravel(order=order)
    if im is None:
        im = np.zeros(re.shape[0])
    else:
        if im.dtype == np.bool_:
            im = im.view(np.uint8)
        im = im.ravel(order=order)
    ell = _core.cyclic_energy(lin, re, im, gm, gn, threads)
    return ell.reshape((m, n), order=order)
