function run_function_tests (name, plugins, ext, toolbox, needs)
% run_function_tests (name, plugins, ext, toolbox)
% Runs the test blocks of the help file <toolbox>/<name>.m against the
% compiled plug-ins <plugins>/*<ext>, unmodified, whatever their extension:
% each is linked into a scratch folder as <fn>.mex (<fn>.oct for native
% functions, ext ".oct"), beside links to the help files (Octave reads a plug-in's help from the .m file next to it; the tests
% of one function may call the others). Ends Octave with status 0 when every
% test passes, 1 otherwise, and 77 (skipped) when <name> is not built.
% run_function_tests (name, plugins, ext, toolbox, needs) does the same for
% a function written in Octave that calls the plug-in <needs>.
if (nargin < 5)
  needs = name;
endif
plugin = fullfile (plugins, [needs ext]);
if (! exist (plugin, "file"))
  printf ("skipped: plug-in %s not built (no %s)\n", name, plugin);
  exit (77);
endif

linked = ".mex";
if (strcmp (ext, ".oct"))
  linked = ".oct";
endif
folder = tempname ();
mkdir (folder);
for f = dir (fullfile (toolbox, "*.m"))'
  symlink (fullfile (toolbox, f.name), fullfile (folder, f.name));
endfor
for f = dir (fullfile (plugins, ["*" ext]))'
  symlink (fullfile (plugins, f.name), fullfile (folder, [f.name(1:end-numel(ext)) linked]));
endfor
addpath (folder);

failures = 0;
if (exist (needs) != 3 || ! strcmp (which (needs), fullfile (folder, [needs linked])))
  printf ("FAIL: %s resolves to %s, not to the plug-in\n", needs, which (needs));
  failures += 1;
endif
if (isempty (strfind (get_help_text (name), upper (name))))
  printf ("FAIL: help %s does not show the help file\n", name);
  failures += 1;
endif
[passed, total] = test (name, "quiet", stdout);
printf ("%s (%s): %d of %d tests passed\n", name, plugin, passed, total);
if (total == 0 || passed != total)
  failures += 1;
endif

rmpath (folder);
confirm_recursive_rmdir (false);
rmdir (folder, "s");
exit (failures > 0);
endfunction
