function results = bwdemo (outdir)
% results = bwdemo (outdir)
% The toolbox at work, in GNU Octave (`make demo` runs it):
%
% 1. Transform coding: a deterministic 390-by-510 test image is cut into
%    8-by-8 blocks on a grid that starts at row 5 (a top band of 4 rows,
%    remainder blocks at the bottom and right), every block goes through
%    seqSpectrum, only the largest k% of its 64 coefficients are kept, and the
%    image is rebuilt with the inverse transform (64 * seqSpectrum) and
%    blocksToImg. Prints PSNR and the time of each step for several k.
% 2. Shift energies: cyclicEnergy of a random sampling pattern over a complex
%    field on a 128-by-128 grid, checked against the same cyclic convolution
%    computed with FFTs.
%
% PNG pictures go to outdir (default: demo_output): the original, every
% reconstruction, and, at three pixels per grid point, the sampling pattern,
% the field's energy and the energy map. results holds the figures printed.
if (nargin < 1)
  outdir = "demo_output";
end
needed = {"imgToBlocks", "blocksToImg", "seqSpectrum", "cyclicEnergy"};
missing = needed(cellfun (@(f) exist (f) != 3, needed));
if (! isempty (missing))
  error ("bwdemo:missingPlugin", ...
         ["bwdemo: no compiled plug-in on the path for %s; build the plug-ins ", ...
          "(make octave, or build_mex) and add their folder to the path"], ...
         strjoin (missing, ", "));
end
if (! exist (outdir, "dir"))
  mkdir (outdir);
end
outdir = make_absolute_filename (outdir);
printf ("bwtoolbox demo, GNU Octave %s\n\n", OCTAVE_VERSION);

% 1. Transform coding in 8-by-8 blocks.
N1 = 390;
N2 = 510;
rowSt = 5;
Y = demo_image (N1, N2);
write_gray (Y, fullfile (outdir, "original.png"));
blocks = columns (imgToBlocks (Y, 8, 8, N1, N2, rowSt, 1));
printf ("Transform coding: %d-by-%d image, 8-by-8 blocks from row %d (top band of %d rows),\n", ...
        N1, N2, rowSt, rowSt - 1);
printf ("%d blocks; seqSpectrum per block, largest k%% of the 64 coefficients kept.\n\n", blocks);

X = imgToBlocks (Y, 8, 8, N1, N2, rowSt, 1);
exact = isequal (64 * seqSpectrum (seqSpectrum (X)), X);
printf ("64 * seqSpectrum(seqSpectrum(X)) == X for the block matrix: %s\n\n", ...
        ifelse_text (exact, "yes, bit for bit", "NO"));

keep = [100 50 25 12.5 6.25 3.125 1.5625];
printf ("     keep  coeffs  PSNR (dB)   imgToBlocks  seqSpectrum  select  inverse  blocksToImg  (ms)\n");
psnr = zeros (size (keep));
files = {};
for i = 1:numel (keep)
  [R, t] = demo_codec (Y, rowSt, keep(i), @seqSpectrum);
  psnr(i) = psnr_db (Y, R);
  file = fullfile (outdir, sprintf ("keep_%02d_of_64.png", round (keep(i) * 64 / 100)));
  write_gray (R, file);
  files{end+1} = file;
  printf ("%9s  %4d    %8.2f    %10.2f  %11.2f  %6.2f  %7.2f  %11.2f\n", sprintf ("%g%%", keep(i)), ...
          round (keep(i) * 64 / 100), psnr(i), 1e3 * [t.cut, t.forward, t.select, t.inverse, t.paste]);
end

% 2. Shift energies of a random sampling pattern.
m = 128;
n = 128;
[c, r] = meshgrid (0:n-1, 0:m-1);
F = exp (-((r - 40).^2 + (c - 36).^2) / 300) .* exp (0.35i * c) ...
    + 0.7 * exp (-((r - 90).^2 + (c - 88).^2) / 120) .* exp (-0.2i * (r + c)) ...
    + 0.05 * cos (2 * pi * r / 16);
rand ("state", 7);
np = round (0.08 * m * n);
p = sort (randperm (m * n, np));
t = tic ();
ell = cyclicEnergy (p, real (F), imag (F), m, n, np);
seconds = toc (t);
S = zeros (m, n);
S(p) = 1;
viaFFT = real (ifft2 (fft2 (S) .* fft2 (abs (F).^2)));
deviation = max (abs (ell - viaFFT(:)')) / max (abs (viaFFT(:)));
printf ("\nShift energies: %d-by-%d grid, %d samples (%.0f%%), %d shifts: cyclicEnergy %.1f ms\n", ...
        m, n, np, 100 * np / (m * n), m * n, 1e3 * seconds);
printf ("largest relative deviation from the FFT convolution: %.1e\n", deviation);
energy = reshape (ell, m, n);
zoom = ones (3);   % grid pictures at three pixels per grid point
write_gray (kron (255 * S, zoom), fullfile (outdir, "sampling_pattern.png"));
write_gray (kron (255 * abs (F).^2 / max (abs (F(:)).^2), zoom), ...
            fullfile (outdir, "field_energy.png"));
write_gray (kron (255 * (energy - min (energy(:))) / (max (energy(:)) - min (energy(:))), zoom), ...
            fullfile (outdir, "energy_map.png"));

printf ("\nPictures written to %s\n", outdir);
results = struct ("keep", keep, "psnr", psnr, "exactInverse", exact, ...
                  "energyDeviation", deviation, "outdir", outdir);
results.files = [{fullfile(outdir, "original.png")}, files, ...
                 {fullfile(outdir, "sampling_pattern.png"), fullfile(outdir, "field_energy.png"), ...
                  fullfile(outdir, "energy_map.png")}];
end

function write_gray (A, file)
imwrite (uint8 (round (min (max (A, 0), 255))), file);
end

function s = ifelse_text (condition, yes, no)
if (condition)
  s = yes;
else
  s = no;
end
end
