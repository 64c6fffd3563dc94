function p = psnr_db (reference, image, peak)
% p = psnr_db (reference, image, peak)
% Peak signal-to-noise ratio of image against reference in decibels,
% 10*log10(peak^2 / mean squared error); peak defaults to 255. Inf when the
% two are equal.
if (nargin < 3)
  peak = 255;
end
mse = mean ((double (reference(:)) - double (image(:))).^2);
p = 10 * log10 (peak^2 / mse);
end

%!assert (psnr_db ([1 2 3], [1 2 3]), Inf)
%!assert (psnr_db (zeros (2), ones (2)), 10 * log10 (255^2))
%!assert (psnr_db (zeros (2), [0 0; 0 2], 1), 10 * log10 (1))
