function post_install (desc)
% pkg install puts the help files in the package folder and the compiled
% functions in an architecture folder of their own; copy each one's help
% file next to it, where Octave looks for the help of a MEX file and `test`
% finds the tests of a compiled function.
arch = dir (desc.archprefix);
arch = arch([arch.isdir] & ! ismember ({arch.name}, {".", ".."}));
for d = arch'
  folder = fullfile (desc.archprefix, d.name);
  for plugin = [dir(fullfile (folder, "*.oct")); dir(fullfile (folder, "*.mex"))]'
    [~, name] = fileparts (plugin.name);
    help_file = fullfile (desc.dir, [name ".m"]);
    if (exist (help_file, "file"))
      copyfile (help_file, folder);
    endif
  endfor
endfor
endfunction
