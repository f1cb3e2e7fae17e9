"""What the instrument's error queue (`SYSTem:ERRor?`) holds, as an exception."""


class DsaError(Exception):
    """The errors the instrument queued, oldest first, as (code, message)
    pairs: `(-222, 'Data out of range;LE lines are 1 to 6')`."""

    def __init__(self, errors):
        self.errors = list(errors)
        super().__init__("; ".join('%d,"%s"' % error for error in self.errors))

    @property
    def code(self):
        """The code of the oldest error."""
        return self.errors[0][0]


def parse_error(entry):
    """One reply of `SYSTem:ERRor?`, `-222,"Data out of range;..."`, as
    (code, message); (0, "No error") when the queue was empty."""
    code, comma, message = entry.strip().partition(",")
    try:
        if not comma:
            raise ValueError
        return int(code), message.strip().strip('"')
    except ValueError:
        raise ValueError("not an error queue entry: %r" % entry) from None
