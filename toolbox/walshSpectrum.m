function W = walshSpectrum (A, n, ordering)
%WALSHSPECTRUM  Walsh-Hadamard spectrum in sequency, Hadamard or dyadic order.
%   W = walshSpectrum(A) is seqSpectrum(A): every column of A extended with
%   zeros to L entries, L the smallest power of two not less than the number
%   of rows, transformed and divided by L, in sequency order. A row vector is
%   transformed as one column and W is a row.
%   W = walshSpectrum(A, n) pads every column with zeros to n entries, or
%   truncates it to its first n, before the transform; n is a power of two
%   (n = [] is the default length).
%   W = walshSpectrum(A, n, ordering) returns the coefficients in the given
%   order:
%
%     'sequency'  row r+1 belongs to the Walsh function with r sign changes
%                 (the default; exactly seqSpectrum)
%     'hadamard'  natural order: row s+1 belongs to the row s+1 of the
%                 Sylvester Hadamard matrix, (-1)^popcount(i AND s)
%     'dyadic'    Paley order: row s+1 is the Hadamard row whose index is s
%                 with its log2(L) bits reversed
%
%   This is the calling convention of fwht(x, n, ordering) of the Octave
%   signal package and MATLAB's Signal Processing Toolbox, with the same
%   padding, scaling and orderings. Complex data are transformed in their
%   real and imaginary parts; other numeric and logical classes are converted
%   to double.
%
%   The sequency spectrum is seqSpectrum's, bit for bit. The other orderings
%   are the same values with their rows permuted, which the plug-in
%   walshOrdered does while each column is in cache (no second copy of the
%   result), at about the cost of the sequency order.
%
%   Errors
%     'walshSpectrum:badLength'    n is not a positive power of two
%     'walshSpectrum:badOrdering'  ordering is not one of the three names
%     'walshSpectrum:usage'        no input, or more than three
%   and the errors of seqSpectrum.
%
%   Example
%     x = [1; 2; 3; 4];
%     walshSpectrum(x)                 % sequency: [2.5; -1; 0; -0.5]
%     walshSpectrum(x, [], 'hadamard') % natural:  [2.5; -0.5; -1; 0]
%     walshSpectrum(x', 8, 'dyadic')   % a row, padded to 8 entries
%
%   See also seqSpectrum, walshOrdered, cyclicEnergy, cyclicEnergyFFT.

if nargin < 1 || nargin > 3
  error ('walshSpectrum:usage', 'Usage: W = walshSpectrum (A, n, ordering)');
end
if nargin < 3 || isempty (ordering)
  ordering = 'sequency';
end
code = [];
if ischar (ordering)
  code = find (strcmpi (ordering, {'sequency', 'hadamard', 'dyadic'})) - 1;  % walshOrdered's code
end
if isempty (code)
  error ('walshSpectrum:badOrdering', ...
         'walshSpectrum: ordering must be ''sequency'', ''hadamard'' or ''dyadic''');
end

isRow = size (A, 1) == 1 && ndims (A) == 2;
if isRow
  A = A(:);
end
if issparse (A)
  A = full (A);
end
M = size (A, 1);
if nargin >= 2 && ~isempty (n)
  if ~(isnumeric (n) && isscalar (n) && isreal (n) && n >= 1 && n == fix (n) ...
       && n == 2^round (log2 (double (n))))
    error ('walshSpectrum:badLength', 'walshSpectrum: n must be a positive power of two');
  end
  n = double (n);
  if n < M
    A = A(1:n, :);
  elseif n > 1 && n > 2^ceil (log2 (M))
    A = [A; zeros(n - M, size (A, 2))];
  end
end

if isreal (A)
  W = walshOrdered (A, code);
else
  W = complex (walshOrdered (real (A), code), walshOrdered (imag (A), code));
end
if isRow
  W = W.';
end
end

% Hadamard matrix of size L in natural order, from its closed form.
%!function H = hadamard_natural (L)
%!  [i, s] = meshgrid (0:L-1);
%!  bits = zeros (L);
%!  for b = 0:round (log2 (L)) - 1
%!    bits += bitand (bitshift (bitand (i, s), -b), 1);
%!  endfor
%!  H = 1 - 2 * mod (bits, 2);
%!endfunction

%!function r = bitrev (s, k)
%!  r = zeros (size (s));
%!  for b = 0:k-1
%!    r = bitor (r, bitshift (bitand (bitshift (s, -b), 1), k - 1 - b));
%!  endfor
%!endfunction

% The example, and sequency order as seqSpectrum bit for bit.
%!test
%! x = [1; 2; 3; 4];
%! assert (walshSpectrum (x), [2.5; -1; 0; -0.5]);
%! assert (walshSpectrum (x, [], "hadamard"), [2.5; -0.5; -1; 0]);
%! A = randn (37, 5);
%! assert (isequal (walshSpectrum (A), seqSpectrum (A)));
%! assert (isequal (walshSpectrum (A, 64, "sequency"), seqSpectrum (A)));

% Every ordering against its defining matrix, for L = 2 .. 64, with the
% permuted values exactly those of the sequency spectrum.
%!test
%! for k = 1:6
%!   L = 2^k;
%!   A = randn (L, 3);
%!   H = hadamard_natural (L);
%!   had = walshSpectrum (A, L, "hadamard");
%!   dya = walshSpectrum (A, L, "dyadic");
%!   assert (had, H * A / L, 1e-14);
%!   assert (dya, H(bitrev (0:L-1, k) + 1, :) * A / L, 1e-14);
%!   assert (isequal (sort (had), sort (seqSpectrum (A))));
%!   assert (isequal (sort (dya), sort (seqSpectrum (A))));
%! endfor

% Padding, truncation, rows and complex data as fwht treats them.
%!test
%! A = randn (5, 3);
%! assert (isequal (walshSpectrum (A, 16), seqSpectrum ([A; zeros(11, 3)])));
%! assert (isequal (walshSpectrum (A, 2, "dyadic"), walshSpectrum (A(1:2, :), [], "dyadic")));
%! x = randn (1, 6);
%! assert (isequal (walshSpectrum (x, 16, "hadamard"), walshSpectrum (x', 16, "hadamard")'));
%! assert (size (walshSpectrum (x)), [1 8]);
%! z = complex (A, 2 * A);
%! assert (isequal (walshSpectrum (z, [], "hadamard"), ...
%!                  complex (1, 2) * walshSpectrum (A, [], "hadamard")));

% Agreement with the signal package's fwht, where it is installed.
%!testif ; ! isempty (pkg ("list", "signal"))
%! pkg load signal
%! for sz = [1 1; 1 7; 8 3; 13 4; 64 2; 300 2]'
%!   A = randn (sz');
%!   for ordering = {"sequency", "hadamard", "dyadic"}
%!     for n = {[], 32}
%!       want = fwht (A, n{1}, ordering{1});
%!       assert (walshSpectrum (A, n{1}, ordering{1}), want, 1e-14 * max (1, max (abs (want(:)))));
%!     endfor
%!   endfor
%! endfor

%!error <Usage: W = walshSpectrum> walshSpectrum ()
%!error <n must be a positive power of two> walshSpectrum (1:4, 3)
%!error <n must be a positive power of two> walshSpectrum (1:4, 0)
%!error <ordering must be> walshSpectrum (1:4, [], "gray")
