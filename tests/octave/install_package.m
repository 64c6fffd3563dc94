function install_package (tarball, root)
% install_package (tarball, root)
% Installs the Octave package <tarball> into a fresh folder <root> (package
% list and prefixes inside it, nothing global) and checks that it loads.
if (exist (root, "dir"))
  confirm_recursive_rmdir (false);
  rmdir (root, "s");
endif
mkdir (root);
use_package_root (root);
pkg ("install", "-local", tarball);
pkg ("load", "bwtoolbox");
installed = pkg ("list");
assert (numel (installed) == 1 && strcmp (installed{1}.name, "bwtoolbox"));
printf ("installed bwtoolbox %s in %s\n", installed{1}.version, installed{1}.dir);
for name = {"imgToBlocks", "blocksToImg", "seqSpectrum", "walshOrdered", "cyclicEnergy"}
  if (exist (name{1}) == 3)
    printf ("  %s: %s\n", name{1}, which (name{1}));
  else
    printf ("  %s: plug-in not built, help file only\n", name{1});
  endif
endfor
endfunction
