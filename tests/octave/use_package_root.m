function use_package_root (root)
% use_package_root (root)
% Points pkg at a package list and installation prefixes inside <root>, so
% that installing and loading packages leaves the user's and the system's
% packages alone.
pkg ("prefix", fullfile (root, "share"), fullfile (root, "arch"));
pkg ("local_list", fullfile (root, "octave_packages"));
pkg ("global_list", fullfile (root, "global_packages"));
endfunction
