function varargout = imgToBlocks (varargin)
%IMGTOBLOCKS  Cut an image into n1-by-n2 blocks, one block per column.
%   X = imgToBlocks(Y, n1, n2, N1, N2, rowSt, colSt) cuts the N1-by-N2 image Y
%   into n1-by-n2 blocks on a grid anchored at the start point (rowSt, colSt)
%   and returns the block matrix X: n1*n2 rows, one column per block. Entry
%   (a, b) of a block is row a + (b-1)*n1 of its column. blocksToImg, called
%   with the same six parameters, puts the columns back.
%
%   Inputs
%     Y             the image: its first N1*N2 elements in column order (its
%                   own shape is ignored). Any numeric or logical class,
%                   converted to double as double() does: exactly, but
%                   int64 and uint64 values beyond 2^53 round to the nearest
%                   double. Complex data contribute their real parts.
%     n1, n2        block height and width
%     N1, N2        image height and width
%     rowSt, colSt  start point, counted from 1: 1 <= rowSt <= n1-1,
%                   1 <= colSt <= n2-1, and not both above 1 (so n1, n2 >= 2)
%   The parameters are truncated toward zero (2.9 acts as 2).
%
%   The grid. Full blocks are laid from the start point downwards and to the
%   right. Rows above rowSt form a top band, columns left of colSt a left
%   band; rows and columns left over at the bottom and right edges form
%   remainder blocks. A block that is not full is stored as though its
%   n1-by-n2 frame stood flush against the image edge it touches (band blocks
%   against the top or left edge, remainder blocks against the bottom or right
%   edge); its other entries are 0. Blocks are numbered band first (top band
%   left to right, or left band top to bottom), then the main grid column by
%   column, each from top to bottom.
%
%   For N1 = 6, N2 = 5, n1 = 3, n2 = 2, rowSt = 2, colSt = 1 (the numbers are
%   the columns of X):
%
%                   image columns
%                    1   2   3   4   5
%                  +-------+-------+---+
%   row  1         |   1   |   2   | 3 |   top band (rows above rowSt)
%                  +-------+-------+---+
%   rows 2-4       |   4   |   6   | 8 |   full grid row
%                  +-------+-------+---+
%   rows 5-6       |   5   |   7   | 9 |   remainder row, flush with the bottom
%                  +-------+-------+---+
%
%   Column 3 of X holds the single entry Y(1,5) in row 4 (frame row 1, frame
%   column 2: top band, right remainder); column 9 holds Y(5:6,5) in rows 5-6.
%
%   Errors
%     'Usage: X = imgToBlocks (Y,n1,n2,N1,N2,rowSt,colSt)'
%                   not 7 inputs, or not exactly one output
%     'Start point is not correct'
%                   rowSt >= n1, colSt >= n2, both above 1, or either below 1
%     imgToBlocks:badParameter   a parameter that is empty, not numeric,
%                   sparse, NaN, infinite or beyond the 32-bit integer range
%     imgToBlocks:negativeSize   N1 < 0 or N2 < 0
%     imgToBlocks:imageTooSmall  the band does not fit in the image
%                   (N1 < rowSt-1 or N2 < colSt-1)
%     imgToBlocks:tooLarge       N1*N2, n1*n2 or X would reach 2^31 elements
%     imgToBlocks:tooFewElements Y holds fewer than N1*N2 elements
%     imgToBlocks:sparseInput, imgToBlocks:badInput
%                   Y is sparse, or not numeric or logical
%   Every check comes before the output is created.
%
%   Example
%     Y = magic(8);
%     X = imgToBlocks(Y, 4, 4, 8, 8, 1, 1);   % 16-by-4: four 4-by-4 blocks
%     isequal(X(:, 2), reshape(Y(5:8, 1:4), [], 1))     % true
%     isequal(blocksToImg(X, 4, 4, 8, 8, 1, 1), Y)      % true
%
%   See also blocksToImg, seqSpectrum, build_mex.

error ('imgToBlocks:notCompiled', ...
       'imgToBlocks: the MEX plug-in is not compiled, run build_mex');
end

%!shared Y
%! Y = reshape (0:29, 6, 5);

% Worked example, top band: 9 blocks of 6 entries.
%!test
%! X = imgToBlocks (Y, 3, 2, 6, 5, 2, 1);
%! assert (X, [ 0 12  0  1  0 13  0  0  0
%!              0  0  0  2  4 14 16  0  0
%!              0  0  0  3  5 15 17  0  0
%!              6 18 24  7  0 19  0 25  0
%!              0  0  0  8 10 20 22 26 28
%!              0  0  0  9 11 21 23 27 29]);

% Worked example, left band.
%!test
%! X = imgToBlocks (reshape (0:24, 5, 5), 2, 3, 5, 5, 1, 2);
%! assert (X, [0 2 0  5  7  0  0  0  0
%!             1 3 4  6  8  9  0  0  0
%!             0 0 0 10 12  0  0  0  0
%!             0 0 0 11 13 14  0  0  0
%!             0 0 0 15 17  0 20 22  0
%!             0 0 0 16 18 19 21 23 24]);

% No band, sides exact multiples: plain tiling, column by column.
%!test
%! Z = magic (8);
%! X = imgToBlocks (Z, 4, 4, 8, 8, 1, 1);
%! assert (X, [reshape(Z(1:4,1:4), [], 1), reshape(Z(5:8,1:4), [], 1), ...
%!             reshape(Z(1:4,5:8), [], 1), reshape(Z(5:8,5:8), [], 1)]);

% An image smaller than one block; an image that is all top band.
%!test
%! Z = [1 3 5; 2 4 6];
%! X = imgToBlocks (Z, 5, 2, 2, 3, 1, 1);
%! E = zeros (10, 2);
%! E([4 5 9 10], 1) = [1 2 3 4];
%! E([9 10], 2) = [5 6];
%! assert (X, E);
%!test
%! X = imgToBlocks ([7 8 9], 3, 2, 1, 3, 2, 1);
%! assert (X, [7 0; 0 0; 0 0; 8 9; 0 0; 0 0]);

% No blocks at all: an empty X with n1*n2 rows.
%!assert (size (imgToBlocks (zeros (0, 5), 3, 2, 0, 5, 1, 1)), [6 0])
%!assert (size (imgToBlocks (zeros (4, 0), 3, 2, 4, 0, 1, 1)), [6 0])

% Y's own shape is ignored; parameters are truncated toward zero.
%!test
%! Z = magic (4);
%! assert (imgToBlocks (Z, 2, 2, 2, 8, 1, 1), ...
%!         imgToBlocks (reshape (Z, 2, 8), 2, 2, 2, 8, 1, 1));
%! assert (imgToBlocks (Y, 3.99, 2.5, 6.7, 5.1, 2.9, 1.9), ...
%!         imgToBlocks (Y, 3, 2, 6, 5, 2, 1));
%! assert (imgToBlocks (Y, 3, 2, 6, 5, true, 1), imgToBlocks (Y, 3, 2, 6, 5, 1, 1));

% Values move bit for bit: signed zeros, NaN, Inf, subnormals.
%!test
%! Z = [-0 NaN; Inf -Inf; realmin/4 -realmax];
%! X = imgToBlocks (Z, 2, 2, 3, 2, 1, 1);
%! assert (size (X), [4 2]);
%! assert (X(:,1), [-0; Inf; NaN; -Inf]);
%! assert (X(:,2), [0; realmin/4; 0; -realmax]);
%! assert (1 ./ X(1,1), -Inf);

% Any numeric or logical class is converted exactly; complex: real parts.
%!test
%! X = imgToBlocks (Y, 3, 2, 6, 5, 2, 1);
%! assert (imgToBlocks (uint8 (Y), 3, 2, 6, 5, 2, 1), X);
%! assert (imgToBlocks (single (Y), 3, 2, 6, 5, 2, 1), X);
%! assert (imgToBlocks (int32 (-Y), 3, 2, 6, 5, 2, 1), -X);
%! assert (imgToBlocks (Y > 14, 3, 2, 6, 5, 2, 1), imgToBlocks (double (Y > 14), 3, 2, 6, 5, 2, 1));
%! assert (imgToBlocks (Y + 2i, 3, 2, 6, 5, 2, 1), X);
%! assert (class (imgToBlocks (uint16 (Y), 3, 2, 6, 5, 2, 1)), "double");
%! big = int64 (2)^53 + 1;   # not representable: rounds to nearest like double ()
%! assert (imgToBlocks (repmat (big, 2, 2), 2, 2, 2, 2, 1, 1), double (repmat (big, 4, 1)));

% Round trip for every grid shape: blocksToImg undoes imgToBlocks exactly, and
% imgToBlocks after blocksToImg keeps exactly the paired entries of X.
%!test
%! for n1 = 2:4
%!   for n2 = 2:3
%!     for N1 = 0:9
%!       for N2 = [0 1 5 7]
%!         starts = [(1:n1-1)', ones(n1-1, 1); ones(n2-2, 1), (2:n2-1)'];
%!         for s = starts'
%!           if (N1 < s(1) - 1 || N2 < s(2) - 1)
%!             continue;
%!           endif
%!           p = {n1, n2, N1, N2, s(1), s(2)};
%!           Z = reshape (1:N1*N2, N1, N2);
%!           X = imgToBlocks (Z, p{:});
%!           assert (blocksToImg (X, p{:}), Z);
%!           paired = imgToBlocks (ones (N1, N2), p{:}) != 0;
%!           assert (nnz (paired), N1 * N2);
%!           assert (sort (X(paired))', 1:N1*N2);
%!           R = reshape (-(1:numel (X)), size (X));
%!           assert (imgToBlocks (blocksToImg (R, p{:}), p{:}), R .* paired);
%!         endfor
%!       endfor
%!     endfor
%!   endfor
%! endfor

% Argument counts: exactly seven inputs and one output.
%!error <Usage: X = imgToBlocks \(Y,n1,n2,N1,N2,rowSt,colSt\)> imgToBlocks (Y, 3, 2, 6, 5, 2, 1)
%!error <Usage: X = imgToBlocks \(Y,n1,n2,N1,N2,rowSt,colSt\)> X = imgToBlocks (Y, 3, 2, 6, 5, 2)
%!error <Usage: X = imgToBlocks \(Y,n1,n2,N1,N2,rowSt,colSt\)> X = imgToBlocks (Y, 3, 2, 6, 5, 2, 1, 1)
%!error <Usage: X = imgToBlocks \(Y,n1,n2,N1,N2,rowSt,colSt\)> [X, Z] = imgToBlocks (Y, 3, 2, 6, 5, 2, 1)
%!error <Usage: X = imgToBlocks> X = imgToBlocks ()

% The start-point rule.
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 2, 6, 5, 3, 1)
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 2, 6, 5, 1, 2)
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 3, 6, 5, 2, 2)
%!error <Start point is not correct> X = imgToBlocks (Y, 1, 2, 6, 5, 1, 1)
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 1, 6, 5, 1, 1)
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 2, 6, 5, 0, 1)
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 2, 6, 5, 1, -1)
%!error <Start point is not correct> X = imgToBlocks (Y, 3, 2, 6, 5, 3.5, 1)
%!assert (size (imgToBlocks (Y, 3, 3, 6, 5, 2, 1)), [9 6])
%!assert (size (imgToBlocks (Y, 3, 3, 6, 5, 1, 2)), [9 6])

% Bad parameters and inputs: a clear error before anything is read.
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, NaN, 2, 6, 5, 1, 1)
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, 3, Inf, 6, 5, 1, 1)
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, 3, 2, 2^31, 5, 1, 1)
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, 3, 2, 6, [], 1, 1)
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, 3, 2, 6, 5, '1', 1)
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, 3, 2, 6, 5, 1, {1})
%!error id=imgToBlocks:badParameter X = imgToBlocks (Y, sparse (3), 2, 6, 5, 1, 1)
%!error id=imgToBlocks:negativeSize X = imgToBlocks (Y, 3, 2, -6, 5, 1, 1)
%!error id=imgToBlocks:imageTooSmall X = imgToBlocks (zeros (1, 5), 4, 2, 1, 5, 3.9, 1)
%!error id=imgToBlocks:imageTooSmall X = imgToBlocks (Y, 3, 9, 6, 2, 1, 5)
%!error id=imgToBlocks:tooLarge X = imgToBlocks (Y, 3, 2, 65536, 32768, 1, 1)
%!error id=imgToBlocks:tooFewElements X = imgToBlocks (Y(1:29), 3, 2, 6, 5, 1, 1)
%!error id=imgToBlocks:tooFewElements X = imgToBlocks (Y, 3, 2, 6, 6, 1, 1)
%!error id=imgToBlocks:sparseInput X = imgToBlocks (sparse (Y), 3, 2, 6, 5, 1, 1)
%!error id=imgToBlocks:badInput X = imgToBlocks (char (Y + 65), 3, 2, 6, 5, 1, 1)
%!error id=imgToBlocks:badInput X = imgToBlocks (num2cell (Y), 3, 2, 6, 5, 1, 1)
