function compare_entries (native, mex)
% compare_entries (native, mex)
% The native functions in <native> against the MEX files in <mex> on random
% data: bands and remainders, every row order, empty inputs, other classes,
% bad arguments and argument counts. Every call must give the same result
% bits, or the same error message and identifier, in both; no call may
% change its arguments. Ends Octave with status 0 when all agree, 1 otherwise.
rand ("seed", 21);  randn ("seed", 21);
calls = [block_calls() walsh_calls() energy_calls()];
kept = cellfun (@(c) cellfun (@copy_of, c{3}, "UniformOutput", false), calls, "UniformOutput", false);
got = {run_all(native, calls), run_all(mex, calls)};
failures = 0;
for k = 1:numel (calls)
  [fn, nout, args] = calls{k}{:};
  a = got{1}{k};  b = got{2}{k};
  if (! isequal (a, b))
    printf ("FAIL: %s call %d (%d outputs): native and MEX differ\n", fn, k, nout);
    disp (a);  disp (b);
    failures += 1;
  elseif (! isequaln (kept{k}, cellfun (@copy_of, args, "UniformOutput", false)))
    printf ("FAIL: %s call %d changed its arguments\n", fn, k);
    failures += 1;
  endif
endfor
printf ("%d calls, %d agree\n", numel (calls), numel (calls) - failures);
exit (failures > 0);
endfunction

function out = run_all (folder, calls)
addpath (folder);
out = cell (size (calls));
for k = 1:numel (calls)
  [fn, nout, args] = calls{k}{:};
  try
    if (nout == 0)
      feval (fn, args{:});
      r = {ans};
    else
      r = cell (1, nout);
      [r{:}] = feval (fn, args{:});
    endif
    out{k} = cellfun (@(v) {class(v), size(v), typecast(v(:), "uint64")}, r, "UniformOutput", false);
  catch err
    out{k} = {err.identifier, err.message};
  end_try_catch
endfor
rmpath (folder);
endfunction

function c = copy_of (a)
% A copy in a buffer of its own, so that a write into a's data shows.
c = a;
if ((isnumeric (a) || islogical (a)) && ! issparse (a) && numel (a) > 0)
  c = a(1:numel (a));
endif
endfunction

function v = as_class (v, cls)
if (strcmp (cls, "complex"))
  v = complex (v, -v);
elseif (strcmp (cls, "logical"))
  v = v > 0;
elseif (! strcmp (cls, "double"))
  v = cast (v, cls);
endif
endfunction

function calls = block_calls ()
classes = {"double", "single", "int8", "uint16", "int64", "logical", "complex"};
calls = {};
for t = 1:60
  n1 = randi ([2 9]);  n2 = randi ([2 9]);
  st = [1 1];                  % a top band, a left band or none
  if (t > 40)
    st(1) = randi ([2 n1 - 1 + (n1 == 2)]);
  elseif (t > 20)
    st(2) = randi ([2 n2 - 1 + (n2 == 2)]);
  endif
  st = min (st, [n1 n2] - 1);
  N = [randi([0 40]) randi([0 40])];
  N = max (N, st - 1);
  Y = randn (N) * 100;
  Y(rand (N) < 0.05) = NaN;
  cls = classes{1 + mod (t, numel (classes))};
  p = {n1, n2, N(1), N(2), st(1), st(2)};
  calls{end+1} = {"imgToBlocks", 1, [{as_class(Y, cls)} p]};
  X = randn (n1 * n2, block_count (n1, n2, N, st));
  calls{end+1} = {"blocksToImg", 1, [{as_class(X, cls)} p]};
endfor
Y = magic (6);
p = {3, 2, 6, 5, 2, 1};
for bad = {{Y, 3, 2, 6, 5, 3, 1}, {Y, 3, 2, 6, 5, 2, 2}, {Y, 3, 2, -6, 5, 1, 1}, ...
            {Y(1:20), p{:}}, {sparse(Y), p{:}}, {"abcdef", p{:}}, {{Y}, p{:}}, ...
            {Y, 3, 2, 6, 5, 2, NaN}, {Y, 3, [], 6, 5, 2, 1}, {Y, 3, 2, 6, 2^31, 2, 1}, ...
            {Y, 3, 2, 65536, 65536, 1, 1}, {Y, p{1:5}}, {single(Y), 2.9, int8(2), 6, 5, true, 1}}
  calls{end+1} = {"imgToBlocks", 1, bad{1}};
  calls{end+1} = {"blocksToImg", 1, bad{1}};
endfor
calls{end+1} = {"imgToBlocks", 0, [{Y} p]};
calls{end+1} = {"blocksToImg", 1, [{zeros(6, 3)} p]};
calls{end+1} = {"blocksToImg", 1, [{zeros(5, 9)} p]};
calls{end+1} = {"blocksToImg", 2, [{zeros(6, 9)} p]};
calls{end+1} = {"blocksToImg", 1, [{zeros(7, 0)} {3, 2, 0, 0, 1, 1}]};
endfunction

function k = block_count (n1, n2, N, st)
rows = ceil ((N(1) - st(1) + 1) / n1);
cols = ceil ((N(2) - st(2) + 1) / n2);
k = rows * cols + (st(1) > 1) * cols + (st(2) > 1) * rows;
endfunction

function calls = walsh_calls ()
classes = {"double", "single", "int16", "uint8", "logical", "complex", "int64"};
calls = {};
for t = 1:40
  M = [0 1 2 3 4 5 7 8 9 16 17 31 32 33 63 64 65 100 128 255 256 257 1000 1024 1025 4097](1 + mod (t, 26));
  N = randi ([0 5]);
  A = as_class (randn (M, N) * 1e3, classes{1 + mod (t, numel (classes))});
  calls{end+1} = {"seqSpectrum", 1, {A}};
  calls{end+1} = {"walshOrdered", 1, {A, mod(t, 3)}};
endfor
A = randn (40, 3, 2);
calls{end+1} = {"seqSpectrum", 1, {A}};
calls{end+1} = {"walshOrdered", 1, {A, int8(2)}};
calls{end+1} = {"seqSpectrum", 0, {A}};
for bad = {{}, {A, 1}, {sparse(A(:, :, 1))}, {"abc"}, {{A}}}
  calls{end+1} = {"seqSpectrum", 1, bad{1}};
endfor
calls{end+1} = {"seqSpectrum", 2, {A}};
for ordering = {3, -1, NaN, [], "x", 1.9, true, complex(2, 1), {1}}
  calls{end+1} = {"walshOrdered", 1, {A(:, :, 1), ordering{1}}};
endfor
calls{end+1} = {"walshOrdered", 1, {A}};
calls{end+1} = {"walshOrdered", 2, {A, 0}};
endfunction

function calls = energy_calls ()
classes = {"double", "single", "int32", "uint8", "logical", "complex"};
calls = {};
for t = 1:40
  mn = [randi([0 12]) randi([0 12])];
  if (t > 34)
    mn = [64 64; 90 70; 200 150; 1 5000; 33 1; 128 128](t - 34, :);
  endif
  cells = prod (mn);
  np = [0 -1 1 3 cells max(1, round(cells / 10)) 2 * cells](1 + mod (t, 7));
  p = randi (max (cells, 1), 1, max (np, 1)) + 0.5 * rand (1, max (np, 1));
  rM = as_class (randn (mn) * 10, classes{1 + mod (t, numel (classes))});
  iM = as_class (randn (mn) * 10, classes{1 + mod (t + 1, numel (classes))});
  calls{end+1} = {"cyclicEnergy", 1, {as_class(p, classes{1 + mod (t + 2, 4)}), rM, iM, mn(1), mn(2), np}};
endfor
rM = [1 3 5; 2 4 6];  iM = [0 0 0; 1 1 1];
for bad = {{[1 0], rM, iM, 2, 3, 2}, {[1 7], rM, iM, 2, 3, 2}, {[1 NaN], rM, iM, 2, 3, 2}, ...
           {[1 4], rM, iM, 2, 3, 3}, {[1 4], rM(1:5), iM, 2, 3, 2}, {[1 4], rM, iM(1:5), 2, 3, 2}, ...
           {[1 4], rM, iM, -2, 3, 2}, {[1 4], rM, iM, 2, Inf, 2}, {[1 4], rM, iM, 2, 3, []}, ...
           {[1 4], rM, iM, 65536, 32768, 0}, {sparse([1 4]), rM, iM, 2, 3, 2}, ...
           {[1 4], {rM}, iM, 2, 3, 2}, {[1 4], rM, iM, "2", 3, 2}, {[1 4], rM, iM, 2, 3}}
  calls{end+1} = {"cyclicEnergy", 1, bad{1}};
endfor
calls{end+1} = {"cyclicEnergy", 0, {[1 4], rM, iM, 2, 3, 2}};
calls{end+1} = {"cyclicEnergy", 2, {[1 4], rM, iM, 2, 3, 2}};
endfunction
