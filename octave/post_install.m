function post_install (desc)
% Octave takes the help of a compiled function from the .m file of the same
% name in the same folder. pkg install puts the help files in the package
% folder and the compiled plug-ins in an architecture folder of their own, so
% copy each plug-in's help file next to it.
arch = dir (desc.archprefix);
arch = arch([arch.isdir] & ! ismember ({arch.name}, {".", ".."}));
for d = arch'
  folder = fullfile (desc.archprefix, d.name);
  for plugin = dir (fullfile (folder, "*.mex"))'
    [~, name] = fileparts (plugin.name);
    help_file = fullfile (desc.dir, [name ".m"]);
    if (exist (help_file, "file"))
      copyfile (help_file, folder);
    endif
  endfor
endfor
endfunction
