function run_tests (names)
% run_tests (names)
% Runs the test blocks of each file in the cell array names; ends Octave with
% status 0 when all pass and 1 otherwise.
failures = 0;
for name = names
  [passed, total] = test (name{1}, "quiet", stdout);
  printf ("%s: %d of %d tests passed\n", name{1}, passed, total);
  failures += (total == 0 || passed != total);
endfor
exit (failures > 0);
endfunction
