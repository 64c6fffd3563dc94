"""Speed of bwtoolbox's Python functions against the NumPy idioms users would
write instead, and against the bare extension call (the core plus pybind11's
call and the output allocation, without the Python layer's conversions).

Run with `make bench` or `scripts/python.sh bench`. Prints one table; each
time is the median of repeated runs, each ratio is taken within this run.
"""
import os
import platform
import sys
import threading
import time
import timeit

import numpy as np

import bwtoolbox as bw
from bwtoolbox import _core


# BENCH_QUICK=1 (make bench BENCH_QUICK=1, CI): small arrays, a moment each.
QUICK = os.environ.get("BENCH_QUICK") == "1"


def best_times(fns, min_seconds=0.0 if QUICK else 0.3):
    """The best time per call of each function, their runs interleaved so
    that load from other processes weighs on all of them alike."""
    numbers = []
    for fn in fns:
        number = 1
        while timeit.timeit(fn, number=number) < 0.01:
            number *= 4
        numbers.append(number)
    best = [float("inf")] * len(fns)
    spent, rounds = 0.0, 0
    while rounds < 5 or (spent < min_seconds * len(fns) and rounds < 40):
        for i, fn in enumerate(fns):
            t = timeit.timeit(fn, number=numbers[i])
            spent += t
            best[i] = min(best[i], t / numbers[i])
        rounds += 1
    return best


# Block copies: view_as_blocks-style reshape/transpose, for grids that divide.
def numpy_img_to_blocks(Y, n1, n2):
    N1, N2 = Y.shape
    R, C = N1 // n1, N2 // n2
    Z = Y.T.reshape(C, n2, R, n1).transpose(0, 2, 1, 3)
    return np.ascontiguousarray(Z).reshape(C * R, n2 * n1).T


def numpy_blocks_to_img(X, n1, n2, N1, N2):
    R, C = N1 // n1, N2 // n2
    Z = X.T.reshape(C, R, n2, n1).transpose(0, 2, 1, 3)
    return np.ascontiguousarray(Z).reshape(N2, N1).T


# Radix-2 fast Walsh-Hadamard transform, vectorised over columns; natural
# order, then permuted to sequency order.
def numpy_seq_spectrum(A):
    M, N = A.shape
    L = 1 << (M - 1).bit_length() if M > 1 else 1
    x = np.zeros((L, N))
    x[:M] = A
    h = 1
    while h < L:
        x = x.reshape(L // (2 * h), 2, h, N)
        a, b = x[:, 0], x[:, 1]
        x = np.stack((a + b, a - b), axis=1).reshape(L, N)
        h *= 2
    k = L.bit_length() - 1
    r = np.arange(L)
    g = r ^ (r >> 1)
    rev = np.zeros(L, dtype=np.int64)
    for bit in range(k):
        rev |= ((g >> bit) & 1) << (k - 1 - bit)
    return x[rev] / L


# The energy map by FFT: cyclic convolution of the pattern's counts with |f|^2.
def numpy_cyclic_energy(f, pos):
    m, n = f.shape
    P = np.zeros((m, n))
    np.add.at(P, (pos[:, 0], pos[:, 1]), 1.0)
    E = f.real ** 2 + f.imag ** 2
    return np.real(np.fft.ifft2(np.fft.fft2(P) * np.fft.fft2(E)))


def processor():
    info = {}
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                key, _, value = line.partition(":")
                info.setdefault(key.strip(), value.strip())
    except OSError:
        pass
    name = info.get("model name") or platform.processor() or "unknown processor"
    family = f", family {info['cpu family']}" if "cpu family" in info else ""
    avx512 = ", AVX-512" if "avx512f" in info.get("flags", "").split() else ""
    return name + family + avx512


def main():
    rng = np.random.default_rng(1)
    rows = []

    def row(name, size, ours, idiom, core):
        times = best_times([ours, core] + ([idiom] if idiom else []))
        t_ours, t_core, t_idiom = times[0], times[1], times[2] if idiom else None
        rows.append((name, size, t_ours, t_idiom, t_core))

    for N in (16, 128 if QUICK else 2048):
        Y = np.asfortranarray(rng.standard_normal((N, N)))
        X = bw.img_to_blocks(Y, (8, 8))
        assert np.array_equal(numpy_img_to_blocks(Y, 8, 8), X)
        assert np.array_equal(numpy_blocks_to_img(X, 8, 8, N, N), Y)
        row("img_to_blocks 8x8", f"{N}x{N}", lambda: bw.img_to_blocks(Y, (8, 8)),
            lambda: numpy_img_to_blocks(Y, 8, 8),
            lambda: _core.img_to_blocks(Y, 8, 8, N, N, 1, 1))
        row("blocks_to_img 8x8", f"{N}x{N}", lambda: bw.blocks_to_img(X, (8, 8), (N, N)),
            lambda: numpy_blocks_to_img(X, 8, 8, N, N),
            lambda: _core.blocks_to_img(X, 8, 8, N, N, 1, 1))
    for M, N in ((8, 1), (64, 64), (256, 16)) if QUICK else ((8, 1), (64, 4096), (4096, 256)):
        A = np.asfortranarray(rng.standard_normal((M, N)))
        assert np.allclose(numpy_seq_spectrum(A), bw.seq_spectrum(A), atol=1e-12)
        row("seq_spectrum", f"{M}x{N}", lambda: bw.seq_spectrum(A),
            lambda: numpy_seq_spectrum(A), lambda: _core.seq_spectrum(A, M, N, 0))
    grids = (((4, 4), 2), ((32, 32), 8), ((32, 32), 64)) if QUICK else \
        (((4, 4), 2), ((256, 256), 64), ((256, 256), 4096))
    for (m, n), k in grids:
        f = rng.standard_normal((m, n)) + 1j * rng.standard_normal((m, n))
        pos = np.stack([rng.integers(0, m, k), rng.integers(0, n, k)], axis=1)
        assert np.allclose(numpy_cyclic_energy(f, pos), bw.cyclic_energy(f, pos))
        re, im = np.asfortranarray(f.real), np.asfortranarray(f.imag)
        lin = (pos[:, 0] + m * pos[:, 1] + 1).astype(np.int64)
        row("cyclic_energy", f"{m}x{n}, {k} pos", lambda: bw.cyclic_energy(f, pos),
            lambda: numpy_cyclic_energy(f, pos),
            lambda: _core.cyclic_energy(lin, re.ravel(order="F"), im.ravel(order="F"), m, n))
        row("cyclic_energy (re, imag=)", f"{m}x{n}, {k} pos",
            lambda: bw.cyclic_energy(re, pos, imag=im), None,
            lambda: _core.cyclic_energy(lin, re.ravel(order="F"), im.ravel(order="F"), m, n))

    print(f"Processor: {processor()}; Python {sys.version.split()[0]}, NumPy {np.__version__}; "
          f"OPENBLAS_CORETYPE={os.environ.get('OPENBLAS_CORETYPE', '(unset)')}")
    print()
    print("| call | size | bwtoolbox | NumPy idiom | NumPy / bwtoolbox | bare extension call "
          "| Python layer |")
    print("|---|---|---|---|---|---|---|")
    for name, size, t_ours, t_idiom, t_core in rows:
        idiom = f"{t_idiom * 1e6:.1f} µs" if t_idiom else "–"
        ratio = f"{t_idiom / t_ours:.2g}×" if t_idiom else "–"
        layer = f"+{(t_ours - t_core) * 1e6:.1f} µs ({t_ours / t_core:.2f}×)"
        print(f"| {name} | {size} | {t_ours * 1e6:.1f} µs | {idiom} | {ratio} "
              f"| {t_core * 1e6:.1f} µs | {layer} |")
    thread_scaling(rng)


def thread_scaling(rng, calls=40):
    """Throughput of two threads against one on large seq_spectrum calls: the
    cores run without the GIL, so up to 2x on two free cores."""
    A = np.asfortranarray(rng.standard_normal((256, 16) if QUICK else (4096, 256)))

    def work(n):
        for _ in range(n):
            bw.seq_spectrum(A)

    def run(threads):
        ts = [threading.Thread(target=work, args=(calls // threads,)) for _ in range(threads)]
        t0 = time.perf_counter()
        for t in ts:
            t.start()
        for t in ts:
            t.join()
        return time.perf_counter() - t0

    one = min(run(1) for _ in range(3))
    two = min(run(2) for _ in range(3))
    print(f"\nseq_spectrum {A.shape[0]}x{A.shape[1]}, {calls} calls: two threads give {one / two:.2f}x the "
          f"throughput of one ({os.cpu_count()} processors visible)")


if __name__ == "__main__":
    main()
