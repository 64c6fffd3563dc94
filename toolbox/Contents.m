% bwtoolbox: exact block, Walsh-Hadamard and shift-energy kernels
% Version 0.1.0 08-Dec-2026
%
% Block partition
%   imgToBlocks  - Cut an image into n1-by-n2 blocks, one block per column.
%   blocksToImg  - Put block columns back into an image.
%
% Walsh-Hadamard spectrum
%   seqSpectrum  - Sequency-ordered Walsh-Hadamard spectrum of every column.
%
% Shifted-pattern energy
%   cyclicEnergy - Energy of a complex field at every cyclic shift of a
%                  sampling pattern.
%
% Building
%   build_mex    - Compile the MEX plug-ins with the host's own mex command.
%
% Each function is a MEX plug-in; its .m file holds the help. Run build_mex
% once (in MATLAB or GNU Octave) to compile them, or use a prebuilt set.
