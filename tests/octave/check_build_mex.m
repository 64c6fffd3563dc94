function check_build_mex (toolbox, outdir)
% check_build_mex (toolbox, outdir)
% build_mex, run in Octave, compiles every listed plug-in into <outdir>; the
% test blocks of each pass against what it built.
if (exist (outdir, "dir"))
  confirm_recursive_rmdir (false);
  rmdir (outdir, "s");
endif
addpath (toolbox);
build_mex (outdir);
addpath (outdir);
built = dir (fullfile (outdir, "*.mex"));
assert (numel (built) > 0, "build_mex built nothing");
failures = 0;
for f = built'
  [~, name] = fileparts (f.name);
  assert (exist (name), 3);
  [passed, total] = test (name, "quiet", stdout);
  printf ("%s (built by build_mex): %d of %d tests passed\n", name, passed, total);
  failures += (total == 0 || passed != total);
endfor
exit (failures > 0);
endfunction
