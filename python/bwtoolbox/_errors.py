"""The exceptions of bwtoolbox: the errors of the MATLAB/Octave plug-ins."""


class ToolboxError(Exception):
    """A refused argument. `identifier` is the plug-ins' error identifier
    ("imgToBlocks:imageTooSmall"), or "" where the plug-ins raise their
    classic message without one ("Start point is not correct")."""

    def __init__(self, message, identifier=""):
        super().__init__(message)
        self.message = message
        self.identifier = identifier

    def __str__(self):
        return f"{self.message} [{self.identifier}]" if self.identifier else self.message


class ToolboxValueError(ToolboxError, ValueError):
    """An argument of the right kind with a value the functions refuse."""


class ToolboxTypeError(ToolboxError, TypeError):
    """An argument of a kind the functions do not take."""
