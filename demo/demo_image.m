function Y = demo_image (N1, N2)
% Y = demo_image (N1, N2)
% A deterministic N1-by-N2 grayscale test image, values 0..255 (integers,
% class double): a smooth shaded background, a disc and a bar with sharp
% edges, a patch of fine stripes whose frequency rises from left to right, and
% a checkerboard. No random numbers, so every run gives the same image.
[c, r] = meshgrid ((0:N2-1) / max (N2 - 1, 1), (0:N1-1) / max (N1 - 1, 1));
Y = 70 + 60 * c + 40 * r + 25 * cos (2 * pi * (1.5 * r + 0.5 * c));

disc = (r - 0.35).^2 + ((c - 0.3) * N2 / N1).^2 < 0.2^2;
Y(disc) = 235;
bar = r > 0.62 & r < 0.72 & c > 0.08 & c < 0.55;
Y(bar) = 25;

stripes = r > 0.12 & r < 0.45 & c > 0.6 & c < 0.95;
phase = 2 * pi * (6 + 40 * (c - 0.6)) .* (c - 0.6) * 4;
Y(stripes) = 128 + 100 * sin (phase(stripes));

checker = r > 0.6 & r < 0.9 & c > 0.65 & c < 0.9;
squares = mod (floor ((0:N1-1)' / 6) + floor ((0:N2-1) / 6), 2);
Y(checker) = 40 + 180 * squares(checker);

Y = round (min (max (Y, 0), 255));
end

%!test
%! Y = demo_image (90, 120);
%! assert (size (Y), [90 120]);
%! assert (Y, round (Y));
%! assert (min (Y(:)) >= 0 && max (Y(:)) <= 255);
%! assert (demo_image (90, 120), Y);
%! assert (numel (unique (Y)) > 50);
