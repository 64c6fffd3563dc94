function check_help (toolbox, description)
% check_help (toolbox, description)
% With only the help files on the path (nothing compiled): every function
% has its help, calling one says how to compile it, and Contents.m lists
% every function with the package's version.
addpath (toolbox);
functions = {"imgToBlocks", "blocksToImg", "seqSpectrum", "walshOrdered", "cyclicEnergy"};
for name = functions
  name = name{1};
  assert (exist (name) == 2, "%s is not the help file", name);
  text = get_help_text (name);
  for part = {[upper(name) "  "], "Example", "See also"}
    assert (! isempty (strfind (text, part{1})), "help %s lacks %s", name, part{1});
  endfor
  try
    feval (name, 1);
    error ("%s ran without its plug-in", name);
  catch err
    assert (err.identifier, [name ":notCompiled"]);
    assert (! isempty (strfind (err.message, "not compiled, run build_mex")), err.message);
  end_try_catch
endfor
assert (! isempty (strfind (get_help_text ("build_mex"), "BUILD_MEX")));

% The functions written in Octave: help, and listed in Contents.m.
companions = {"walshSpectrum", "cyclicEnergyFFT"};
for name = companions
  text = get_help_text (name{1});
  for part = {[upper(name{1}) "  "], "Example", "See also"}
    assert (! isempty (strfind (text, part{1})), "help %s lacks %s", name{1}, part{1});
  endfor
endfor

contents = fileread (fullfile (toolbox, "Contents.m"));
for name = [functions, companions, {"build_mex"}]
  assert (! isempty (regexp (contents, ["\\n%\\s*" name{1} "\\s+-"], "once")), ...
          "Contents.m does not list %s", name{1});
endfor
version = regexp (fileread (description), "Version:\\s*(\\S+)", "tokens", "once"){1};
assert (! isempty (strfind (contents, ["Version " version])), ...
        "Contents.m does not carry version %s", version);
printf ("help files, stubs and Contents.m (version %s) are in order\n", version);
endfunction
