"""EBO 3D models for scripts: NumPy arrays over the model's vertices, byte-exact saves."""

import os
from typing import Dict, Iterator, List, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

_Path = Union[str, os.PathLike]

class Error(Exception):
    """A vertwright operation failed; the model file is as it was before the call."""
    reason: str
    path: str

class LoadError(Error):
    """A model file could not be loaded."""

class SaveRefused(Error):
    """A save was refused or failed; the file is as it was."""

class ObjError(Error):
    """An OBJ export or import failed; the model is as it was."""

class Segment:
    """One segment of a part, its vertices as NumPy arrays over the model's own memory."""
    @property
    def positions(self) -> npt.NDArray[np.float32]:
        """N x 3 x, y, z as the editor's sheet shows them (y is the file's value negated)."""
    @property
    def uvs(self) -> npt.NDArray[np.float32]:
        """N x 2 u, v; read-only in the delta layout."""
    @property
    def colors(self) -> npt.NDArray[np.uint8]:
        """N x 4 red, green, blue, alpha; read-only in version 6 and the delta layout."""
    @property
    def strip(self) -> npt.NDArray[np.int16]:
        """The triangle strip, read-only."""
    @property
    def part(self) -> int:
        """The part's number."""
    @property
    def index(self) -> int:
        """The segment's number within its part."""
    @property
    def shared_with(self) -> Dict[str, List[Tuple[int, int]]]:
        """The segments reading the same block of the file, per 'positions', 'uvs', 'colors'."""
    def __len__(self) -> int: ...

class SegmentList:
    """The segments of a part."""
    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> Segment: ...
    def __iter__(self) -> Iterator[Segment]: ...

class Part:
    """One part of the model."""
    @property
    def segments(self) -> SegmentList: ...
    @property
    def index(self) -> int: ...

class PartList:
    """The parts of a model."""
    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> Part: ...
    def __iter__(self) -> Iterator[Part]: ...

class Model:
    """An EBO model opened with vertwright.open()."""
    @property
    def path(self) -> str:
        """The model's file: where it was opened from, or last saved as."""
    @property
    def layout(self) -> str:
        """'plain', 'version6' or 'delta'."""
    @property
    def companions(self) -> str:
        """The folder where a delta model's companion files were looked up."""
    @property
    def parts(self) -> PartList: ...
    def save(self) -> None:
        """Saves over the model's file; raises SaveRefused, the file unchanged."""
    def save_as(self, path: _Path, *, other_companions: bool = False) -> None:
        """Saves to path, which becomes the model's file."""
    def export_obj(self, path: _Path, part: Optional[int] = None,
                   seg: Optional[int] = None) -> None:
        """Writes a Wavefront OBJ file of the model, a part or a segment."""
    def import_obj(self, path: _Path, part: Optional[int] = None,
                   seg: Optional[int] = None) -> None:
        """Reads positions (and texture coordinates) from an OBJ file, without saving; objects
        named as export_obj names them land in their segments in any order."""
    def dump(self) -> dict:
        """The model as vertwright-cli dump writes it."""

def open(path: _Path, companions: Optional[_Path] = None) -> Model:
    """Loads the EBO model at path; raises LoadError with the loader's reason."""
