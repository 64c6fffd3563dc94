function varargout = cyclicEnergy (varargin)
%CYCLICENERGY  Energy of a complex field at every cyclic shift of a sampling pattern.
%   ell = cyclicEnergy(p, rM, iM, m, n, np) works on an m-by-n grid. rM and iM
%   are the real and imaginary parts of a complex field F on that grid and p
%   lists 1-based linear grid positions (column order) of a sampling pattern,
%   of which the first np count. For every cyclic shift of the grid by j rows
%   and i columns (j = 0..m-1, i = 0..n-1), entry 1 + j + m*i of the 1-by-m*n
%   row ell is the energy of F at the samples of the point-reflected pattern
%   moved by (j, i):
%
%       ell(1 + j + m*i) = sum over k = 1..np of
%                          E(mod(j - r_k, m) + 1, mod(i - c_k, n) + 1)
%
%   with the energy map E = rM.^2 + iM.^2 and (r_k, c_k) the 0-based row and
%   column of position p(k). So ell is the two-dimensional cyclic convolution
%   of the pattern with the energy map, laid out column by column as one row;
%   up to rounding,
%
%       S = accumarray(reshape(fix(p(1:np)), [], 1), 1, [m*n 1]);
%       ell = reshape(real(ifft2(fft2(reshape(S, m, n)) .* fft2(E))), 1, []);
%
%   (S counts the samples at each grid point).
%
%   The result is bit-exact: every entry starts from 0 and receives its
%   terms in the order of p, each term formed as rM^2 + iM^2 and added to the
%   running sum, never with a fused multiply-add, so every run gives the same
%   bits.
%
%   Which to use. The exact sum costs m*n*np terms. cyclicEnergyFFT
%   computes the same map through fft2 in about m*n*log2(m*n) operations,
%   accurate to rounding relative to the largest entry, not entry by entry.
%   In GNU Octave 7.3 on an AMD EPYC (family 26, "Zen 5", AVX-512) this
%   function is the faster up to about m*n*np = 1e6 to 2e6 terms (a 64-by-64
%   grid at 10 % sampling, 128-by-128 at 1 %), cyclicEnergyFFT beyond.
%
%   Inputs
%     p             sample positions, 1 .. m*n, any shape; fractional values
%                   are truncated toward zero (4.9 acts as 4). A position
%                   that occurs twice counts twice.
%     rM, iM        real and imaginary parts of the field: m-by-n matrices or
%                   vectors of m*n elements (only their elements are read)
%     m, n          grid rows and columns
%     np            number of positions taken from p (np <= 0: all zeros)
%   m, n and np are truncated toward zero; m or n of 0 gives a 1-by-0 row,
%   and then no position is looked at. Any numeric or logical class is
%   converted to double as double() does: exactly, but int64 and uint64
%   values beyond 2^53 round to the nearest double. Complex inputs
%   contribute their real parts.
%
%   Errors
%     'Usage: ell = cycEnergy (p, rM, iM, m, n, np)'
%                   not 6 inputs, or more than one output (a call without
%                   output is fine)
%     cyclicEnergy:badParameter  m, n or np empty, not numeric, sparse, NaN,
%                   infinite or beyond the 32-bit integer range
%     cyclicEnergy:negativeSize  m < 0 or n < 0
%     cyclicEnergy:tooLarge      m*n above 2^31-1
%     cyclicEnergy:sparseInput, cyclicEnergy:badInput
%                   p, rM or iM sparse, or not numeric or logical
%     cyclicEnergy:tooFewPositions  np above numel(p)
%     cyclicEnergy:tooFewElements   rM or iM holds fewer than m*n elements
%     cyclicEnergy:positionOutOfRange
%                   one of the first np positions is not in 1..m*n after
%                   truncation (0, negative, beyond the grid, NaN, Inf)
%   Every check comes before the output is created; the plug-in uses no
%   memory but its output (and under 48 KiB of stack).
%
%   Example
%     rM = [1 3 5; 2 4 6];  iM = [0 0 0; 1 1 1];  % energy map [1 9 25; 5 17 37]
%     ell = cyclicEnergy([1 4], rM, iM, 2, 3, 2)  % [38 30 14 18 42 46]
%     reshape(ell, 2, 3)                          % as a map of the shifts
%
%   See also cyclicEnergyFFT, seqSpectrum, imgToBlocks, build_mex.

error ('cyclicEnergy:notCompiled', ...
       'cyclicEnergy: the MEX plug-in is not compiled, run build_mex');
end

% The defining sum: the energy map shifted by every sample position.
%!function ell = shifted_sum (p, E, np)
%!  ell = zeros (size (E));
%!  for k = 1:np
%!    b = fix (p(k)) - 1;
%!    ell += circshift (E, [mod(b, rows (E)), floor(b / rows (E))]);
%!  endfor
%!  ell = ell(:)';
%!endfunction

% Calls f with one output and checks that it fails with a cyclicEnergy: identifier.
%!function assert_refused (f)
%!  try
%!    ell = f ();
%!  catch err
%!    assert (strncmp (err.identifier, "cyclicEnergy:", 13), ...
%!            ["refused without a cyclicEnergy: identifier: " err.message]);
%!    return;
%!  end_try_catch
%!  error ("not refused");
%!endfunction

%!shared rM, iM, E
%! rM = [1 3 5; 2 4 6];
%! iM = [0 0 0; 1 1 1];
%! E = rM.^2 + iM.^2;

% Worked example; the shapes of p, rM and iM do not matter.
%!assert (cyclicEnergy ([1 4], rM, iM, 2, 3, 2), [38 30 14 18 42 46])
%!assert (cyclicEnergy ([1; 4], rM(:)', iM(:), 2, 3, 2), [38 30 14 18 42 46])
%!assert (cyclicEnergy ([1 4 5 6], rM, iM, 2, 3, 2), [38 30 14 18 42 46])

% One position: position 1 gives the energy map itself, position m*n the map
% read one row and one column further on.
%!assert (cyclicEnergy (1, rM, iM, 2, 3, 1), E(:)')
%!assert (cyclicEnergy (6, rM, iM, 2, 3, 1), reshape (circshift (E, [-1 -1]), 1, []))

% Repeats count twice; fractions truncate; np <= 0 gives zeros.
%!assert (cyclicEnergy ([3 3], rM, iM, 2, 3, 2), 2 * cyclicEnergy (3, rM, iM, 2, 3, 1))
%!assert (cyclicEnergy ([4.9 1.5], rM, iM, 2, 3, 2), cyclicEnergy ([4 1], rM, iM, 2, 3, 2))
%!assert (cyclicEnergy ([1 4], rM, iM, 2.7, 3.2, 2.9), [38 30 14 18 42 46])
%!assert (cyclicEnergy ([1 4], rM, iM, 2, 3, 0), zeros (1, 6))
%!assert (cyclicEnergy ([1 4], rM, iM, 2, 3, -1), zeros (1, 6))
%!assert (cyclicEnergy ([], [], [], 0, 3, 0), zeros (1, 0))

% A single row: ell(i) sums E at columns i - (p(k) - 1), cyclically.
%!assert (cyclicEnergy ([1 3], [1 2 3 4], [0 0 0 0], 1, 4, 2), [1 4 9 16] + [9 16 1 4])

% Against the defining sum on integer data (every sum exact), and against
% the cyclic convolution computed with FFTs.
%!test
%! for mn = [1 1; 1 7; 7 1; 5 8; 13 11; 16 16]'
%!   m = mn(1);
%!   n = mn(2);
%!   R = reshape (mod ((1:m*n) * 37, 61) - 30, m, n);
%!   I = reshape (mod ((1:m*n) * 53, 41) - 20, m, n);
%!   p = mod ((1:3*m*n) * 7919, m * n) + 1;   % repeats included
%!   for np = [0 1 numel(p)]
%!     ell = cyclicEnergy (p, R, I, m, n, np);
%!     assert (ell, shifted_sum (p, R.^2 + I.^2, np));
%!     S = reshape (accumarray (p(1:np)', 1, [m*n 1]), m, n);
%!     conv = real (ifft2 (fft2 (S) .* fft2 (R.^2 + I.^2)));
%!     assert (ell, conv(:)', 1e-9 * max (1, max (abs (conv(:)))));
%!   endfor
%! endfor

% Classes convert exactly.
%!test
%! ell = cyclicEnergy ([1 4], rM, iM, 2, 3, 2);
%! assert (cyclicEnergy (int32 ([1 4]), single (rM), uint8 (iM), 2, 3, 2), ell);
%! assert (cyclicEnergy ([1 4], rM, logical (iM), int8 (2), 3, uint16 (2)), ell);

% No output requested: the result still goes to ans.
%!test
%! cyclicEnergy ([1 4], rM, iM, 2, 3, 2);
%! assert (ans, [38 30 14 18 42 46]);

% Argument counts.
%!error <Usage: ell = cycEnergy \(p, rM, iM, m, n, np\)> ell = cyclicEnergy ([1 4], rM, iM, 2, 3)
%!error <Usage: ell = cycEnergy \(p, rM, iM, m, n, np\)> ell = cyclicEnergy ([1 4], rM, iM, 2, 3, 2, 1)
%!error <Usage: ell = cycEnergy \(p, rM, iM, m, n, np\)> [ell, x] = cyclicEnergy ([1 4], rM, iM, 2, 3, 2)
%!error <Usage: ell = cycEnergy \(p, rM, iM, m, n, np\)> ell = cyclicEnergy ()

% Input the kernel cannot use safely: a clear error with an identifier.
%!test
%! assert_refused (@() cyclicEnergy ([1 0], rM, iM, 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 7], rM, iM, 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 -3], rM, iM, 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 NaN], rM, iM, 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 4], rM, iM, 2, 3, 3));
%! assert_refused (@() cyclicEnergy ([1 4], rM(1:5), iM, 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 4], rM, iM(1:5), 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 4], rM, iM, -2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 4], rM, iM, 2, NaN, 2));
%! assert_refused (@() cyclicEnergy ([1 4], rM, iM, 2, 3, []));
%! assert_refused (@() cyclicEnergy ([1 4], rM, iM, 65536, 32768, 0));
%! assert_refused (@() cyclicEnergy (sparse ([1 4]), rM, iM, 2, 3, 2));
%! assert_refused (@() cyclicEnergy ([1 4], sparse (rM), iM, 2, 3, 2));
