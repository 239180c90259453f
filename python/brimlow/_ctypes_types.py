"""ctypes argument types of the C interface that take numpy arrays.

The generated module _interface.py names these for the pointer arguments of
the export table. Each accepts None (a null pointer), a C-contiguous numpy
array of its element type, or the matching ctypes array or byref().
"""
import ctypes

import numpy as np

# A model handle: an opaque pointer (None for null).
VorlHandle = ctypes.c_void_p


class _ArrayPointer:
    """A pointer to elements of one C type."""

    _ctype = None
    _dtype = None

    @classmethod
    def from_param(cls, value):
        if value is None:
            return None
        if isinstance(value, np.ndarray):
            if value.dtype != cls._dtype or not value.flags.c_contiguous:
                raise TypeError(f"expected a C-contiguous numpy array of {cls._dtype}, got {value.dtype}")
            return ctypes.c_void_p(value.ctypes.data)
        return ctypes.POINTER(cls._ctype).from_param(value)


class DoubleArray(_ArrayPointer):
    _ctype = ctypes.c_double
    _dtype = np.dtype(np.float64)


class IntArray(_ArrayPointer):
    _ctype = ctypes.c_int
    _dtype = np.dtype(np.intc)


class CharBuffer:
    """A writable text buffer: ctypes.create_string_buffer(size), or None."""

    @classmethod
    def from_param(cls, value):
        if value is None:
            return None
        return ctypes.POINTER(ctypes.c_char).from_param(value)


class HandleReference:
    """The address of a handle variable: ctypes.byref(ctypes.c_void_p(...))."""

    @classmethod
    def from_param(cls, value):
        return ctypes.POINTER(ctypes.c_void_p).from_param(value)
