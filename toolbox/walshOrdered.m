function varargout = walshOrdered (varargin)
%WALSHORDERED  Walsh-Hadamard spectrum of every column, rows in a chosen order.
%   W = walshOrdered(A, ordering) is seqSpectrum(A) with the rows of every
%   column in the order given by the number ordering:
%
%     0  sequency: row r+1 has r sign changes (exactly seqSpectrum(A))
%     1  Hadamard (natural): row s+1 of the Sylvester Hadamard matrix
%     2  dyadic (Paley): the Hadamard row whose index is s with its log2(L)
%        bits reversed
%
%   Every ordering holds the very values of seqSpectrum(A), bit for bit,
%   permuted: sequency row r+1 is dyadic row gray(r)+1 and Hadamard row
%   rev(gray(r))+1, with gray(r) = bitxor(r, bitshift(r, -1)) and rev
%   reversing the log2(L) bits. The plug-in reorders each column while it is
%   in cache, so every ordering costs about what the sequency order costs.
%
%   This is the plug-in behind walshSpectrum, which offers the same with
%   fwht's calling convention (ordering by name, padding to n, complex data);
%   call it directly to skip that function's argument handling.
%
%   Input
%     A             M-by-N matrix, as for seqSpectrum.
%     ordering      0, 1 or 2 (a numeric or logical scalar).
%
%   Errors
%     'walshOrdered:usage'        not exactly two inputs
%     'walshOrdered:badParameter' ordering is empty, not numeric, sparse,
%                                 NaN, infinite or beyond the 32-bit range
%     'walshOrdered:badOrdering'  ordering is not 0, 1 or 2
%     'Too many output arguments.'
%   and for A the checks of seqSpectrum, with identifiers
%   'walshOrdered:sparseInput', 'walshOrdered:badInput' and
%   'walshOrdered:tooLarge'.
%
%   Example
%     x = [1; 2; 3; 4];
%     walshOrdered(x, 0)   % sequency: [2.5; -1; 0; -0.5]
%     walshOrdered(x, 1)   % Hadamard: [2.5; -0.5; -1; 0]
%     walshOrdered(x, 2)   % dyadic:   [2.5; -1; -0.5; 0]
%
%   See also walshSpectrum, seqSpectrum, build_mex.

error ('walshOrdered:notCompiled', ...
       'walshOrdered: the MEX plug-in is not compiled, run build_mex');
end

% The row that sequency row r (0-based) takes in each ordering.
%!function rows = destination (L, ordering)
%!  k = round (log2 (L));
%!  g = bitxor ((0:L-1)', bitshift ((0:L-1)', -1));
%!  rows = g;
%!  if (ordering == 1)
%!    rows = zeros (L, 1);
%!    for b = 0:k-1
%!      rows = bitor (rows, bitshift (bitand (bitshift (g, -b), 1), k - 1 - b));
%!    endfor
%!  endif
%!  rows += 1;
%!endfunction

%!test
%! x = [1; 2; 3; 4];
%! assert (walshOrdered (x, 0), [2.5; -1; 0; -0.5]);
%! assert (walshOrdered (x, 1), [2.5; -0.5; -1; 0]);
%! assert (walshOrdered (x, 2), [2.5; -1; -0.5; 0]);

% Every ordering is seqSpectrum's values, bit for bit, at the rows above: short
% columns in batches and pairs, a long one, odd column counts, padding.
%!test
%! for sz = [1 3; 2 5; 5 17; 8 33; 100 9; 256 20; 1000 3; 8192 3; 20000 1]'
%!   A = randn (sz') .* 10 .^ randi ([-5 5], sz');
%!   S = seqSpectrum (A);
%!   L = rows (S);
%!   assert (isequal (walshOrdered (A, 0), S));
%!   for ordering = 1:2
%!     W = zeros (size (S));
%!     W(destination (L, ordering), :) = S;
%!     assert (isequal (walshOrdered (A, ordering), W), "%d rows, ordering %d", sz(1), ordering);
%!   endfor
%! endfor

% Hadamard order is the Sylvester matrix; other classes convert exactly.
%!test
%! H = [1 1 1 1; 1 -1 1 -1; 1 1 -1 -1; 1 -1 -1 1];
%! assert (4 * walshOrdered (eye (4), 1), H);
%! assert (walshOrdered (int16 ([1; 2; 3]), 2), walshOrdered ([1; 2; 3], 2));
%! assert (walshOrdered (single ([1; 2; 3]), true), walshOrdered ([1; 2; 3], 1));
%! assert (size (walshOrdered (zeros (5, 0), 1)), [8 0]);
%! assert (walshOrdered (zeros (0, 2), 2), zeros (1, 2));

%!error <Usage: W = walshOrdered> walshOrdered (1)
%!error <Too many output arguments\.> [a, b] = walshOrdered (1, 1)
%!error <ordering must be 0> walshOrdered (1:4, 3)
%!error <ordering must be 0> walshOrdered (1:4, -1)
%!error <Parameter ordering> walshOrdered (1:4, "hadamard")
%!error <must be a full matrix> walshOrdered (sparse (1:4), 1)
