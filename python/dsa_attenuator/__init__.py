"""A PyMeasure driver for `dsactl serve`, the SCPI server of the digital step
attenuator boards:

    from dsa_attenuator import DsaAttenuator
    att = DsaAttenuator("TCPIP0::127.0.0.1::5025::SOCKET")
    att.model = "VK58-Q5-S1"
    att.line(3).attenuation = 7
"""

from .attenuator import DsaAttenuator, Lateness, Line, resource_name
from .errors import DsaError
from .grid import StepGrid

__all__ = ["DsaAttenuator", "DsaError", "Lateness", "Line", "StepGrid", "resource_name"]
