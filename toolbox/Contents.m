% bwtoolbox: exact block, Walsh-Hadamard and shift-energy kernels
% Version 0.1.0 08-Dec-2026
%
% Block partition
%   imgToBlocks  - Cut an image into n1-by-n2 blocks, one block per column.
%   blocksToImg  - Put block columns back into an image.
%
% Walsh-Hadamard spectrum
%   seqSpectrum  - Sequency-ordered Walsh-Hadamard spectrum of every column.
%   walshSpectrum - Walsh-Hadamard spectrum in sequency, Hadamard or dyadic
%                   order, with fwht's calling convention.
%   walshOrdered - The plug-in behind walshSpectrum: seqSpectrum's values
%                  with the rows in a chosen order.
%
% Shifted-pattern energy
%   cyclicEnergy - Energy of a complex field at every cyclic shift of a
%                  sampling pattern.
%   cyclicEnergyFFT - The same map through the FFT: fast on large grids,
%                     accurate relative to the whole map, not exact.
%
% Building
%   build_mex    - Compile the MEX plug-ins with the host's own mex command.
%
% imgToBlocks, blocksToImg, seqSpectrum, walshOrdered and cyclicEnergy are
% MEX plug-ins; their .m files hold the help. walshSpectrum and
% cyclicEnergyFFT are written in the host's language and call them. Run
% build_mex once (in MATLAB or GNU Octave) to compile the plug-ins, or use a
% prebuilt set.
