"""The attenuations a model can make, and how an asked value maps onto them.

Every model's steps are binary weighted, so it makes each multiple of its
resolution from 0 dB up to its maximum: the grid the instrument reports with
`ATTenuation? MAX` and `ATTenuation:RESolution?`. The rule is the instrument's
own: a value outside the range is refused; a value between two grid values is
refused, or with `nearest` set to the nearer one (a tie goes to the lower)."""

import math
from dataclasses import dataclass

# As the instrument compares: a value this close to a grid value is on it.
TOLERANCE = 1e-9


def db_text(value):
    """A number as the instrument reads it: `7`, `12.5`, `31.75`."""
    return "{:.10g}".format(value)


@dataclass(frozen=True)
class StepGrid:
    key: str
    max_db: float
    resolution_db: float

    def resolve(self, db, nearest=False):
        """The value to send for `db` dB: `db` itself, put exactly on the grid,
        or with `nearest` the nearest grid value. Raises ValueError for a value
        outside 0 to `max_db`, or, without `nearest`, between two grid values
        (naming both)."""
        if not isinstance(db, (int, float)) or isinstance(db, bool):
            raise TypeError("the attenuation is a number of dB, not %r" % (db,))
        if not (math.isfinite(db) and -TOLERANCE <= db <= self.max_db + TOLERANCE):
            raise ValueError("%s dB is outside 0 to %s dB of %s"
                             % (db_text(db), db_text(self.max_db), self.key))
        units = db / self.resolution_db
        top = round(self.max_db / self.resolution_db)
        below = min(max(math.floor(units + TOLERANCE), 0), top)
        above = min(max(math.ceil(units - TOLERANCE), 0), top)
        if below != above and not nearest:
            raise ValueError("%s cannot make %s dB; the nearest values are %s and %s dB "
                             "(or set nearest=True)"
                             % (self.key, db_text(db), db_text(below * self.resolution_db),
                                db_text(above * self.resolution_db)))
        chosen = below if units - below <= above - units else above
        return chosen * self.resolution_db
