function run_package_tests (name, root, needs)
% run_package_tests (name, root)
% Loads the package installed by install_package into <root> and runs the
% test blocks of <name> against its plug-in. Ends Octave with status 0 when
% every test passes, 1 otherwise, and 77 (skipped) when the package holds no
% plug-in of that name.
% run_package_tests (name, root, needs): the same for a function written in
% Octave that calls the plug-in <needs>.
if (nargin < 3)
  needs = name;
endif
use_package_root (root);
pkg ("load", "bwtoolbox");
if (exist (needs) != 3 || exist (name) == 0)
  printf ("skipped: plug-in %s not built in the package\n", needs);
  exit (77);
endif
failures = 0;
if (isempty (strfind (get_help_text (name), upper (name))))
  printf ("FAIL: help %s does not show the help file\n", name);
  failures += 1;
endif
[passed, total] = test (name, "quiet", stdout);
printf ("%s (%s): %d of %d tests passed\n", name, which (name), passed, total);
exit (failures > 0 || total == 0 || passed != total);
endfunction
