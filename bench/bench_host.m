function rows = bench_host (plugins, plot_file, mex_plugins)
% bench_host (plugins, plot_file, mex_plugins)
% Times every function as a user calls it in GNU Octave, warm, median of
% several samples, against what the user would write instead: the signal
% package's fwht, the image package's im2col/col2im 'distinct', a
% reshape/permute one-liner, the FFT one-liner for the shift energies, and a
% one-pass A*2 of the same data. The functions are the native ones in
% <plugins> (dist/octave); the same plug-ins built as MEX files for Octave
% (<mex_plugins>, by default the folder octave-mex beside <plugins>) are
% timed on the same calls, which shows what Octave's MEX interface costs.
% Prints a table and writes a log-log plot of the speed-ups to plot_file
% (PNG). A missing package or MEX folder leaves its rows or columns out,
% saying so. The results of each pair are compared before timing.
% With the environment variable BENCH_QUICK=1, a short run: small sizes and
% few samples, to check that the script works.
if (nargin < 2)
  plot_file = "";
endif
if (nargin < 3)
  mex_plugins = fullfile (fileparts (canonicalize_file_name (plugins)), "octave-mex");
endif
addpath (plugins);
mex = mex_handles (mex_plugins);
have_signal = load_package ("signal");
have_image = load_package ("image");
rows = struct ("fn", {}, "alt", {}, "size", {}, "x", {}, "ours", {}, "theirs", {}, "pass", {}, ...
               "mex", {});
rand ("seed", 1);
randn ("seed", 1);
global BENCH_SAMPLES
quick = strcmp (getenv ("BENCH_QUICK"), "1");   % a smoke run of the script
BENCH_SAMPLES = [7 2](1 + quick);
BENCH_L = [8 64 1024 16384 65536](1:1 + 4 * ! quick);
BENCH_N = [256 512 2048](1:1 + 2 * ! quick);
BENCH_M = [32 64 128 256 512](1:2 + 3 * ! quick);
% The sizes of the calls Octave users make most, for the cost of the bridge:
% L-by-N matrices of doubles.
BENCH_HOST = [256 256; 1024 2048; 2048 2048](1:1 + 2 * ! quick, :);

% Walsh-Hadamard: 2^17 values as L-by-N, columns of L entries.
for L = BENCH_L
  A = randn (L, 2^17 / L);
  label = sprintf ("%d x %d", L, columns (A));
  pass = time_call (@() A * 2);
  if (have_signal)
    check (seqSpectrum (A), fwht (A), 1e-14, "seqSpectrum");
    check (walshSpectrum (A, [], "hadamard"), fwht (A, [], "hadamard"), 1e-14, "walshSpectrum");
    rows(end+1) = row ("seqSpectrum", "fwht", label, L, @() seqSpectrum (A), @() fwht (A), pass, ...
                       @() mex.seqSpectrum (A));
    rows(end+1) = row ("walshSpectrum hadamard", "fwht hadamard", label, L, ...
                       @() walshSpectrum (A, [], "hadamard"), @() fwht (A, [], "hadamard"), pass);
  endif
  % What the row permutation adds to the transform.
  rows(end+1) = row ("walshSpectrum hadamard", "seqSpectrum", label, L, ...
                     @() walshSpectrum (A, [], "hadamard"), @() seqSpectrum (A), pass);
endfor
% Large matrices, against one pass over them.
for LN = BENCH_HOST'
  A = randn (LN');
  rows(end+1) = row ("seqSpectrum", "A*2", sprintf ("%d x %d", LN), prod (LN), ...
                     @() seqSpectrum (A), @() A * 2, [], @() mex.seqSpectrum (A));
endfor

% Block copies: N-by-N images in 8-by-8 blocks, grids without band or
% remainder (im2col pads where imgToBlocks bands).
for N = BENCH_N
  Y = rand (N);
  X = imgToBlocks (Y, 8, 8, N, N, 1, 1);
  label = sprintf ("%d^2", N);
  pass = time_call (@() Y * 2);
  split = @() reshape (permute (reshape (Y, 8, N / 8, 8, N / 8), [1 3 2 4]), 64, []);
  join = @() reshape (permute (reshape (X, 8, 8, N / 8, N / 8), [1 3 2 4]), N, N);
  check (X, split (), 0, "imgToBlocks");
  check (blocksToImg (X, 8, 8, N, N, 1, 1), join (), 0, "blocksToImg");
  rows(end+1) = row ("imgToBlocks 8x8", "reshape/permute", label, N^2, ...
                     @() imgToBlocks (Y, 8, 8, N, N, 1, 1), split, pass, ...
                     @() mex.imgToBlocks (Y, 8, 8, N, N, 1, 1));
  rows(end+1) = row ("blocksToImg 8x8", "reshape/permute", label, N^2, ...
                     @() blocksToImg (X, 8, 8, N, N, 1, 1), join, pass, ...
                     @() mex.blocksToImg (X, 8, 8, N, N, 1, 1));
  if (have_image)
    check (X, im2col (Y, [8 8], "distinct"), 0, "imgToBlocks");
    check (join (), col2im (X, [8 8], [N N], "distinct"), 0, "blocksToImg");
    rows(end+1) = row ("imgToBlocks 8x8", "im2col", label, N^2, ...
                       @() imgToBlocks (Y, 8, 8, N, N, 1, 1), @() im2col (Y, [8 8], "distinct"), pass);
    rows(end+1) = row ("blocksToImg 8x8", "col2im", label, N^2, ...
                       @() blocksToImg (X, 8, 8, N, N, 1, 1), @() col2im (X, [8 8], [N N], "distinct"), pass);
  endif
endfor

% Shift energies on m-by-m grids at 10 % and 1 % sampling, against the FFT
% one-liner with P the 0/1 pattern (the same cyclic convolution); and
% cyclicEnergyFFT, which wraps that one-liner, against it.
for m = BENCH_M
  R = randn (m);
  I = randn (m);
  pass = time_call (@() R * 2);
  for density = [0.1 0.01]
    np = round (density * m^2);
    p = randperm (m^2, np);
    P = zeros (m);
    P(p) = 1;
    fft_line = @() real (ifft2 (fft2 (R.^2 + I.^2) .* fft2 (P)));
    exact = cyclicEnergy (p, R, I, m, m, np);
    check (exact, reshape (fft_line (), 1, []), 1e-13 * max (exact), "cyclicEnergy");
    label = sprintf ("%d^2, %g %%", m, 100 * density);
    rows(end+1) = row (sprintf ("cyclicEnergy %g %%", 100 * density), "FFT one-liner", ...
                       label, m^2, @() cyclicEnergy (p, R, I, m, m, np), fft_line, pass, ...
                       @() mex.cyclicEnergy (p, R, I, m, m, np));
    if (density == 0.1)
      check (cyclicEnergyFFT (p, R, I, m, m, np), exact, 1e-13 * max (exact), "cyclicEnergyFFT");
      rows(end+1) = row ("cyclicEnergyFFT 10 %", "FFT one-liner", label, m^2, ...
                         @() cyclicEnergyFFT (p, R, I, m, m, np), fft_line, pass);
    endif
  endfor
endfor

print_table (rows);
if (! isempty (plot_file))
  plot_speedups (rows, plot_file);
endif
endfunction

function mex = mex_handles (folder)
% Handles to the MEX builds of the plug-ins, under names of their own
% (<name>_mex, links in a scratch folder), so that they run beside the native
% functions; where there is no MEX build, a handle that fails.
names = {"imgToBlocks", "blocksToImg", "seqSpectrum", "walshOrdered", "cyclicEnergy"};
mex = struct ();
scratch = tempname ();
mkdir (scratch);
for k = 1:numel (names)
  file = fullfile (folder, [names{k} ".mex"]);
  if (exist (file, "file"))
    symlink (file, fullfile (scratch, [names{k} "_mex.mex"]));
    mex.(names{k}) = str2func ([names{k} "_mex"]);
  else
    mex.(names{k}) = @(varargin) error ("bench_host: no MEX build");
  endif
endfor
addpath (scratch);
if (! exist (fullfile (folder, "seqSpectrum.mex"), "file"))
  printf ("SKIPPED: the MEX column, because %s holds no MEX build\n", folder);
endif
endfunction

function ok = load_package (name)
ok = ! isempty (pkg ("list", name));
if (ok)
  pkg ("load", name);
else
  printf ("SKIPPED: the comparisons with the %s package, because it is not installed\n", name);
endif
endfunction

function check (got, want, tol, name)
if (! isequal (size (got), size (want)) || max (abs (got(:) - want(:))) > tol)
  error ("bench_host: %s and its alternative disagree", name);
endif
endfunction

function r = row (fn, alt, label, x, ours, theirs, pass, mex)
% The times of ours, the alternative and (if given, and built) the MEX build
% of ours; an empty pass stands for the alternative itself.
t_mex = NaN;
if (nargin >= 8)
  try
    y = mex ();
    t_mex = time_call (mex);
  catch
    t_mex = NaN;                        % no MEX build of this plug-in
  end_try_catch
endif
t_theirs = time_call (theirs);
if (isempty (pass))
  pass = t_theirs;
endif
r = struct ("fn", fn, "alt", alt, "size", label, "x", x, ...
            "ours", time_call (ours), "theirs", t_theirs, "pass", pass, "mex", t_mex);
endfunction

function t = time_call (f)
% Median over samples of the time of one call; each sample repeats the call
% until it lasts 20 ms, and the samples stop after 7 (BENCH_SAMPLES) or
% after 2 s.
global BENCH_SAMPLES
y = f ();                               % warm: code, caches, first pages
tic;
y = f ();
once = toc;
reps = max (1, ceil (0.02 / max (once, 1e-7)));
samples = [];
budget = tic;
while (numel (samples) < BENCH_SAMPLES && (numel (samples) < min (3, BENCH_SAMPLES) || toc (budget) < 2))
  start = tic;
  for k = 1:reps
    y = f ();
  endfor
  samples(end+1) = toc (start) / reps;
endwhile
t = median (samples);
endfunction

function print_table (rows)
cpu = processor_name ();
printf ("\nGNU Octave %s on %s: median call times, warm\n", OCTAVE_VERSION, cpu);
printf ("ours = the native function; speed-up = alternative / ours; ours / A*2 = against one\n");
printf ("pass over the same data; MEX = the same plug-in as a MEX file, and the bridge's share\n");
printf ("of the MEX call: (MEX - ours) / MEX\n\n");
printf ("| function | size | alternative | ours (ms) | alternative (ms) | speed-up | ours / A*2 | MEX (ms) | MEX / A*2 | bridge share |\n");
printf ("|---|---|---|---|---|---|---|---|---|---|\n");
for r = rows
  if (isnan (r.mex))
    mex = "| - | - | -";
  else
    mex = sprintf ("| %.3g | %.2g | %.0f %%", 1e3 * r.mex, r.mex / r.pass, 100 * (r.mex - r.ours) / r.mex);
  endif
  printf ("| %s | %s | %s | %.3g | %.3g | %.3g | %.2g %s |\n", r.fn, r.size, r.alt, ...
          1e3 * r.ours, 1e3 * r.theirs, r.theirs / r.ours, r.ours / r.pass, mex);
endfor
shares = [rows.mex] - [rows.ours];
with_mex = ! isnan (shares);
if (any (with_mex))
  printf ("\nThe MEX bridge: %.0f %% of the time of the MEX calls above, together\n", ...
          100 * sum (shares(with_mex)) / sum ([rows(with_mex).mex]));
endif
endfunction

function name = processor_name ()
% Model, family and widest vector extension, from /proc/cpuinfo where there is one.
name = "this processor";
[status, text] = system ("grep -m1 -e 'model name' /proc/cpuinfo; grep -m1 -e 'cpu family' /proc/cpuinfo; grep -m1 -o -w avx512f /proc/cpuinfo; true");
lines = strtrim (regexprep (strsplit (strtrim (text), "\n"), "^[^:]*:", ""));
if (status == 0 && numel (lines) >= 2)
  name = sprintf ("%s, family %s", lines{1}, lines{2});
  if (numel (lines) >= 3)
    name = [name ", AVX-512"];
  endif
endif
endfunction

function plot_speedups (rows, file)
% One panel per function: speed-up against size, both axes logarithmic.
if (! any (strcmp (available_graphics_toolkits (), "gnuplot")) && ...
    isempty (available_graphics_toolkits ()))
  printf ("SKIPPED: the plot, because Octave has no graphics toolkit here\n");
  return;
endif
device = "-dpng";
if (any (strcmp (available_graphics_toolkits (), "gnuplot")))
  warning ("off", "Octave:gnuplot-graphics");
  graphics_toolkit ("gnuplot");
  device = "-dpngcairo";                % gnuplot's own PNG, without Ghostscript
endif
panels = {"seqSpectrum", "walshSpectrum", "imgToBlocks", "blocksToImg", "cyclicEnergy"};
xlabels = {"column length L", "column length L", "image pixels", "image pixels", "grid points m*n"};
h = figure ("visible", "off", "paperunits", "inches", "paperposition", [0 0 11 8]);
for k = 1:numel (panels)
  subplot (2, 3, k);
  % the panel's function (not cyclicEnergyFFT), against the alternatives
  % that do the same work (not A*2)
  sel = rows(! cellfun (@isempty, regexp ({rows.fn}, ["^" panels{k} "( |$)"])) & ! strcmp ({rows.alt}, "A*2"));
  % "vs <alternative>", with the sampling density where there is one
  names = cellfun (@(fn, alt) strtrim (sprintf ("%s vs %s", regexprep (fn, "^[^%]*?(\\S+ %)?$", "$1"), alt)), ...
                   {sel.fn}, {sel.alt}, "uniformoutput", false);
  series = unique (names, "stable");
  hold on;
  labels = series;
  for s = 1:numel (series)
    pick = sel(strcmp (names, series{s}));
    loglog ([pick.x], [pick.theirs] ./ [pick.ours], "-o", "linewidth", 1.5);
  endfor
  % The MEX files of the same plug-ins, dashed.
  for s = 1:numel (series)
    pick = sel(strcmp (names, series{s}) & ! isnan ([sel.mex]));
    if (! isempty (pick))
      loglog ([pick.x], [pick.theirs] ./ [pick.mex], "--x", "linewidth", 1);
      labels{end+1} = [series{s} " (MEX)"];
    endif
  endfor
  xs = [sel.x];
  loglog ([min(xs) max(xs)], [1 1], "k--");
  set (gca, "xscale", "log", "yscale", "log");
  hold off;
  grid on;
  title (panels{k});
  xlabel (xlabels{k});
  ylabel ("speed-up");
  legend (labels(:), "location", "southwest");
endfor
subplot (2, 3, 6);
axis off;
notes = {["GNU Octave " OCTAVE_VERSION], processor_name(), ...
         "warm calls, median of samples", "speed-up above 1: ours faster", ...
         "solid: native functions; dashed: MEX files", ...
         "walshSpectrum vs seqSpectrum:", "the cost of the row permutation"};
for k = 1:numel (notes)
  text (0, 1 - 0.12 * k, notes{k});
endfor
print (h, file, device, "-r110");
close (h);
printf ("\nplot: %s\n", file);
endfunction
