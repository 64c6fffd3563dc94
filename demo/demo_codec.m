function [R, times] = demo_codec (Y, rowSt, percent, transform)
% [R, times] = demo_codec (Y, rowSt, percent, transform)
% Transform coding of the image Y in 8-by-8 blocks: Y is cut into blocks on a
% grid that starts at row rowSt (imgToBlocks; rows above it form a top band),
% every block column is transformed with transform (seqSpectrum in the demo),
% only the largest percent of the 64 coefficients of each block are kept, the
% blocks are transformed back and put together again (blocksToImg).
% seqSpectrum divides by the length L = 64, and H*H = L*eye(L) for its
% matrix H, so the inverse of W = seqSpectrum(X) is X = 64 * seqSpectrum(W).
% times holds the seconds spent in each step.
[N1, N2] = size (Y);
grid = {8, 8, N1, N2, rowSt, 1};

t = tic ();
X = imgToBlocks (Y, grid{:});
times.cut = toc (t);
t = tic ();
W = transform (X);
times.forward = toc (t);
t = tic ();
W = keep_largest (W, percent);
times.select = toc (t);
t = tic ();
X = 64 * transform (W);
times.inverse = toc (t);
t = tic ();
R = blocksToImg (X, grid{:});
times.paste = toc (t);
end

% The block part, with a plain Walsh-Hadamard transform in sequency order
% standing in for seqSpectrum (same matrix, computed as a product).
%!function W = plain_transform (X)
%!  H = 1;
%!  for k = 1:6
%!    H = [H, H; H, -H];
%!  endfor
%!  changes = sum (abs (diff (H, 1, 2)) / 2, 2);
%!  [~, order] = sort (changes);
%!  W = H(order, :) * X / 64;
%!endfunction

%!test
%! Y = demo_image (61, 45);
%! R = demo_codec (Y, 5, 100, @plain_transform);
%! assert (R, Y, 1e-9);
%! assert (demo_codec (Y, 3, 100, @(X) X / 8), Y, 1e-12);

%!test
%! Y = demo_image (61, 45);
%! quality = arrayfun (@(k) psnr_db (Y, demo_codec (Y, 5, k, @plain_transform)), [5 20 50]);
%! assert (all (diff (quality) > 0));
%! assert (quality(3) > 30);
%! R = demo_codec (Y, 5, 100 / 64, @plain_transform);   % one coefficient: block means
%! assert (R(5:12, 1:8), repmat (mean (Y(5:12, 1:8)(:)), 8, 8), 1e-9);
