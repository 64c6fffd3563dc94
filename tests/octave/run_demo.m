function run_demo (outdir)
% run_demo (outdir)
% Runs the whole demo into <outdir> and checks its figures and pictures; ends
% Octave with status 77 (skipped) when a plug-in the demo needs is not built.
for name = {"imgToBlocks", "blocksToImg", "seqSpectrum", "cyclicEnergy"}
  if (exist (name{1}) != 3)
    printf ("skipped: plug-in %s not built\n", name{1});
    exit (77);
  endif
endfor
if (exist (outdir, "dir"))
  confirm_recursive_rmdir (false);
  rmdir (outdir, "s");
endif
r = bwdemo (outdir);
assert (r.exactInverse);
assert (r.psnr(1), Inf);
assert (all (diff (r.psnr) < 0) && r.psnr(end) > 10);
assert (r.energyDeviation < 1e-12);
for f = r.files
  info = imfinfo (f{1});
  assert (strcmp (info.Format, "PNG") && info.Width > 0 && info.Height > 0, f{1});
endfor
printf ("demo ran; %d pictures in %s\n", numel (r.files), outdir);
endfunction
