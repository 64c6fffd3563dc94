function varargout = seqSpectrum (varargin)
%SEQSPECTRUM  Sequency-ordered Walsh-Hadamard spectrum of every column.
%   W = seqSpectrum(A) extends every column of the M-by-N matrix A with zeros
%   to L entries, L the smallest power of two not less than M (L = 1 for
%   M <= 1), and returns the L-by-N matrix W whose column c is the
%   Walsh-Hadamard transform of the extended column c in sequency order,
%   divided by L:
%
%       W(:, c) = H * [A(:, c); zeros(L - M, 1)] / L
%
%   Row r+1 of the L-by-L matrix H (r = 0 .. L-1) is the Walsh function with
%   exactly r sign changes, so row 1 of W is the mean of the extended column
%   and higher rows hold ever faster alternations. For L = 4 the rows of H are
%
%       + + + +      0 sign changes
%       + + - -      1
%       + - - +      2
%       + - + -      3
%
%   and in closed form H(r+1, i+1) = (-1)^popcount(i AND rev(r XOR r>>1)),
%   rev reversing the log2(L) low bits.
%
%   H is symmetric and H*H = L*eye(L): the transform is its own inverse up to
%   the factor L,
%
%       L * seqSpectrum(seqSpectrum(A)) == [A; zeros(L - M, N)]
%
%   up to rounding (exactly, for integer data of moderate size).
%
%   The result is fixed to the last bit, not merely to rounding error, the
%   same in every build: a fast transform with one order of operations. A
%   pair stage maps neighbours (a, b) to (a + b, (a + b) - 2*b) (not a - b,
%   which can differ in the last bit); log2(L) - 1 merge stages combine the
%   two halves of ever larger groups in the pattern sum, difference,
%   difference, sum; last, every entry is divided by L. Where |b| exceeds
%   half the largest double, 2*b would overflow and turn a finite difference
%   into an infinity, so there the pair stage gives the same correctly
%   rounded value as 2*(0.5*(a + b) - b): seqSpectrum([0; 2^1023]) is
%   [2^1022; -2^1022]. No result that is finite by the plain formula changes.
%
%   A NaN anywhere in a column makes the whole column NaN. Where two NaNs
%   with different bit patterns (payloads) meet, which pattern comes out is
%   not fixed; MATLAB's NaN values all share one pattern, so only NaNs built
%   with payloads on purpose are affected.
%
%   Input
%     A             M-by-N matrix, any numeric or logical class, converted
%                   to double as double() does: exactly, but int64 and uint64
%                   values beyond 2^53 round to the nearest double. Complex
%                   data contribute their real parts. M = 1 gives W = A,
%                   M = 0 a 1-by-N zero row, N = 0 an L-by-0 W.
%
%   Errors
%     'Only one input arguments required.'
%                   not exactly one input (checked first)
%     'Too many output arguments.'
%                   more than one output (a call without output is fine)
%     seqSpectrum:sparseInput    A is sparse
%     seqSpectrum:badInput       A is not numeric or logical (char, cell, ...)
%     seqSpectrum:tooLarge       M above 2^30, or L*N (hence also M*N) of
%                   2^31 or more
%   Every check comes before the output is created.
%
%   Example
%     W = seqSpectrum([1; 2; 3])       % L = 4: [1.5; 0; -1; 0.5]
%     W = seqSpectrum((1:8)')          % [4.5; -2; 0; -1; 0; 0; 0; -0.5]
%     size(seqSpectrum(rand(100, 7)))  % 128 7
%     A = magic(4);
%     isequal(4 * seqSpectrum(seqSpectrum(A)), A)       % true
%
%   See also imgToBlocks, blocksToImg, cyclicEnergy, build_mex.

error ('seqSpectrum:notCompiled', ...
       'seqSpectrum: the MEX plug-in is not compiled, run build_mex');
end

% The sequency-ordered Walsh matrix, from its closed form: H(r+1, i+1) is
% (-1)^popcount(i AND rev(r XOR (r >> 1))), rev reversing the k = log2(L) bits.
%!function H = walsh_matrix (L)
%!  k = round (log2 (L));
%!  r = (0:L-1)';
%!  g = bitxor (r, bitshift (r, -1));
%!  rev = zeros (L, 1);
%!  for b = 0:k-1
%!    rev = bitor (rev, bitshift (bitand (bitshift (g, -b), 1), k - 1 - b));
%!  endfor
%!  x = bitand (repmat (rev, 1, L), repmat (0:L-1, L, 1));
%!  bits = zeros (L);
%!  for b = 0:k-1
%!    bits += bitand (bitshift (x, -b), 1);
%!  endfor
%!  H = 1 - 2 * mod (bits, 2);
%!endfunction

% Calls f with one output and checks that it fails with a seqSpectrum: identifier.
%!function assert_refused (f)
%!  try
%!    W = f ();
%!  catch err
%!    assert (strncmp (err.identifier, "seqSpectrum:", 12), ...
%!            ["refused without a seqSpectrum: identifier: " err.message]);
%!    return;
%!  end_try_catch
%!  error ("not refused");
%!endfunction

% Worked examples.
%!assert (seqSpectrum ([1; 2; 3]), [1.5; 0; -1; 0.5])
%!assert (seqSpectrum ((1:8)'), [4.5; -2; 0; -1; 0; 0; 0; -0.5])
%!assert (seqSpectrum ([1 2 3; 2 4 6; 3 6 9]), [1.5; 0; -1; 0.5] * [1 2 3])

% M = 2: ((a + b)/2, ((a + b) - 2b)/2), which is not always (a - b)/2.
%!test
%! for ab = [0.1 0.7; 1e300 -3; -2.5 1e-320; 1 0.75*2^-52]'
%!   a = ab(1);
%!   b = ab(2);
%!   s = a + b;
%!   assert (seqSpectrum ([a; b]), [s / 2; (s - 2*b) / 2]);
%! endfor
%! W = seqSpectrum ([1; 0.75*2^-52]);
%! assert (W, [(1 + 2^-52) / 2; (1 - 2^-53) / 2]);
%! assert (W(2) != (1 - 2^-52) / 2);

% M = 1: W is A; M = 0: one zero row; N = 0: no columns.
%!assert (seqSpectrum ([3 -1 0.5 -0]), [3 -1 0.5 -0])
%!assert (seqSpectrum (zeros (0, 3)), zeros (1, 3))
%!assert (size (seqSpectrum (zeros (5, 0))), [8 0])
%!assert (size (seqSpectrum (zeros (0, 0))), [1 0])
%!assert (size (seqSpectrum (ones (16, 3))), [16 3])
%!assert (size (seqSpectrum (ones (17, 2))), [32 2])

% Sequency order: seqSpectrum(eye(L)) is H / L, and row r+1 of H changes sign
% r times.
%!test
%! for L = 2 .^ (0:6)
%!   H = walsh_matrix (L);
%!   assert (L * seqSpectrum (eye (L)), H);
%!   assert (sum (abs (diff (H, 1, 2)) / 2, 2), (0:L-1)');
%!   assert (H, H');
%!   assert (H * H, L * eye (L));
%! endfor

% Against the plain matrix product, on integer data (every sum exact), for
% padded and unpadded lengths.
%!test
%! for M = [3 5 8 13 31 64 100]
%!   A = reshape (mod ((1:M*7) * 7919, 2001) - 1000, M, 7);
%!   L = 2 ^ ceil (log2 (M));
%!   assert (seqSpectrum (A), walsh_matrix (L) * [A; zeros(L - M, 7)] / L);
%! endfor

% Its own inverse up to the factor L.
%!test
%! A = reshape (mod ((1:60) * 31, 257) - 128, 12, 5);
%! assert (16 * seqSpectrum (seqSpectrum (A)), [A; zeros(4, 5)]);

% Classes convert exactly; complex data contribute their real parts.
%!test
%! W = seqSpectrum ([1; 2; 3]);
%! assert (seqSpectrum (int8 ([1; 2; 3])), W);
%! assert (seqSpectrum (single ([1; 2; 3])), W);
%! assert (seqSpectrum (uint32 ([1; 2; 3])), W);
%! assert (seqSpectrum ([1; 2; 3] + [4i; 5i; 6i]), W);
%! assert (seqSpectrum ([true; false; true]), seqSpectrum ([1; 0; 1]));
%! assert (class (seqSpectrum (int16 (7))), "double");

% No output requested: the result still goes to ans.
%!test
%! seqSpectrum ([1; 2; 3]);
%! assert (ans, [1.5; 0; -1; 0.5]);

% Argument counts: the input count is checked first.
%!error <Only one input arguments required\.> W = seqSpectrum ()
%!error <Only one input arguments required\.> W = seqSpectrum (1, 2)
%!error <Only one input arguments required\.> [W, V] = seqSpectrum (1, 2)
%!error <Too many output arguments\.> [W, V] = seqSpectrum (1)

% Bad input: a clear error with an identifier, never a crash.
%!test
%! assert_refused (@() seqSpectrum (sparse ([1; 2; 3])));
%! assert_refused (@() seqSpectrum ({1, 2}));
