function W = keep_largest (W, percent)
% W = keep_largest (W, percent)
% Keeps in every column of W its round(percent/100 * rows(W)) entries of
% largest magnitude and sets all others to 0 (of equal magnitudes, the
% earlier entry is kept).
keep = round (percent / 100 * rows (W));
[~, order] = sort (abs (W), 1, "descend");
drop = order(keep+1:end, :) + rows (W) * (0:columns (W) - 1);
W(drop) = 0;
end

%!assert (keep_largest ([3; -5; 1; 4], 50), [0; -5; 0; 4])
%!assert (keep_largest ([3 1; -5 2; 1 -3; 4 0], 25), [0 0; -5 0; 0 -3; 0 0])
%!assert (keep_largest ([2; -2; 2; 1], 50), [2; -2; 0; 0])
%!assert (keep_largest (magic (4), 100), magic (4))
%!assert (keep_largest (magic (4), 0), zeros (4))
%!assert (keep_largest (zeros (64, 0), 10), zeros (64, 0))
