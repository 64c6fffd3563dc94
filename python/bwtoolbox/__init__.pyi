from typing import Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

class ToolboxError(Exception):
    message: str
    identifier: str
    def __init__(self, message: str, identifier: str = ...) -> None: ...

class ToolboxValueError(ToolboxError, ValueError): ...
class ToolboxTypeError(ToolboxError, TypeError): ...

_Pair = Tuple[int, int]

def img_to_blocks(
    image: npt.ArrayLike, block_shape: _Pair, *, start: _Pair = ..., workers: Optional[int] = ...
) -> npt.NDArray[np.float64]: ...
def blocks_to_img(
    blocks: npt.ArrayLike,
    block_shape: _Pair,
    image_shape: _Pair,
    *,
    start: _Pair = ...,
    workers: Optional[int] = ...,
) -> npt.NDArray[np.float64]: ...
def seq_spectrum(
    a: npt.ArrayLike, axis: int = ..., *, workers: Optional[int] = ...
) -> npt.NDArray[np.float64]: ...
def walsh_spectrum(
    a: npt.ArrayLike,
    n: Optional[int] = ...,
    ordering: str = ...,
    axis: int = ...,
    *,
    workers: Optional[int] = ...,
) -> npt.NDArray[np.inexact]: ...
def cyclic_energy(
    field: npt.ArrayLike,
    positions: Union[npt.ArrayLike, Sequence[Tuple[int, int]]],
    *,
    imag: Optional[npt.ArrayLike] = ...,
    workers: Optional[int] = ...,
) -> npt.NDArray[np.float64]: ...
