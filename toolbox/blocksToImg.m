function varargout = blocksToImg (varargin)
%BLOCKSTOIMG  Put block columns back into an image.
%   Y = blocksToImg(X, n1, n2, N1, N2, rowSt, colSt) is the exact counterpart
%   of imgToBlocks: X is a block matrix (n1*n2 rows, one n1-by-n2 block per
%   column, in the block order of imgToBlocks) and Y the N1-by-N2 image in
%   which every block entry is written back to the position it came from.
%   The entries of band and remainder blocks that stand for no image entry
%   are never read.
%
%   With the same six parameters, blocksToImg(imgToBlocks(Y, ...), ...)
%   returns Y bit for bit, and imgToBlocks(blocksToImg(X, ...), ...) returns
%   X with its unpaired entries set to 0: as linear maps the two functions are
%   transposes of each other.
%
%   Inputs
%     X             the block matrix: exactly as many columns as the grid has
%                   blocks, and n1*n2 rows (any row count if there are no
%                   blocks). Any numeric or logical class, converted as
%                   for imgToBlocks; complex data contribute their real
%                   parts.
%     n1, n2, N1, N2, rowSt, colSt
%                   block size, image size and start point, exactly as for
%                   imgToBlocks (see there for the grid and the block order);
%                   truncated toward zero.
%
%   For N1 = 6, N2 = 5, n1 = 3, n2 = 2, rowSt = 2, colSt = 1, X has 9 columns;
%   Y(1,5) comes from X(4,3), Y(5,5) and Y(6,5) from X(5,9) and X(6,9), and
%   X(1:3,3), X(5:6,3) are never read.
%
%   Errors
%     'Usage: Y = blocksToImage (X,n1,n2,N1,N2,rowSt,colSt)'
%                   not 7 inputs, or not exactly one output
%     'Start point is not correct'
%                   rowSt >= n1, colSt >= n2, both above 1, or either below 1
%     'The input matrix X has not enough columns'
%                   X does not have exactly one column per block (more
%                   columns are refused too)
%     blocksToImg:badRowCount    X has blocks but not n1*n2 rows
%     blocksToImg:badParameter, blocksToImg:negativeSize,
%     blocksToImg:imageTooSmall, blocksToImg:tooLarge
%                   as for imgToBlocks
%     blocksToImg:sparseInput, blocksToImg:badInput
%                   X is sparse, or not numeric or logical
%   Every check comes before the output is created.
%
%   Example
%     Y = reshape(1:30, 6, 5);
%     X = imgToBlocks(Y, 3, 2, 6, 5, 2, 1);     % 6-by-9, with a top band
%     X(:, 4) = 0;                              % clear one full block
%     Z = blocksToImg(X, 3, 2, 6, 5, 2, 1);     % Y with Z(2:4, 1:2) = 0
%
%   See also imgToBlocks, seqSpectrum, build_mex.

error ('blocksToImg:notCompiled', ...
       'blocksToImg: the MEX plug-in is not compiled, run build_mex');
end

%!shared X, p
%! X = reshape (0:53, 6, 9);
%! p = {3, 2, 6, 5, 2, 1};

% Worked example, top band: where each image entry comes from.
%!test
%! Y = blocksToImg (X, p{:});
%! assert (size (Y), [6 5]);
%! assert (Y(1,5), 15);
%! assert (Y(5:6,5), [52; 53]);
%! assert (Y(:,1), [0; 18; 19; 20; 25; 26]);
%! assert (blocksToImg (ones (6, 9), p{:}), ones (6, 5));

% Entries that stand for no image entry are never read.
%!test
%! unpaired = imgToBlocks (ones (6, 5), p{:}) == 0;
%! Z = X;
%! Z(unpaired) = NaN;
%! assert (blocksToImg (Z, p{:}), blocksToImg (X, p{:}));

% Left band; the image smaller than one block.
%!test
%! E = reshape (0:24, 5, 5);
%! assert (blocksToImg (imgToBlocks (E, 2, 3, 5, 5, 1, 2), 2, 3, 5, 5, 1, 2), E);
%! B = zeros (10, 2);
%! B([4 5 9 10], 1) = [1 2 3 4];
%! B([9 10], 2) = [5 6];
%! assert (blocksToImg (B, 5, 2, 2, 3, 1, 1), [1 3 5; 2 4 6]);

% No blocks: X has no columns and Y is N1-by-0 or 0-by-N2.
%!assert (size (blocksToImg (zeros (6, 0), 3, 2, 4, 0, 1, 1)), [4 0])
%!assert (size (blocksToImg (zeros (0, 0), 3, 2, 0, 7, 1, 1)), [0 7])

% Adjointness: <imgToBlocks(Y), X> = <Y, blocksToImg(X)>, exact on integers.
%!test
%! Y = reshape (mod ((1:48) * 37, 101), 8, 6);
%! for q = {{3, 4, 8, 6, 2, 1}, {3, 4, 8, 6, 1, 3}, {5, 5, 8, 6, 1, 1}}
%!   prm = q{1};
%!   B = imgToBlocks (Y, prm{:});
%!   R = reshape (mod ((1:numel (B)) * 53, 97) - 48, size (B));
%!   assert (sum (B(:) .* R(:)), sum (Y(:) .* reshape (blocksToImg (R, prm{:}), [], 1)));
%! endfor

% Values move bit for bit; classes convert exactly; complex: real parts.
%!test
%! B = [-0 realmin/4; NaN -Inf; Inf -realmax; 1 2];
%! Y = blocksToImg (B, 2, 2, 2, 4, 1, 1);
%! assert (Y, [-0 Inf realmin/4 -realmax; NaN 1 -Inf 2]);
%! assert (1 ./ Y(1,1), -Inf);
%! Y = blocksToImg (X, p{:});
%! assert (blocksToImg (uint8 (X), p{:}), Y);
%! assert (blocksToImg (single (X), p{:}), Y);
%! assert (blocksToImg (int16 (-X), p{:}), -Y);
%! assert (blocksToImg (X > 20, p{:}), blocksToImg (double (X > 20), p{:}));
%! assert (blocksToImg (X - 3i, p{:}), Y);

% Argument counts: exactly seven inputs and one output.
%!error <Usage: Y = blocksToImage \(X,n1,n2,N1,N2,rowSt,colSt\)> blocksToImg (X, p{:})
%!error <Usage: Y = blocksToImage \(X,n1,n2,N1,N2,rowSt,colSt\)> Y = blocksToImg (X, 3, 2, 6, 5, 2)
%!error <Usage: Y = blocksToImage \(X,n1,n2,N1,N2,rowSt,colSt\)> Y = blocksToImg (X, p{:}, 1)
%!error <Usage: Y = blocksToImage \(X,n1,n2,N1,N2,rowSt,colSt\)> [Y, Z] = blocksToImg (X, p{:})

% The start-point rule comes before the column count.
%!error <Start point is not correct> Y = blocksToImg (X, 3, 2, 6, 5, 3, 1)
%!error <Start point is not correct> Y = blocksToImg (X, 3, 3, 6, 5, 2, 2)
%!error <Start point is not correct> Y = blocksToImg (X(:,1:3), 3, 2, 6, 5, 1, 2)

% Exactly one column per block: fewer and more are refused alike.
%!error <The input matrix X has not enough columns> Y = blocksToImg (X(:,1:8), p{:})
%!error <The input matrix X has not enough columns> Y = blocksToImg ([X, X(:,1)], p{:})
%!error <The input matrix X has not enough columns> Y = blocksToImg (X(:)', p{:})

% Bad parameters and inputs.
%!error id=blocksToImg:badRowCount Y = blocksToImg ([X; X(1,:)], p{:})
%!error id=blocksToImg:badRowCount Y = blocksToImg (X(1:5,:), p{:})
%!error id=blocksToImg:badParameter Y = blocksToImg (X, 3, 2, NaN, 5, 2, 1)
%!error id=blocksToImg:badParameter Y = blocksToImg (X, 3, 2, 6, 5, 2, -2^31-1)
%!error id=blocksToImg:badParameter Y = blocksToImg (X, 3, 2, 6, 5, "2", 1)
%!error id=blocksToImg:negativeSize Y = blocksToImg (X, 3, 2, 6, -5, 2, 1)
%!error id=blocksToImg:imageTooSmall Y = blocksToImg (X, 3, 2, 0, 5, 2, 1)
%!error id=blocksToImg:tooLarge Y = blocksToImg (X, 3, 2, 46341, 46341, 1, 1)
%!error id=blocksToImg:sparseInput Y = blocksToImg (sparse (X), p{:})
%!error id=blocksToImg:badInput Y = blocksToImg (num2cell (X), p{:})
%!error id=blocksToImg:badInput Y = blocksToImg (char (X + 65), p{:})
