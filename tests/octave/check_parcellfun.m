function check_parcellfun (plugins, toolbox)
% check_parcellfun (plugins, toolbox)
% Runs the plug-ins of the folder <plugins> (and walshSpectrum of <toolbox>)
% inside parcellfun of Octave's parallel package, two processes, and
% compares every result with the serial call, isequal bit for bit (NaN
% inputs make no difference here). Ends Octave with status 0 when all agree,
% 1 otherwise, and 77 (skipped) without the parallel package or the plug-ins.
try
  pkg load parallel
catch err
  printf ("SKIPPED parcellfun test because the parallel package does not load (%s);\n", err.message);
  printf ("scripts/deps.sh parallel installs it (octave-parallel)\n");
  exit (77);
end_try_catch
addpath (plugins, toolbox);
if (exist ("seqSpectrum") != 3)
  printf ("SKIPPED parcellfun test because no plug-ins are built in %s\n", plugins);
  exit (77);
endif

rand ("seed", 7);
calls = {};
for k = 1:6
  Y = rand (37 + k, 29 + 2 * k);
  calls{end+1} = @() imgToBlocks (Y, 8, 8, rows (Y), columns (Y), 1 + mod (k, 3), 1);
  X = imgToBlocks (Y, 8, 4, rows (Y), columns (Y), 1, 1 + mod (k, 2));
  calls{end+1} = @() blocksToImg (X, 8, 4, rows (Y), columns (Y), 1, 1 + mod (k, 2));
  A = randn (100 * k, 7);
  calls{end+1} = @() seqSpectrum (A);
  calls{end+1} = @() walshSpectrum (A, [], "dyadic");
  p = randperm (30 * 40, 10 * k);
  rM = randn (30, 40);
  iM = randn (30, 40);
  calls{end+1} = @() cyclicEnergy (p, rM, iM, 30, 40, numel (p));
endfor

serial = cellfun (@(f) f (), calls, "UniformOutput", false);
parallel = parcellfun (2, @(f) f (), calls, "UniformOutput", false, "VerboseLevel", 0);
same = cellfun (@isequal, serial, parallel);
printf ("parcellfun, 2 processes: %d of %d plug-in calls give the serial results\n",
        nnz (same), numel (same));
exit (! all (same));
endfunction
