function build_mex (outdir, varargin)
%BUILD_MEX  Compile the MEX plug-ins with the host's own mex command.
%   build_mex compiles the toolbox's plug-ins (imgToBlocks, blocksToImg,
%   seqSpectrum, walshOrdered, cyclicEnergy: every one listed in
%   plugins.txt) into the folder of this file, where each takes precedence
%   over the help-only .m file of the same name.
%   build_mex(outdir) puts them into outdir instead (created if needed).
%   build_mex(outdir, name, ...) compiles only the named plug-ins.
%
%   In MATLAB it runs mex with -compatibleArrayDims (the plug-ins use the
%   separate-complex interface with 32-bit array dimensions); a C++17
%   compiler must be set up (mex -setup C++). In GNU Octave it runs
%   mex (mkoctfile --mex), which needs Octave's development files (Debian
%   and Ubuntu: package liboctave-dev). Either way the code is compiled with
%   floating-point contraction off, so that results are bit-exact.
%
%   The sources are taken from the source checkout this folder belongs to
%   (toolbox/ below the repository root) or from an unpacked Octave package
%   (inst/ beside src/).
%
%   Example
%     cd toolbox
%     build_mex
%     X = imgToBlocks(magic(4), 2, 2, 4, 4, 1, 1)
%
%   See also imgToBlocks, blocksToImg, seqSpectrum, cyclicEnergy.

here = fileparts (mfilename ('fullpath'));
if nargin < 1 || isempty (outdir)
  outdir = here;
end
root = source_root (here);
plugins = read_plugin_list (root);
if ~isempty (varargin)
  unknown = setdiff (varargin, {plugins.name});
  if ~isempty (unknown)
    error ('build_mex:unknownPlugin', 'build_mex: no plug-in named %s', unknown{1});
  end
  plugins = plugins(ismember ({plugins.name}, varargin));
end
if ~exist (outdir, 'dir')
  mkdir (outdir);
end

inOctave = exist ('OCTAVE_VERSION', 'builtin') ~= 0;
for k = 1:numel (plugins)
  p = plugins(k);
  sources = fullfile (root, p.sources);
  fprintf ('build_mex: %s\n', p.name);
  if inOctave
    build_octave (root, outdir, p.name, sources);
  else
    build_matlab (root, outdir, p.name, sources);
  end
end
% Let the host see the new files, and forget help files it has loaded under
% the same names.
rehash;
for k = 1:numel (plugins)
  clear (plugins(k).name);
end
end

function build_octave (root, outdir, name, sources)
% Octave's mex is mkoctfile --mex; compiler flags travel in CXXFLAGS.
old = getenv ('CXXFLAGS');
base = old;
if isempty (base)
  base = strtrim (mkoctfile ('-p', 'CXXFLAGS'));
end
setenv ('CXXFLAGS', [base ' -std=c++17 -ffp-contract=off']);
try
  mex (['-I' root], '-o', fullfile (outdir, [name '.mex']), sources{:});
catch err
  setenv ('CXXFLAGS', old);
  rethrow (err);
end
setenv ('CXXFLAGS', old);
end

function build_matlab (root, outdir, name, sources)
% Only the repository root goes on the include path: the gateways' "mex.h"
% must be MATLAB's own.
flags = 'CXXFLAGS=$CXXFLAGS -std=c++17 -ffp-contract=off';
if ispc
  cfg = mex.getCompilerConfigurations ('C++', 'Selected');
  if ~isempty (cfg) && ~isempty (strfind (lower (cfg(1).ShortName), 'msvc'))
    flags = 'COMPFLAGS=$COMPFLAGS /std:c++17 /fp:precise';
  end
end
mex ('-compatibleArrayDims', ['-I' root], flags, '-outdir', outdir, ...
     '-output', name, sources{:});
end

function root = source_root (here)
% The folder holding plugins.txt: the repository root above toolbox/, or
% src/ beside inst/ in an unpacked Octave package.
candidates = {fileparts(here), fullfile(fileparts (here), 'src')};
for k = 1:numel (candidates)
  if exist (fullfile (candidates{k}, 'plugins.txt'), 'file')
    root = candidates{k};
    return;
  end
end
error ('build_mex:noSources', ...
       ['build_mex: the plug-in sources (plugins.txt) are not beside %s; ', ...
        'build_mex works in a source checkout or an unpacked package'], here);
end

function plugins = read_plugin_list (root)
% plugins.txt: one plug-in per line, "<name> <gateway> <core sources...>";
% core entries may be wildcard patterns, from which gateways are left out.
text = fileread (fullfile (root, 'plugins.txt'));
lines = regexp (text, '\r?\n', 'split');
names = {};
fields = {};
for k = 1:numel (lines)
  line = strtrim (regexprep (lines{k}, '#.*$', ''));
  if isempty (line)
    continue;
  end
  f = regexp (line, '\s+', 'split');
  if numel (f) < 2
    error ('build_mex:badList', 'build_mex: plugins.txt: "%s" needs a name and a gateway', line);
  end
  names{end+1} = f{1};
  fields{end+1} = f(2:end);
end
gateways = cellfun (@(f) f{1}, fields, 'UniformOutput', false);
plugins = struct ('name', names, 'sources', cell (size (names)));
for k = 1:numel (names)
  sources = fields{k}(1);
  for pattern = fields{k}(2:end)
    found = dir (fullfile (root, pattern{1}));
    if isempty (found)
      error ('build_mex:badList', 'build_mex: plugins.txt: %s matches no file', pattern{1});
    end
    folder = fileparts (pattern{1});
    if ~isempty (folder)
      folder = [folder '/'];
    end
    matches = sort (strcat (folder, {found.name}));
    matches = matches(~ismember (matches, gateways));
    sources = [sources, matches(~ismember (matches, sources))];
  end
  plugins(k).sources = sources;
end
end
